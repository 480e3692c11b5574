#include "SimCamera.h"

#include "CalibrationFile.h"
#include "FeatureTree.h"
#include "ImageFileWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ztcam {

namespace {

constexpr uint64_t kRegDeviceString = ZTCAM_REG_DEVICE_STRING;
constexpr uint64_t kRegProductId = ZTCAM_REG_PRODUCT_ID;
constexpr uint64_t kRegSelector = 0x8000;
constexpr uint64_t kRegWordCount = 0x8004;
constexpr uint64_t kRegReserved = 0x8008;
constexpr uint64_t kRegMode = 0x800C;
constexpr uint64_t kRegState = 0x8010;
constexpr uint64_t kRegWindow = ZTCAM_REG_USERSET_WINDOW;
constexpr uint32_t kUserSetSelector = 7;

uint32_t readBE32(const uint8_t* b)
{
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

void writeBE32(uint8_t* b, uint32_t v)
{
    b[0] = uint8_t(v >> 24);
    b[1] = uint8_t(v >> 16);
    b[2] = uint8_t(v >> 8);
    b[3] = uint8_t(v);
}

int64_t floatBits(double v)
{
    float f = float(v);
    int32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

double bitsFloat(int64_t v)
{
    int32_t bits = int32_t(v);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

// True when [address, address + count) lies inside [base, base + size);
// written so that no sum can wrap around.
bool inBlock(uint64_t address, uint32_t count, uint64_t base, uint64_t size)
{
    return address >= base && count <= size && address - base <= size - count;
}

bool isGeometry(const std::string& name)
{
    return name == "Width" || name == "Height" || name == "OffsetX" || name == "OffsetY";
}

bool isBinning(const std::string& name)
{
    return name == "SensorBinning" || name == "BinningHorizontal" || name == "BinningVertical";
}

} // namespace

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

ZTCamStatus SimCamera::checkOpen() const
{
    return open_ ? ZTCAM_STATUS_SUCCESS : ZTCAM_STATUS_INVALID_HANDLE;
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

void SimCamera::updateLevelRanges()
{
    const double maxGray = currentFormat().maxValue();
    for (int32_t id : {10, 11}) {
        Property& p = properties_[id];
        p.maximum = maxGray;
        p.defaultValue = id == 10 ? 0 : maxGray;
        p.value = std::min(p.value, maxGray);
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
        if (n == "SensorTemperature")
            node.floatValue = config_.sensorTemperature + (fanOn ? 0.0 : 10.0) + (tecOn ? 0.0 : 5.0);
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
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
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

// ---------------------------------------------------------------- properties

namespace {

// Range and default of a property or capability; NOT_FOUND for an unknown id.
template <class Table, class Attr>
ZTCamStatus copyAttributes(const Table& table, Attr* attr)
{
    auto it = table.find(attr->id);
    if (it == table.end())
        return ZTCAM_STATUS_NOT_FOUND;
    attr->minimum = it->second.minimum;
    attr->maximum = it->second.maximum;
    attr->defaultValue = it->second.defaultValue;
    return ZTCAM_STATUS_SUCCESS;
}

}  // namespace

ZTCamStatus SimCamera::propGetAttr(ZTCamPropAttr* attr)
{
    if (!attr)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    return copyAttributes(properties_, attr);
}

ZTCamStatus SimCamera::capaGetAttr(ZTCamCapaAttr* attr)
{
    if (!attr)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    return copyAttributes(capabilities_, attr);
}

ZTCamStatus SimCamera::propGetValue(int32_t id, double* value, int32_t channel)
{
    if (!value || channel != 0)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    auto it = properties_.find(id);
    if (it == properties_.end())
        return ZTCAM_STATUS_NOT_FOUND;
    const int32_t autoLevels = capabilities_[8].value;
    const double maxGray = it->second.maximum;
    if (id == 10 && (autoLevels & 1))
        *value = std::floor(maxGray * 0.02);
    else if (id == 11 && (autoLevels & 2))
        *value = std::floor(maxGray * 0.98);
    else
        *value = it->second.value;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::propSetValue(int32_t id, double value, int32_t channel)
{
    if (channel != 0 || !std::isfinite(value))
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    auto it = properties_.find(id);
    if (it == properties_.end())
        return ZTCAM_STATUS_NOT_FOUND;
    if (value < it->second.minimum || value > it->second.maximum)
        return ZTCAM_STATUS_OUT_OF_RANGE;
    it->second.value = value;
    return ZTCAM_STATUS_SUCCESS;
}

void SimCamera::flatFieldAdvance()
{
    if (ffcState_ != 1 && ffcState_ != ZTCAM_FLAT_FIELD_WORKING)
        return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - ffcSince_).count();
    if (elapsed < int64_t(config_.ffcPhaseMs))
        return;
    if (ffcState_ == 1) {
        ffcPhase1Done_ = true;
        ffcState_ = ZTCAM_FLAT_FIELD_OFF;
    } else {
        ffcComputed_ = ffcPhase1Done_ && !config_.ffcFails;
        ffcPhase1Done_ = false;
        ffcState_ = ffcComputed_ ? ZTCAM_FLAT_FIELD_ON : ZTCAM_FLAT_FIELD_OFF;
    }
}

ZTCamStatus SimCamera::capaGetValue(int32_t id, int32_t* value)
{
    if (!value)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    auto it = capabilities_.find(id);
    if (it == capabilities_.end())
        return ZTCAM_STATUS_NOT_FOUND;
    if (id == ZTCAM_CAPA_FLAT_FIELD) {
        flatFieldAdvance();
        *value = ffcState_;
    } else {
        *value = it->second.value;
    }
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::capaSetValue(int32_t id, int32_t value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    auto it = capabilities_.find(id);
    if (it == capabilities_.end())
        return ZTCAM_STATUS_NOT_FOUND;
    if (value < it->second.minimum || value > it->second.maximum)
        return ZTCAM_STATUS_OUT_OF_RANGE;
    if (id == ZTCAM_CAPA_FLAT_FIELD) {
        flatFieldAdvance();
        switch (value) {
        case 1:  // first phase: reports 1 until the camera may be moved on
            ffcState_ = 1;
            ffcPhase1Done_ = false;
            ffcSince_ = Clock::now();
            break;
        case ZTCAM_FLAT_FIELD_WORKING:  // second phase
            ffcState_ = ZTCAM_FLAT_FIELD_WORKING;
            ffcSince_ = Clock::now();
            break;
        case ZTCAM_FLAT_FIELD_ON:
            if (!ffcComputed_) {
                setMessage("Flat field: no correction calculated");
                return ZTCAM_STATUS_WRONG_STATE;
            }
            ffcState_ = ZTCAM_FLAT_FIELD_ON;
            break;
        default:
            ffcState_ = ZTCAM_FLAT_FIELD_OFF;
            break;
        }
        it->second.value = value;
        return ZTCAM_STATUS_SUCCESS;
    }
    it->second.value = value;
    if (id == ZTCAM_CAPA_AUTO_LEVELS)
        capabilities_[ZTCAM_CAPA_AUTO_LEVEL_MODE].value = value != 0 ? 1 : 0;
    return ZTCAM_STATUS_SUCCESS;
}

// ---------------------------------------------------------------- elements

ZTCamStatus SimCamera::elementAttr(ZTCamElement* element, const char* name, int32_t mapId, bool next)
{
    if (!element || !name)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    NodeMap* map = nodeMap(mapId);
    if (!map)
        return ZTCAM_STATUS_INVALID_PARAM;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    FeatureNode* node = nullptr;
    if (next) {
        bool found = false;
        const FeatureNode* n = map->next(name, found);
        if (!found)
            return ZTCAM_STATUS_NOT_FOUND;
        if (!n)
            return ZTCAM_STATUS_END_OF_LIST;
        node = map->find(n->name);
    } else {
        node = map->find(name);
        if (!node)
            return ZTCAM_STATUS_NOT_FOUND;
    }
    refreshDynamic(*node, mapId == ZTCAM_NODEMAP_STREAM);
    NodeMap::fillRecord(*node, *element, locked(*node));
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::getElementValue(ZTCamElement* element, int32_t mapId)
{
    if (!element || !element->name)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    NodeMap* map = nodeMap(mapId);
    if (!map)
        return ZTCAM_STATUS_INVALID_PARAM;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    FeatureNode* node = map->find(element->name);
    if (!node)
        return ZTCAM_STATUS_NOT_FOUND;
    if (node->type == ZTCAM_ELEM_STRING && !element->text)
        return ZTCAM_STATUS_INVALID_PARAM;
    refreshDynamic(*node, mapId == ZTCAM_NODEMAP_STREAM);
    NodeMap::fillRecord(*node, *element, locked(*node));
    if (node->type == ZTCAM_ELEM_STRING) {
        const size_t n = std::min(node->text.size(), size_t(node->maxLength));
        std::memcpy(element->text, node->text.data(), n);
        element->text[n] = '\0';
    }
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::setElementValue(ZTCamElement* element, int32_t mapId)
{
    if (!element || !element->name)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    NodeMap* map = nodeMap(mapId);
    if (!map)
        return ZTCAM_STATUS_INVALID_PARAM;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    FeatureNode* node = map->find(element->name);
    if (!node)
        return ZTCAM_STATUS_NOT_FOUND;
    ZTCamStatus s = writeNode(*node, *element, mapId == ZTCAM_NODEMAP_STREAM);
    if (s != ZTCAM_STATUS_SUCCESS && message_[0] == '\0')
        setMessage(node->name + " write failed");
    return s;
}

ZTCamStatus SimCamera::writeNode(FeatureNode& node, const ZTCamElement& e, bool stream)
{
    message_[0] = '\0';
    if (!node.writable()) {
        setMessage(node.name + " is read-only");
        return ZTCAM_STATUS_ACCESS_DENIED;
    }
    if (locked(node)) {
        setMessage(node.name + " cannot change while capturing");
        return ZTCAM_STATUS_ACCESS_DENIED;
    }
    char text[160];
    switch (node.type) {
    case ZTCAM_ELEM_INTEGER: {
        int64_t v = e.value.intValue;
        if (v < node.intMin || v > node.intMax) {
            std::snprintf(text, sizeof text, "%s: %lld is outside %lld..%lld", node.name.c_str(), (long long)v,
                          (long long)node.intMin, (long long)node.intMax);
            setMessage(text);
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        if (node.intInc > 1)
            v = node.intMin + (v - node.intMin) / node.intInc * node.intInc;
        node.intValue = v;
        std::snprintf(text, sizeof text, "%s set to %lld", node.name.c_str(), (long long)v);
        break;
    }
    case ZTCAM_ELEM_BOOLEAN:
        node.intValue = e.value.intValue != 0 ? 1 : 0;
        std::snprintf(text, sizeof text, "%s set to %s", node.name.c_str(), node.intValue ? "true" : "false");
        break;
    case ZTCAM_ELEM_FLOAT: {
        const double v = e.value.floatValue;
        if (!std::isfinite(v) || v < node.floatMin || v > node.floatMax) {
            std::snprintf(text, sizeof text, "%s: %g is outside %g..%g", node.name.c_str(), v, node.floatMin,
                          node.floatMax);
            setMessage(text);
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        node.floatValue = v;
        std::snprintf(text, sizeof text, "%s set to %g", node.name.c_str(), v);
        break;
    }
    case ZTCAM_ELEM_ENUMERATION: {
        const int64_t v = e.value.intValue;
        if (v < 0 || v >= int64_t(node.entries.size())) {
            std::snprintf(text, sizeof text, "%s: no entry %lld", node.name.c_str(), (long long)v);
            setMessage(text);
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        node.intValue = v;
        std::snprintf(text, sizeof text, "%s set to %s", node.name.c_str(), node.entries[size_t(v)].c_str());
        break;
    }
    case ZTCAM_ELEM_STRING: {
        if (!e.text)
            return ZTCAM_STATUS_INVALID_PARAM;
        const size_t len = strnlen(e.text, size_t(node.maxLength) + 1);
        if (len > size_t(node.maxLength)) {
            setMessage(node.name + " text too long");
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        node.text.assign(e.text, len);
        std::snprintf(text, sizeof text, "%s set to \"%s\"", node.name.c_str(), node.text.c_str());
        break;
    }
    case ZTCAM_ELEM_COMMAND:
        // Writing the command value the element carries executes it.
        if (e.commandValue != node.commandValue) {
            setMessage(node.name + ": not the command value");
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        return runCommand(node, stream);
    default:
        setMessage(node.name + " has no value");
        return ZTCAM_STATUS_ACCESS_DENIED;
    }
    setMessage(text);
    if (!stream) {
        if (isGeometry(node.name) || isBinning(node.name)) {
            updateGeometryRanges();
        } else if (node.name == "FrameRateMode") {
            updateExposureRange();
        } else if (node.name == "AcquisitionFrameRate") {
            updateExposureRange();
            rateChanged_ = true;
            frameCv_.notify_all();
        } else if (node.name == "PixelFormat") {
            updateLevelRanges();
        } else if (node.name == "PRNUSelector") {
            ++cameraMap_.find("PRNUStatus")->intValue;
        }
    }
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::runCommand(FeatureNode& node, bool stream)
{
    const std::string& n = node.name;
    if (stream) {
        if (n == "StreamCounterReset")
            deliveredBase_ = frameNumber_;
    } else if (n == "AcquisitionStart") {
        paused_ = false;
    } else if (n == "AcquisitionStop") {
        paused_ = true;
    } else if (n == "DeviceReset") {
        // The camera restarts and is gone until the SDK is initialised again.
        resetDisconnect_ = true;
        frameCv_.notify_all();
    } else if (n == "DSNUGenerate" || n == "DSNUGenerateAll") {
        regenerateCalibration(false, ++dsnuSeed_);
        ++cameraMap_.find("DSNUStatus")->intValue;
    } else if (n == "DSNUSave" || n == "DSNULoad") {
        ++cameraMap_.find("DSNUStatus")->intValue;
    } else if (n == "PRNUFactoryReset") {
        regenerateCalibration(true, 0);
        ++cameraMap_.find("PRNUStatus")->intValue;
    } else if (n == "PRNUSave" || n == "PRNULoad") {
        ++cameraMap_.find("PRNUStatus")->intValue;
    } else if (n == "UserSetSave") {
        const int64_t slot = cameraMap_.find("UserSetSelector")->intValue;
        if (slot == 0) {
            setMessage("UserSetSave: the default set cannot be overwritten");
            return ZTCAM_STATUS_ACCESS_DENIED;
        }
        userSets_[slot] = snapshotValues();
    } else if (n == "UserSetRefresh") {
        // Brings the camera's list of stored user sets up to date; the
        // current settings stay as they are. LumaDeck runs it whenever the
        // user picks a camera, so it must never undo what was set.
    } else if (n == "UserSetLoad") {
        const int64_t slot = cameraMap_.find("UserSetSelector")->intValue;
        auto it = userSets_.find(slot);
        const auto& values = (slot == 0 || it == userSets_.end()) ? defaultValues_ : it->second;
        if (capturing_) {
            setMessage(n + " is not possible while capturing");
            return ZTCAM_STATUS_WRONG_STATE;
        }
        applyValues(values);
    }
    setMessage(n + " executed");
    return ZTCAM_STATUS_SUCCESS;
}

std::vector<std::pair<int, int64_t>> SimCamera::snapshotValues() const
{
    std::vector<std::pair<int, int64_t>> values;
    for (size_t i = 0; i < cameraMap_.size(); ++i) {
        const FeatureNode& n = cameraMap_.at(i);
        if (!n.writable() || n.name == "DeviceUserID")
            continue;
        if (n.type == ZTCAM_ELEM_INTEGER || n.type == ZTCAM_ELEM_BOOLEAN || n.type == ZTCAM_ELEM_ENUMERATION)
            values.emplace_back(int(i), n.intValue);
        else if (n.type == ZTCAM_ELEM_FLOAT)
            values.emplace_back(int(i), floatBits(n.floatValue));
    }
    return values;
}

bool SimCamera::applyValues(const std::vector<std::pair<int, int64_t>>& values)
{
    bool ok = true;
    // Geometry last, offsets cleared first, so every size fits its range.
    std::vector<std::pair<int, int64_t>> geometry;
    for (const auto& [index, value] : values) {
        if (index < 0 || size_t(index) >= cameraMap_.size()) {
            ok = false;
            continue;
        }
        FeatureNode& n = cameraMap_.at(size_t(index));
        if (!n.writable() || n.type == ZTCAM_ELEM_COMMAND || n.type == ZTCAM_ELEM_STRING ||
            n.type == ZTCAM_ELEM_CATEGORY) {
            ok = false;
            continue;
        }
        if (isGeometry(n.name)) {
            geometry.emplace_back(index, value);
            continue;
        }
        ZTCamElement e{};
        if (n.type == ZTCAM_ELEM_FLOAT)
            e.value.floatValue = bitsFloat(value);
        else
            e.value.intValue = value;
        ok = writeNode(n, e, false) == ZTCAM_STATUS_SUCCESS && ok;
    }
    if (!geometry.empty()) {
        cameraMap_.find("OffsetX")->intValue = 0;
        cameraMap_.find("OffsetY")->intValue = 0;
        updateGeometryRanges();
        for (const char* name : {"Width", "Height", "OffsetX", "OffsetY"}) {
            for (const auto& [index, value] : geometry) {
                FeatureNode& n = cameraMap_.at(size_t(index));
                if (n.name != name)
                    continue;
                ZTCamElement e{};
                e.value.intValue = value;
                ok = writeNode(n, e, false) == ZTCAM_STATUS_SUCCESS && ok;
            }
        }
    }
    return ok;
}

// ---------------------------------------------------------------- registers

bool SimCamera::userSetSupported() const
{
    const std::string& v = config_.deviceVersion;
    if (v.size() < 5)
        return false;
    return std::atoi(v.substr(4, 4).c_str()) > 2504;
}

std::vector<int32_t> SimCamera::buildUserSetBlock() const
{
    const auto values = snapshotValues();
    std::vector<int32_t> words;
    words.push_back(int32_t(values.size()));
    words.push_back(int32_t(2 + 2 * values.size()));
    for (const auto& [index, value] : values) {
        words.push_back(index);
        words.push_back(int32_t(value));
    }
    // A longer block (as newer firmware keeps) ends in zero words.
    if (config_.userSetWords > words.size()) {
        words.resize(config_.userSetWords, 0);
        words[1] = int32_t(words.size());
    }
    return words;
}

bool SimCamera::applyUserSetBlock(const std::vector<int32_t>& words)
{
    if (words.size() < 2)
        return false;
    const int64_t items = words[0];
    const int64_t length = words[1];
    if (items < 0 || length < 2 + 2 * items || int64_t(words.size()) < length)
        return false;
    std::vector<std::pair<int, int64_t>> values;
    for (int64_t i = 0; i < items; ++i) {
        const int index = words[size_t(2 + 2 * i)];
        const int32_t word = words[size_t(3 + 2 * i)];
        // A word holds the low 32 bits; features that cannot be negative
        // (an IPv4 address, say) read it back unsigned.
        const bool unsignedValue = index >= 0 && size_t(index) < cameraMap_.size() &&
                                   cameraMap_.at(size_t(index)).type == ZTCAM_ELEM_INTEGER &&
                                   cameraMap_.at(size_t(index)).intMin >= 0;
        values.emplace_back(index, unsignedValue ? int64_t(uint32_t(word)) : int64_t(word));
    }
    if (capturing_)
        return false;
    return applyValues(values);
}

ZTCamStatus SimCamera::readRegister(uint8_t* bytes, uint64_t address, uint32_t count)
{
    if (!bytes || count == 0)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    if (inBlock(address, count, kRegDeviceString, ZTCAM_REG_DEVICE_STRING_LEN)) {
        uint8_t buf[ZTCAM_REG_DEVICE_STRING_LEN] = {};
        std::memcpy(buf, config_.serial.data(), std::min<size_t>(config_.serial.size(), sizeof buf - 1));
        std::memcpy(bytes, buf + (address - kRegDeviceString), count);
        return ZTCAM_STATUS_SUCCESS;
    }
    if (inBlock(address, count, kRegProductId, 4)) {
        uint8_t buf[4];
        writeBE32(buf, config_.productId);
        std::memcpy(bytes, buf + (address - kRegProductId), count);
        return ZTCAM_STATUS_SUCCESS;
    }
    if (address == kRegWindow) {
        if (!userSetSupported())
            return ZTCAM_STATUS_NOT_SUPPORTED;
        if (count > ZTCAM_REG_USERSET_WINDOW_SIZE)
            return ZTCAM_STATUS_INVALID_PARAM;
        if (usMode_ != 2)
            return ZTCAM_STATUS_WRONG_STATE;
        const size_t total = usReadBlock_.size() * 4;
        if (usReadPos_ + count > total)
            return ZTCAM_STATUS_OUT_OF_RANGE;
        std::memcpy(bytes, reinterpret_cast<const uint8_t*>(usReadBlock_.data()) + usReadPos_, count);
        usReadPos_ += count;
        return ZTCAM_STATUS_SUCCESS;
    }
    if (address >= kRegSelector && address <= kRegState) {
        if (!userSetSupported())
            return ZTCAM_STATUS_NOT_SUPPORTED;
        if (count != 4 || (address & 3) != 0)
            return ZTCAM_STATUS_INVALID_PARAM;
        uint32_t v = 0;
        switch (address) {
        case kRegSelector: v = usSelector_; break;
        case kRegWordCount: v = usMode_ == 2 ? uint32_t(usReadBlock_.size()) : 0; break;
        case kRegReserved: v = 0; break;
        case kRegMode: v = usMode_; break;
        default: v = usState_; break;
        }
        writeBE32(bytes, v);
        return ZTCAM_STATUS_SUCCESS;
    }
    return ZTCAM_STATUS_NOT_FOUND;
}

ZTCamStatus SimCamera::writeRegister(const uint8_t* bytes, uint64_t address, uint32_t count)
{
    if (!bytes || count == 0)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    if ((address >= kRegDeviceString && address < kRegDeviceString + ZTCAM_REG_DEVICE_STRING_LEN) ||
        (address >= kRegProductId && address < kRegProductId + 4))
        return ZTCAM_STATUS_ACCESS_DENIED;
    if (address == kRegWindow) {
        if (!userSetSupported())
            return ZTCAM_STATUS_NOT_SUPPORTED;
        if (count > ZTCAM_REG_USERSET_WINDOW_SIZE)
            return ZTCAM_STATUS_INVALID_PARAM;
        if (usMode_ != 1)
            return ZTCAM_STATUS_WRONG_STATE;
        if (usWriteBytes_.size() + count > 1024 * 1024)
            return ZTCAM_STATUS_OUT_OF_RANGE;
        usWriteBytes_.insert(usWriteBytes_.end(), bytes, bytes + count);
        return ZTCAM_STATUS_SUCCESS;
    }
    if (address >= kRegSelector && address <= kRegState) {
        if (!userSetSupported())
            return ZTCAM_STATUS_NOT_SUPPORTED;
        if (count != 4 || (address & 3) != 0)
            return ZTCAM_STATUS_INVALID_PARAM;
        const uint32_t v = readBE32(bytes);
        if (address == kRegSelector) {
            usSelector_ = v;
            return ZTCAM_STATUS_SUCCESS;
        }
        if (address != kRegMode)
            return ZTCAM_STATUS_ACCESS_DENIED;
        if (v == 2) {
            usReadBlock_ = usSelector_ == kUserSetSelector ? buildUserSetBlock() : std::vector<int32_t>();
            usReadPos_ = 0;
        } else if (v == 1) {
            usWriteBytes_.clear();
            usState_ = 1;  // busy until the data is taken
        } else if (v == 0) {
            if (usMode_ == 1) {
                std::vector<int32_t> words(usWriteBytes_.size() / 4);
                std::memcpy(words.data(), usWriteBytes_.data(), words.size() * 4);
                const bool ok = usSelector_ == kUserSetSelector && usWriteBytes_.size() % 4 == 0 &&
                                applyUserSetBlock(words);
                usState_ = ok ? 0 : 2;
                setMessage(ok ? "User-set data loaded" : "User-set data rejected");
                usWriteBytes_.clear();
            }
            usReadBlock_.clear();
            usReadPos_ = 0;
        } else {
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        usMode_ = v;
        return ZTCAM_STATUS_SUCCESS;
    }
    return ZTCAM_STATUS_NOT_FOUND;
}

// ---------------------------------------------------------------- calibration

std::vector<int32_t>& SimCamera::calibration(bool prnu)
{
    return prnu ? prnu_ : dsnu_;
}

void SimCamera::regenerateCalibration(bool prnu, uint32_t seed)
{
    std::vector<int32_t>& data = calibration(prnu);
    data.resize(config_.sensorWidth);
    uint32_t x = 0x9E3779B9u ^ (seed * 2654435761u) ^ uint32_t(index_ + 1) ^ (prnu ? 0x5bd1e995u : 0u);
    for (int32_t& v : data) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        v = prnu ? int32_t(4096 + int32_t(x % 401) - 200) : int32_t(x % 129) - 64;
    }
}

ZTCamStatus SimCamera::calibrationData(const char* path, int32_t direction, bool prnu)
{
    if (!path || !*path || (direction != ZTCAM_DATA_CAMERA_TO_FILE && direction != ZTCAM_DATA_FILE_TO_CAMERA))
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    const char* kind = prnu ? "PRNU" : "DSNU";
    if (direction == ZTCAM_DATA_CAMERA_TO_FILE) {
        if (!CalibrationFile::write(path, kind, config_.serial, calibration(prnu))) {
            setMessage(std::string(kind) + " data: cannot write the file");
            return ZTCAM_STATUS_IO_ERROR;
        }
        setMessage(std::string(kind) + " data saved");
        return ZTCAM_STATUS_SUCCESS;
    }
    std::vector<int32_t> values;
    switch (CalibrationFile::read(path, kind, config_.sensorWidth, values)) {
    case CalibrationFile::Result::CannotOpen:
        setMessage(std::string(kind) + " data: cannot open the file");
        return ZTCAM_STATUS_IO_ERROR;
    case CalibrationFile::Result::BadFormat:
        setMessage(std::string(kind) + " data: the file does not fit this camera");
        return ZTCAM_STATUS_FILE_INVALID;
    case CalibrationFile::Result::Ok:
        break;
    }
    calibration(prnu) = values;
    ++cameraMap_.find(prnu ? "PRNUStatus" : "DSNUStatus")->intValue;
    setMessage(std::string(kind) + " data loaded");
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::grayValue(int32_t x, int32_t y, uint16_t* values)
{
    if (!values)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (!haveFrame_)
        return ZTCAM_STATUS_WRONG_STATE;
    if (x < 0 || y < 0 || uint32_t(x) >= generator_.width() || uint32_t(y) >= generator_.height())
        return ZTCAM_STATUS_OUT_OF_RANGE;
    const bool vflip = capabilities_[5].value != 0;
    for (uint32_t c = 0; c < generator_.format().channels; ++c)
        values[c] = uint16_t(generator_.sample(uint32_t(x), uint32_t(y), c, latestFrame_, hflip(), vflip));
    return ZTCAM_STATUS_SUCCESS;
}

// ---------------------------------------------------------------- capture

ZTCamFrame SimCamera::makeHeader(uint8_t* block) const
{
    ZTCamFrame f{};
    f.headerSize = kHeaderSize;
    f.width = uint16_t(generator_.width());
    f.height = uint16_t(generator_.height());
    f.widthStep = generator_.rowBytes();
    f.channels = generator_.format().channels;
    f.elementBytes = generator_.format().elementBytes;
    f.formatRequest = ZTCAM_FORMAT_REQUEST;
    f.imageSize = generator_.imageSize();
    f.reserveCount = 1;
    f.extraSize = 0;
    f.data = block;
    return f;
}

void SimCamera::ensureBlock(std::vector<uint8_t>& block)
{
    const size_t need = kHeaderSize + size_t(generator_.imageSize());
    if (block.size() < need)
        block.resize(need);
}

ZTCamStatus SimCamera::setCallback(ZTCamDataCallback callback, void* context)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    callback_ = callback;
    callbackContext_ = context;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::bufAlloc(ZTCamFrame* frame)
{
    if (!frame || frame->formatRequest != ZTCAM_FORMAT_REQUEST || frame->reserveCount < 1)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    if (config_.failAlloc)
        return ZTCAM_STATUS_NO_MEMORY;
    generator_.configure(currentWidth(), currentHeight(), currentFormat());
    ensureBlock(waitBlock_);
    *frame = makeHeader(waitBlock_.data());
    std::memcpy(waitBlock_.data(), frame, sizeof *frame);
    allocated_ = true;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::announceBuffer(uint32_t size, void* buffer)
{
    if (!buffer || size == 0)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    if (config_.failAnnounce)
        return ZTCAM_STATUS_FAILURE;
    for (const RingEntry& r : ring_) {
        if (r.buffer == buffer)
            return ZTCAM_STATUS_INVALID_PARAM;
    }
    ring_.push_back({static_cast<uint8_t*>(buffer), size});
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::capStart(int32_t mode)
{
    if (mode != 0)
        return ZTCAM_STATUS_INVALID_PARAM;
    if (isFrameThread())
        return ZTCAM_STATUS_WRONG_STATE;
    std::lock_guard<std::mutex> control(controlMutex_);
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (capturing_)
        return ZTCAM_STATUS_BUSY;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    if (config_.failStart)
        return ZTCAM_STATUS_FAILURE;
    generator_.configure(currentWidth(), currentHeight(), currentFormat());
    ensureBlock(waitBlock_);
    ensureBlock(callbackBlock_);
    frameNumber_ = 0;
    deliveredBase_ = 0;
    latestFrame_ = 0;
    haveFrame_ = false;
    lastWaited_ = UINT64_MAX;
    stopRequested_ = false;
    paused_ = false;
    rateChanged_ = false;
    capturing_ = true;
    frameThread_ = std::thread(&SimCamera::frameLoop, this);
    return ZTCAM_STATUS_SUCCESS;
}

void SimCamera::frameLoop()
{
    frameThreadId_.store(std::this_thread::get_id());
    std::unique_lock<std::mutex> lock(mutex_);
    Clock::time_point next = Clock::now();
    while (!stopRequested_) {
        const auto period = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(1.0 / std::max(0.1, currentFrameRate())));
        next += period;
        const Clock::time_point now = Clock::now();
        if (next + period < now)
            next = now;  // fell behind: no burst of late frames
        frameCv_.wait_until(lock, next, [this] { return stopRequested_ || rateChanged_; });
        if (stopRequested_)
            break;
        if (rateChanged_) {
            // A new frame rate counts from now, not after the old period.
            rateChanged_ = false;
            next = Clock::now();
            continue;
        }
        if (!connected() || paused_)
            continue;
        const uint64_t n = frameNumber_++;
        const bool vflip = capabilities_[5].value != 0;
        const bool stamp = capabilities_[31].value != 0;
        if (!ring_.empty()) {
            const RingEntry& r = ring_[size_t(n % ring_.size())];
            generator_.fill(r.buffer, r.size, n, hflip(), vflip, stamp);
        }
        latestFrame_ = n;
        haveFrame_ = true;
        lastFrameAt_ = Clock::now();
        frameCv_.notify_all();
        ZTCamDataCallback cb = callback_;
        void* context = callbackContext_;
        ZTCamHandle handle = handle_;
        if (cb) {
            lock.unlock();
            cb(handle, context);
            lock.lock();
        }
    }
    frameThreadId_.store(std::thread::id());
}

void SimCamera::stopCapture(std::unique_lock<std::mutex>& lock)
{
    if (!capturing_)
        return;
    stopRequested_ = true;
    frameCv_.notify_all();
    std::thread t = std::move(frameThread_);
    lock.unlock();
    if (t.joinable())
        t.join();
    lock.lock();
    capturing_ = false;
    stopRequested_ = false;
    frameCv_.notify_all();  // pending waits see the stop
}

ZTCamStatus SimCamera::waitForFrame(ZTCamFrame* frame, uint32_t timeoutMs)
{
    if (!frame || frame->formatRequest != ZTCAM_FORMAT_REQUEST)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::unique_lock<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (!capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    if (!connected())
        return ZTCAM_STATUS_DISCONNECTED;
    const uint64_t seq = abortSeq_;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const bool neverDelivers = config_.waitTimeout;
    const bool ready = frameCv_.wait_until(lock, deadline, [&] {
        return abortSeq_ != seq || !capturing_ || stopRequested_ || !open_ ||
               (!neverDelivers && haveFrame_ && latestFrame_ != lastWaited_);
    });
    if (!ready)
        return ZTCAM_STATUS_TIMEOUT;
    if (abortSeq_ != seq)
        return ZTCAM_STATUS_ABORTED;
    if (!open_ || !capturing_ || stopRequested_)
        return ZTCAM_STATUS_WRONG_STATE;
    lastWaited_ = latestFrame_;
    ensureBlock(waitBlock_);
    const bool vflip = capabilities_[5].value != 0;
    const bool stamp = capabilities_[31].value != 0;
    generator_.fill(waitBlock_.data() + kHeaderSize, generator_.imageSize(), latestFrame_, hflip(), vflip, stamp);
    *frame = makeHeader(waitBlock_.data());
    std::memcpy(waitBlock_.data(), frame, sizeof *frame);
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::getData(ZTCamFrame* frame)
{
    if (!frame)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (!capturing_ || !haveFrame_)
        return ZTCAM_STATUS_WRONG_STATE;
    ensureBlock(callbackBlock_);
    const bool vflip = capabilities_[5].value != 0;
    const bool stamp = capabilities_[31].value != 0;
    generator_.fill(callbackBlock_.data() + kHeaderSize, generator_.imageSize(), latestFrame_, hflip(), vflip, stamp);
    *frame = makeHeader(callbackBlock_.data());
    std::memcpy(callbackBlock_.data(), frame, sizeof *frame);
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::abortWait()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    ++abortSeq_;
    frameCv_.notify_all();
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::capStop()
{
    if (isFrameThread())
        return ZTCAM_STATUS_WRONG_STATE;
    std::lock_guard<std::mutex> control(controlMutex_);
    std::unique_lock<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    stopCapture(lock);
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::bufRelease()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    // The blocks are kept, so the data of a frame record from the last
    // allocation or wait stays readable until a larger frame needs a new
    // block or the camera goes away.
    allocated_ = false;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::clearBuffer()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
        return s;
    if (capturing_)
        return ZTCAM_STATUS_WRONG_STATE;
    ring_.clear();
    return ZTCAM_STATUS_SUCCESS;
}

// ---------------------------------------------------------------- files

namespace {

bool viewFromFrame(const ZTCamFrame* frame, const PixelFormat& format, ImageView& view)
{
    if (!frame || !frame->data)
        return false;
    view.pixels = static_cast<const uint8_t*>(frame->data) + frame->headerSize;
    view.width = frame->width;
    view.height = frame->height;
    view.stride = frame->widthStep;
    view.channels = frame->channels;
    view.elementBytes = frame->elementBytes;
    view.bits = frame->elementBytes == format.elementBytes ? format.bits : 8u * frame->elementBytes;
    view.bgrOrder = frame->channels == 3 && format.channels == 3 && format.name.size() >= 3 &&
                    (format.name[0] == 'B' || format.name[0] == 'b');
    if (!view.valid())
        return false;
    if (frame->imageSize != 0 && uint64_t(frame->imageSize) < uint64_t(view.stride) * (view.height - 1) + view.packedRowBytes())
        return false;
    return true;
}

} // namespace

ZTCamStatus SimCamera::saveImage(const ZTCamFileSaveParams& params)
{
    constexpr int32_t kAll = ZTCAM_FILE_RAW | ZTCAM_FILE_TIF | ZTCAM_FILE_PNG | ZTCAM_FILE_JPG | ZTCAM_FILE_BMP;
    if (!params.path || !*params.path || !params.frame || params.formatMask == 0 || (params.formatMask & ~kAll))
        return ZTCAM_STATUS_INVALID_PARAM;
    PixelFormat format;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
            return s;
        format = currentFormat();
    }
    ImageView view;
    if (!viewFromFrame(params.frame, format, view))
        return ZTCAM_STATUS_INVALID_PARAM;
    const std::string base = params.path;
    bool ok = true;
    if (params.formatMask & ZTCAM_FILE_RAW)
        ok = ImageFileWriter::writeRaw(base + ".raw", view) && ok;
    if (params.formatMask & ZTCAM_FILE_TIF)
        ok = ImageFileWriter::writeTiff(base + ".tif", view) && ok;
    if (params.formatMask & ZTCAM_FILE_PNG)
        ok = ImageFileWriter::writePng(base + ".png", view) && ok;
    if (params.formatMask & ZTCAM_FILE_JPG)
        ok = ImageFileWriter::writeJpeg(base + ".jpg", view) && ok;
    if (params.formatMask & ZTCAM_FILE_BMP)
        ok = ImageFileWriter::writeBmp(base + ".bmp", view) && ok;
    return ok ? ZTCAM_STATUS_SUCCESS : ZTCAM_STATUS_IO_ERROR;
}

ZTCamStatus SimCamera::recStart(const ZTCamRecordParams* params)
{
    if (!params || !params->path || !*params->path || !(params->frameRate > 0.0f) || !std::isfinite(params->frameRate))
        return ZTCAM_STATUS_INVALID_PARAM;
    if (params->codec != ZTCAM_CODEC_DIB)
        return ZTCAM_STATUS_NOT_SUPPORTED;
    uint32_t width, height, channels;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
            return s;
        const bool useGenerator = capturing_ || allocated_;
        width = useGenerator ? generator_.width() : currentWidth();
        height = useGenerator ? generator_.height() : currentHeight();
        channels = useGenerator ? generator_.format().channels : currentFormat().channels;
    }
    std::lock_guard<std::mutex> rec(recMutex_);
    if (recorder_.isOpen())
        return ZTCAM_STATUS_BUSY;
    if (!recorder_.open(params->path, width, height, channels, params->frameRate))
        return ZTCAM_STATUS_IO_ERROR;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::recAppend(const ZTCamFrame* frame)
{
    if (!frame)
        return ZTCAM_STATUS_INVALID_PARAM;
    PixelFormat format;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
            return s;
        format = generator_.format();
    }
    ImageView view;
    if (!viewFromFrame(frame, format, view))
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> rec(recMutex_);
    if (!recorder_.isOpen())
        return ZTCAM_STATUS_WRONG_STATE;
    return recorder_.append(view) ? ZTCAM_STATUS_SUCCESS : ZTCAM_STATUS_IO_ERROR;
}

ZTCamStatus SimCamera::recStop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (ZTCamStatus s = checkOpen(); s != ZTCAM_STATUS_SUCCESS)
            return s;
    }
    std::lock_guard<std::mutex> rec(recMutex_);
    if (!recorder_.isOpen())
        return ZTCAM_STATUS_WRONG_STATE;
    return recorder_.close() ? ZTCAM_STATUS_SUCCESS : ZTCAM_STATUS_IO_ERROR;
}

// ---------------------------------------------------------------- simulation

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
