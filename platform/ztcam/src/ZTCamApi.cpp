// The exported C interface of the ZTCam SDK and its test-only extras.
#include "ZTCam.h"
#include "ZTCamSim.h"

#include "AviRecorder.h"
#include "CallLog.h"
#include "FrameGenerator.h"
#include "ImageFileWriter.h"
#include "PixelFormat.h"
#include "SimLibrary.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>

using ztcam::CallLog;
using ztcam::SimCamera;
using ztcam::SimLibrary;

namespace {

void logCall(const char* name, int cameraIndex, bool frameCall = false)
{
    CallLog::instance().add(name, cameraIndex, frameCall);
}

// Looks the handle up, logs the call with its camera and runs op on it.
template <typename Op>
ZTCamStatus onCamera(const char* name, ZTCamHandle handle, Op op, bool frameCall = false)
{
    std::shared_ptr<SimCamera> cam = SimLibrary::instance().lookup(handle);
    logCall(name, cam ? cam->index() : -1, frameCall);
    if (!cam)
        return ZTCAM_STATUS_INVALID_HANDLE;
    return op(*cam);
}

// Image writes held by a test (ZTCamSim_HoldFileSaves).
struct FileSaveHold {
    std::mutex lock;
    std::condition_variable changed;
    bool hold = false;
    int waiting = 0;
};

FileSaveHold& fileSaveHold()
{
    static FileSaveHold* const hold = new FileSaveHold();
    return *hold;
}

void waitWhileFileSavesHeld()
{
    FileSaveHold& h = fileSaveHold();
    std::unique_lock<std::mutex> lock(h.lock);
    ++h.waiting;
    h.changed.wait(lock, [&h] { return !h.hold; });
    --h.waiting;
}

} // namespace

