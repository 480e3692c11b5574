// What the exports refuse, and that a refusal changes nothing.
#include "FrameSpool.h"
#include "SpoolTestFiles.h"
#include "SpoolTestHooks.h"

#include <platform/os/SystemInfo.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>

TEST(SpoolRefusals, FiveExportsByName)
{
    for (const char* name : {"Init_FrameSpool", "Open_FrameSpool", "Append_FileBuffer", "Close_FrameSpool",
                             "Uninit_FrameSpool"})
        EXPECT_NE(::dlsym(RTLD_DEFAULT, name), nullptr) << name;
    // The writer classes stay inside the library.
    EXPECT_EQ(::dlsym(RTLD_DEFAULT, "_ZN8FileSave5StartEv"), nullptr);
}

TEST(SpoolRefusals, ShippedLibraryReadsNoTestVariable)
{
    // The tests run the test build of the library; the shipped one lies
    // beside it and must not carry the hooks.
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&Init_FrameSpool), &info), 0);
    const std::filesystem::path shipped = std::filesystem::path(info.dli_fname).parent_path() / "libFrameSpool.so";
    if (!std::filesystem::exists(shipped))
        GTEST_SKIP() << shipped << " is not built";
    const std::vector<uint8_t> image = SpoolTestFiles::Read(shipped.string());
    const std::string text(image.begin(), image.end());
    EXPECT_NE(text.find("Init_FrameSpool"), std::string::npos);
    EXPECT_EQ(text.find("FRAMESPOOL_TEST"), std::string::npos);
}

TEST(SpoolRefusals, SlotNumbersOutOfRange)
{
    SpoolTestFiles files;
    const std::string path = files.Path("x.raw");
    const uint8_t frame[8] = {};
    for (int slot : {-1, 8, 100}) {
        EXPECT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 16, 1, 0, slot), 0);
        EXPECT_EQ(Open_FrameSpool(path.c_str(), slot), 0);
        EXPECT_EQ(Append_FileBuffer(frame, 8, slot), 0);
        EXPECT_EQ(Close_FrameSpool(slot), 0);
        EXPECT_EQ(Uninit_FrameSpool(slot), 0);
    }
    // A slot that was never initialised refuses too.
    EXPECT_EQ(Open_FrameSpool(path.c_str(), 6), 0);
    EXPECT_EQ(Append_FileBuffer(frame, 8, 6), 0);
    EXPECT_EQ(Close_FrameSpool(6), 0);
    EXPECT_EQ(Uninit_FrameSpool(6), 0);
    EXPECT_TRUE(files.Names().empty());
}

TEST(SpoolRefusals, PathsAndGeometry)
{
    SpoolTestFiles files;
    EXPECT_EQ(Init_FrameSpool(files.Path("x.bmp").c_str(), 2, 2, 1, 16, 1, 0, 0), 0);
    EXPECT_EQ(Init_FrameSpool(files.Path("x.ti").c_str(), 2, 2, 1, 16, 1, 0, 0), 0);
    EXPECT_EQ(Init_FrameSpool("", 2, 2, 1, 16, 1, 0, 0), 0);
    EXPECT_EQ(Init_FrameSpool(nullptr, 2, 2, 1, 16, 1, 0, 0), 0);
    const std::string raw = files.Path("x.raw"), tif = files.Path("x.tif");
    for (const std::string& path : {raw, tif}) {
        EXPECT_EQ(Init_FrameSpool(path.c_str(), 0, 2, 1, 16, 1, 0, 0), 0);
        EXPECT_EQ(Init_FrameSpool(path.c_str(), 2, -2, 1, 16, 1, 0, 0), 0);
        EXPECT_EQ(Init_FrameSpool(path.c_str(), -2, -2, 1, 16, 1, 0, 0), 0);  // negatives do not cancel
        EXPECT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 0, 16, 1, 0, 0), 0);
        EXPECT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 0, 1, 0, 0), 0);
        EXPECT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 16, 0, 0, 0), 0);
        EXPECT_EQ(Init_FrameSpool(path.c_str(), 1, 1, 1, 4, 1, 0, 0), 0);  // half a byte
        EXPECT_EQ(Init_FrameSpool(path.c_str(), 3, 1, 1, 12, 1, 0, 0), 0);  // 4.5 bytes
        EXPECT_EQ(Init_FrameSpool(path.c_str(), 101, 7, 1, 12, 4, 0, 0), 0);
    }
    EXPECT_EQ(Uninit_FrameSpool(0), 0);
    // 12 bits for an even pixel count is whole bytes.
    ASSERT_EQ(Init_FrameSpool(raw.c_str(), 2, 1, 1, 12, 1, 0, 0), 1);
    EXPECT_EQ(Uninit_FrameSpool(0), 1);
    EXPECT_TRUE(files.Names().empty());
}

