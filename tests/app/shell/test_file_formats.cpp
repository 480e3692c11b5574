// The user-set data file and the parameter configuration file without a
// camera: firmware gate, window pieces, what a file must hold to be used, the
// order in which a parameter file's lines are set, and how the text files
// they are saved as replace earlier ones.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileSizeLimit.h"
#include "ParamConfigFile.h"
#include "TextFile.h"
#include "UserSetFile.h"

#include <ZTCam.h>

TEST(UserSetFileRules, FirmwareGateReadsTheFourDigitsAfterPositionFour)
{
    const struct {
        const char* version;
        bool supported;
    } cases[] = {
        {"V01_2504_ZT", false}, {"V01_2505_ZT", true}, {"V01_9999", true}, {"V01_25x9_ZT", false},
        {"V01_", false},        {"", false},           {"V01_ 3000", false},  // " 300" reads 300
    };
    for (const auto& c : cases)
        EXPECT_EQ(UserSetFile::firmwareSupported(c.version), c.supported) << c.version;
}

TEST(UserSetFileRules, BlocksMoveInWindowPiecesOfAtMost4096Bytes)
{
    EXPECT_EQ(UserSetFile::pieceSizes(1030 * 4), (QVector<int>{4096, 24}));
    EXPECT_EQ(UserSetFile::pieceSizes(1024 * 4), (QVector<int>{4096}));
    EXPECT_EQ(UserSetFile::pieceSizes(2048 * 4), (QVector<int>{4096, 4096}));
    EXPECT_TRUE(UserSetFile::pieceSizes(0).isEmpty());
}

