// One run of the real program on the offscreen platform with the two default
// simulated cameras: it starts, discovers the cameras, writes its first log
// rows, refuses a second copy, and ends cleanly with exit code 0 when asked to.
//
// How the test talks to the program:
// - The program writes every user-log row and its diagnostic lines to
//   standard error; the test reads them there.
// - Boxes are answered through LUMA_PROMPT_ANSWERS, which only the test build
//   of the program reads (ScriptedPrompt.cpp): the second copy answers "No"
//   to the question whether to end the running copy.
// - Each run gets its own lock folder (XDG_RUNTIME_DIR) and working directory.
// - The test ends the program with SIGTERM, which the program handles by
//   leaving its event loop and shutting down in order.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include "../TestSupport.h"

namespace {

// The test build of the program: the program with scripted answers to its
// boxes (ScriptedPrompt.cpp); the shipped program reads no answers.
QString programPath() { return QString::fromLocal8Bit(LUMA_SCRIPTED_PROGRAM); }

class Program {
public:
    Program(const QTemporaryDir& work, const QString& lockDir, const QString& answers)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", lockDir);
        env.insert("LUMA_PROMPT_ANSWERS", answers);
        env.insert("LUMA_DEBUG_OUTPUT", "1");  // followed through its debug lines
        env.remove("ZTCAM_SIM_CONFIG");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(work.path());
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(programPath(), QStringList());
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    // Collects standard error until `text` appears.
    bool waitForText(const QString& text, int timeoutMs = 20000)
    {
        return waitFor(
            [&] {
                errors += QString::fromLocal8Bit(process.readAllStandardError());
                return errors.contains(text) || process.state() == QProcess::NotRunning;
            },
            timeoutMs) &&
               (errors += QString::fromLocal8Bit(process.readAllStandardError()), errors.contains(text));
    }
    bool finish(int timeoutMs = 20000)
    {
        const bool done = waitFor([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
        errors += QString::fromLocal8Bit(process.readAllStandardError());
        return done;
    }

    QProcess process;
    QString errors;
};

TEST(Program, StartsDiscoversRefusesASecondCopyAndEndsCleanly)
{
    testApp();
    ASSERT_TRUE(QFileInfo(programPath()).isExecutable()) << programPath().toStdString();
    QTemporaryDir work;
    QTemporaryDir locks;
    ASSERT_TRUE(work.isValid() && locks.isValid());

    Program first(work, locks.path(), QString());
    ASSERT_TRUE(first.process.waitForStarted(10000));
    ASSERT_TRUE(first.waitForText("Find the number of cameras = 2")) << first.errors.toStdString();
    EXPECT_TRUE(first.errors.contains("ZTCam api init success"));
    ASSERT_TRUE(first.waitForText("Enjoy using it")) << first.errors.toStdString();
    EXPECT_TRUE(first.errors.contains(QRegularExpression(
        "\\[0000\\] \\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} The program has started successfully")));
    EXPECT_TRUE(first.errors.contains(QRegularExpression("\\[0001\\] [-0-9]+ [:0-9]+ Enjoy using it")));
    EXPECT_TRUE(QDir(work.path() + "/img").exists());

    // A second copy knocks, is asked, answers No and leaves with code 0.
    {
        Program second(work, locks.path(), "No");
        ASSERT_TRUE(second.process.waitForStarted(10000));
        ASSERT_TRUE(second.finish()) << second.errors.toStdString();
        EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.process.exitCode(), 0);
        EXPECT_TRUE(second.errors.contains("The program is running, whether to close the program process? -> No"))
            << second.errors.toStdString();
        EXPECT_FALSE(second.errors.contains("Program started"));
    }
    EXPECT_EQ(first.process.state(), QProcess::Running);

    first.process.terminate();
    ASSERT_TRUE(first.finish()) << first.errors.toStdString();
    EXPECT_EQ(first.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.process.exitCode(), 0);
    EXPECT_TRUE(first.errors.contains("Program exited")) << first.errors.toStdString();
}

}  // namespace
