// A GenTL consumer's view of the built plug-in: it is loaded with dlopen,
// every export is resolved by name and called.
#include <CvnProducer.h>
#include <GenTL.h>
#include <platform/pex/Pex.h>
#include <platform/pex/PexTest.h>

#include "consumer_c_view.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// A plug-in built from the shipped plug-in sources without a back end (so
// without a service): $LUMA_BINARY_DIR/lib/NoServiceProducer.cti, or the
// file this test was built with when the variable is not set.
std::string producerPath()
{
    const char* dir = std::getenv("LUMA_BINARY_DIR");
    if (dir && *dir)
        return std::string(dir) + "/lib/NoServiceProducer.cti";
    return GENTL_PRODUCER_FILE;
}

struct Call {
    const char* name;
    GC_ERROR (*invoke)(void* function);
};

// Every GenTL 1.5 export, in the header's order, called with null handles
// and null pointers.
const std::vector<Call>& gentlCalls()
{
    static const std::vector<Call> calls = {
    {"GCGetInfo", [](void* f) { return reinterpret_cast<PGCGetInfo>(f)(0, nullptr, nullptr, nullptr); }},
    {"GCGetLastError", [](void* f) { return reinterpret_cast<PGCGetLastError>(f)(nullptr, nullptr, nullptr); }},
    {"GCInitLib", [](void* f) { return reinterpret_cast<PGCInitLib>(f)(); }},
    {"GCCloseLib", [](void* f) { return reinterpret_cast<PGCCloseLib>(f)(); }},
    {"GCReadPort", [](void* f) { return reinterpret_cast<PGCReadPort>(f)(nullptr, 0, nullptr, nullptr); }},
    {"GCWritePort", [](void* f) { return reinterpret_cast<PGCWritePort>(f)(nullptr, 0, nullptr, nullptr); }},
    {"GCGetPortURL", [](void* f) { return reinterpret_cast<PGCGetPortURL>(f)(nullptr, nullptr, nullptr); }},
    {"GCGetPortInfo", [](void* f) { return reinterpret_cast<PGCGetPortInfo>(f)(nullptr, 0, nullptr, nullptr, nullptr); }},
    {"GCRegisterEvent", [](void* f) { return reinterpret_cast<PGCRegisterEvent>(f)(nullptr, 0, nullptr); }},
    {"GCUnregisterEvent", [](void* f) { return reinterpret_cast<PGCUnregisterEvent>(f)(nullptr, 0); }},
    {"EventGetData", [](void* f) { return reinterpret_cast<PEventGetData>(f)(nullptr, nullptr, nullptr, 0); }},
    {"EventGetDataInfo", [](void* f) { return reinterpret_cast<PEventGetDataInfo>(f)(nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr); }},
    {"EventGetInfo", [](void* f) { return reinterpret_cast<PEventGetInfo>(f)(nullptr, 0, nullptr, nullptr, nullptr); }},
    {"EventFlush", [](void* f) { return reinterpret_cast<PEventFlush>(f)(nullptr); }},
    {"EventKill", [](void* f) { return reinterpret_cast<PEventKill>(f)(nullptr); }},
    {"TLOpen", [](void* f) { return reinterpret_cast<PTLOpen>(f)(nullptr); }},
    {"TLClose", [](void* f) { return reinterpret_cast<PTLClose>(f)(nullptr); }},
    {"TLGetInfo", [](void* f) { return reinterpret_cast<PTLGetInfo>(f)(nullptr, 0, nullptr, nullptr, nullptr); }},
    {"TLGetNumInterfaces", [](void* f) { return reinterpret_cast<PTLGetNumInterfaces>(f)(nullptr, nullptr); }},
    {"TLGetInterfaceID", [](void* f) { return reinterpret_cast<PTLGetInterfaceID>(f)(nullptr, 0, nullptr, nullptr); }},
    {"TLGetInterfaceInfo", [](void* f) { return reinterpret_cast<PTLGetInterfaceInfo>(f)(nullptr, nullptr, 0, nullptr, nullptr, nullptr); }},
    {"TLOpenInterface", [](void* f) { return reinterpret_cast<PTLOpenInterface>(f)(nullptr, nullptr, nullptr); }},
    {"TLUpdateInterfaceList", [](void* f) { return reinterpret_cast<PTLUpdateInterfaceList>(f)(nullptr, nullptr, 0); }},
    {"IFClose", [](void* f) { return reinterpret_cast<PIFClose>(f)(nullptr); }},
    {"IFGetInfo", [](void* f) { return reinterpret_cast<PIFGetInfo>(f)(nullptr, 0, nullptr, nullptr, nullptr); }},
    {"IFGetNumDevices", [](void* f) { return reinterpret_cast<PIFGetNumDevices>(f)(nullptr, nullptr); }},
    {"IFGetDeviceID", [](void* f) { return reinterpret_cast<PIFGetDeviceID>(f)(nullptr, 0, nullptr, nullptr); }},
    {"IFUpdateDeviceList", [](void* f) { return reinterpret_cast<PIFUpdateDeviceList>(f)(nullptr, nullptr, 0); }},
    {"IFGetDeviceInfo", [](void* f) { return reinterpret_cast<PIFGetDeviceInfo>(f)(nullptr, nullptr, 0, nullptr, nullptr, nullptr); }},
    {"IFOpenDevice", [](void* f) { return reinterpret_cast<PIFOpenDevice>(f)(nullptr, nullptr, 0, nullptr); }},
    {"DevGetPort", [](void* f) { return reinterpret_cast<PDevGetPort>(f)(nullptr, nullptr); }},
    {"DevGetNumDataStreams", [](void* f) { return reinterpret_cast<PDevGetNumDataStreams>(f)(nullptr, nullptr); }},
    {"DevGetDataStreamID", [](void* f) { return reinterpret_cast<PDevGetDataStreamID>(f)(nullptr, 0, nullptr, nullptr); }},
    {"DevOpenDataStream", [](void* f) { return reinterpret_cast<PDevOpenDataStream>(f)(nullptr, nullptr, nullptr); }},
    {"DevGetInfo", [](void* f) { return reinterpret_cast<PDevGetInfo>(f)(nullptr, 0, nullptr, nullptr, nullptr); }},
    {"DevClose", [](void* f) { return reinterpret_cast<PDevClose>(f)(nullptr); }},
    {"DSAnnounceBuffer", [](void* f) { return reinterpret_cast<PDSAnnounceBuffer>(f)(nullptr, nullptr, 0, nullptr, nullptr); }},
    {"DSAllocAndAnnounceBuffer", [](void* f) { return reinterpret_cast<PDSAllocAndAnnounceBuffer>(f)(nullptr, 0, nullptr, nullptr); }},
    {"DSFlushQueue", [](void* f) { return reinterpret_cast<PDSFlushQueue>(f)(nullptr, 0); }},
    {"DSStartAcquisition", [](void* f) { return reinterpret_cast<PDSStartAcquisition>(f)(nullptr, 0, 0); }},
    {"DSStopAcquisition", [](void* f) { return reinterpret_cast<PDSStopAcquisition>(f)(nullptr, 0); }},
    {"DSGetInfo", [](void* f) { return reinterpret_cast<PDSGetInfo>(f)(nullptr, 0, nullptr, nullptr, nullptr); }},
    {"DSGetBufferID", [](void* f) { return reinterpret_cast<PDSGetBufferID>(f)(nullptr, 0, nullptr); }},
    {"DSClose", [](void* f) { return reinterpret_cast<PDSClose>(f)(nullptr); }},
    {"DSRevokeBuffer", [](void* f) { return reinterpret_cast<PDSRevokeBuffer>(f)(nullptr, nullptr, nullptr, nullptr); }},
    {"DSQueueBuffer", [](void* f) { return reinterpret_cast<PDSQueueBuffer>(f)(nullptr, nullptr); }},
    {"DSGetBufferInfo", [](void* f) { return reinterpret_cast<PDSGetBufferInfo>(f)(nullptr, nullptr, 0, nullptr, nullptr, nullptr); }},
    {"GCGetNumPortURLs", [](void* f) { return reinterpret_cast<PGCGetNumPortURLs>(f)(nullptr, nullptr); }},
    {"GCGetPortURLInfo", [](void* f) { return reinterpret_cast<PGCGetPortURLInfo>(f)(nullptr, 0, 0, nullptr, nullptr, nullptr); }},
    {"GCReadPortStacked", [](void* f) { return reinterpret_cast<PGCReadPortStacked>(f)(nullptr, nullptr, nullptr); }},
    {"GCWritePortStacked", [](void* f) { return reinterpret_cast<PGCWritePortStacked>(f)(nullptr, nullptr, nullptr); }},
    {"DSGetBufferChunkData", [](void* f) { return reinterpret_cast<PDSGetBufferChunkData>(f)(nullptr, nullptr, nullptr, nullptr); }},
    {"IFGetParentTL", [](void* f) { return reinterpret_cast<PIFGetParentTL>(f)(nullptr, nullptr); }},
    {"DevGetParentIF", [](void* f) { return reinterpret_cast<PDevGetParentIF>(f)(nullptr, nullptr); }},
    {"DSGetParentDev", [](void* f) { return reinterpret_cast<PDSGetParentDev>(f)(nullptr, nullptr); }},
    {"DSGetNumBufferParts", [](void* f) { return reinterpret_cast<PDSGetNumBufferParts>(f)(nullptr, nullptr, nullptr); }},
    {"DSGetBufferPartInfo", [](void* f) { return reinterpret_cast<PDSGetBufferPartInfo>(f)(nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr); }},
    };
    return calls;
}

