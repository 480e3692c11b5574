// Single-instance decisions: the task-list parser, the decision of a second
// copy, the knock on the shared mutex and the "-nopreview" option.
#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#include <thread>

#include <platform/os/NamedMutex.h>
#include <platform/os/Process.h>

#include "SingleInstance.h"
#include "../TestSupport.h"
#include "WaitSignal.h"

namespace {

const char* const kTwoTasks =
    "\r\n"
    "Image Name                     PID Session Name        Session#    Mem Usage\r\n"
    "========================= ======== ================ =========== ============\r\n"
    "LumaDeck.exe                  4120 Console                    1     52,340 K\r\n"
    "LumaDeck.exe                 10244 Console                    1     48,100 K\r\n";

TEST(ProcessListParser, ReadsTheIdOfEveryTaskLine)
{
    const std::vector<int32_t> ids = parseProcessIds(QString::fromLatin1(kTwoTasks));
    EXPECT_EQ(ids, (std::vector<int32_t>{4120, 10244}));
}

TEST(ProcessListParser, NoMatchingTaskGivesNoIds)
{
    EXPECT_TRUE(parseProcessIds("INFO: No tasks are running which match the specified criteria.\r\n").empty());
    EXPECT_TRUE(parseProcessIds(QString()).empty());
    // Header and rule without any task line: four parts only.
    EXPECT_TRUE(parseProcessIds("\r\nImage Name   PID\r\n=====\r\n").empty());
}

TEST(ProcessListParser, OddLinesAreSkippedOrReadAsZero)
{
    const QString text =
        "\r\nheader\r\n=====\r\n"
        "single-part-line\r\n"            // fewer than two parts: skipped
        "LumaDeck.exe      abc Console\r\n"  // not a number: 0
        "LumaDeck.exe        77 Console\r\n";
    EXPECT_EQ(parseProcessIds(text), (std::vector<int32_t>{0, 77}));
}

TEST(ProcessListParser, ReadsTheSystemTaskListOfThisProcess)
{
    const std::vector<int32_t> ids = queryProcessIds("test_app_single_instance.exe");
    const int32_t self = platform::os::currentProcessId();
    EXPECT_NE(std::find(ids.begin(), ids.end(), self), ids.end());
}

TEST(ProcessListParser, OnlyThisUsersCopiesAreOffered)
{
    // A child that turns into another user, as another user's copy would run.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setuid(65534) != 0)
            ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    const int32_t self = platform::os::currentProcessId();
    int status = 0;
    const bool changed = waitFor(
        [&] { return !platform::os::isOwnProcess(child) || ::waitpid(child, &status, WNOHANG) == child; }, 5000);
    const bool otherUser = changed && ::kill(child, 0) == 0 && !platform::os::isOwnProcess(child);
    if (otherUser) {
        EXPECT_EQ(ownProcessIds({self, child}), std::vector<int32_t>{self});
        ::kill(child, SIGKILL);
    }
    ::waitpid(child, &status, 0);
    if (!otherUser)
        GTEST_SKIP() << "this user cannot start a process under another user";
}

struct Recorder {
    int queries = 0;
    std::vector<int32_t> terminated;
};

SingleInstanceHooks fakeHooks(Recorder& r, bool first, std::vector<int32_t> ids, int32_t self,
                              bool terminateWorks = true)
{
    SingleInstanceHooks h;
    h.isFirstInstance = [first] { return first; };
    h.queryProcessIds = [&r, ids](const QString& image) {
        EXPECT_EQ(image, QStringLiteral("LumaDeck.exe"));
        ++r.queries;
        return ids;
    };
    h.currentProcessId = [self] { return self; };
    h.terminateProcess = [&r, terminateWorks](int32_t pid) {
        r.terminated.push_back(pid);
        return terminateWorks;
    };
    return h;
}

TEST(SingleInstanceDecision, FirstCopyStartsWithoutLookingFurther)
{
    testApp();
    FakePrompt prompt;
    Recorder r;
    EXPECT_TRUE(checkSingleInstance(fakeHooks(r, true, {1, 2}, 1)));
    EXPECT_EQ(r.queries, 0);
    EXPECT_TRUE(prompt.asked.isEmpty());
}

TEST(SingleInstanceDecision, OtherHolderUnderAnotherNameStartsWithoutQuestion)
{
    testApp();
    FakePrompt prompt;
    Recorder r;
    EXPECT_TRUE(checkSingleInstance(fakeHooks(r, false, {42}, 42)));
    EXPECT_TRUE(checkSingleInstance(fakeHooks(r, false, {}, 42)));
    EXPECT_TRUE(prompt.asked.isEmpty());
    EXPECT_TRUE(r.terminated.empty());
}

TEST(SingleInstanceDecision, AnsweringNoLeavesTheOtherCopyAlone)
{
    testApp();
    FakePrompt prompt;
    prompt.questionAnswer = QMessageBox::No;
    Recorder r;
    EXPECT_FALSE(checkSingleInstance(fakeHooks(r, false, {10, 42}, 42)));
    ASSERT_EQ(prompt.asked.size(), 1);
    EXPECT_EQ(prompt.asked[0], "question||The program is running, whether to close the program process?");
    EXPECT_TRUE(r.terminated.empty());
}

TEST(SingleInstanceDecision, AnsweringYesEndsEveryOtherCopyAndStarts)
{
    testApp();
    FakePrompt prompt;
    prompt.questionAnswer = QMessageBox::Yes;
    Recorder r;
    EXPECT_TRUE(checkSingleInstance(fakeHooks(r, false, {10, 42, 11}, 42)));
    EXPECT_EQ(r.terminated, (std::vector<int32_t>{10, 11}));

    // A copy that cannot be ended does not stop the start.
    Recorder failing;
    EXPECT_TRUE(checkSingleInstance(fakeHooks(failing, false, {10, 42}, 42, false)));
    EXPECT_EQ(failing.terminated, (std::vector<int32_t>{10}));
}

TEST(SingleInstanceMutex, FirstOpenerIsFirstAndTheWatcherSeesAKnock)
{
    testApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());

