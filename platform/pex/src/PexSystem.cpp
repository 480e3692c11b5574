#include "PexSystem.h"

#include "PexApplication.h"
#include "PexCallLog.h"
#include "PexCodes.h"
#include "PexLibrary.h"
#include "PexText.h"

#include <cstring>
#include <vector>

using namespace platform::pex;

namespace {

int64_t typeOfDescriptor(const wchar_t* descriptor)
{
    if (!descriptor)
        return 0;
    if (std::wcscmp(descriptor, L"PX_SYSTEM_TARSILCXP") == 0)
        return 14;
    if (std::wcscmp(descriptor, L"PX_SYSTEM_QUENDACXP") == 0)
        return 18;
    return 0;
}

PexSystem* findSystem(PexLibrary& lib, PEX_ID id, const wchar_t* operation, PexFailure& failure)
{
    PexSystem* sys = PexLibrary::find(lib.systems, id);
    if (!sys)
        failure.set(id, code::kErrInvalidId, std::wstring(operation) + L": invalid system identifier.");
    return sys;
}

// Text of camera i for the inquiries 33000 + 256 k + i.
bool cameraText(const PexCamera& camera, PEX_INT base, std::wstring* text)
{
    const PexCameraConfig& c = camera.config();
    switch (base) {
    case code::kSysModel: *text = PexText::widen(c.model); return true;
    case code::kSysVendor: *text = PexText::widen(c.vendor); return true;
    case code::kSysManufacturerInfo: *text = PexText::widen(c.manufacturerInfo); return true;
    case code::kSysUserName: *text = PexText::widen(camera.userId()); return true;
    case code::kSysVersion: *text = PexText::widen(c.version); return true;
    case code::kSysSerial: *text = PexText::widen(camera.serial()); return true;
    default: return false;
    }
}

}  // namespace

extern "C" {

PEX_ID PexSysAlloc(PEX_ID context, const wchar_t* descriptor, PEX_INT number, PEX_INT flag, void* reserved)
{
    (void)flag;
    (void)reserved;
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    PEX_ID id = 0;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        lib.ensureConfigured();
        const int64_t type = typeOfDescriptor(descriptor);
        PexBoard* board = nullptr;
        for (const auto& b : lib.boards)
            if (type != 0 && b->type == type && b->number == number)
                board = b.get();
        if (context != PEX_ID(PEX_DEFAULT))
            failure.set(context, code::kErrInvalidContext, L"PexSysAlloc: invalid application context.");
        else if (type == 0)
            failure.set(context, code::kErrInvalidValue, L"PexSysAlloc: unknown system descriptor.");
        else if (!board)
            failure.set(context, code::kErrNotFound, L"PexSysAlloc: board not found.",
                        lib.refusal.empty()
                            ? L"No board " + std::to_wstring(number) + L" of this system type is installed."
                            : PexText::widen(lib.refusal));
        else if (board->config.failSysAlloc)
            failure.set(context, code::kErrRefused, L"PexSysAlloc: the board could not be initialised.");
        else {
            auto sys = std::make_unique<PexSystem>();
            sys->id = id = PexLibrary::newId();
            sys->board = board;
            lib.systems[id] = std::move(sys);
        }
    }
    PexCallLog::instance().add("PexSysAlloc", context, number, PEX_INT(id));
    failure.raise();
    return id;
}