TEST(UserSetFileRules, OnlyACompleteBlockOfInt32WordsIsUsable)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray huge = "0\n65537\n";
    QByteArray trailed = "1\n4\n5\n6\n";
    for (int i = 0; i < 65536; ++i) {
        huge += "0\n";
        trailed += "7\n";
    }
    const struct {
        const char* what;
        QByteArray text;
        bool usable;
        int words;
    } cases[] = {
        {"block", "2\n6\n10\n-20\n11\n2147483647\n", true, 6},
        {"any white space", "1 4\t7\r\n-8   ", true, 4},
        // What follows the block is not read, however long.
        {"longer than its length word", "1\n3\n5\n6\n", true, 3},
        {"followed by more than 65536 words", trailed, true, 4},
        {"one word", "5\n", false, 1},
        {"length -1", "1\n-1\n3\n", false, 2},
        {"length 1", "1\n1\n3\n", false, 2},
        {"shorter than its length word", "1\n5\n3\n", false, 3},
        {"junk stops the data", "1\n4\n3\njunk\n4\n", false, 3},
        {"junk only", "junk\n", false, 0},
        {"beyond 32 bits", "1\n3\n99999999999\n", false, 2},
        {"a block of more than 65536 words", huge, false, 2},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath("block.txt");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.text);
        file.close();
        const UserSetFile::Loaded loaded = UserSetFile::load(path);
        EXPECT_TRUE(loaded.opened);
        EXPECT_EQ(loaded.usable(), c.usable) << c.what;
        EXPECT_EQ(loaded.words.size(), c.words) << c.what;
        EXPECT_EQ(loaded.tooLarge, c.text == huge) << c.what;
    }
    EXPECT_FALSE(UserSetFile::load(dir.filePath("missing.txt")).opened);

    // Saved words read back as they were.
    const QVector<qint32> words{2, 5, -7, 2147483647, -2147483647 - 1};
    ASSERT_EQ(UserSetFile::save(dir.filePath("out.txt"), words), TextFile::Written::Whole);
    QFile saved(dir.filePath("out.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("2\n5\n-7\n2147483647\n-2147483648\n"));
    EXPECT_EQ(UserSetFile::load(dir.filePath("out.txt")).words, words);
}

TEST(ParamConfigFileFormat, LinesPerType)
{
    ParamEntry exposure{"ExposureTime", {}, ZTCAM_ELEM_FLOAT, 0, 12345.678};
    ParamEntry format{"PixelFormat", "Mono 12", ZTCAM_ELEM_ENUMERATION, 1, 0};
    ParamEntry ip{"GevPersistentIPAddress", {}, ZTCAM_ELEM_INTEGER, 0xC0A80164ll, 0};
    ParamEntry lut{"LUTEnable", "LUTEnable", ZTCAM_ELEM_BOOLEAN, 1, 0};
    EXPECT_EQ(ParamConfigFile::formatLine(exposure), "ExposureTime:5:12345.7\n");
    EXPECT_EQ(ParamConfigFile::formatLine(format), "PixelFormat:9:1:Mono 12\n");
    EXPECT_EQ(ParamConfigFile::formatLine(ip), "GevPersistentIPAddress:2:3232235876\n");
    EXPECT_EQ(ParamConfigFile::formatLine(lut), "LUTEnable:3:1\n");
}

TEST(ParamConfigFileFormat, GeometryComesLastWithTheOffsetsClearedFirst)
{
    QString text = "Width:2:800\r\n"
                   "OffsetX:2:320\r\n"
                   "Width:2:640\n"
                   "ExposureTime:5:100\n"
                   "no colon\n"
                   "one:colon\n"
                   "OffsetY:2:junk\n"
                   "PixelFormat:9:1:Mono 12\n"
                   "TriggerMode:9:1\n";
    QTextStream in(&text);
    int usable = 0;
    const QVector<ParamConfigFile::Setting> order = ParamConfigFile::loadOrder(in, &usable);
    QStringList got;
    for (const auto& s : order)
        got << s.name + "=" + s.value + (s.entry.isEmpty() ? QString() : " " + s.entry);
    // An offset whose value is refused is not cleared either. An enumeration
    // goes by its entry's name where the line has one.
    EXPECT_EQ(got, (QStringList{"ExposureTime=100", "PixelFormat=1 Mono 12", "TriggerMode=1", "OffsetX=0",
                                "Width=640", "OffsetX=320", "OffsetY=junk"}));
    EXPECT_EQ(usable, 7);
}

// Bytes the file's codec could not read come in as U+FFFD, other scripts
// beyond Latin-1: a log row names them by their code.
TEST(ParamConfigFileFormat, ShownTextEscapesCharactersBeyondLatin1ByTheirCode)
{
    EXPECT_EQ(ParamConfigFile::shownText(QString::fromUtf8("Gain\xef\xbf\xbd\xe2\x82\xac")).toStdString(),
              "Gain\\ufffd\\u20ac");
    EXPECT_EQ(ParamConfigFile::shownText(QString::fromUtf8("\xc3\xa9\t")).toStdString(), "\\xe9\\x09");
}

TEST(ParamConfigFileFormat, IntegersAre64BitAndOld32BitValuesStillLoad)
{
    const struct {
        const char* text;
        qint64 minimum;
        bool ok;
        qint64 value;
    } cases[] = {
        {"3232235876", 0, true, 3232235876ll},   // persistent IP as saved now
        {"-1062731420", 0, true, 3232235876ll},  // the same as older files kept it
        {"-5", -10, true, -5},                   // a feature that may be negative
        {"-5000000000", 0, true, -5000000000ll}, // beyond 32 bits: not an old value
        {"abc", 0, false, 0},
        {"", 0, false, 0},
    };
    for (const auto& c : cases) {
        qint64 v = 0;
        EXPECT_EQ(ParamConfigFile::parseInteger(c.text, c.minimum, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

// A save that fails leaves an earlier file as it was and nothing beside it; a
// symbolic link keeps its link, and a pipe is written where it is.
TEST(TextFileWrite, AFailedSaveLeavesTheEarlierFileAndNamesKeepWhatTheyAre)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("keep.txt"), link = dir.filePath("link.txt"), pipe = dir.filePath("pipe");
    const auto bytes = [](const QString& name) {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QString earlier(200 * 1024, QChar('e'));
    ASSERT_EQ(TextFile::write(path, earlier), TextFile::Written::Whole);
    {
        lumatest::FileSizeLimit full(300 * 1024);
        EXPECT_EQ(TextFile::write(path, QString(400 * 1024, QChar('n'))), TextFile::Written::Cut);
    }
    EXPECT_TRUE(bytes(path) == earlier.toLatin1());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"keep.txt"});

    // A name as long as a folder takes is replaced too.
    const QString longName = dir.filePath(QString(250, QChar('n')));
    for (const char* text : {"first\n", "second\n"})
        EXPECT_EQ(TextFile::write(longName, text), TextFile::Written::Whole) << text;
    EXPECT_EQ(bytes(longName), QByteArray("second\n"));
    QFile::remove(longName);

    ASSERT_TRUE(QFile::link(path, link));
    EXPECT_EQ(TextFile::write(link, "new\n"), TextFile::Written::Whole);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(bytes(path), QByteArray("new\n"));

    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
    EXPECT_EQ(TextFile::write(pipe, "piped\n"), TextFile::Written::Whole);
    char got[16] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 6);
    ::close(reader);
    EXPECT_FALSE(QFileInfo(pipe).isFile());
}
