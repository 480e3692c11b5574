// Disconnect detection and reconnection. Interim bodies.
#include "MainWindow.h"

#include <QTimerEvent>

void MainWindow::timerEvent(QTimerEvent* event)
{
    if (levelTimerTick(event->timerId()))
        return;
    QMainWindow::timerEvent(event);
}

void MainWindow::reConnectCam(bool wasLive) { (void)wasLive; }
