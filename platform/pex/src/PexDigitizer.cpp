#include "PexDigitizer.h"

#include "PexApplication.h"
#include "PexCallLog.h"
#include "PexCodes.h"
#include "PexHooks.h"
#include "PexLibrary.h"
#include "PexText.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <vector>

namespace platform::pex {

uint32_t PexDigitizer::effectiveRoiWidth() const
{
    const uint32_t w = camera->width();
    const uint32_t x = std::min(roiX, w - 1);
    return std::min(roiWidth ? roiWidth : w, w - x);
}

uint32_t PexDigitizer::effectiveRoiHeight() const
{
    const uint32_t h = camera->height();
    const uint32_t y = std::min(roiY, h - 1);
    return std::min(roiHeight ? roiHeight : h, h - y);
}

uint32_t PexDigitizer::bands() const
{
    const PexPixelFormat& f = camera->format();
    return f.bayer && bayer ? 3 : f.bands;
}

uint32_t PexDigitizer::dataType() const { return camera->format().bits > 8 ? 16 : 8; }

uint32_t PexDigitizer::bits() const { return camera->format().bits; }

PexRenderJob PexDigitizer::job(uint64_t frame) const
{
    PexRenderJob job;
    const PexPixelFormat& f = camera->format();
    job.sensorX = camera->offsetX();
    job.sensorY = camera->offsetY();
    job.bits = f.bits;
    job.bands = f.bands;
    job.bayer = f.bayer;
    job.frame = frame;
    job.roiX = std::min(roiX, camera->width() - 1);
    job.roiY = std::min(roiY, camera->height() - 1);
    job.roiWidth = effectiveRoiWidth();
    job.roiHeight = effectiveRoiHeight();
    job.decimationX = uint32_t(std::lround(1.0 / scaleX));
    job.decimationY = uint32_t(std::lround(1.0 / scaleY));
    job.reverseX = reverseX == code::kReverseOn;
    job.reverseY = reverseY == code::kReverseOn;
    job.convertBayer = bayer;
    return job;
}

void PexDigitizer::clampRoi()
{
    roiX = std::min(roiX, camera->width() - 1);
    roiY = std::min(roiY, camera->height() - 1);
    if (roiWidth)
        roiWidth = effectiveRoiWidth();
    if (roiHeight)
        roiHeight = effectiveRoiHeight();
}

void PexDigitizer::stampEvent(PexEventInfo* info)
{
    info->timeStamp = PexLibrary::now();
    info->values[code::kInfoEventCounter] = ++events;
}

bool PexDigitizer::risingEdge(PEX_INT pin, PexEventInfo* info)
{
    ioState |= 1u << (pin - code::kPinFirst);
    stampEvent(info);
    info->values[code::kInfoPin] = pin;
    info->values[code::kInfoIoState] = ioState;
    return pinModes[pin] == code::kPinEventInput && pinInterrupts[pin];
}

void PexDigitizer::startTicker()
{
    const int64_t period = camera->config().ioPeriodMs;
    if (period <= 0)
        return;
    ticker = std::thread([this, digitizer = id, period] {
        PexLibrary& lib = PexLibrary::instance();
        std::unique_lock<std::mutex> lock(lib.mutex);
        auto next = std::chrono::steady_clock::now();
        for (;;) {
            next += std::chrono::milliseconds(period);
            if (lib.changed.wait_until(lock, next, [&] { return stopping; }))
                return;
            PexEventInfo info;
            if (!risingEdge(camera->config().ioPin, &info))
                continue;
            lock.unlock();
            PexHooks& hooks = PexHooks::instance();
            const PEX_ID event = hooks.beginEvent(info);
            hooks.fire(id, code::kHookIoChange, event);
            hooks.endEvent(event);
            lock.lock();
            if (PexLibrary::find(lib.digitizers, digitizer) != this)
                return;  // a callback freed the digitizer
        }
    });
}

bool PexDigitizer::release(PEX_ID id, bool autoFree)
{
    PexLibrary& lib = PexLibrary::instance();
    PEX_ID coefficients = 0;
    {
        std::unique_lock<std::mutex> lock(lib.mutex);
        PexDigitizer* dig = PexLibrary::find(lib.digitizers, id);
        if (!dig || dig->stopping)
            return false;
        // The periodic edges end first.
        dig->stopping = true;
        lib.changed.notify_all();
        if (dig->ticker.joinable()) {
            std::thread ticker = std::move(dig->ticker);
            lock.unlock();
            if (ticker.get_id() == std::this_thread::get_id())
                ticker.detach();  // freed from one of its own callbacks
            else
                ticker.join();
            lock.lock();
        }
        // Pending grabs are reported as cancelled by their workers, the
        // running one is aborted; wait until all of them have ended.
        for (auto& t : lib.threads)
            PexGrabEngine::dropPending(*t.second, id, false);
        ++dig->abortCount;
        lib.changed.notify_all();
        lib.changed.wait(lock, [&] { return dig->outstanding == 0; });
        if (dig->ownsCoefficients)
            coefficients = dig->coefficients;
        dig->board->owners[dig->cameraIndex] = 0;
        lib.digitizers.erase(id);
        if (autoFree)
            lib.autoFreed.insert(id);
        lib.changed.notify_all();
    }
    PexHooks::instance().removeObject(id);
    if (coefficients)
        PexBuffer::release(coefficients, true);
    return true;
}

}  // namespace platform::pex

