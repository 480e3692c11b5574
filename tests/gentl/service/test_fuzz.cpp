// Random calls of all 57 GenTL functions from four threads, with valid,
// stale and made-up handles, random sizes and null pointers. Data and out
// pointers are null or valid memory of the stated size; only handle values
// are garbage. Every call must answer with a GenTL code.
#include "ProducerFixture.h"

#include <GenTL.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace GenTLTest;

namespace {

constexpr int kThreads = 4;
constexpr int kCallsPerThread = 25000;
constexpr size_t kSlots = 12;

// The kinds of handles the fuzzer remembers, so that calls mostly get a
// handle of the kind they expect (or one that was closed since).
enum Kind { SYS, IFC, DEV, STM, BUF, EVT, PRT, KINDS };
constexpr size_t kBufferSize = 512;
constexpr size_t kArenaSize = 1 << 16;

// Memory that announced buffers may point into until the library closes.
uint8_t g_arena[kThreads][kArenaSize];

class Fuzzer {
public:
    explicit Fuzzer(std::atomic<void*> (*slots)[kSlots]) : m_slots(slots) {}

    // One random call on `thread`'s random stream; its result.
    GC_ERROR Call(int thread, std::mt19937_64& random);

private:
    uint64_t Next(uint64_t bound) { return bound == 0 ? 0 : (*m_random)() % bound; }
    bool OneIn(uint64_t n) { return Next(n) == 0; }

    // Mostly a remembered handle of `kind` (possibly closed since), else
    // one of any kind, null or made up.
    void* Handle(Kind kind)
    {
        switch (Next(16)) {
        case 0: return nullptr;
        case 1: return reinterpret_cast<void*>(uintptr_t(Next(1 << 20)) << 4);
        case 2: return &m_buffer[Next(kBufferSize)];
        case 3:
        case 4: return m_slots[Next(KINDS)][Next(kSlots)].load();
        default:
            // Every module is a port too.
            if (kind == PRT && !OneIn(3))
                kind = static_cast<Kind>(Next(4));
            return m_slots[kind][Next(kSlots)].load();
        }
    }
    void Remember(GC_ERROR code, void* handle, Kind kind)
    {
        if (code == GC_ERR_SUCCESS && handle)
            m_slots[kind][Next(kSlots)].store(handle);
    }
    template <class T>
    T* Out(T* target)
    {
        return OneIn(5) ? nullptr : target;
    }
    size_t* Size()
    {
        m_size = Next(kBufferSize + 1);
        return Out(&m_size);
    }
    void* Buffer() { return OneIn(5) ? nullptr : m_buffer; }
    int32_t Command() { return OneIn(8) ? static_cast<int32_t>(Next(1 << 16)) - 100 : static_cast<int32_t>(Next(14)); }
    // Mostly the id of the first child of `kind`, else any.
    const char* Id(Kind kind)
    {
        if (!OneIn(4))
            return kind == IFC ? "TestTL_ITF_if0" : kind == DEV ? "TestTL_DEV_cam0" : "TestTL_STM0_TestTL_DEV_cam0";
        static const char* const ids[] = {"TestTL_ITF_if0", "TestTL_DEV_cam0", "TestTL_DEV_cam1",
                                          "TestTL_STM0_TestTL_DEV_cam0", "TestTL_STM0_TestTL_DEV_cam1", "", "nothing"};
        return OneIn(8) ? nullptr : ids[Next(sizeof ids / sizeof ids[0])];
    }
    uint64_t Timeout() { return Next(2); }
    uint64_t Address()
    {
        static const uint64_t bases[] = {0, 0x200, 0x10000000, 0x20000000, 0xE0000000, 0xF0000000, 0x1000};
        return OneIn(6) ? (*m_random)() : bases[Next(7)] + Next(0x100);
    }
    PORT_REGISTER_STACK_ENTRY* Stack(size_t* count)
    {
        *count = Next(5);
        for (size_t i = 0; i < *count; ++i) {
            m_stack[i].Address = Address();
            m_stack[i].pBuffer = OneIn(5) ? nullptr : m_entryBuffers[i];
            m_stack[i].Size = Next(sizeof m_entryBuffers[i] + 1);
        }
        return OneIn(6) ? nullptr : m_stack;
    }

