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
};