using namespace platform::pex;

namespace {

PexDigitizer* findDigitizer(PexLibrary& lib, PEX_ID id, const wchar_t* operation, PexFailure& failure)
{
    PexDigitizer* dig = PexLibrary::find(lib.digitizers, id);
    if (!dig)
        failure.set(id, code::kErrInvalidId, std::wstring(operation) + L": invalid digitizer identifier.");
    return dig;
}

bool isPin(PEX_INT code, PEX_INT base) { return code >= base + code::kPinFirst && code <= base + code::kPinLast; }

bool isDigitizerHook(PEX_INT type)
{
    switch (type) {
    case code::kHookGrabStart:
    case code::kHookFrameStart:
    case code::kHookLineEnd:
    case code::kHookLine:
    case code::kHookFrameEnd:
    case code::kHookGrabEnd:
    case code::kHookIoChange:
        return true;
    default:
        return (type >= code::kHookEncoder1 && type <= code::kHookEncoder1 + 0x30 && type % 0x10 == 0) ||
               (type >= code::kHookTimerStart1 && type < code::kHookTimerStart1 + 4) ||
               (type >= code::kHookTimerEnd1 && type < code::kHookTimerEnd1 + 4);
    }
}

// White balance once: gains that bring the mean red and blue of the
// current image to its mean green.
void balanceWhite(const PexDigitizer& dig, float* coefficients)
{
    const PexRenderJob job = dig.job(dig.camera->frameCounter());
    double sum[3] = {0, 0, 0};
    const uint32_t step = 7;
    for (uint32_t y = 0; y < job.roiHeight; y += step)
        for (uint32_t x = 0; x < job.roiWidth; x += step)
            for (uint32_t c = 0; c < 3; ++c)
                sum[c] += PexFramePattern::value(job.sensorX + job.roiX + x, job.sensorY + job.roiY + y, job.frame,
                                                 c, job.bits);
    for (int c = 0; c < 3; ++c)
        coefficients[c] = sum[c] > 0 ? float(sum[1] / sum[c]) : 1.0f;
}

bool parseAddress(const wchar_t* text, uint64_t* address)
{
    if (!text)
        return false;
    wchar_t* end = nullptr;
    *address = std::wcstoull(text, &end, 0);
    return end != text && *end == L'\0';
}

void registerAccess(bool read, PEX_ID digitizer, PEX_INT space, const wchar_t* addressText, PEX_INT size,
                    uint8_t* readTo, const uint8_t* writeFrom)
{
    const char* name = read ? "PexDigRegRead" : "PexDigRegWrite";
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    const std::wstring operation = read ? L"PexDigRegRead" : L"PexDigRegWrite";
    uint64_t address = 0;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        PexDigitizer* dig = findDigitizer(lib, digitizer, operation.c_str(), failure);
        const PEX_INT expected = read ? code::kRegReadSpace : code::kRegWriteSpace;
        std::string why;
        if (!dig) {
        } else if (space != expected) {
            failure.set(digitizer, code::kErrInvalidValue, operation + L": invalid register space.");
        } else if (!parseAddress(addressText, &address) || size <= 0 || (read ? !readTo : !writeFrom)) {
            failure.set(digitizer, code::kErrInvalidValue, operation + L": invalid address, size or data.");
        } else if (read ? !dig->camera->read(address, uint64_t(size), readTo, &why)
                          : !dig->camera->write(address, uint64_t(size), writeFrom, &why, PexLibrary::now())) {
            failure.set(digitizer, code::kErrRegister, operation + L": camera register access failed.",
                        L"Address " + std::wstring(addressText) + L": " + PexText::widen(why) + L".");
        }
        lib.changed.notify_all();
    }
    PexCallLog::instance().add(name, digitizer, PEX_INT(address), size);
    failure.raise();
}

}  // namespace

