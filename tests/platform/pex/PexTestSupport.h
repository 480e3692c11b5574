// Helpers shared by the tests of the imaging-library stand-in.
#pragma once

#include <platform/pex/PexTest.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pextest {

constexpr PEX_INT kSizeForm = 0x50000000000LL;

// A text answer: the size form first, then the text.
template <typename Inquire>
std::wstring text(Inquire inquire, PEX_INT code)
{
    PEX_INT size = -1;
    inquire(code + kSizeForm, &size);
    if (size <= 0)
        return std::wstring();
    std::vector<wchar_t> buffer(size_t(size) + 1, L'#');
    inquire(code, buffer.data());
    EXPECT_EQ(buffer[size_t(size) - 1], L'\0') << "the size counts the NUL";
    return std::wstring(buffer.data());
}

inline std::wstring errorPart(PEX_INT part)
{
    return text([](PEX_INT c, void* out) { PexAppGetError(PEX_DEFAULT, c, out); }, part);
}

// Records what the error hook sees, on the thread that raised.
struct ErrorProbe {
    int calls = 0;
    PEX_INT code = 0;
    PEX_ID source = 0;
    std::wstring main;
    std::thread::id thread;

    static PEX_INT hook(PEX_INT, PEX_ID id, void* user)
    {
        auto* p = static_cast<ErrorProbe*>(user);
        ++p->calls;
        p->code = PexAppGetError(PEX_DEFAULT, 8, nullptr);
        p->source = id;
        p->main = errorPart(0x21000008);
        p->thread = std::this_thread::get_id();
        return 0;
    }
    ErrorProbe() { PexAppHookFunction(PEX_DEFAULT, PEX_ERROR_CURRENT_HOOK, &hook, this); }
    ~ErrorProbe() { PexAppHookFunction(PEX_DEFAULT, PEX_ERROR_CURRENT_HOOK + PEX_UNHOOK, &hook, this); }
};

// Records hook calls in order, with what the event answers.
struct HookLog {
    struct Call {
        PEX_INT type;
        PEX_ID event;
        std::thread::id thread;
        double stamp = -1;
        std::vector<PEX_INT> info;  // answers to `codes`, -1 when absent
    };
    std::vector<PEX_INT> codes;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Call> calls;

    static PEX_INT hook(PEX_INT type, PEX_ID event, void* user)
    {
        auto* log = static_cast<HookLog*>(user);
        Call c{type, event, std::this_thread::get_id(), -1, {}};
        PexGetHookInfo(event, 64, &c.stamp);
        for (PEX_INT code : log->codes) {
            PEX_INT v = -1;
            PexGetHookInfo(event, code, &v);
            c.info.push_back(v);
        }
        std::lock_guard<std::mutex> lock(log->mutex);
        log->calls.push_back(c);
        log->changed.notify_all();
        return 0;
    }
    size_t count(PEX_INT type)
    {
        std::lock_guard<std::mutex> lock(mutex);
        size_t n = 0;
        for (const Call& c : calls)
            n += c.type == type;
        return n;
    }
    // Waits (at most a few seconds, against a hang) for n calls of type.
    bool waitFor(PEX_INT type, size_t n)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [&] {
            size_t k = 0;
            for (const Call& c : calls)
                k += c.type == type;
            return k >= n;
        });
    }
    std::vector<Call> snapshot()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return calls;
    }
};

// A register address as the register calls take it.
inline std::wstring addressText(uint64_t address)
{
    wchar_t text[32];
    PexFormatText(text, 32, L"0x%llx", PEX_INT(address));
    return text;
}

inline void writeRegister(PEX_ID dig, uint64_t address, uint32_t value)
{
    const uint8_t big[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
    PexDigRegWrite(dig, 0x1B05, addressText(address).c_str(), 4, big);
}

inline uint32_t readRegister(PEX_ID dig, uint64_t address)
{
    uint8_t big[4] = {};
    PexDigRegRead(dig, 0x1B04, addressText(address).c_str(), 4, big);
    return uint32_t(big[0]) << 24 | uint32_t(big[1]) << 16 | uint32_t(big[2]) << 8 | big[3];
}

// The camera's description, read from the register space where its URL
// ("local:<file>;<address>;<length>") points; the URL goes to `url` when
// given. Empty when the URL names no place.
inline std::string cameraDescription(PEX_ID dig, std::wstring* url = nullptr)
{
    const std::wstring where = text([&](PEX_INT c, void* out) { PexDigInquire(dig, c, out); }, 7862);
    if (url)
        *url = where;
    unsigned long long address = 0, length = 0;
    const size_t semi = where.find(L';');
    if (semi == std::wstring::npos || std::swscanf(where.c_str() + semi + 1, L"%llx;%llx", &address, &length) != 2)
        return std::string();
    std::string xml(length, '\0');
    PexDigRegRead(dig, 0x1B04, addressText(address).c_str(), PEX_INT(length), &xml[0]);
    return xml;
}

// A configured installation with one system allocated; frees everything it
// knows of at the end.
class PexFixture : public ::testing::Test {
protected:
    void configure(const char* text) { ASSERT_TRUE(PexTestConfigure(text)) << "objects left over"; }
    void SetUp() override { configure(""); }
    void TearDown() override
    {
        if (system)
            PexSysFree(system);
        PexTestConfigure("");
    }
    PEX_ID allocSystem(PEX_INT board = 0)
    {
        system = PexSysAlloc(PEX_DEFAULT, L"PX_SYSTEM_TARSILCXP", board, PEX_DEFAULT, nullptr);
        return system;
    }
    PEX_ID system = 0;
};

// The same with digitizer 0 of the system allocated by open().
class PexDigitizerFixture : public PexFixture {
protected:
    void open(const char* config)
    {
        configure(config);
        allocSystem();
        dig = PexDigAlloc(system, 0, L"PX_DEFAULT", 4096, nullptr);
        ASSERT_NE(dig, 0u);
    }
    PEX_ID dig = 0;
};

}  // namespace pextest