std::set<std::string> expectedExports()
{
    std::set<std::string> names;
    for (const Call& c : gentlCalls())
        names.insert(c.name);
    names.insert("CvnInit");
    return names;
}

// The names of the defined symbols in the file's dynamic symbol table.
std::set<std::string> definedDynamicSymbols(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::set<std::string> names;
    if (file.size() < sizeof(Elf64_Ehdr))
        return names;
    Elf64_Ehdr eh;
    std::memcpy(&eh, file.data(), sizeof eh);
    if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64)
        return names;
    auto section = [&](size_t i) {
        Elf64_Shdr sh;
        std::memcpy(&sh, file.data() + eh.e_shoff + i * eh.e_shentsize, sizeof sh);
        return sh;
    };
    for (size_t i = 0; i < eh.e_shnum; ++i) {
        const Elf64_Shdr sh = section(i);
        if (sh.sh_type != SHT_DYNSYM)
            continue;
        const Elf64_Shdr strtab = section(sh.sh_link);
        for (size_t off = 0; off + sizeof(Elf64_Sym) <= sh.sh_size; off += sizeof(Elf64_Sym)) {
            Elf64_Sym sym;
            std::memcpy(&sym, file.data() + sh.sh_offset + off, sizeof sym);
            const int bind = ELF64_ST_BIND(sym.st_info);
            // Process-unique symbols are visible to every module as well (and
            // would keep the file from unloading), so they count as exports.
            if (sym.st_shndx == SHN_UNDEF || sym.st_name == 0 ||
                (bind != STB_GLOBAL && bind != STB_WEAK && bind != STB_GNU_UNIQUE))
                continue;
            names.insert(file.data() + strtab.sh_offset + sym.st_name);
        }
    }
    return names;
}