extern "C" {

PEX_ID PexDigAlloc(PEX_ID system, PEX_INT number, const wchar_t* format, PEX_INT flag, void* reserved)
{
    (void)format;
    (void)flag;
    (void)reserved;
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    PEX_ID id = 0;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        PexSystem* sys = PexLibrary::find(lib.systems, system);
        if (!sys) {
            failure.set(system, code::kErrInvalidId, L"PexDigAlloc: invalid system identifier.");
        } else {
            PexBoard& board = *sys->board;
            size_t index = board.cameras.size();
            for (size_t i = 0; i < board.cameras.size(); ++i)
                if (board.cameras[i]->config().device == number)
                    index = i;
            if (index == board.cameras.size())
                failure.set(system, code::kErrNotFound, L"PexDigAlloc: no such digitizer.",
                            L"Digitizer " + std::to_wstring(number) + L" does not exist on this board.");
            else if (board.owners[index] != 0)
                failure.set(system, code::kErrBusy, L"PexDigAlloc: the digitizer is in use.",
                            L"Digitizer " + std::to_wstring(number) + L" is allocated already.");
            else if (board.cameras[index]->config().failDigAlloc)
                failure.set(system, code::kErrRefused, L"PexDigAlloc: the digitizer could not be initialised.");
            else {
                auto dig = std::make_unique<PexDigitizer>();
                dig->id = id = PexLibrary::newId();
                dig->system = system;
                dig->board = &board;
                dig->cameraIndex = index;
                dig->camera = board.cameras[index].get();
                board.owners[index] = id;
                dig->startTicker();
                lib.digitizers[id] = std::move(dig);
            }
        }
    }
    PexCallLog::instance().add("PexDigAlloc", system, number, PEX_INT(id));
    failure.raise();
    return id;
}

void PexDigFree(PEX_ID digitizer)
{
    PexCallLog::instance().add("PexDigFree", digitizer, 0, 0);
    if (PexDigitizer::release(digitizer, false))
        return;
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        if (!lib.autoFreed.count(digitizer))
            failure.set(digitizer, code::kErrInvalidId, L"PexDigFree: invalid digitizer identifier.");
    }
    failure.raise();
}

