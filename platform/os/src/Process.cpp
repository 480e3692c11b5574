#include "platform/os/Process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform::os {

namespace {

std::string stripExe(const std::string& name)
{
    const std::string ext = ".exe";
    if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
        return name.substr(0, name.size() - ext.size());
    return name;
}

// The image of a process: the file name of its executable, falling back to
// its command name when the link cannot be read (another user's process).
std::string processImage(const std::string& pidDir)
{
    char buf[4096];
    ssize_t n = ::readlink((pidDir + "/exe").c_str(), buf, sizeof(buf) - 1);
    if (n > 0) {
        std::string path(buf, static_cast<size_t>(n));
        const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() &&
            path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
            path.resize(path.size() - deleted.size());
        return path.substr(path.find_last_of('/') + 1);
    }
    std::ifstream comm(pidDir + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

}  // namespace

std::vector<int32_t> processIdsByImage(const std::string& imageName)
{
    std::vector<int32_t> ids;
    const std::string wanted = stripExe(imageName);
    if (wanted.empty())
        return ids;
    DIR* dir = ::opendir("/proc");
    if (!dir)
        return ids;
    while (dirent* e = ::readdir(dir)) {
        const std::string entry = e->d_name;
        if (entry.empty() || !std::all_of(entry.begin(), entry.end(), ::isdigit))
            continue;
        if (processImage("/proc/" + entry) == wanted)
            ids.push_back(static_cast<int32_t>(std::stol(entry)));
    }
    ::closedir(dir);
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::string processListText(const std::string& imageName)
{
    const std::vector<int32_t> ids = processIdsByImage(imageName);
    if (ids.empty())
        return "INFO: No tasks are running which match the specified criteria.\r\n";
    std::string out = "\r\n";
    out += "Image Name                     PID Session Name        Session#    Mem Usage\r\n";
    out += "========================= ======== ================ =========== ============\r\n";
    for (int32_t id : ids) {
        char line[160];
        std::snprintf(line, sizeof line, "%-25.25s %8d %-16s %11d %10s K\r\n",
                      imageName.c_str(), static_cast<int>(id), "Console", 1, "0");
        out += line;
    }
    return out;
}

bool isOwnProcess(int32_t pid)
{
    struct stat info {};
    if (pid <= 0 || ::stat(("/proc/" + std::to_string(pid)).c_str(), &info) != 0)
        return false;
    return info.st_uid == ::geteuid();
}

bool terminateProcess(int32_t pid)
{
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), SIGTERM) == 0;
}

int32_t currentProcessId() { return static_cast<int32_t>(::getpid()); }

}  // namespace platform::os
