#pragma once
// Text files the user asked to save, written whole or not at all: the new
// text is written beside the file and takes its name only once it is whole,
// so that a save that fails (a full disk, a network file system refusing the
// data at close) leaves an earlier file of that name as it was, and no cut
// file is later taken for a saved one.

#include <QString>

namespace TextFile {

enum class Written { Whole, NotOpened, Cut };

// Writes `text` to the file at `path` (text mode). A name that is a symbolic
// link keeps its link: the file it leads to is replaced. A name that is no
// regular file (a pipe, a device) is written in place and never removed.
// When the text is not written whole and `error` is given, it takes the
// errno of the step that failed (0 when that step gave none).
Written write(const QString& path, const QString& text, int* error = nullptr);

}  // namespace TextFile
