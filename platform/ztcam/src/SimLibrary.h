#pragma once

#include "SimCamera.h"
#include "SimConfig.h"
#include "ZTCam.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ztcam {

// The SDK's process-wide state: initialisation, the simulated cameras and
// the handles of the open ones. Handle records are never freed, so a stale
// handle still points to readable memory and is refused by its lookup.
class SimLibrary {
public:
    static SimLibrary& instance();

    ZTCamStatus config(int32_t option, int32_t value);
    ZTCamStatus init(ZTCamInitParams* params);
    ZTCamStatus uninit();
    ZTCamStatus open(OpenedCamera* camera);
    ZTCamStatus close(ZTCamHandle handle);
    // The camera of an open handle, or null.
    std::shared_ptr<SimCamera> lookup(ZTCamHandle handle) const;
    // Camera of the current initialisation by SDK index, or null.
    std::shared_ptr<SimCamera> camera(int index) const;
    int cameraIndexOf(ZTCamHandle handle) const;

    void useConfigText(const char* text);
    ZTCamStatus setLibraryFault(const std::string& key, bool value);

private:
    static constexpr uint32_t kMagic = 0x5A54434Du;  // "ZTCM"

    mutable std::mutex mutex_;
    bool initialised_ = false;
    std::vector<std::shared_ptr<SimCamera>> cameras_;
    std::map<const void*, std::shared_ptr<SimCamera>> openHandles_;
    std::deque<DeviceRecord> records_;
    std::optional<std::string> configText_;
    std::optional<bool> initFailsOverride_;
    std::optional<bool> zeroCamerasOverride_;
};

} // namespace ztcam
