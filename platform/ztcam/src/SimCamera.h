#pragma once

#include "AviRecorder.h"
#include "FrameGenerator.h"
#include "NodeMap.h"
#include "SimConfig.h"
#include "ZTCam.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ztcam {

// The record a ZTCam handle points to. Byte 4 is the interface kind.
struct DeviceRecord {
    uint32_t magic;
    uint8_t interfaceKind;
    uint8_t reserved[3];
    int32_t cameraIndex;
    uint32_t reserved2;
};
static_assert(offsetof(DeviceRecord, interfaceKind) == ZTCAM_HANDLE_INTERFACE_KIND_OFFSET, "kind at byte 4");

// One simulated camera: feature trees, properties, capabilities, registers,
// calibration data, the frame thread and the image and video writers.
//
// Locks: mutex_ guards all state and is taken by every call; controlMutex_
// serialises start, stop and close, which join the frame thread without
// holding mutex_ (the data callback runs unlocked and may call back in);
// recMutex_ guards the AVI recorder so that file writes do not block frames.
class SimCamera {
public:
    SimCamera(int index, const CameraConfig& config);
    ~SimCamera();
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    int index() const { return index_; }
    const CameraConfig& config() const { return config_; }
    bool isFrameThread() const;

    ZTCamStatus open(ZTCamHandle handle);
    ZTCamStatus close();
    ZTCamStatus getInfo(ZTCamDeviceInfo* info);

    ZTCamStatus propGetAttr(ZTCamPropAttr* attr);
    ZTCamStatus capaGetAttr(ZTCamCapaAttr* attr);
    ZTCamStatus propGetValue(int32_t id, double* value, int32_t channel);
    ZTCamStatus propSetValue(int32_t id, double value, int32_t channel);
    ZTCamStatus capaGetValue(int32_t id, int32_t* value);
    ZTCamStatus capaSetValue(int32_t id, int32_t value);

    ZTCamStatus elementAttr(ZTCamElement* element, const char* name, int32_t nodeMap, bool next);
    ZTCamStatus getElementValue(ZTCamElement* element, int32_t nodeMap);
    ZTCamStatus setElementValue(ZTCamElement* element, int32_t nodeMap);

    ZTCamStatus readRegister(uint8_t* bytes, uint64_t address, uint32_t count);
    ZTCamStatus writeRegister(const uint8_t* bytes, uint64_t address, uint32_t count);
    ZTCamStatus calibrationData(const char* path, int32_t direction, bool prnu);
    ZTCamStatus grayValue(int32_t x, int32_t y, uint16_t* values);

    ZTCamStatus setCallback(ZTCamDataCallback callback, void* context);
    ZTCamStatus bufAlloc(ZTCamFrame* frame);
    ZTCamStatus announceBuffer(uint32_t size, void* buffer);
    ZTCamStatus capStart(int32_t mode);
    ZTCamStatus waitForFrame(ZTCamFrame* frame, uint32_t timeoutMs);
    ZTCamStatus getData(ZTCamFrame* frame);
    ZTCamStatus abortWait();
    ZTCamStatus capStop();
    ZTCamStatus bufRelease();
    ZTCamStatus clearBuffer();

    ZTCamStatus saveImage(const ZTCamFileSaveParams& params);
    ZTCamStatus recStart(const ZTCamRecordParams* params);
    ZTCamStatus recAppend(const ZTCamFrame* frame);
    ZTCamStatus recStop();

    // Simulation controls.
    ZTCamStatus setFault(const std::string& key, bool value);
    ZTCamStatus setTemperature(double sensor, double device);
    ZTCamStatus setConnected(bool connected);
    uint64_t frameCount();

    static constexpr uint16_t kHeaderSize = 64;
    static constexpr double kMaxExposureUs = 1000000.0;

private:
    struct Property {
        double minimum, maximum, defaultValue, value;
    };
    struct Capability {
        int32_t minimum, maximum, defaultValue, value;
    };
    struct RingEntry {
        uint8_t* buffer;
        uint32_t size;
    };
    using Clock = std::chrono::steady_clock;

    enum class Need { Open, Connected };
    // The opening of every operation: mutex_ taken for as long as the entry
    // lives, and the camera found open (and connected, when needed). The
    // operation goes on only when the entry is true; else it returns status.
    struct Entry {
        std::unique_lock<std::mutex> lock;
        ZTCamStatus status;
        explicit operator bool() const { return status == ZTCAM_STATUS_SUCCESS; }
    };
    Entry enter(Need need) const;

