#include "SimLibrary.h"

#include <cstdio>

namespace ztcam {

SimLibrary& SimLibrary::instance()
{
    // Never destroyed: frame threads of cameras left open at exit must not
    // meet a destroyed library.
    static SimLibrary* library = new SimLibrary;
    return *library;
}

ZTCamStatus SimLibrary::config(int32_t option, int32_t value)
{
    (void)option;
    (void)value;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimLibrary::init(ZTCamInitParams* params)
{
    if (!params)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (initialised_) {
        params->cameraCount = uint32_t(cameras_.size());
        return ZTCAM_STATUS_SUCCESS;
    }
    const std::string dir = params->configPath && *params->configPath ? params->configPath : ".";
    LibraryConfig cfg = configText_ ? SimConfig::parse(*configText_) : SimConfig::load(dir);
    for (const std::string& w : cfg.warnings)
        std::fprintf(stderr, "ZTCam simulator configuration: %s\n", w.c_str());
    const bool fails = initFailsOverride_.value_or(cfg.initFails);
    const bool zero = zeroCamerasOverride_.value_or(cfg.zeroCameras);
    if (fails)
        return ZTCAM_STATUS_FAILURE;
    cameras_.clear();
    if (!zero) {
        for (size_t i = 0; i < cfg.cameras.size(); ++i)
            cameras_.push_back(std::make_shared<SimCamera>(int(i), cfg.cameras[i]));
    }
    initialised_ = true;
    params->cameraCount = uint32_t(cameras_.size());
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimLibrary::uninit()
{
    std::vector<std::shared_ptr<SimCamera>> cameras;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!initialised_)
            return ZTCAM_STATUS_SUCCESS;
        for (auto& [handle, camera] : openHandles_) {
            (void)handle;
            if (camera->isFrameThread())
                return ZTCAM_STATUS_WRONG_STATE;
        }
        cameras.swap(cameras_);
        openHandles_.clear();
        initialised_ = false;
    }
    // Outside the library lock: closing joins frame threads whose callbacks
    // may still call into the SDK.
    for (auto& c : cameras)
        c->close();
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimLibrary::open(OpenedCamera* camera)
{
    if (!camera)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!initialised_)
        return ZTCAM_STATUS_NOT_INITIALIZED;
    if (camera->index >= cameras_.size())
        return ZTCAM_STATUS_NO_DEVICE;
    std::shared_ptr<SimCamera> cam = cameras_[camera->index];
    for (auto& [handle, open] : openHandles_) {
        (void)handle;
        if (open == cam)
            return ZTCAM_STATUS_BUSY;
    }
    DeviceRecord record{};
    record.magic = kMagic;
    record.interfaceKind = cam->config().interfaceKind;
    record.cameraIndex = int32_t(camera->index);
    records_.push_back(record);
    DeviceRecord* handle = &records_.back();
    ZTCamStatus s = cam->open(handle);
    if (s != ZTCAM_STATUS_SUCCESS) {
        records_.pop_back();
        return s;
    }
    openHandles_[handle] = cam;
    camera->handle = handle;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimLibrary::close(ZTCamHandle handle)
{
    std::shared_ptr<SimCamera> cam;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = openHandles_.find(handle);
        if (it == openHandles_.end())
            return ZTCAM_STATUS_INVALID_HANDLE;
        if (it->second->isFrameThread())
            return ZTCAM_STATUS_WRONG_STATE;
        cam = it->second;
        openHandles_.erase(it);
    }
    cam->close();
    return ZTCAM_STATUS_SUCCESS;
}

std::shared_ptr<SimCamera> SimLibrary::lookup(ZTCamHandle handle) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = openHandles_.find(handle);
    return it == openHandles_.end() ? nullptr : it->second;
}

std::shared_ptr<SimCamera> SimLibrary::camera(int index) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (index < 0 || size_t(index) >= cameras_.size())
        return nullptr;
    return cameras_[size_t(index)];
}

int SimLibrary::cameraIndexOf(ZTCamHandle handle) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = openHandles_.find(handle);
    return it == openHandles_.end() ? -1 : it->second->index();
}

void SimLibrary::useConfigText(const char* text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (text)
        configText_ = std::string(text);
    else
        configText_.reset();
}

ZTCamStatus SimLibrary::setLibraryFault(const std::string& key, bool value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    // Setting forces the fault; clearing drops what was forced, so the
    // configuration decides again.
    std::optional<bool>* fault = nullptr;
    if (key == "init_fails")
        fault = &initFailsOverride_;
    else if (key == "zero_cameras")
        fault = &zeroCamerasOverride_;
    else
        return ZTCAM_STATUS_NOT_FOUND;
    if (value)
        *fault = true;
    else
        fault->reset();
    return ZTCAM_STATUS_SUCCESS;
}

} // namespace ztcam