    // Nobody else has the name open: this process is the first copy.
    EXPECT_TRUE(isFirstInstance());

    // The running copy's watcher, on its own thread as the program runs it.
    auto* watcher = new WaitSignal;
    QThread thread;
    watcher->moveToThread(&thread);
    std::atomic<int> knocks{0};
    QObject::connect(watcher, &WaitSignal::signalShowMaximizedWin, watcher, [&knocks] { ++knocks; },
                     Qt::DirectConnection);
    thread.start();

    // A second copy knocks from another thread while this one keeps its event
    // loop (and so the watcher's poll timer) running.
    std::atomic<bool> done{false};
    std::atomic<bool> first{true};
    std::thread second([&] {
        first = isFirstInstance(300);
        done = true;
    });
    EXPECT_TRUE(waitFor([&] { return done.load(); }, 10000));
    second.join();
    EXPECT_FALSE(first.load());
    EXPECT_TRUE(waitFor([&] { return knocks.load() > 0; }, 2000));

    // After the knock the mutex is free again: another knock gets through.
    const int before = knocks.load();
    platform::os::NamedMutex other;
    bool exists = false;
    ASSERT_TRUE(other.open(kInstanceMutexName, &exists));
    EXPECT_TRUE(exists);
    ASSERT_EQ(other.wait(1000), platform::os::NamedMutex::Wait::Acquired);
    EXPECT_TRUE(waitFor([&] { return knocks.load() > before; }, 2000));
    other.release();

    thread.quit();
    thread.wait();
    delete watcher;
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(NoPreviewOption, OnlyTheExactSingleArgumentTurnsThePreviewOff)
{
    EXPECT_TRUE(isNoPreviewRequested({"LumaDeck", "-nopreview"}));
    EXPECT_FALSE(isNoPreviewRequested({"LumaDeck"}));
    EXPECT_FALSE(isNoPreviewRequested({"LumaDeck", "-nopreview", "-x"}));
    EXPECT_FALSE(isNoPreviewRequested({"LumaDeck", "-x", "-nopreview"}));
    EXPECT_FALSE(isNoPreviewRequested({"LumaDeck", "-NOPREVIEW"}));
    EXPECT_FALSE(isNoPreviewRequested({"LumaDeck", "nopreview"}));
}

}  // namespace
