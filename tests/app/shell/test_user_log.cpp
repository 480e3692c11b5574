// The user log: numbered, time-stamped rows and the saved ".log" file.
#include <gtest/gtest.h>

#include <ZTCamSim.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScrollBar>
#include <QMouseEvent>
#include <QTableWidget>
#include <QTextStream>

#include <memory>

#include "MainWindow.h"
#include "FileSizeLimit.h"
#include "ZTScanCamera.h"
#include "../TestSupport.h"

namespace {

class UserLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        MainWindow::setExitWaitMs(0);
        ASSERT_TRUE(dir.isValid());
        oldDir = QDir::currentPath();
        QDir::setCurrent(dir.path());
        w = std::make_unique<MainWindow>();
        table = w->findChild<QTableWidget*>("tableWidget");
        ASSERT_NE(table, nullptr);
    }
    void TearDown() override
    {
        w.reset();
        QDir::setCurrent(oldDir);
    }
    QStringList readLines(const QString& path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << path.toStdString();
        QStringList lines;
        QTextStream in(&f);
        in.setCodec("UTF-8");
        while (!in.atEnd())
            lines << in.readLine();
        return lines;
    }

    QTemporaryDir dir;
    QString oldDir;
    FakePrompt prompt;
    std::unique_ptr<MainWindow> w;
    QTableWidget* table = nullptr;
};

TEST_F(UserLog, StartUpRowsAreNumberedFromZeroWithTheirTime)
{
    ASSERT_EQ(table->columnCount(), 2);
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "Index");
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Description");
    EXPECT_EQ(table->columnWidth(0), 200);
    EXPECT_EQ(table->columnWidth(1), 1000);
    EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(table->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(table->contextMenuPolicy(), Qt::CustomContextMenu);

    ASSERT_EQ(table->rowCount(), 2);
    const QRegularExpression index("^\\[0000\\] \\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$");
    EXPECT_TRUE(index.match(table->item(0, 0)->text()).hasMatch()) << table->item(0, 0)->text().toStdString();
    EXPECT_EQ(table->item(0, 1)->text(), "The program has started successfully");
    EXPECT_TRUE(table->item(1, 0)->text().startsWith("[0001] "));
    EXPECT_EQ(table->item(1, 1)->text(), "Enjoy using it");
    EXPECT_EQ(table->item(1, 1)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));

    const QDateTime stamp =
        QDateTime::fromString(table->item(0, 0)->text().mid(7), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    ASSERT_TRUE(stamp.isValid());
    EXPECT_LE(qAbs(stamp.secsTo(QDateTime::currentDateTime())), 60);
}

TEST_F(UserLog, RowNumbersArePaddedToFourDigitsButNeverCut)
{
    w->onWritelog("third");
    EXPECT_TRUE(table->item(2, 0)->text().startsWith("[0002] "));
    w->m_nLogRowCount = 10000;
    w->onWritelog("far on");
    EXPECT_EQ(table->rowCount(), 10001);
    EXPECT_TRUE(table->item(10000, 0)->text().startsWith("[10000] "));
    EXPECT_EQ(w->m_nLogRowCount, 10001);
}

