#include "PexBuffer.h"

#include "PexApplication.h"
#include "PexCallLog.h"
#include "PexCodes.h"
#include "PexHooks.h"
#include "PexLibrary.h"

#include <cstring>
#include <new>

namespace platform::pex {

namespace {
constexpr int64_t kAlignment = 64;
constexpr int64_t kMaxBytes = int64_t(1) << 34;
}  // namespace

int64_t PexBuffer::formatCode() const
{
    if (type == code::kBufFloat32)
        return 0x400;
    if (bands == 3)
        return elementBytes == 1 ? 0x800 : 0xB00;
    return elementBytes == 1 ? 0x200 : 0x300;
}

int64_t PexBuffer::pixelFormat() const
{
    if (type == code::kBufFloat32)
        return 0;
    if (bands == 3)
        return elementBytes == 1 ? 0x02180015 : 0x0230004B;  // BGR8, BGR16
    return elementBytes == 1 ? 0x01080001 : 0x01100007;      // Mono8, Mono16
}

bool PexBuffer::release(PEX_ID id, bool autoFree)
{
    PexLibrary& lib = PexLibrary::instance();
    {
        std::unique_lock<std::mutex> lock(lib.mutex);
        PexBuffer* buf = PexLibrary::find(lib.buffers, id);
        if (!buf)
            return false;
        buf->freeing = true;
        // Grabs into the buffer that have not started go without a report.
        for (auto& t : lib.threads) {
            for (auto* list : {&t.second->queue, &t.second->cancels}) {
                for (auto it = list->begin(); it != list->end();) {
                    if (!it->wait && it->buffer == id) {
                        if (PexDigitizer* dig = PexLibrary::find(lib.digitizers, it->digitizer))
                            --dig->outstanding;
                        it = list->erase(it);
                    } else {
                        ++it;
                    }
                }
            }
        }
        lib.changed.notify_all();
        lib.changed.wait(lock, [&] { return !buf->busy; });
        for (auto& d : lib.digitizers) {
            if (d.second->coefficients == id) {
                d.second->coefficients = 0;
                d.second->ownsCoefficients = false;
            }
        }
        lib.buffers.erase(id);
        if (autoFree)
            lib.autoFreed.insert(id);
        lib.changed.notify_all();
    }
    PexHooks::instance().removeObject(id);
    return true;
}

}  // namespace platform::pex

using namespace platform::pex;

namespace {

// The byte count of a buffer of these dimensions (each checked positive and
// small where it is a band or element count), or 0 when it passes the
// library's limit; a product that overflows is past it.
int64_t byteCount(int64_t bands, int64_t width, int64_t height, int64_t elementBytes)
{
    int64_t pitch = 0, bytes = 0;
    if (__builtin_mul_overflow(width, bands * elementBytes, &pitch) || __builtin_mul_overflow(pitch, height, &bytes) ||
        bytes > kMaxBytes)
        return 0;
    return bytes;
}

PEX_ID allocate(const char* name, PEX_ID system, int64_t bands, int64_t width, int64_t height, int64_t type,
                int64_t attribute)
{
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    PEX_ID id = 0;
    const bool array = std::strcmp(name, "PexBufAlloc1d") == 0;
    const std::wstring operation = array ? L"PexBufAlloc1d" : L"PexBufAllocColor";
    const int64_t elementBytes = type == code::kBufFloat32 ? 4 : type == 8 ? 1 : type == 16 ? 2 : type == 32 ? 4 : 0;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        if (!PexLibrary::find(lib.systems, system)) {
            failure.set(system, code::kErrInvalidId, operation + L": invalid system identifier.");
        } else if ((bands != 1 && bands != 3) || width <= 0 || height <= 0 || elementBytes == 0 ||
                   (!array && type == code::kBufFloat32) || byteCount(bands, width, height, elementBytes) == 0) {
            failure.set(system, code::kErrInvalidValue, operation + L": invalid buffer size or type.");
        } else {
            auto buf = std::make_unique<PexBuffer>();
            buf->id = PexLibrary::newId();
            buf->system = system;
            buf->bands = bands;
            buf->width = width;
            buf->height = height;
            buf->type = type;
            buf->attribute = attribute;
            buf->elementBytes = elementBytes;
            buf->pitch = width * bands * elementBytes;
            buf->bytes = buf->pitch * height;
            buf->memory.reset(new (std::nothrow) uint8_t[size_t(buf->bytes + kAlignment)]);
            if (!buf->memory) {
                failure.set(system, code::kErrOutOfMemory, operation + L": not enough host memory.");
            } else {
                const uintptr_t at = reinterpret_cast<uintptr_t>(buf->memory.get());
                buf->data = buf->memory.get() + (kAlignment - at % kAlignment) % kAlignment;
                std::memset(buf->data, 0, size_t(buf->bytes));
                id = buf->id;
                lib.buffers[id] = std::move(buf);
            }
        }
    }
    PexCallLog::instance().add(name, system, width, PEX_INT(id));
    failure.raise();
    return id;
}

