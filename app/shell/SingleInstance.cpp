#include "SingleInstance.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMessageBox>
#include <QStringList>

#include <platform/os/NamedMutex.h>
#include <platform/os/Process.h>
#include <platform/os/SystemInfo.h>

#include "DebugLine.h"
#include "UserPrompt.h"

const char* const kInstanceMutexName = "ZELTRA_LumaDeck";
const char* const kInstanceImageName = "LumaDeck.exe";

namespace {

// The first copy's handle stays open until the process ends.
platform::os::NamedMutex& firstInstanceMutex()
{
    static platform::os::NamedMutex mutex;
    return mutex;
}

}  // namespace

SingleInstanceHooks defaultSingleInstanceHooks()
{
    SingleInstanceHooks hooks;
    hooks.isFirstInstance = [] { return isFirstInstance(); };
    // Only this user's copies are offered to be ended; copies other users
    // run are theirs.
    hooks.queryProcessIds = [](const QString& image) { return ownProcessIds(queryProcessIds(image)); };
    hooks.currentProcessId = [] { return static_cast<int32_t>(QCoreApplication::applicationPid()); };
    hooks.terminateProcess = [](int32_t pid) { return platform::os::terminateProcess(pid); };
    return hooks;
}

bool checkSingleInstance() { return checkSingleInstance(defaultSingleInstanceHooks()); }

// These checks are steps of the program's entry and belong to no class: their
// debug lines name them "main::<routine>".

bool checkSingleInstance(const SingleInstanceHooks& hooks)
{
    if (hooks.isFirstInstance())
        return true;
    const std::vector<int32_t> ids = hooks.queryProcessIds(QString::fromLatin1(kInstanceImageName));
    if (ids.size() < 2)
        return true;
    const QMessageBox::StandardButton answer = UserPrompt::instance().question(
        nullptr, QString(),
        QCoreApplication::translate("main", "The program is running, whether to close the program process?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return false;
    const int32_t self = hooks.currentProcessId();
    for (int32_t id : ids) {
        if (id == self)
            continue;
        // A copy that cannot be ended does not stop this start.
        if (!hooks.terminateProcess(id))
            LUMA_DEBUG("main::checkSingleInstance", "could not end process %d", static_cast<int>(id));
    }
    return true;
}

bool isFirstInstance(int knockMs)
{
    platform::os::NamedMutex& mutex = firstInstanceMutex();
    bool exists = false;
    if (!mutex.open(kInstanceMutexName, &exists)) {
        // Without the mutex nothing can be guarded; start as the only copy.
        LUMA_DEBUG("main::isFirstInstance", "could not open the instance mutex");
        return true;
    }
    if (!exists)
        return true;
    for (;;) {
        const platform::os::NamedMutex::Wait w = mutex.wait(200);
        if (w == platform::os::NamedMutex::Wait::Acquired)
            break;
        if (w == platform::os::NamedMutex::Wait::Failed) {
            mutex.close();
            return false;
        }
    }
    platform::os::sleepMs(static_cast<uint32_t>(knockMs > 0 ? knockMs : 0));
    mutex.release();
    mutex.close();
    return false;
}

std::vector<int32_t> queryProcessIds(const QString& imageName)
{
    const std::string text = platform::os::processListText(imageName.toLocal8Bit().toStdString());
    return parseProcessIds(QString::fromLocal8Bit(text.c_str()));
}

std::vector<int32_t> ownProcessIds(const std::vector<int32_t>& ids)
{
    std::vector<int32_t> own;
    for (int32_t id : ids)
        if (platform::os::isOwnProcess(id))
            own.push_back(id);
    return own;
}

std::vector<int32_t> parseProcessIds(const QString& taskListText)
{
    std::vector<int32_t> ids;
    const QStringList lines = taskListText.split(QStringLiteral("\r\n"), Qt::KeepEmptyParts);
    if (lines.size() < 5)
        return ids;
    for (int i = 3; i <= lines.size() - 2; ++i) {
        const QStringList parts = lines.at(i).split(QStringLiteral("  "), Qt::SkipEmptyParts);
        if (parts.size() < 2)
            continue;
        const QString idText = parts.at(1).trimmed().split(QLatin1Char(' '), Qt::KeepEmptyParts).at(0);
        qDebug().noquote() << QStringLiteral("pid: ") + idText;
        bool ok = false;
        const int id = idText.toInt(&ok, 10);
        ids.push_back(ok ? id : 0);
    }
    return ids;
}

bool isNoPreviewRequested(const QStringList& arguments)
{
    return arguments.size() == 2 && arguments.at(1) == QLatin1String("-nopreview");
}