TEST_F(UserLog, SaveAsWritesOneLinePerRow)
{
    w->onWritelog("Camera0 open successfully.");
    prompt.fileAnswers << dir.filePath("run1");
    w->onTaskBoxContextMenuEvent();
    const QStringList lines = readLines(dir.filePath("run1.log"));
    ASSERT_EQ(lines.size(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(lines[row], table->item(row, 0)->text() + " " + table->item(row, 1)->text());
    EXPECT_TRUE(lines[2].endsWith(" Camera0 open successfully."));
    ASSERT_EQ(prompt.asked.size(), 2);
    EXPECT_EQ(prompt.asked[0], "save|Choose open path|");
    EXPECT_EQ(prompt.asked[1], "about|LumaDeck|File saving was completed");
}

TEST_F(UserLog, ExtensionTestIsCaseSensitive)
{
    prompt.fileAnswers << dir.filePath("run1.LOG") << dir.filePath("run2.log");
    w->onTaskBoxContextMenuEvent();
    w->onTaskBoxContextMenuEvent();
    EXPECT_TRUE(QFile::exists(dir.filePath("run1.LOG.log")));
    EXPECT_TRUE(QFile::exists(dir.filePath("run2.log")));
    EXPECT_FALSE(QFile::exists(dir.filePath("run2.log.log")));
}

TEST_F(UserLog, SavingAgainReplacesTheFile)
{
    const QString path = dir.filePath("again.log");
    prompt.fileAnswers << path << path;
    w->onTaskBoxContextMenuEvent();
    w->onWritelog("one more");
    w->onTaskBoxContextMenuEvent();
    EXPECT_EQ(readLines(path).size(), 3);
}

// A cancelled save says nothing; a failed one says why, and an earlier log
// of that name stays whole with nothing left beside it.
TEST_F(UserLog, OnlyASavedLogIsReportedSaved)
{
    const QString earlier = dir.filePath("earlier.log"), none = dir.filePath("none/x");
    prompt.fileAnswers << earlier << QString() << "/proc/lumadeck" << none << earlier;
    for (int i = 0; i < 4; ++i)
        w->onTaskBoxContextMenuEvent();
    const QStringList kept = readLines(earlier);
    for (int i = 0; i < 200; ++i)
        w->onWritelog(QString("row %1 of a log longer than the disk takes").arg(i));
    {
        lumatest::FileSizeLimit full(1024);  // the text goes to the disk only as the file closes
        w->onTaskBoxContextMenuEvent();
    }
    const QString no = "about|LumaDeck|The log was not saved to ";
    EXPECT_EQ(prompt.asked.filter("about|"),
              QStringList({"about|LumaDeck|File saving was completed",
                           no + "/proc/lumadeck.log: the folder cannot be written.",
                           no + none + ".log: the folder does not exist.", no + earlier + ": the file is too large."}));
    EXPECT_EQ(readLines(earlier), kept);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"earlier.log"});
}

// The dialog asked about "mylog": "mylog.log" goes only once the user says so.
TEST_F(UserLog, ANameGivenItsExtensionIsReplacedOnlyWhenConfirmed)
{
    prompt.fileAnswers << dir.filePath("mylog.log") << dir.filePath("mylog") << dir.filePath("mylog");
    w->onTaskBoxContextMenuEvent();
    w->onWritelog("one more");
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        prompt.questionAnswer = answer;
        w->onTaskBoxContextMenuEvent();
        EXPECT_EQ(readLines(dir.filePath("mylog.log")).size(), answer == QMessageBox::Yes ? 3 : 2);
    }
    EXPECT_EQ(prompt.asked.filter("question|").value(1),
              "question|LumaDeck|" + dir.filePath("mylog.log") + " already exists. Do you want to replace it?");
}

}  // namespace

namespace {

TEST_F(UserLog, ARightClickOnARowKeepsTheRowsInSight)
{
    // Discovery adds its own rows when it ends; the scroll position is read
    // after that.
    ASSERT_TRUE(waitFor([&] { return w->m_pScanCamera->isFinished() && !w->m_titleTimer.isActive(); }));
    w->resize(1000, 700);
    w->setEnabled(true);  // as after discovery
    w->show();
    for (int i = 0; i < 40; ++i)
        w->onWritelog(QString("row %1").arg(i));
    QCoreApplication::processEvents();
    const int top = table->verticalScrollBar()->value();
    const int left = table->horizontalScrollBar()->value();
    // Press on the description cell of the last visible row.
    const QModelIndex last = table->model()->index(table->rowCount() - 1, 1);
    const QRect cell = table->visualRect(last);
    ASSERT_TRUE(cell.isValid());
    QMouseEvent press(QEvent::MouseButtonPress, cell.center(), Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, cell.center(), Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &release);
    QCoreApplication::processEvents();
    EXPECT_EQ(table->horizontalScrollBar()->value(), left);
    EXPECT_EQ(table->verticalScrollBar()->value(), top);
}

}  // namespace