    // All below run with mutex_ held.
    bool connected() const;
    NodeMap* nodeMap(int32_t id);
    void refreshDynamic(FeatureNode& node, bool stream);
    bool locked(const FeatureNode& node) const;
    PixelFormat currentFormat() const;
    uint32_t currentWidth() const;
    uint32_t currentHeight() const;
    double currentFrameRate() const;
    void updateGeometryRanges();
    void updateExposureRange();
    void updateLevelRanges();
    ZTCamFrame makeHeader(std::vector<uint8_t>& block) const;
    void ensureBlock(std::vector<uint8_t>& block);
    void applyToneCurve(uint64_t n);
    void renderFrame(uint8_t* pixels, size_t size, uint64_t n);
    ZTCamFrame renderLatest(std::vector<uint8_t>& block);
    ZTCamStatus writeNode(FeatureNode& node, const ZTCamElement& element, bool stream);
    ZTCamStatus runCommand(FeatureNode& node, bool stream);
    void setMessage(const std::string& text);
    void flatFieldAdvance();
    std::vector<int32_t>& calibration(bool prnu);
    void regenerateCalibration(bool prnu, uint32_t seed);
    bool userSetSupported() const;
    std::vector<int32_t> buildUserSetBlock() const;
    bool applyUserSetBlock(const std::vector<int32_t>& words);
    std::vector<std::pair<int, int64_t>> snapshotValues() const;
    bool applyValues(const std::vector<std::pair<int, int64_t>>& values);
    bool hflip() const;
    void frameLoop();
    void stopCapture(std::unique_lock<std::mutex>& lock);

    const int index_;
    CameraConfig config_;

    mutable std::mutex mutex_;
    std::mutex controlMutex_;
    std::condition_variable frameCv_;  // new frame, stop, abort

    bool open_ = false;
    ZTCamHandle handle_ = nullptr;
    Clock::time_point openedAt_;
    bool forcedDisconnect_ = false;
    bool resetDisconnect_ = false;
    char message_[256] = {};

    NodeMap cameraMap_;
    NodeMap streamMap_;
    std::vector<std::pair<int, int64_t>> defaultValues_;
    std::map<int64_t, std::vector<std::pair<int, int64_t>>> userSets_;
    std::map<int32_t, Property> properties_;
    std::map<int32_t, Capability> capabilities_;

    // flat field (capability 15)
    int ffcState_ = ZTCAM_FLAT_FIELD_OFF;
    bool ffcPhase1Done_ = false;
    bool ffcComputed_ = false;
    Clock::time_point ffcSince_;

    std::vector<int32_t> dsnu_;
    std::vector<int32_t> prnu_;
    uint32_t dsnuSeed_ = 1;

    // user-set register block
    uint32_t usSelector_ = 0;
    uint32_t usMode_ = 0;
    uint32_t usState_ = 0;
    std::vector<int32_t> usReadBlock_;
    size_t usReadPos_ = 0;  // bytes
    std::vector<uint8_t> usWriteBytes_;

    // capture
    ZTCamDataCallback callback_ = nullptr;
    void* callbackContext_ = nullptr;
    bool allocated_ = false;
    bool capturing_ = false;
    bool stopRequested_ = false;
    bool paused_ = false;
    bool rateChanged_ = false;
    std::vector<RingEntry> ring_;
    FrameGenerator generator_;
    std::vector<uint8_t> waitBlock_;
    std::vector<uint8_t> callbackBlock_;
    uint64_t frameNumber_ = 0;   // frames made since the start
    struct MeasuredLevels {
        bool valid = false;
        uint8_t bits = 0;
        uint32_t left = 0, right = 0;
    } measuredLevels_;           // automatic levels of the latest frame rendered
    uint64_t latestFrame_ = 0;
    bool haveFrame_ = false;
    uint64_t lastWaited_ = UINT64_MAX;
    uint64_t abortSeq_ = 0;
    uint64_t deliveredBase_ = 0;
    Clock::time_point lastFrameAt_;
    std::thread frameThread_;
    std::atomic<std::thread::id> frameThreadId_{};

    // The status of a recorder call (recMutex_ held); a failure leaves
    // the recorder's cause in errno.
    ZTCamStatus recorderResult(bool done);

    std::mutex recMutex_;
    AviRecorder recorder_;
};

} // namespace ztcam