bool mappedInProcess(const std::string& path)
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(path) != std::string::npos)
            return true;
    return false;
}

constexpr PEX_INT kSetting = 0x41000000;

class ProducerHarness : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (m_module)
            dlclose(m_module);
        ::unsetenv("PEX_LOG_LEVEL");
        ::unsetenv("PEX_GENTL_LOGGING");
    }
    void load()
    {
        m_module = dlopen(producerPath().c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_module, nullptr) << dlerror();
    }
    void unload()
    {
        ASSERT_EQ(dlclose(m_module), 0);
        m_module = nullptr;
    }
    void* symbol(const char* name) { return dlsym(m_module, name); }

    void* m_module = nullptr;
};

}  // namespace

TEST(ProducerFile, ExportsExactlyTheGenTLFunctionsAndCvnInit)
{
    const std::set<std::string> exported = definedDynamicSymbols(producerPath());
    EXPECT_EQ(gentlCalls().size(), 57u);
    EXPECT_EQ(exported.size(), 58u);
    EXPECT_EQ(exported, expectedExports());
}

TEST_F(ProducerHarness, EveryExportResolvesByName)
{
    load();
    for (const std::string& name : expectedExports())
        EXPECT_NE(symbol(name.c_str()), nullptr) << name;
}

// Without its factory table the producer has no service: every call answers
// GC_ERR_NOT_INITIALIZED at once, GCInitLib GC_ERR_ERROR, and none of them
// writes a log line or touches the imaging library, even with the log on.
TEST_F(ProducerHarness, WithoutAServiceEveryCallAnswersNotInitialized)
{
    ::setenv("PEX_LOG_LEVEL", "6", 1);
    ::setenv("PEX_GENTL_LOGGING", "", 1);
    PexAppControl(PEX_DEFAULT, kSetting, 77);
    testing::internal::CaptureStderr();
    load();
    PexTestSetCallLog(1);
    PexTestClearCallLog();
    for (int round = 0; round < 2; ++round) {
        for (const Call& c : gentlCalls()) {
            void* f = symbol(c.name);
            ASSERT_NE(f, nullptr) << c.name;
            const GC_ERROR expected = std::strcmp(c.name, "GCInitLib") == 0 ? GC_ERR_ERROR : GC_ERR_NOT_INITIALIZED;
            EXPECT_EQ(c.invoke(f), expected) << c.name;
        }
    }
    const size_t pexCalls = PexTestCallCount();
    PexTestSetCallLog(0);
    unload();
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(pexCalls, 0u);
    EXPECT_EQ(written, "");
    EXPECT_EQ(PexAppInquire(PEX_DEFAULT, kSetting, nullptr), 77);
    PexAppControl(PEX_DEFAULT, kSetting, 0);
}