    std::atomic<void*> (*m_slots)[kSlots];
    std::mt19937_64* m_random = nullptr;
    uint8_t m_buffer[kBufferSize] = {};
    size_t m_size = 0;
    PORT_REGISTER_STACK_ENTRY m_stack[4] = {};
    uint8_t m_entryBuffers[4][64] = {};
    SINGLE_CHUNK_DATA m_chunks[8] = {};
};

GC_ERROR Fuzzer::Call(int thread, std::mt19937_64& random)
{
    m_random = &random;
    INFO_DATATYPE type = 0;
    void* handle = nullptr;
    uint32_t number = 0;
    bool8_t flag = 0;
    GC_ERROR code = 0;
    switch (Next(57)) {
    case 0: return GCGetInfo(Command(), Out(&type), Buffer(), Size());
    case 1: return GCGetLastError(Out(&code), OneIn(3) ? nullptr : reinterpret_cast<char*>(m_buffer), Size());
    case 2: return OneIn(20) ? GCInitLib() : GCGetNumPortURLs(Handle(PRT), Out(&number));
    case 3: return OneIn(3000) ? GCCloseLib() : GCGetNumPortURLs(Handle(PRT), Out(&number));
    case 4: return GCReadPort(Handle(PRT), Address(), Buffer(), Size());
    case 5: return GCWritePort(Handle(PRT), Address(), Buffer(), Size());
    case 6: return GCGetPortURL(Handle(PRT), static_cast<char*>(Buffer()), Size());
    case 7: return GCGetPortInfo(Handle(PRT), Command(), Out(&type), Buffer(), Size());
    case 8: {
        void* source = Handle(static_cast<Kind>(Next(4)));
        code = GCRegisterEvent(source, static_cast<EVENT_TYPE>(Next(6)), Out(&handle));
        Remember(code, handle, EVT);
        return code;
    }
    case 9: return GCUnregisterEvent(Handle(DEV), static_cast<EVENT_TYPE>(Next(6)));
    case 10: {
        code = EventGetData(Handle(EVT), Buffer(), Size(), Timeout());
        if (code == GC_ERR_SUCCESS && m_size >= sizeof(S_EVENT_NEW_BUFFER))
            Remember(code, reinterpret_cast<S_EVENT_NEW_BUFFER*>(m_buffer)->BufferHandle, BUF);
        return code;
    }
    case 11: {
        const size_t inSize = Next(kBufferSize + 1);
        return EventGetDataInfo(Handle(EVT), OneIn(4) ? nullptr : m_buffer, inSize, Command(), Out(&type),
                                m_entryBuffers[0], Out(&(m_size = Next(65))));
    }
    case 12: return EventGetInfo(Handle(EVT), Command(), Out(&type), Buffer(), Size());
    case 13: return EventFlush(Handle(EVT));
    case 14: return OneIn(10) ? EventKill(Handle(EVT)) : EventFlush(Handle(EVT));
    case 15: code = TLOpen(Out(&handle)); Remember(code, handle, SYS); return code;
    case 16: return OneIn(100) ? TLClose(Handle(SYS)) : TLGetNumInterfaces(Handle(SYS), Out(&number));
    case 17: return TLGetInfo(Handle(SYS), Command(), Out(&type), Buffer(), Size());
    case 18: return TLGetNumInterfaces(Handle(SYS), Out(&number));
    case 19: return TLGetInterfaceID(Handle(SYS), static_cast<uint32_t>(Next(3)), static_cast<char*>(Buffer()), Size());
    case 20: return TLGetInterfaceInfo(Handle(SYS), Id(IFC), Command(), Out(&type), Buffer(), Size());
    case 21: code = TLOpenInterface(Handle(SYS), Id(IFC), Out(&handle)); Remember(code, handle, IFC); return code;
    case 22: return TLUpdateInterfaceList(Handle(SYS), Out(&flag), Timeout());
    case 23: return OneIn(50) ? IFClose(Handle(IFC)) : IFGetNumDevices(Handle(IFC), Out(&number));
    case 24: return IFGetInfo(Handle(IFC), Command(), Out(&type), Buffer(), Size());
    case 25: return IFGetNumDevices(Handle(IFC), Out(&number));
    case 26: return IFGetDeviceID(Handle(IFC), static_cast<uint32_t>(Next(3)), static_cast<char*>(Buffer()), Size());
    case 27: return IFUpdateDeviceList(Handle(IFC), Out(&flag), Timeout());
    case 28: return IFGetDeviceInfo(Handle(IFC), Id(DEV), Command(), Out(&type), Buffer(), Size());
    case 29:
        code = IFOpenDevice(Handle(IFC), Id(DEV), static_cast<DEVICE_ACCESS_FLAGS>(Next(6)), Out(&handle));
        Remember(code, handle, DEV);
        return code;
    case 30: code = DevGetPort(Handle(DEV), Out(&handle)); Remember(code, handle, PRT); return code;
    case 31: return DevGetNumDataStreams(Handle(DEV), Out(&number));
    case 32: return DevGetDataStreamID(Handle(DEV), static_cast<uint32_t>(Next(2)), static_cast<char*>(Buffer()), Size());
    case 33: code = DevOpenDataStream(Handle(DEV), Id(STM), Out(&handle)); Remember(code, handle, STM); return code;
    case 34: return DevGetInfo(Handle(DEV), Command(), Out(&type), Buffer(), Size());
    case 35: return OneIn(50) ? DevClose(Handle(DEV)) : DevGetNumDataStreams(Handle(DEV), Out(&number));
    case 36: {
        const size_t offset = Next(kArenaSize);
        const size_t room = std::min<size_t>(kArenaSize - offset, 4096);
        const size_t size = OneIn(40) || room < 64 ? Next(room + 1) : 64 + Next(room - 63);
        code = DSAnnounceBuffer(Handle(STM), OneIn(6) ? nullptr : g_arena[thread] + offset, size, nullptr,
                                Out(&handle));
        Remember(code, handle, BUF);
        return code;
    }
    case 37:
        code = DSAllocAndAnnounceBuffer(Handle(STM), Next(256), nullptr, Out(&handle));
        Remember(code, handle, BUF);
        return code;
    case 38: return DSFlushQueue(Handle(STM), static_cast<ACQ_QUEUE_TYPE>(Next(6)));
    case 39:
        return DSStartAcquisition(Handle(STM), ACQ_START_FLAGS_DEFAULT, OneIn(2) ? GENTL_INFINITE : Next(10));
    case 40: return DSStopAcquisition(Handle(STM), static_cast<ACQ_STOP_FLAGS>(Next(3)));
    case 41: return DSGetInfo(Handle(STM), Command(), Out(&type), Buffer(), Size());
    case 42: code = DSGetBufferID(Handle(STM), static_cast<uint32_t>(Next(4)), Out(&handle)); Remember(code, handle, BUF); return code;
    case 43: return OneIn(50) ? DSClose(Handle(STM)) : DSGetInfo(Handle(STM), Command(), Out(&type), Buffer(), Size());
    case 44: {
        void* base = nullptr;
        void* user = nullptr;
        return DSRevokeBuffer(Handle(STM), Handle(BUF), Out(&base), Out(&user));
    }
    case 45: return DSQueueBuffer(Handle(STM), Handle(BUF));
    case 46: return DSGetBufferInfo(Handle(STM), Handle(BUF), Command(), Out(&type), Buffer(), Size());
    case 47: return GCGetNumPortURLs(Handle(PRT), Out(&number));
    case 48: return GCGetPortURLInfo(Handle(PRT), static_cast<uint32_t>(Next(2)), Command(), Out(&type), Buffer(), Size());
    case 49: {
        size_t count = 0;
        PORT_REGISTER_STACK_ENTRY* entries = Stack(&count);
        return GCReadPortStacked(Handle(PRT), entries, Out(&count));
    }
    case 50: {
        size_t count = 0;
        PORT_REGISTER_STACK_ENTRY* entries = Stack(&count);
        return GCWritePortStacked(Handle(PRT), entries, Out(&count));
    }
    case 51: {
        size_t count = Next(9);
        return DSGetBufferChunkData(Handle(STM), Handle(BUF), OneIn(4) ? nullptr : m_chunks, Out(&count));
    }
    case 52: return IFGetParentTL(Handle(IFC), Out(&handle));
    case 53: return DevGetParentIF(Handle(DEV), Out(&handle));
    case 54: return DSGetParentDev(Handle(STM), Out(&handle));
    case 55: return DSGetNumBufferParts(Handle(STM), Handle(BUF), Out(&number));
    default:
        return DSGetBufferPartInfo(Handle(STM), Handle(BUF), static_cast<uint32_t>(Next(2)), Command(), Out(&type),
                                   Buffer(), Size());
    }
}

bool IsGenTLCode(GC_ERROR code) { return code == GC_ERR_SUCCESS || (code <= -1001 && code >= -1022); }

}  // namespace

TEST_F(ProducerTest, RandomCallsFromFourThreadsAnswerGenTLCodes)
{
    ASSERT_NO_FATAL_FAILURE(OpenToStream());
    std::atomic<void*> slots[KINDS][kSlots];
    void* const known[KINDS] = {system, interface, device, stream, nullptr, nullptr, system};
    for (int kind = 0; kind < KINDS; ++kind)
        for (size_t i = 0; i < kSlots; ++i)
            slots[kind][i] = known[kind];
    std::atomic<int> strange{0};
    std::atomic<int> firstStrange{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937_64 random(0x5EED0000u + t);
            Fuzzer fuzzer(slots);
            for (int i = 0; i < kCallsPerThread; ++i) {
                const GC_ERROR code = fuzzer.Call(t, random);
                                if (!IsGenTLCode(code) && strange.fetch_add(1) == 0)
                    firstStrange = code;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(strange.load(), 0) << "first unexpected result " << firstStrange.load();
}
