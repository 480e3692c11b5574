#pragma once
// Text files the user asked to save, written whole or not at all: a file the
// disk took only part of (full, gone) is removed again, so that no cut file
// is later taken for a saved one.

#include <QString>

namespace TextFile {

enum class Written { Whole, NotOpened, Cut };

// Writes `text` over the file at `path` (text mode, truncating). Only a
// regular file is removed after a failed write, never a device.
Written write(const QString& path, const QString& text);

}  // namespace TextFile
