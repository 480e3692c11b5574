#pragma once
// The parameter configuration text file: one line per writable feature,
// "name:type:value" or, for enumerations, "name:9:index:entry". Lines are
// formatted here and a file's lines are put into the order in which they are
// set on a camera.

#include <QByteArray>
#include <QString>
#include <QStringList>
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
        bool fromLine = true;  // false for the loader's own steps (offsets to 0 first)
        QString entry;         // an enumeration line's entry name; empty: the index counts
    };
    // The settings of a file, in the order they are to be set: every feature
    // in file order, then the image geometry: the offsets named in the file
    // to 0, Width, Height, then the offsets, so that a region that only fits
    // once the old offsets are gone still loads. A later line for the same
    // geometry feature replaces an earlier one. Lines of fewer than three
    // ':'-separated fields are not set: `shortLines` gets the first field of
    // each that is not blank; `usableLines` counts the others.
    static QVector<Setting> loadOrder(QTextStream& in, int* usableLines, QStringList* shortLines = nullptr);

    // A name or value of a file as a log row quotes it: at most 40
    // characters, anything but printable ASCII escaped (\x01, \ufffd).
    static QString shownText(const QString& text);

    // An integer value of a file: 64-bit decimal. Files of older versions
    // kept 32 bits, so a negative value for a feature that cannot be negative
    // is read as unsigned 32-bit. False for text that is no number.
    static bool parseInteger(const QString& text, qint64 minimum, qint64& value);

    // What became of one line on the camera.
    enum class Outcome { Applied, Unknown, Refused, Changed };

    // The outcomes of one load. A file counts as loaded only when every
    // line was applied as written.
    class Report {
    public:
        void add(const QString& name, Outcome outcome);
        bool complete() const { return m_names.isEmpty(); }
        // The log row of an incomplete load: how many lines were unknown to
        // the camera, refused, or changed by it, naming the first few.
        QString summary() const;

    private:
        int m_lines = 0;
        int m_unknown = 0;
        int m_refused = 0;
        int m_changed = 0;
        QStringList m_names;  // of the lines not applied as written, as added
    };
};