TEST(SpoolRefusals, FramesTooLargeForOneFile)
{
    SpoolTestFiles files;
    const std::string raw = files.Path("big.raw"), tif = files.Path("big.tif");
    testing::internal::CaptureStderr();
    // 641 * 6700417 = 4 GiB + 1 byte.
    EXPECT_EQ(Init_FrameSpool(raw.c_str(), 641, 1, 1, 8, 6700417, 0, 1), 0);
    // Products that overflow 32 bits must not wrap into a small size.
    EXPECT_EQ(Init_FrameSpool(raw.c_str(), 65536, 65536, 1, 16, 1, 0, 1), 0);
    EXPECT_EQ(Init_FrameSpool(tif.c_str(), 16384, 16384, 4, 16, 2, 0, 1), 0);
    // TIFF: N * (F + 162) + 8 above 4 GiB although N * F is not.
    EXPECT_EQ(Init_FrameSpool(tif.c_str(), 1, 1, 1, 8, 26512144, 0, 1), 0);
    // Sizes beyond 64 bits are refused the same way, without overflowing.
    for (const std::string& path : {raw, tif})
        EXPECT_EQ(Init_FrameSpool(path.c_str(), INT32_MAX, INT32_MAX, INT32_MAX, 8, INT32_MAX, INT32_MAX, 1), 0);
    const std::string out = testing::internal::GetCapturedStderr();
    size_t lines = 0;
    for (size_t at = out.find("Out of 4GB buffer\n"); at != std::string::npos;
         at = out.find("Out of 4GB buffer\n", at + 1))
        ++lines;
    EXPECT_EQ(lines, 6u) << out;

    testing::internal::CaptureStderr();
    // A frame that one Append cannot carry (2 GiB), and TIFF geometry the
    // SHORT fields cannot hold.
    EXPECT_EQ(Init_FrameSpool(raw.c_str(), 65536, 16384, 1, 16, 1, 0, 1), 0);
    EXPECT_EQ(Init_FrameSpool(tif.c_str(), 65536, 1, 1, 16, 1, 0, 1), 0);
    EXPECT_EQ(Init_FrameSpool(tif.c_str(), 1, 70000, 1, 16, 1, 0, 1), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Frame size not supported"), std::string::npos);
    EXPECT_EQ(Uninit_FrameSpool(1), 0);

    // The same width is fine for RAW.
    ASSERT_EQ(Init_FrameSpool(raw.c_str(), 65536, 1, 1, 16, 1, 0, 1), 1);
    EXPECT_EQ(Uninit_FrameSpool(1), 1);
    EXPECT_TRUE(files.Names().empty());
}

TEST(SpoolRefusals, ExactlyFourGibIsAccepted)
{
    platform::os::PhysicalMemory memory;
    if (!platform::os::physicalMemory(&memory) || memory.availableBytes * 0.7 < 4294967296.0)
        GTEST_SKIP() << "needs 4 GiB of address space backed by free memory";
    SpoolTestFiles files;
    // 65536 x 32768 x 16 bits = 4 GiB in one frame would not fit an Append;
    // 1024 frames of 4 MiB do. The buffer is never touched, so it costs nothing.
    testing::internal::CaptureStderr();
    const unsigned char accepted =
        Init_FrameSpool(files.Path("4g.raw").c_str(), 2048, 1024, 1, 16, 1024, 0, 1);
    if (!accepted) {
        const std::string out = testing::internal::GetCapturedStderr();
        ASSERT_EQ(out.find("Out of 4GB buffer"), std::string::npos) << out;
        // Other programs took the memory since it was looked at.
        ASSERT_NE(out.find("maxBlocks = 0, "), std::string::npos) << out;
        GTEST_SKIP() << "free memory shrank below what one 4 GiB buffer needs";
    }
    EXPECT_EQ(Close_FrameSpool(1), 1);  // nothing appended: nothing written
    EXPECT_EQ(Uninit_FrameSpool(1), 1);
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("m_nodesCount = 1\n"), std::string::npos) << out;
    EXPECT_TRUE(files.Names().empty());
}