void PexDigControl(PEX_ID digitizer, PEX_INT code, PEX_INT value)
{
    PexCallLog::instance().add("PexDigControl", digitizer, code, value);
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    PEX_ID coefficientsToFill = 0;
    float coefficients[3] = {1, 1, 1};
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        PexDigitizer* dig = findDigitizer(lib, digitizer, L"PexDigControl", failure);
        const auto& refused = dig ? dig->camera->config().failControls : std::vector<int64_t>();
        auto invalid = [&] {
            failure.set(digitizer, code::kErrInvalidValue, L"PexDigControl: invalid control value.",
                        L"Control " + std::to_wstring(code) + L" does not take " + std::to_wstring(value) + L".");
        };
        if (!dig) {
        } else if (std::find(refused.begin(), refused.end(), code) != refused.end()) {
            failure.set(digitizer, code::kErrRefused, L"PexDigControl: the digitizer refused the control.",
                        L"Control " + std::to_wstring(code) + L" failed.");
        } else {
            switch (code) {
            case code::kDigGrabTimeout:
            case code::kDigGrabMode:
            case code::kDigGrabFailCheck:
            case code::kDigCxpSetting:
            case code::kDigMissedFrameCount:
                dig->stored[code] = value;
                break;
            case code::kDigRoiWidth:
            case code::kDigRoiHeight:
            case code::kDigRoiX:
            case code::kDigRoiY:
                if (value < 0 || value > 0xFFFFFFF || (value == 0 && code <= code::kDigRoiHeight)) {
                    invalid();
                    break;
                }
                (code == code::kDigRoiWidth    ? dig->roiWidth
                 : code == code::kDigRoiHeight ? dig->roiHeight
                 : code == code::kDigRoiX      ? dig->roiX
                                               : dig->roiY) = uint32_t(value);
                dig->clampRoi();
                break;
            case code::kDigReverseX:
            case code::kDigReverseY:
                if (value != code::kReverseOff && value != code::kReverseOn)
                    invalid();
                else
                    (code == code::kDigReverseX ? dig->reverseX : dig->reverseY) = value;
                break;
            case code::kDigBayer:
                if (value != code::kEnable && value != code::kDisable)
                    invalid();
                else
                    dig->bayer = value == code::kEnable;
                break;
            case code::kDigWhiteBalanceOnce:
                if (value != 1) {
                    invalid();
                    break;
                }
                if (!dig->coefficients) {
                    PexBuffer* buf = nullptr;
                    auto owned = std::make_unique<PexBuffer>();
                    owned->id = PexLibrary::newId();
                    owned->system = dig->system;
                    owned->width = 3;
                    owned->type = code::kBufFloat32;
                    owned->elementBytes = 4;
                    owned->pitch = owned->bytes = 12;
                    owned->memory.reset(new uint8_t[12]());
                    owned->data = owned->memory.get();
                    buf = owned.get();
                    lib.buffers[buf->id] = std::move(owned);
                    dig->coefficients = buf->id;
                    dig->ownsCoefficients = true;
                }
                balanceWhite(*dig, coefficients);
                coefficientsToFill = dig->coefficients;
                break;
            case code::kDigCoefficients: {
                PexBuffer* buf = PexLibrary::find(lib.buffers, PEX_ID(value));
                if (!buf || buf->type != code::kBufFloat32 || buf->width < 3) {
                    invalid();
                    break;
                }
                dig->coefficients = buf->id;
                dig->ownsCoefficients = false;
                break;
            }
            case code::kDigRefresh:
                dig->clampRoi();
                break;
            case code::kDigMissedReset:
                dig->camera->resetMissed();
                break;
            case code::kDigAbort:
                ++dig->abortCount;
                lib.changed.notify_all();
                break;
            default:
                if (isPin(code, code::kDigPinMode)) {
                    dig->pinModes[code - code::kDigPinMode] = value;
                } else if (isPin(code, code::kDigPinInterrupt)) {
                    if (value != code::kEnable && value != code::kDisable)
                        invalid();
                    else
                        dig->pinInterrupts[code - code::kDigPinInterrupt] = value == code::kEnable;
                } else {
                    failure.set(digitizer, code::kErrInvalidCode, L"PexDigControl: unknown control type.",
                                L"Control " + std::to_wstring(code) + L" is not known to this digitizer.");
                }
                break;
            }
        }
        if (coefficientsToFill) {
            if (PexBuffer* buf = PexLibrary::find(lib.buffers, coefficientsToFill))
                std::memcpy(buf->data, coefficients, sizeof coefficients);
        }
    }
    failure.raise();
}

void PexDigControlDouble(PEX_ID digitizer, PEX_INT code, double value)
{
    PexCallLog::instance().add("PexDigControlDouble", digitizer, code, PEX_INT(value * 1000000.0));
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        PexDigitizer* dig = findDigitizer(lib, digitizer, L"PexDigControlDouble", failure);
        if (!dig) {
        } else if (code != code::kDigScaleX && code != code::kDigScaleY) {
            failure.set(digitizer, code::kErrInvalidCode, L"PexDigControlDouble: unknown control type.");
        } else if (!(value > 0.0 && value <= 1.0)) {
            failure.set(digitizer, code::kErrInvalidValue, L"PexDigControlDouble: invalid scale.",
                        L"A scale lies above 0 and at most 1.");
        } else {
            (code == code::kDigScaleX ? dig->scaleX : dig->scaleY) = value;
        }
    }
    failure.raise();
}