// Runs fn on the buffer under the lock; raises for an unknown id.
template <typename Fn>
void withBuffer(const wchar_t* operation, PEX_ID id, Fn fn)
{
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        PexBuffer* buf = PexLibrary::find(lib.buffers, id);
        if (!buf)
            failure.set(id, code::kErrInvalidId, std::wstring(operation) + L": invalid buffer identifier.");
        else
            fn(*buf, failure);
    }
    failure.raise();
}

}  // namespace

extern "C" {

PEX_ID PexBufAllocColor(PEX_ID system, PEX_INT bands, PEX_INT width, PEX_INT height, PEX_INT type,
                        PEX_INT attribute, void* reserved)
{
    (void)reserved;
    return allocate("PexBufAllocColor", system, bands, width, height, type, attribute);
}

PEX_ID PexBufAlloc1d(PEX_ID system, PEX_INT size, PEX_INT type, PEX_INT attribute)
{
    return allocate("PexBufAlloc1d", system, 1, size, 1, type, attribute);
}

void PexBufFree(PEX_ID buffer)
{
    PexCallLog::instance().add("PexBufFree", buffer, 0, 0);
    if (PexBuffer::release(buffer, false))
        return;
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        if (!lib.autoFreed.count(buffer))
            failure.set(buffer, code::kErrInvalidId, L"PexBufFree: invalid buffer identifier.");
    }
    failure.raise();
}

PEX_INT PexBufInquire(PEX_ID buffer, PEX_INT code, void* out)
{
    PEX_INT value = 0;
    withBuffer(L"PexBufInquire", buffer, [&](PexBuffer& buf, PexFailure& failure) {
        switch (code) {
        case code::kBufBytes: value = buf.bytes; break;
        case code::kBufHostAddress: value = PEX_INT(reinterpret_cast<uintptr_t>(buf.data)); break;
        case code::kBufPitch: value = buf.pitch; break;  // bytes
        case code::kBufFormat: value = buf.formatCode(); break;
        case code::kBufBands: value = buf.bands; break;
        case code::kBufPixelFormat: value = buf.pixelFormat(); break;
        default:
            failure.set(buffer, code::kErrInvalidCode, L"PexBufInquire: unknown inquiry type.");
            return;
        }
        PexLibrary::writeValue(out, value);
    });
    PexCallLog::instance().add("PexBufInquire", buffer, code, value);
    return value;
}

void PexBufGet(PEX_ID buffer, void* host)
{
    PexCallLog::instance().add("PexBufGet", buffer, 0, 0);
    withBuffer(L"PexBufGet", buffer, [&](PexBuffer& buf, PexFailure&) {
        if (host)
            std::memcpy(host, buf.data, size_t(buf.bytes));
    });
}

void PexBufPut(PEX_ID buffer, const void* host)
{
    PexCallLog::instance().add("PexBufPut", buffer, 0, 0);
    withBuffer(L"PexBufPut", buffer, [&](PexBuffer& buf, PexFailure&) {
        if (host)
            std::memcpy(buf.data, host, size_t(buf.bytes));
    });
}

void PexBufHookFunction(PEX_ID buffer, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData)
{
    PexCallLog::instance().add("PexBufHookFunction", buffer, type, 0);
    bool known = false;
    withBuffer(L"PexBufHookFunction", buffer, [&](PexBuffer&, PexFailure&) { known = true; });
    if (!known)
        return;
    const bool hookType = type == code::kHookModified || type == code::kHookCancelled;
    const bool unhookType = type == code::kHookModified + code::kUnhook || type == code::kHookCancelled + code::kUnhook;
    if (unhookType) {
        PexHooks::instance().remove(buffer, type - code::kUnhook, function, userData);
    } else if (hookType && function) {
        PexHooks::instance().add(buffer, type, function, userData);
    } else {
        PexFailure failure;
        failure.set(buffer, code::kErrInvalidCode, L"PexBufHookFunction: invalid hook type or function.");
        failure.raise();
    }
}

}  // extern "C"