TEST(SpoolRefusals, InitOnSlotInUseLeavesItAlone)
{
    SpoolTestFiles files;
    const std::vector<uint8_t> a = Pattern(8, 1), b = Pattern(8, 2);
    ASSERT_EQ(Init_FrameSpool(files.Path("first.raw").c_str(), 2, 2, 1, 16, 2, 0, 7), 1);
    ASSERT_EQ(Append_FileBuffer(a.data(), 8, 7), 1);
    EXPECT_EQ(Init_FrameSpool(files.Path("second.tif").c_str(), 4, 4, 1, 8, 3, 0, 7), 0);
    ASSERT_EQ(Append_FileBuffer(b.data(), 8, 7), 1);  // still the RAW writer, same file
    ASSERT_EQ(Uninit_FrameSpool(7), 1);
    std::vector<uint8_t> expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(SpoolTestFiles::Read(files.Path("first.raw")), expected);
    EXPECT_EQ(files.Names(), std::vector<std::string>{"first.raw"});
    EXPECT_EQ(Uninit_FrameSpool(7), 0);  // a second Uninit
}

TEST(SpoolRefusals, AppendRefusesBadFramesAndChangesNothing)
{
    SpoolTestFiles files;
    const std::string path = files.Path("f.raw");
    const std::vector<uint8_t> a = Pattern(8, 1), b = Pattern(8, 2), big = Pattern(9, 3);
    ASSERT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 16, 2, 1, 0), 1);
    EXPECT_EQ(Append_FileBuffer(big.data(), 9, 0), 0);
    EXPECT_EQ(Append_FileBuffer(a.data(), -1, 0), 0);
    EXPECT_EQ(Append_FileBuffer(nullptr, 8, 0), 0);
    EXPECT_EQ(Append_FileBuffer(nullptr, 0, 0), 0);
    ASSERT_EQ(Append_FileBuffer(a.data(), 8, 0), 1);
    ASSERT_EQ(Append_FileBuffer(b.data(), 8, 0), 1);
    EXPECT_EQ(Append_FileBuffer(big.data(), 8, 0), 0);  // after the last frame of the file
    ASSERT_EQ(Close_FrameSpool(0), 1);
    EXPECT_EQ(Close_FrameSpool(0), 1);  // nothing appended since: nothing written
    ASSERT_EQ(Uninit_FrameSpool(0), 1);
    std::vector<uint8_t> expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(SpoolTestFiles::Read(path), expected);
}

TEST(SpoolRefusals, OpenWithTheOtherFormatStillNamesTheFile)
{
    SpoolTestFiles files;
    const std::vector<uint8_t> frame = Pattern(8, 5);
    testing::internal::CaptureStderr();
    ASSERT_EQ(Init_FrameSpool(files.Path("a.tif").c_str(), 2, 2, 1, 16, 1, 2, 1), 1);
    EXPECT_EQ(Open_FrameSpool(files.Path("b.raw").c_str(), 1), 0);
    ASSERT_EQ(Append_FileBuffer(frame.data(), 8, 1), 1);
    ASSERT_EQ(Close_FrameSpool(1), 1);
    EXPECT_EQ(Open_FrameSpool(files.Path("c.png").c_str(), 1), 0);
    EXPECT_EQ(Open_FrameSpool(nullptr, 1), 0);
    EXPECT_EQ(Open_FrameSpool("", 1), 0);
    ASSERT_EQ(Uninit_FrameSpool(1), 1);

    ASSERT_EQ(Init_FrameSpool(files.Path("d.raw").c_str(), 2, 2, 1, 16, 1, 2, 1), 1);
    EXPECT_EQ(Open_FrameSpool(files.Path("e.TIFF").c_str(), 1), 0);
    ASSERT_EQ(Uninit_FrameSpool(1), 1);
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("RAW Format does no match\n"), std::string::npos) << out;
    EXPECT_NE(out.find("No Format match\n"), std::string::npos) << out;
    EXPECT_NE(out.find("TIF Format does no match\n"), std::string::npos) << out;

    // The refused name was taken: the TIFF went to b.raw; a.tif, never
    // filled, was not written.
    EXPECT_EQ(files.Names(), std::vector<std::string>{"b.raw"});
    EXPECT_EQ(SpoolTestFiles::Read(files.Path("b.raw")).size(), 8u + 162 + 8);
}

