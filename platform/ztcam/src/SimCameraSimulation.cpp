// Simulation controls of one simulated camera.
#include "SimCamera.h"

#include <cmath>

namespace ztcam {

ZTCamStatus SimCamera::setFault(const std::string& key, bool value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!SimConfig::setCameraFault(config_, key, value))
        return ZTCAM_STATUS_NOT_FOUND;
    frameCv_.notify_all();
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::setTemperature(double sensor, double device)
{
    if (!std::isfinite(sensor) || !std::isfinite(device))
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    config_.sensorTemperature = sensor;
    config_.deviceTemperature = device;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::setConnected(bool isConnected)
{
    std::lock_guard<std::mutex> lock(mutex_);
    forcedDisconnect_ = !isConnected;
    if (isConnected) {
        resetDisconnect_ = false;
        config_.disconnectAfterMs = 0;
    }
    frameCv_.notify_all();
    return ZTCAM_STATUS_SUCCESS;
}

uint64_t SimCamera::frameCount()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return frameNumber_;
}

} // namespace ztcam
