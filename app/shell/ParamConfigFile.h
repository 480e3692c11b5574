#pragma once
// The parameter configuration text file: one line per writable feature,
// "name:type:value" or, for enumerations, "name:9:index:entry". Lines are
// formatted here and a file's lines are put into the order in which they are
// set on a camera.

#include <QByteArray>
#include <QString>
#include <QVector>

class QTextStream;

// One saved feature, in walk order.
struct ParamEntry {
    QByteArray name;
    QString text;        // enumeration: the current entry's name
    int type = 0;        // 2 integer, 3 boolean, 5 float, 9 enumeration
    qint64 intValue = 0;  // integer, boolean and enumeration value
    double floatValue = 0;
};

class ParamConfigFile {
public:
    // The line of one entry, line break included.
    static QString formatLine(const ParamEntry& entry);

    struct Setting {
        QString name;
        QString value;
    };
    // The settings of a file, in the order they are to be set: every feature
    // in file order, then the image geometry: the offsets named in the file
    // to 0, Width, Height, then the offsets, so that a region that only fits
    // once the old offsets are gone still loads. A later line for the same
    // geometry feature replaces an earlier one. Lines of fewer than three
    // ':'-separated fields are skipped; `usableLines` counts the others.
    static QVector<Setting> loadOrder(QTextStream& in, int* usableLines);

    // An integer value of a file: 64-bit decimal. Files of older versions
    // kept 32 bits, so a negative value for a feature that cannot be negative
    // is read as unsigned 32-bit. False for text that is no number.
    static bool parseInteger(const QString& text, qint64 minimum, qint64& value);
};