TEST_F(ProducerHarness, GetLastErrorWithoutAServiceLeavesItsOutputsAlone)
{
    load();
    auto getLastError = reinterpret_cast<PGCGetLastError>(symbol("GCGetLastError"));
    ASSERT_NE(getLastError, nullptr);
    GC_ERROR code = 123;
    char text[32] = "untouched";
    size_t size = sizeof text;
    EXPECT_EQ(getLastError(&code, text, &size), GC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(code, 123);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(size, sizeof text);
}

TEST_F(ProducerHarness, CvnInitHandsOutTheSame16BytesAtEveryCall)
{
    load();
    auto cvnInit = reinterpret_cast<PCvnInit>(symbol("CvnInit"));
    ASSERT_NE(cvnInit, nullptr);
    static_assert(sizeof(CVN_GUID) == 16, "GUID layout");
    unsigned char first[16], second[16];
    std::memset(first, 0xAA, sizeof first);
    std::memset(second, 0x55, sizeof second);
    EXPECT_EQ(cvnInit(reinterpret_cast<CVN_GUID*>(first)), reinterpret_cast<CVN_GUID*>(first));
    auto initLib = reinterpret_cast<PGCInitLib>(symbol("GCInitLib"));
    initLib();
    EXPECT_EQ(cvnInit(reinterpret_cast<CVN_GUID*>(second)), reinterpret_cast<CVN_GUID*>(second));
    EXPECT_EQ(std::memcmp(first, second, 16), 0);
    unsigned char zero[16] = {};
    EXPECT_NE(std::memcmp(first, zero, 16), 0);
    EXPECT_EQ(cvnInit(nullptr), nullptr);
}

// A consumer written in C sees the same records and reaches the same
// functions through the header's function-pointer types.
TEST_F(ProducerHarness, HeadersServeACConsumer)
{
    GentlCLayout c{};
    gentlCLayout(&c);
    EXPECT_EQ(c.bool8Size, sizeof(bool8_t));
    EXPECT_EQ(c.bool8Size, 1u);
    EXPECT_EQ(c.handleSize, sizeof(TL_HANDLE));
    EXPECT_EQ(c.stackEntrySize, sizeof(PORT_REGISTER_STACK_ENTRY));
    EXPECT_EQ(c.stackEntrySizeOffset, offsetof(PORT_REGISTER_STACK_ENTRY, Size));
    EXPECT_EQ(c.chunkDataSize, sizeof(SINGLE_CHUNK_DATA));
    EXPECT_EQ(c.chunkLengthOffset, offsetof(SINGLE_CHUNK_DATA, ChunkLength));
    EXPECT_EQ(c.newBufferDataSize, sizeof(EVENT_NEW_BUFFER_DATA));
    EXPECT_EQ(c.guidSize, 16u);

    load();
    unsigned char fromC[16] = {}, fromCpp[16] = {};
    EXPECT_EQ(gentlCCall(symbol("GCInitLib"), symbol("GCGetInfo"), symbol("CvnInit"), fromC), 0);
    reinterpret_cast<PCvnInit>(symbol("CvnInit"))(reinterpret_cast<CVN_GUID*>(fromCpp));
    EXPECT_EQ(std::memcmp(fromC, fromCpp, 16), 0);
}

TEST_F(ProducerHarness, LoadsUnloadsForRealAndLoadsAgain)
{
    unsigned char id[16], again[16];
    for (int i = 0; i < 3; ++i) {
        load();
        EXPECT_TRUE(mappedInProcess(producerPath()));
        auto tlOpen = reinterpret_cast<PTLOpen>(symbol("TLOpen"));
        TL_HANDLE handle = nullptr;
        EXPECT_EQ(tlOpen(&handle), GC_ERR_NOT_INITIALIZED);
        EXPECT_EQ(handle, nullptr);
        reinterpret_cast<PCvnInit>(symbol("CvnInit"))(reinterpret_cast<CVN_GUID*>(i == 0 ? id : again));
        unload();
        EXPECT_EQ(dlopen(producerPath().c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "still loaded";
        EXPECT_FALSE(mappedInProcess(producerPath()));
    }
    EXPECT_EQ(std::memcmp(id, again, 16), 0);
}

TEST_F(ProducerHarness, CallsFromManyThreadsAtOnce)
{
    load();
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i)
                for (const Call& c : gentlCalls()) {
                    const GC_ERROR r = c.invoke(symbol(c.name));
                    if (r != (std::strcmp(c.name, "GCInitLib") == 0 ? GC_ERR_ERROR : GC_ERR_NOT_INITIALIZED))
                        ++wrong;
                }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
}