PEX_INT PexDigInquire(PEX_ID digitizer, PEX_INT code, void* out)
{
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    PEX_INT value = 0;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        PexDigitizer* dig = findDigitizer(lib, digitizer, L"PexDigInquire", failure);
        if (dig) {
            const PexCamera& cam = *dig->camera;
            bool known = true;
            bool written = false;
            switch (code) {
            case code::kDigWidth: value = cam.width(); break;
            case code::kDigHeight: value = cam.height(); break;
            case code::kDigBands: value = dig->bands(); break;
            case code::kDigType: value = dig->dataType(); break;
            case code::kDigBits: value = dig->bits(); break;
            case code::kDigRoiWidth: value = dig->effectiveRoiWidth(); break;
            case code::kDigRoiHeight: value = dig->effectiveRoiHeight(); break;
            case code::kDigRoiX: value = std::min(dig->roiX, cam.width() - 1); break;
            case code::kDigRoiY: value = std::min(dig->roiY, cam.height() - 1); break;
            case code::kDigReverseX: value = dig->reverseX; break;
            case code::kDigReverseY: value = dig->reverseY; break;
            case code::kDigBayer: value = dig->bayer ? code::kEnable : code::kDisable; break;
            case code::kDigCameraFormat: value = cam.format().pfnc; break;
            case code::kDigCoefficients: value = PEX_INT(dig->coefficients); break;
            case code::kDigGrabbing: value = dig->outstanding != 0; break;
            case code::kDigMissed: value = cam.missed(); break;
            case code::kDigManifestCount: value = 1; break;
            case code::kDigFileMajor: value = 1; break;
            case code::kDigFileMinor: value = 0; break;
            case code::kDigFileSubMinor: value = 0; break;
            case code::kDigSchemaMajor: value = 1; break;
            case code::kDigSchemaMinor: value = 1; break;
            case code::kDigScaleX:
            case code::kDigScaleY: {
                const double scale = code == code::kDigScaleX ? dig->scaleX : dig->scaleY;
                if (out)
                    std::memcpy(out, &scale, sizeof scale);
                written = true;
                break;
            }
            case code::kDigSha1:
                if (out)
                    std::memset(out, 0, 20);  // no SHA-1 for the description
                written = true;
                break;
            default:
                if (PexText::answer(code, code::kDigManifestUrl, PexText::widen(cam.manifestUrl()), out)) {
                    written = true;
                } else if (dig->stored.count(code)) {
                    value = dig->stored[code];
                } else if (isPin(code, code::kDigPinMode)) {
                    value = dig->pinModes[code - code::kDigPinMode];
                } else if (isPin(code, code::kDigPinInterrupt)) {
                    value = dig->pinInterrupts[code - code::kDigPinInterrupt] ? code::kEnable : code::kDisable;
                } else {
                    known = false;
                }
                break;
            }
            if (!known)
                failure.set(digitizer, code::kErrInvalidCode, L"PexDigInquire: unknown inquiry type.",
                            L"Inquiry " + std::to_wstring(code) + L" is not known to this digitizer.");
            else if (!written)
                PexLibrary::writeValue(out, value);
        }
    }
    PexCallLog::instance().add("PexDigInquire", digitizer, code, value);
    failure.raise();
    return value;
}

void PexDigHookFunction(PEX_ID digitizer, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData)
{
    PexCallLog::instance().add("PexDigHookFunction", digitizer, type, 0);
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    bool known;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        known = findDigitizer(lib, digitizer, L"PexDigHookFunction", failure) != nullptr;
    }
    if (known && type > code::kUnhook && isDigitizerHook(type - code::kUnhook))
        PexHooks::instance().remove(digitizer, type - code::kUnhook, function, userData);
    else if (known && isDigitizerHook(type) && function)
        PexHooks::instance().add(digitizer, type, function, userData);
    else if (known)
        failure.set(digitizer, code::kErrInvalidCode, L"PexDigHookFunction: invalid hook type or function.");
    failure.raise();
}

void PexDigRegRead(PEX_ID digitizer, PEX_INT space, const wchar_t* address, PEX_INT size, void* data)
{
    registerAccess(true, digitizer, space, address, size, static_cast<uint8_t*>(data), nullptr);
}

void PexDigRegWrite(PEX_ID digitizer, PEX_INT space, const wchar_t* address, PEX_INT size, const void* data)
{
    registerAccess(false, digitizer, space, address, size, nullptr, static_cast<const uint8_t*>(data));
}

}  // extern "C"