void PexSysFree(PEX_ID system)
{
    PexCallLog::instance().add("PexSysFree", system, 0, 0);
    PexLibrary& lib = PexLibrary::instance();
    std::vector<PEX_ID> digitizers, buffers, threads;
    PexFailure failure;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        if (!lib.systems.count(system))
            failure.set(system, code::kErrInvalidId, L"PexSysFree: invalid system identifier.");
        for (const auto& d : lib.digitizers)
            if (d.second->system == system)
                digitizers.push_back(d.first);
        for (const auto& b : lib.buffers)
            if (b.second->system == system)
                buffers.push_back(b.first);
        for (const auto& t : lib.threads)
            if (t.second->system == system)
                threads.push_back(t.first);
    }
    if (failure.code) {
        failure.raise();
        return;
    }
    // Children go silently: digitizers first (their grabs are reported),
    // then the thread objects, then the buffers.
    for (PEX_ID id : digitizers)
        PexDigitizer::release(id, true);
    for (PEX_ID id : threads)
        PexThread::release(id, true);
    for (PEX_ID id : buffers)
        PexBuffer::release(id, true);
    std::lock_guard<std::mutex> lock(lib.mutex);
    lib.systems.erase(system);
    lib.changed.notify_all();
}

void PexSysControl(PEX_ID system, PEX_INT code, PEX_INT value)
{
    PexCallLog::instance().add("PexSysControl", system, code, value);
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        PexSystem* sys = findSystem(lib, system, L"PexSysControl", failure);
        if (sys && code == code::kSysDiscover) {
            if (sys->board->config.refuseDiscovery)
                failure.set(system, code::kErrRefused, L"PexSysControl: camera discovery failed.",
                            L"The board does not answer the discovery request.");
            else
                sys->discovered = true;
        } else if (sys) {
            failure.set(system, code::kErrInvalidCode, L"PexSysControl: unknown control type.");
        }
    }
    failure.raise();
}

PEX_INT PexSysInquire(PEX_ID system, PEX_INT code, void* out)
{
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    PEX_INT value = 0;
    if (code == code::kSysSelectedThread) {
        std::lock_guard<std::mutex> lock(lib.mutex);
        if (findSystem(lib, system, L"PexSysInquire", failure)) {
            value = PEX_INT(PexThread::selected());
            PexLibrary::writeValue(out, value);
        }
    } else {
        std::lock_guard<std::mutex> lock(lib.mutex);
        PexSystem* sys = findSystem(lib, system, L"PexSysInquire", failure);
        if (sys) {
            const PexBoard& board = *sys->board;
            const PEX_INT cameras = PEX_INT(board.cameras.size());
            const PEX_INT found = sys->discovered ? cameras : 0;
            const PEX_INT plain = PexText::withoutSizeForm(code);
            const PEX_INT textBase = plain >= code::kSysModel && plain < code::kSysSerial + code::kSysTextSpan
                                         ? code::kSysModel + (plain - code::kSysModel) / code::kSysTextSpan *
                                                                 code::kSysTextSpan
                                         : 0;
            std::wstring text;
            if (code == code::kSysBoardNumber) {
                value = board.number;
                PexLibrary::writeValue(out, value);
            } else if (code == code::kSysCamerasFound) {
                value = found;
                PexLibrary::writeValue(out, value);
            } else if (code == code::kSysDigitizerCount) {
                value = cameras;
                PexLibrary::writeValue(out, value);
            } else if (code >= code::kSysDeviceNumber && code < code::kSysDeviceNumber + found) {
                value = board.cameras[size_t(code - code::kSysDeviceNumber)]->config().device;
                PexLibrary::writeValue(out, value);
            } else if (code == code::kSysBoardValue) {
                if (board.config.hasValue) {
                    value = board.config.value;
                    PexLibrary::writeValue(out, value);
                }
            } else if (PexText::answer(code, code::kSysBoardSerial, PexText::widen(board.serial), out)) {
            } else if (textBase && plain - textBase < found &&
                       cameraText(*board.cameras[size_t(plain - textBase)], textBase, &text)) {
                PexText::answer(code, plain, text, out);
            } else {
                failure.set(system, code::kErrInvalidCode, L"PexSysInquire: unknown inquiry type.",
                            L"Inquiry " + std::to_wstring(code) + L" is not known to this board.");
            }
        }
    }
    PexCallLog::instance().add("PexSysInquire", system, code, value);
    failure.raise();
    return value;
}

}  // extern "C"
