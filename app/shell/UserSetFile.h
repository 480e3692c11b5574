#pragma once
// The user-set data block of a camera as a text file: one signed decimal
// 32-bit word per line. Word 0 is the item count, word 1 the block length in
// words (word 0 included). Also the rules of the transfer that do not need a
// camera: the firmware gate and the pieces the block moves in.

#include <QString>
#include <QVector>

#include "TextFile.h"

class UserSetFile {
public:
    // A block never has more words than this; a file whose length word says
    // more is refused as too large.
    static constexpr int kMaxWords = 65536;
    // The camera's data window moves at most this many bytes per access.
    static constexpr int kPieceBytes = 4096;

    // The firmware gate: the four characters from position 4 of the
    // DeviceVersion text, read as a decimal number (leading digits), must be
    // above 2504. A short or unreadable text does not pass.
    static bool firmwareSupported(const QByteArray& deviceVersion);

    // Byte counts of the window accesses for a block of `bytes` bytes: full
    // pieces, then one of 1 to kPieceBytes bytes.
    static QVector<int> pieceSizes(int bytes);

    // Writes the words, "%d\n" each, whole or not at all.
    static TextFile::Written save(const QString& path, const QVector<qint32>& words);

    struct Loaded {
        bool opened = false;
        qint64 fileBytes = 0;
        // Read up to the first text that is no number, or until the block
        // is whole: what follows it is not the camera's.
        QVector<qint32> words;
        bool outOfRange = false;  // a number beyond 32 bits
        bool tooLarge = false;    // a length word above kMaxWords
        // The words form a block that may go to the camera:
        // 2 <= length word <= words read, and nothing refused above.
        bool usable() const;
    };
    // Reads decimal numbers separated by any white space.
    static Loaded load(const QString& path);
};
