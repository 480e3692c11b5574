#pragma once

#include <cstddef>
#include <string>

#include <platform/os/ReplacingFile.h>

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

    bool isOpen() const { return fd() >= 0; }
    bool write(const void* data, size_t bytes);
    bool finish();
    // Gives the file up as if a write had failed with `error`.
    bool fail(int error);

private:
    int fd() const { return inPlace_ ? device_ : file_.fd(); }

    platform::os::ReplacingFile file_;
    bool inPlace_ = false;  // a device or a pipe, written where it is
    int device_ = -1;       // then its descriptor
};

} // namespace ztcam
