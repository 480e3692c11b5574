// Construction, shared state and the device calls of one simulated camera.
#include "SimCamera.h"

#include "FeatureTree.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ztcam {

SimCamera::SimCamera(int index, const CameraConfig& config) : index_(index), config_(config)
{
    FeatureTree::buildCamera(config_, cameraMap_);
    FeatureTree::buildStream(config_, streamMap_);
    updateGeometryRanges();
    updateExposureRange();
    FeatureNode* exposure = cameraMap_.find("ExposureTime");
    exposure->floatValue = std::min(exposure->floatValue, exposure->floatMax);
    defaultValues_ = snapshotValues();

    properties_[5] = {0, 255, 128, 128};
    properties_[8] = {10, 400, 100, 100};
    properties_[9] = {0, 200, 100, 100};
    properties_[10] = {0, 4095, 0, 0};
    properties_[11] = {0, 4095, 4095, 4095};
    updateLevelRanges();
    capabilities_[4] = {0, 1, 0, 0};
    capabilities_[5] = {0, 1, 0, 0};
    capabilities_[8] = {0, 3, 0, 0};
    capabilities_[10] = {0, 1, 0, 0};
    capabilities_[15] = {0, 3, 0, 0};
    capabilities_[19] = {0, 1, 0, 1};
    capabilities_[31] = {0, 1, 0, 0};

    regenerateCalibration(false, dsnuSeed_);
    regenerateCalibration(true, 0);
}

SimCamera::~SimCamera()
{
    close();
}

bool SimCamera::isFrameThread() const
{
    return frameThreadId_.load() == std::this_thread::get_id();
}

// ---------------------------------------------------------------- state

SimCamera::Entry SimCamera::enter(Need need) const
{
    Entry entry{std::unique_lock<std::mutex>(mutex_), ZTCAM_STATUS_SUCCESS};
    if (!open_)
        entry.status = ZTCAM_STATUS_INVALID_HANDLE;
    else if (need == Need::Connected && !connected())
        entry.status = ZTCAM_STATUS_DISCONNECTED;
    return entry;
}

bool SimCamera::connected() const
{
    if (forcedDisconnect_ || resetDisconnect_)
        return false;
    if (config_.disconnectAfterMs > 0 && open_) {
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - openedAt_).count();
        if (elapsed >= int64_t(config_.disconnectAfterMs))
            return false;
    }
    return true;
}

NodeMap* SimCamera::nodeMap(int32_t id)
{
    if (id == ZTCAM_NODEMAP_CAMERA)
        return &cameraMap_;
    if (id == ZTCAM_NODEMAP_STREAM)
        return &streamMap_;
    return nullptr;
}

PixelFormat SimCamera::currentFormat() const
{
    const FeatureNode* n = cameraMap_.find("PixelFormat");
    PixelFormat f;
    if (n && n->intValue >= 0 && size_t(n->intValue) < n->entries.size() &&
        PixelFormat::fromName(n->entries[size_t(n->intValue)], f))
        return f;
    PixelFormat::fromName("Mono 8", f);
    return f;
}

uint32_t SimCamera::currentWidth() const
{
    return uint32_t(cameraMap_.find("Width")->intValue);
}

uint32_t SimCamera::currentHeight() const
{
    return uint32_t(cameraMap_.find("Height")->intValue);
}

double SimCamera::currentFrameRate() const
{
    return cameraMap_.find("AcquisitionFrameRate")->floatValue;
}

bool SimCamera::hflip() const
{
    return (capabilities_.at(4).value != 0) != (cameraMap_.find("ReverseX")->intValue != 0);
}

