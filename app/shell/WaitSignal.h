#pragma once
// The running copy's side of the single-instance guard: polls the shared
// mutex every 10 ms and signals when another copy holds it (a knock).

#include <QObject>
#include <QTimer>

#include <platform/os/NamedMutex.h>

class WaitSignal : public QObject {
    Q_OBJECT
public:
    explicit WaitSignal(QObject* parent = nullptr);
    ~WaitSignal() override;

    // Stops the poll; call it from the thread that built the watcher (the
    // poll timer's thread) before the watcher's thread ends.
    void stop();

signals:
    void signalShowMaximizedWin();

public slots:
    void slot_WaitOtherOpenTimer_timeOut();

private:
    platform::os::NamedMutex m_mutex;
    QTimer m_timer;
};
