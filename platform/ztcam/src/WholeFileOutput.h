#pragma once

#include <cstddef>
#include <string>

#include <sys/stat.h>

namespace ztcam {

// A file of the SDK's that is written whole or not at all. The constructor
// creates (or truncates) it, write() adds bytes, finish() closes it. When a
// step fails, and when the object goes before finish(), the file is removed
// again, so that a failed save leaves no cut file behind. Only a regular file
// under the name itself is removed: a name that is a symbolic link or a
// device, or something that took the name meanwhile, is left as it is.
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

private:
    void discard();

    std::string path_;
    int fd_ = -1;
    struct stat opened_ {};
};

} // namespace ztcam