extern "C" {

ZTCAM_API ZTCamStatus ZTCAM_Api_Config(int32_t option, int32_t value)
{
    logCall("ZTCAM_Api_Config", -1);
    return SimLibrary::instance().config(option, value);
}

ZTCAM_API ZTCamStatus ZTCAM_Api_Init(ZTCamInitParams* params, uint32_t timeoutMs)
{
    (void)timeoutMs;
    logCall("ZTCAM_Api_Init", -1);
    return SimLibrary::instance().init(params);
}

ZTCAM_API ZTCamStatus ZTCAM_Api_Uninit(void)
{
    logCall("ZTCAM_Api_Uninit", -1);
    const ZTCamStatus status = SimLibrary::instance().uninit();
    ztcam::AviRecorder::setWriteFault(ztcam::AviRecorder::WriteFault{});
    ztcam::ImageFileWriter::failWrites(0, 0);
    return status;
}

ZTCAM_API ZTCamStatus ZTCAM_Dev_Open(OpenedCamera* camera)
{
    logCall("ZTCAM_Dev_Open", camera ? int(camera->index) : -1);
    return SimLibrary::instance().open(camera);
}

ZTCAM_API ZTCamStatus ZTCAM_Dev_Close(ZTCamHandle handle)
{
    logCall("ZTCAM_Dev_Close", SimLibrary::instance().cameraIndexOf(handle));
    return SimLibrary::instance().close(handle);
}

ZTCAM_API ZTCamStatus ZTCAM_Dev_GetInfo(ZTCamHandle handle, ZTCamDeviceInfo* info)
{
    return onCamera("ZTCAM_Dev_GetInfo", handle, [&](SimCamera& c) { return c.getInfo(info); });
}

ZTCAM_API ZTCamStatus ZTCAM_Prop_GetAttr(ZTCamHandle handle, ZTCamPropAttr* attr)
{
    return onCamera("ZTCAM_Prop_GetAttr", handle, [&](SimCamera& c) { return c.propGetAttr(attr); });
}

ZTCAM_API ZTCamStatus ZTCAM_Capa_GetAttr(ZTCamHandle handle, ZTCamCapaAttr* attr)
{
    return onCamera("ZTCAM_Capa_GetAttr", handle, [&](SimCamera& c) { return c.capaGetAttr(attr); });
}

ZTCAM_API ZTCamStatus ZTCAM_Prop_GetValue(ZTCamHandle handle, int32_t id, double* value, int32_t channel)
{
    return onCamera("ZTCAM_Prop_GetValue", handle, [&](SimCamera& c) { return c.propGetValue(id, value, channel); });
}

ZTCAM_API ZTCamStatus ZTCAM_Prop_SetValue(ZTCamHandle handle, int32_t id, double value, int32_t channel)
{
    return onCamera("ZTCAM_Prop_SetValue", handle, [&](SimCamera& c) { return c.propSetValue(id, value, channel); });
}

ZTCAM_API ZTCamStatus ZTCAM_Capa_GetValue(ZTCamHandle handle, int32_t id, int32_t* value)
{
    return onCamera("ZTCAM_Capa_GetValue", handle, [&](SimCamera& c) { return c.capaGetValue(id, value); });
}

ZTCAM_API ZTCamStatus ZTCAM_Capa_SetValue(ZTCamHandle handle, int32_t id, int32_t value)
{
    return onCamera("ZTCAM_Capa_SetValue", handle, [&](SimCamera& c) { return c.capaSetValue(id, value); });
}

ZTCAM_API ZTCamStatus ZTCAM_GenICam_ElementAttr(ZTCamHandle handle, ZTCamElement* element, const char* name,
                                                int32_t nodeMap)
{
    return onCamera("ZTCAM_GenICam_ElementAttr", handle,
                    [&](SimCamera& c) { return c.elementAttr(element, name, nodeMap, false); });
}

ZTCAM_API ZTCamStatus ZTCAM_GenICam_ElementAttrNext(ZTCamHandle handle, ZTCamElement* element, const char* name,
                                                    int32_t nodeMap)
{
    return onCamera("ZTCAM_GenICam_ElementAttrNext", handle,
                    [&](SimCamera& c) { return c.elementAttr(element, name, nodeMap, true); });
}

ZTCAM_API ZTCamStatus ZTCAM_GenICam_GetElementValue(ZTCamHandle handle, ZTCamElement* element, int32_t nodeMap)
{
    return onCamera("ZTCAM_GenICam_GetElementValue", handle,
                    [&](SimCamera& c) { return c.getElementValue(element, nodeMap); });
}

ZTCAM_API ZTCamStatus ZTCAM_GenICam_SetElementValue(ZTCamHandle handle, ZTCamElement* element, int32_t nodeMap)
{
    return onCamera("ZTCAM_GenICam_SetElementValue", handle,
                    [&](SimCamera& c) { return c.setElementValue(element, nodeMap); });
}

ZTCAM_API ZTCamStatus ZTCAM_GenICam_GetRegisterValue(ZTCamHandle handle, uint8_t* bytes, uint64_t address,
                                                     uint32_t count)
{
    return onCamera("ZTCAM_GenICam_GetRegisterValue", handle,
                    [&](SimCamera& c) { return c.readRegister(bytes, address, count); });
}

ZTCAM_API ZTCamStatus ZTCAM_GenICam_SetRegisterValue(ZTCamHandle handle, const uint8_t* bytes, uint64_t address,
                                                     uint32_t count)
{
    return onCamera("ZTCAM_GenICam_SetRegisterValue", handle,
                    [&](SimCamera& c) { return c.writeRegister(bytes, address, count); });
}

ZTCAM_API ZTCamStatus ZTCAM_GenICam_DSNUDataRW(ZTCamHandle handle, const char* path, int32_t direction)
{
    return onCamera("ZTCAM_GenICam_DSNUDataRW", handle,
                    [&](SimCamera& c) { return c.calibrationData(path, direction, false); });
}

ZTCAM_API ZTCamStatus ZTCAM_GenICam_PRNUDataRW(ZTCamHandle handle, const char* path, int32_t direction)
{
    return onCamera("ZTCAM_GenICam_PRNUDataRW", handle,
                    [&](SimCamera& c) { return c.calibrationData(path, direction, true); });
}

ZTCAM_API ZTCamStatus ZTCAM_Get_GrayValue(ZTCamHandle handle, int32_t x, int32_t y, uint16_t* values)
{
    return onCamera("ZTCAM_Get_GrayValue", handle, [&](SimCamera& c) { return c.grayValue(x, y, values); }, true);
}

ZTCAM_API ZTCamStatus ZTCAM_Buf_DataCallBack(ZTCamHandle handle, ZTCamDataCallback callback, void* context)
{
    return onCamera("ZTCAM_Buf_DataCallBack", handle, [&](SimCamera& c) { return c.setCallback(callback, context); });
}

ZTCAM_API ZTCamStatus ZTCAM_Buf_Alloc(ZTCamHandle handle, ZTCamFrame* frame)
{
    return onCamera("ZTCAM_Buf_Alloc", handle, [&](SimCamera& c) { return c.bufAlloc(frame); });
}

ZTCAM_API ZTCamStatus ZTCAM_Cap_AnnounceBuffer(ZTCamHandle handle, uint32_t size, void* buffer)
{
    return onCamera("ZTCAM_Cap_AnnounceBuffer", handle, [&](SimCamera& c) { return c.announceBuffer(size, buffer); });
}

ZTCAM_API ZTCamStatus ZTCAM_Cap_Start(ZTCamHandle handle, int32_t mode)
{
    return onCamera("ZTCAM_Cap_Start", handle, [&](SimCamera& c) { return c.capStart(mode); });
}

ZTCAM_API ZTCamStatus ZTCAM_Buf_WaitForFrame(ZTCamHandle handle, ZTCamFrame* frame, uint32_t timeoutMs)
{
    return onCamera("ZTCAM_Buf_WaitForFrame", handle, [&](SimCamera& c) { return c.waitForFrame(frame, timeoutMs); },
                    true);
}

ZTCAM_API ZTCamStatus ZTCAM_Buf_GetData(ZTCamHandle handle, ZTCamFrame* frame)
{
    return onCamera("ZTCAM_Buf_GetData", handle, [&](SimCamera& c) { return c.getData(frame); }, true);
}

ZTCAM_API ZTCamStatus ZTCAM_Buf_AbortWait(ZTCamHandle handle)
{
    return onCamera("ZTCAM_Buf_AbortWait", handle, [&](SimCamera& c) { return c.abortWait(); });
}

ZTCAM_API ZTCamStatus ZTCAM_Cap_Stop(ZTCamHandle handle)
{
    return onCamera("ZTCAM_Cap_Stop", handle, [&](SimCamera& c) { return c.capStop(); });
}

ZTCAM_API ZTCamStatus ZTCAM_Buf_Release(ZTCamHandle handle)
{
    return onCamera("ZTCAM_Buf_Release", handle, [&](SimCamera& c) { return c.bufRelease(); });
}

ZTCAM_API ZTCamStatus ZTCAM_Cap_ClearBuffer(ZTCamHandle handle)
{
    return onCamera("ZTCAM_Cap_ClearBuffer", handle, [&](SimCamera& c) { return c.clearBuffer(); });
}

ZTCAM_API ZTCamStatus ZTCAM_File_SaveImage(ZTCamHandle handle, ZTCamFileSaveParams params)
{
    waitWhileFileSavesHeld();
    int error = 0;
    const ZTCamStatus status = onCamera("ZTCAM_File_SaveImage", handle, [&](SimCamera& c) {
        const ZTCamStatus s = c.saveImage(params);
        error = errno;
        return s;
    });
    if (status == ZTCAM_STATUS_IO_ERROR)
        errno = error;
    return status;
}

ZTCAM_API ZTCamStatus ZTCAM_Rec_Start(ZTCamHandle handle, ZTCamRecordParams* params)
{
    return onCamera("ZTCAM_Rec_Start", handle, [&](SimCamera& c) { return c.recStart(params); });
}

ZTCAM_API ZTCamStatus ZTCAM_Rec_AppendFrame(ZTCamHandle handle, ZTCamFrame* frame)
{
    return onCamera("ZTCAM_Rec_AppendFrame", handle, [&](SimCamera& c) { return c.recAppend(frame); }, true);
}

ZTCAM_API ZTCamStatus ZTCAM_Rec_Stop(ZTCamHandle handle)
{
    return onCamera("ZTCAM_Rec_Stop", handle, [&](SimCamera& c) { return c.recStop(); });
}

// ---------------------------------------------------------------- test extras

ZTCAM_API size_t ZTCamSim_CallLogSize(void)
{
    return CallLog::instance().size();
}

ZTCAM_API int ZTCamSim_CallLogEntry(size_t position, const char** name, int* cameraIndex)
{
    return CallLog::instance().entry(position, name, cameraIndex) ? 1 : 0;
}

ZTCAM_API size_t ZTCamSim_CallLogText(char* buffer, size_t size)
{
    const std::string text = CallLog::instance().text();
    if (buffer && size > 0) {
        const size_t n = std::min(size - 1, text.size());
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return text.size() + 1;
}

ZTCAM_API void ZTCamSim_CallLogClear(void)
{
    CallLog::instance().clear();
}

ZTCAM_API void ZTCamSim_CallLogSkipFrameCalls(int skip)
{
    CallLog::instance().setSkipFrameCalls(skip != 0);
}

ZTCAM_API void ZTCamSim_UseConfigText(const char* text)
{
    SimLibrary::instance().useConfigText(text);
}

ZTCAM_API ZTCamStatus ZTCamSim_SetFault(int cameraIndex, const char* key, int value)
{
    if (!key)
        return ZTCAM_STATUS_INVALID_PARAM;
    if (cameraIndex == -1)
        return SimLibrary::instance().setLibraryFault(key, value != 0);
    std::shared_ptr<SimCamera> cam = SimLibrary::instance().camera(cameraIndex);
    if (!cam)
        return ZTCAM_STATUS_NO_DEVICE;
    return cam->setFault(key, value != 0);
}

ZTCAM_API ZTCamStatus ZTCamSim_SetTemperature(int cameraIndex, double sensor, double device)
{
    std::shared_ptr<SimCamera> cam = SimLibrary::instance().camera(cameraIndex);
    if (!cam)
        return ZTCAM_STATUS_NO_DEVICE;
    return cam->setTemperature(sensor, device);
}

ZTCAM_API ZTCamStatus ZTCamSim_SetConnected(int cameraIndex, int connected)
{
    std::shared_ptr<SimCamera> cam = SimLibrary::instance().camera(cameraIndex);
    if (!cam)
        return ZTCAM_STATUS_NO_DEVICE;
    return cam->setConnected(connected != 0);
}

ZTCAM_API void ZTCamSim_HoldFileSaves(int hold)
{
    FileSaveHold& h = fileSaveHold();
    std::lock_guard<std::mutex> lock(h.lock);
    h.hold = hold != 0;
    h.changed.notify_all();
}

ZTCAM_API void ZTCamSim_FailImageWrites(int files, int error)
{
    ztcam::ImageFileWriter::failWrites(files, error);
}

ZTCAM_API int ZTCamSim_HeldFileSaves(void)
{
    FileSaveHold& h = fileSaveHold();
    std::lock_guard<std::mutex> lock(h.lock);
    return h.waiting;
}

ZTCAM_API void ZTCamSim_FailVideoWrites(int framesWritten, int error)
{
    ztcam::AviRecorder::setWriteFault(ztcam::AviRecorder::WriteFault{framesWritten, error});
}

ZTCAM_API ZTCamStatus ZTCamSim_GetFrameCount(int cameraIndex, uint64_t* count)
{
    if (!count)
        return ZTCAM_STATUS_INVALID_PARAM;
    std::shared_ptr<SimCamera> cam = SimLibrary::instance().camera(cameraIndex);
    if (!cam)
        return ZTCAM_STATUS_NO_DEVICE;
    *count = cam->frameCount();
    return ZTCAM_STATUS_SUCCESS;
}

ZTCAM_API uint32_t ZTCamSim_GenerateFrame(void* dst, uint32_t capacity, uint32_t width, uint32_t height,
                                          const char* pixelFormat, uint64_t frameNumber)
{
    ztcam::PixelFormat format;
    if (!dst || !pixelFormat || width == 0 || height == 0 || width > 65535 || height > 65535 ||
        !ztcam::PixelFormat::fromName(pixelFormat, format))
        return 0;
    ztcam::FrameGenerator generator;
    generator.configure(width, height, format);
    generator.fill(static_cast<uint8_t*>(dst), capacity, frameNumber, false, false, false);
    return generator.imageSize();
}

} // extern "C"
