#include "ZTScanCamera.h"

#include <ZTCam.h>

#include <QDebug>

#include <chrono>
#include <cstring>

#include <platform/os/SystemInfo.h>


ZTScanCamera::ZTScanCamera(QObject* parent)
    : QThread(parent)
{
}

// The owner stops the scan first; a thread still inside the SDK call is
// waited for here, so it never outlives its object.
ZTScanCamera::~ZTScanCamera()
{
    m_enabled.store(false);
    quit();
    wait();
    m_runsEnded.load(std::memory_order_acquire);
}

bool ZTScanCamera::startScan(int delayMs)
{
    if (isRunning())
        return true;
    m_enabled.store(true);
    m_delay.store(delayMs);
    start(QThread::InheritPriority);
    return true;
}

void ZTScanCamera::stopScan() { m_enabled.store(false); }

void ZTScanCamera::run()
{
    // The delay is slept in short steps so that a stop during it ends the
    // thread promptly; it still never initialises the SDK then.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_delay.load());
    while (m_enabled.load() && std::chrono::steady_clock::now() < until)
        QThread::msleep(10);
    if (m_enabled.load())
        initApi();
    if (m_enabled.load())
        emit sglScanFinished();
    m_runsEnded.fetch_add(1, std::memory_order_release);
}

bool ZTScanCamera::initApi()
{
    char path[1024] = {0};
    std::strcpy(path, "./");
    const std::string cwd = platform::os::currentDirectory();
    if (!cwd.empty() && cwd.size() < sizeof path) {
        std::memset(path, 0, sizeof path);
        std::memcpy(path, cwd.data(), cwd.size());
    }
    qDebug("szPath = %s", path);

    ZTCamInitParams params{};
    params.cameraCount = 0;
    params.configPath = path;
    if (ZTCAM_Api_Init(&params, 1000) == ZTCAM_STATUS_SUCCESS) {
        qDebug("ZTCam api init success");
        m_cameraCount.store(params.cameraCount);
        return true;
    }
    qDebug("ZTCam api init failed");
    (void)ZTCAM_Api_Uninit();  // undoes what the refused initialisation left; nothing to act on
    return false;
}
