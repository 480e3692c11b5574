#include "ProcessInfoTexts.h"

#include <platform/os/Environment.h>
#include <platform/os/Process.h>

namespace GenTLCore::PEXCore {

CPEXString ProcessInfoTexts::Arguments(const CPEXString& commandLine)
{
    const std::wstring& line = commandLine.str();
    size_t start;
    if (!line.empty() && line.front() == L'"') {
        const size_t close = line.find(L'"', 1);
        start = close == std::wstring::npos ? line.size() : close + 1;
    } else {
        const size_t space = line.find(L' ');
        start = space == std::wstring::npos ? line.size() : space + 1;
    }
    CPEXString arguments(line.substr(start));
    arguments.Trim();
    return arguments;
}

void ProcessInfoTexts::Get(CPEXString* fileName, CPEXString* folder, CPEXString* arguments, uint32_t* processId,
                           int64_t* startTime)
{
    const std::wstring path = platform::os::executablePath();
    const size_t slash = path.rfind(CPEXString::kPathSeparator);
    if (fileName)
        *fileName = CPEXString(slash == std::wstring::npos ? path : path.substr(slash + 1));
    if (folder)
        *folder = CPEXString(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1));
    if (arguments)
        *arguments = Arguments(CPEXString(platform::os::commandLine()));
    if (processId)
        *processId = uint32_t(platform::os::currentProcessId());
    if (startTime)
        *startTime = platform::os::processStartTime();
}

}  // namespace GenTLCore::PEXCore