TEST(SpoolRefusals, RingSizeFollowsFileCount)
{
    SpoolTestFiles files;
    testing::internal::CaptureStderr();
    ASSERT_EQ(Init_FrameSpool(files.Path("r.raw").c_str(), 2, 2, 1, 16, 1, 3, 0), 1);
    ASSERT_EQ(Uninit_FrameSpool(0), 1);
    ASSERT_EQ(Init_FrameSpool(files.Path("r.raw").c_str(), 2, 2, 1, 16, 1, -1, 0), 1);
    ASSERT_EQ(Uninit_FrameSpool(0), 1);
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find(", blocks = 4\nm_nodesCount = 4\n"), std::string::npos) << out;
    EXPECT_NE(out.find(", blocks = 1\nm_nodesCount = 1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("DestroyProcessedNodes\nFileSave::~FileSave()\n"), std::string::npos) << out;
}

TEST(SpoolRefusals, RingIsBoundedWhateverTheFileCount)
{
    SpoolTestFiles files;
    testing::internal::CaptureStderr();
    // Half a billion files of 8 bytes: a ring of eight buffers all the same.
    for (int32_t count : {500000000, INT32_MAX}) {
        ASSERT_EQ(Init_FrameSpool(files.Path("many.raw").c_str(), 2, 2, 1, 16, 1, count, 0), 1);
        ASSERT_EQ(Uninit_FrameSpool(0), 1);
    }
    const std::string out = testing::internal::GetCapturedStderr();
    const std::string ring = ", blocks = 8\nm_nodesCount = 8\n";
    const size_t first = out.find(ring);
    ASSERT_NE(first, std::string::npos) << out;
    EXPECT_NE(out.find(ring, first + 1), std::string::npos) << out;
}

// Sets the free memory the shared budget is taken from while it lives.
class FreeMemory
{
public:
    explicit FreeMemory(long long bytes) { ::setenv(FRAMESPOOL_MEMORY_ENV, std::to_string(bytes).c_str(), 1); }
    ~FreeMemory() { ::unsetenv(FRAMESPOOL_MEMORY_ENV); }
};

TEST(SpoolRefusals, SlotsShareOneMemoryBudget)
{
    SpoolTestFiles files;
    // An 8-byte file costs a page and a page of bookkeeping: 70 % of this
    // memory holds ten of them.
    FreeMemory memory(8192LL * 10 * 10 / 7 + 1);
    const std::string path = files.Path("b.raw");
    testing::internal::CaptureStderr();
    ASSERT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 16, 1, 100, 0), 1);
    ASSERT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 16, 1, 100, 1), 1);
    EXPECT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 16, 1, 100, 2), 0);  // nothing left
    ASSERT_EQ(Uninit_FrameSpool(0), 1);
    ASSERT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 16, 1, 3, 2), 1);
    ASSERT_EQ(Uninit_FrameSpool(1), 1);
    ASSERT_EQ(Uninit_FrameSpool(2), 1);
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("maxBlocks = 10, blocks = 8\nm_nodesCount = 8\n"
                       "maxBlocks = 2, blocks = 2\nm_nodesCount = 2\n"
                       "maxBlocks = 0, blocks = 0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("maxBlocks = 8, blocks = 4\nm_nodesCount = 4\n"), std::string::npos) << out;
}