void SimCamera::updateGeometryRanges()
{
    FeatureNode* w = cameraMap_.find("Width");
    FeatureNode* h = cameraMap_.find("Height");
    FeatureNode* ox = cameraMap_.find("OffsetX");
    FeatureNode* oy = cameraMap_.find("OffsetY");
    // Binning shrinks the image the sensor can deliver; a size or offset that
    // no longer fits is brought inside.
    const int64_t sensorBin = cameraMap_.find("SensorBinning")->intValue != 0 ? 2 : 1;
    const int64_t binX = sensorBin * std::max<int64_t>(1, cameraMap_.find("BinningHorizontal")->intValue);
    const int64_t binY = sensorBin * std::max<int64_t>(1, cameraMap_.find("BinningVertical")->intValue);
    const int64_t sw = std::max<int64_t>(w->intMin, config_.sensorWidth / binX);
    const int64_t sh = std::max<int64_t>(h->intMin, config_.sensorHeight / binY);
    w->intValue = std::min(w->intValue, std::max<int64_t>(w->intMin, sw / w->intInc * w->intInc));
    h->intValue = std::min(h->intValue, std::max<int64_t>(h->intMin, sh / h->intInc * h->intInc));
    if (ox->intValue + w->intValue > sw)
        ox->intValue = 0;
    if (oy->intValue + h->intValue > sh)
        oy->intValue = 0;
    w->intMax = std::max<int64_t>(w->intMin, (sw - ox->intValue) / w->intInc * w->intInc);
    h->intMax = std::max<int64_t>(h->intMin, (sh - oy->intValue) / h->intInc * h->intInc);
    ox->intMax = std::max<int64_t>(0, (sw - w->intValue) / ox->intInc * ox->intInc);
    oy->intMax = std::max<int64_t>(0, (sh - h->intValue) / oy->intInc * oy->intInc);
    FeatureNode* bh = streamMap_.find("BufferHeight");
    bh->intValue = h->intValue;
}

// With a fixed frame rate the exposure cannot outlast one frame period. A
// value above the new limit stays until it is written again.
void SimCamera::updateExposureRange()
{
    FeatureNode* exposure = cameraMap_.find("ExposureTime");
    const bool fixedRate = cameraMap_.find("FrameRateMode")->intValue != 0;
    const double period = 1.0e6 / std::max(0.1, currentFrameRate());
    exposure->floatMax = fixedRate ? std::max(exposure->floatMin, std::min(kMaxExposureUs, period)) : kMaxExposureUs;
}

// The levels span the samples of the pixel format. On a change of depth they
// keep their place in the range, so the picture stays as it was and levels at
// their defaults stay there.
void SimCamera::updateLevelRanges()
{
    const double maxGray = currentFormat().maxValue();
    for (int32_t id : {ZTCAM_PROP_LEFT_LEVEL, ZTCAM_PROP_RIGHT_LEVEL}) {
        Property& p = properties_[id];
        const double scale = p.maximum > 0 ? maxGray / p.maximum : 1.0;
        p.maximum = maxGray;
        p.defaultValue = id == ZTCAM_PROP_LEFT_LEVEL ? 0 : maxGray;
        p.value = std::min(std::round(p.value * scale), maxGray);
    }
    if (properties_[11].value <= properties_[10].value)
        properties_[11].value = maxGray;
}

bool SimCamera::locked(const FeatureNode& node) const
{
    return node.lockWhileCapturing && capturing_;
}

