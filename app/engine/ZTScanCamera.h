#pragma once
// Discovery: initialises the camera SDK away from the GUI thread and reports
// how many cameras it found.

#include <QThread>

#include <atomic>
#include <cstdint>

class ZTScanCamera : public QThread {
    Q_OBJECT
public:
    explicit ZTScanCamera(QObject* parent = nullptr);
    ~ZTScanCamera() override;

    // Starts the scan after `delayMs` unless it already runs; returns true.
    bool startScan(int delayMs);
    // Suppresses the SDK initialisation (when still sleeping) and the report.
    void stopScan();
    uint32_t cameraCount() const { return m_cameraCount.load(); }

signals:
    void sglScanFinished();

protected:
    void run() override;

private:
    bool initApi();

    std::atomic<bool> m_enabled{false};
    std::atomic<uint32_t> m_cameraCount{0};
    std::atomic<int> m_delay{0};
    // Counted up last by every run(), loaded by the destructor after wait():
    // what each run did (the report's emission included) is ordered before
    // the object is freed. wait() orders it too, but inside Qt, where
    // ThreadSanitizer does not see it. A read-modify-write, so that a later
    // run does not hide an earlier one.
    std::atomic<unsigned> m_runsEnded{0};
};
