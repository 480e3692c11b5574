#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QSocketNotifier>
#include <QThread>

#include <platform/os/TerminationSignal.h>

#include "MainWindow.h"
#include "SingleInstance.h"
#include "WaitSignal.h"

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    auto* app = new QApplication(argc, argv);

    if (!checkSingleInstance()) {
        delete app;
        return 0;
    }

    QCoreApplication::setApplicationName(QStringLiteral("LumaDeck"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1.12.0"));
    QCoreApplication::setOrganizationName(QStringLiteral("ZELTRA"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("zeltra.example"));

    int code = 0;
    {
        MainWindow window;
        if (isNoPreviewRequested(QCoreApplication::arguments()))
            window.m_bNoPreview = true;
        // The icon file is optional; without it the window keeps its own.
        if (QFile::exists(QStringLiteral("ZTCamSample.icns")))
            window.setWindowIcon(QIcon(QStringLiteral("ZTCamSample.icns")));
        window.show();

        // Watches for knocks of other copies for the life of the process.
        auto* watcher = new WaitSignal;
        auto* watcherThread = new QThread;
        QObject::connect(watcherThread, &QThread::finished, watcher, &QObject::deleteLater);
        watcher->moveToThread(watcherThread);
        watcherThread->start(QThread::InheritPriority);

        // A request to end the process (another copy ending this one, or the
        // system) closes the window and leaves the event loop in order.
        const int fd = platform::os::terminationRequestDescriptor();
        QSocketNotifier* notifier = nullptr;
        if (fd >= 0) {
            notifier = new QSocketNotifier(fd, QSocketNotifier::Read, app);
            QObject::connect(notifier, &QSocketNotifier::activated, app, [] {
                platform::os::drainTerminationRequests();
                QCoreApplication::quit();
            });
        }

        code = QApplication::exec();

        // The process ends: the watcher goes with its thread (deleteLater on
        // finished()).
        watcher->stop();
        watcherThread->quit();
        watcherThread->wait();
        delete watcherThread;
        delete notifier;
    }
    delete app;
    return code;
}
