#pragma once

#include <cstdint>
#include <string>

// Writes one finished stack file to disk from its whole-file buffer. A
// large file from a page-aligned buffer may go partly past the page cache,
// straight to the disk, when that is the faster way (see the source).
class WholeFileWriter
{
public:
    // Creates or truncates path and writes size bytes of data into it. An
    // open that would block (a pipe nobody reads) fails at once, and a pipe
    // that takes no data for a second fails the write. A regular file whose
    // write fails is removed, so no cut-off file is left under its name; a
    // symbolic link in its place stays, and so does the file it points to.
    static bool Write(const std::string& path, const uint8_t* data, int64_t size);
};
