#pragma once

#include <cstddef>
#include <string>

#include <sys/stat.h>

namespace ztcam {

// A file of the SDK's that is written whole or not at all. The constructor
// creates a file beside the one to be written, write() adds bytes to it, and
// finish() puts it in place under the name: an earlier file of that name is
// replaced only by a whole new one. When a step fails, and when the object
// goes before finish(), the new file is removed again and an earlier file
// stays as it was. A name that is a symbolic link keeps its link: the file
// it leads to is the one replaced. A name that is no regular file (a device,
// a pipe) is written in place and never removed. The new file keeps the
// earlier file's permissions; a first file gets those open() would give.
// After a failure errno holds the system's error of the step that failed.
class WholeFileOutput {
public:
    explicit WholeFileOutput(const std::string& path);
    ~WholeFileOutput();
    WholeFileOutput(const WholeFileOutput&) = delete;
    WholeFileOutput& operator=(const WholeFileOutput&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool write(const void* data, size_t bytes);
    bool finish();
    // Gives the file up as if a write had failed with `error`.
    bool fail(int error);

    // Removes `path` only while it still names the regular file `made` (as
    // fstat() gave it for the file this process made); a symbolic link, a
    // device, or another file that took the name meanwhile stays.
    static void removeMade(const std::string& path, const struct stat& made);

private:
    void discard();

    std::string path_;  // the name the file goes under, its links followed
    std::string temp_;  // the new file beside it; empty for a device written in place
    bool replacing_ = false;
    int fd_ = -1;
    struct stat opened_ {};
};

} // namespace ztcam