void SimCamera::refreshDynamic(FeatureNode& node, bool stream)
{
    const std::string& n = node.name;
    if (!stream) {
        const bool fanOn = cameraMap_.find("FanOperationMode")->intValue != 0;
        const bool tecOn = cameraMap_.find("TECOperationMode")->intValue != 0;
        if (n == "SensorTemperature") {
            node.floatValue = config_.sensorTemperature + (fanOn ? 0.0 : 10.0) + (tecOn ? 0.0 : 5.0);
            // The camera's message after a sensor reading tells the reading,
            // as the program logs it when the temperature moves.
            char text[64];
            std::snprintf(text, sizeof text, "Sensor temperature: %.1f C", node.floatValue);
            setMessage(text);
        }
        else if (n == "DeviceTemperature")
            node.floatValue = config_.deviceTemperature + (fanOn ? 0.0 : 8.0);
        else if (n == "DeviceUptime")
            node.intValue = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - openedAt_).count();
        else if (n == "FanSpeed")
            node.intValue = fanOn ? 1000 + 30 * cameraMap_.find("FanDutyFactor")->intValue : 0;
        else if (n == "TECDutyFactor")
            node.intValue = tecOn ? 40 : 0;
        return;
    }
    if (n == "StreamAnnouncedBufferCount")
        node.intValue = int64_t(ring_.size());
    else if (n == "StreamDeliveredFrameCount")
        node.intValue = int64_t(frameNumber_ - std::min(deliveredBase_, frameNumber_));
    else if (n == "StreamPayloadSize")
        node.intValue = int64_t(currentWidth()) * currentHeight() * currentFormat().bytesPerPixel();
    else if (n == "AcquisitionFrameRate")
        node.floatValue = currentFrameRate();
    else if (n == "StreamTransferRate")
        node.floatValue = capturing_ ? double(generator_.imageSize()) * currentFrameRate() / 1.0e6 : 0.0;
    else if (n == "LineFillCount") {
        if (!capturing_ || !haveFrame_) {
            node.intValue = 0;
        } else {
            const double period = 1.0 / std::max(0.1, currentFrameRate());
            const double since = std::chrono::duration<double>(Clock::now() - lastFrameAt_).count();
            node.intValue = std::min<int64_t>(currentHeight(), int64_t(since / period * currentHeight()));
        }
    }
}

void SimCamera::setMessage(const std::string& text)
{
    std::snprintf(message_, sizeof message_, "%s", text.c_str());
}

// ---------------------------------------------------------------- device

ZTCamStatus SimCamera::open(ZTCamHandle handle)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (open_)
        return ZTCAM_STATUS_BUSY;
    if (config_.failOpen)
        return ZTCAM_STATUS_FAILURE;
    open_ = true;
    handle_ = handle;
    openedAt_ = Clock::now();
    setMessage("Camera opened");
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::close()
{
    if (isFrameThread())
        return ZTCAM_STATUS_WRONG_STATE;
    std::lock_guard<std::mutex> control(controlMutex_);
    {
        std::unique_lock<std::mutex> lock(mutex_);
        stopCapture(lock);
        if (!open_)
            return ZTCAM_STATUS_INVALID_HANDLE;
        open_ = false;
        ring_.clear();
        allocated_ = false;
        callback_ = nullptr;
        callbackContext_ = nullptr;
        handle_ = nullptr;
        ++abortSeq_;
        frameCv_.notify_all();
    }
    std::lock_guard<std::mutex> rec(recMutex_);
    if (recorder_.isOpen())
        recorder_.close();
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::getInfo(ZTCamDeviceInfo* info)
{
    if (!info)
        return ZTCAM_STATUS_INVALID_PARAM;
    // The text handed out is a copy per calling thread: it stays as it is
    // until that thread asks again, whatever other threads do meanwhile.
    thread_local char text[sizeof message_];
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    const bool up = connected();
    switch (info->id) {
    case ZTCAM_INFO_TRANSFER_RATE: {
        const double kbps = (capturing_ && up && !paused_) ? double(generator_.imageSize()) * currentFrameRate() / 1000.0 : 0;
        info->value = int32_t(std::min(kbps, 2.0e9));
        std::snprintf(text, sizeof text, "%.1f MB/s", kbps / 1000.0);
        break;
    }
    case ZTCAM_INFO_CONNECTION_STATE:
        info->value = up ? 0 : 1;
        std::snprintf(text, sizeof text, "%s", up ? "connected" : "disconnected");
        break;
    case ZTCAM_INFO_PAYLOAD_SIZE:
        info->value = config_.payloadZero
                          ? 0
                          : int32_t(uint64_t(currentWidth()) * currentHeight() * currentFormat().bytesPerPixel());
        std::snprintf(text, sizeof text, "%d", info->value);
        break;
    case ZTCAM_INFO_STATUS_TEXT:
        info->value = 0;
        std::snprintf(text, sizeof text, "%s", message_);
        break;
    default:
        return ZTCAM_STATUS_NOT_FOUND;
    }
    info->text = text;
    return ZTCAM_STATUS_SUCCESS;
}

} // namespace ztcam
