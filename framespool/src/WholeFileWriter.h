#pragma once

#include <cstdint>
#include <string>

// Writes one finished stack file to disk from its whole-file buffer. A
// large file from a page-aligned buffer may go partly past the page cache,
// straight to the disk, when that is the faster way (see the source).
class WholeFileWriter
{
public:
    // Writes size bytes of data as the file path. A regular file (or a name
    // not yet taken) is written beside the name and takes it once whole: a
    // write that fails leaves an earlier file as it was and no new file. A
    // symbolic link keeps its link; the file it leads to is replaced. A pipe
    // or device is written in place: an open that would block (a pipe nobody
    // reads) fails at once, and a pipe that takes no data for a second fails
    // the write. errno tells the error.
    static bool Write(const std::string& path, const uint8_t* data, int64_t size);
};
