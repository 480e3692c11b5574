// Byte-exact stack files: every TIFF and RAW image below is written out by
// hand from the file layout, then compared with what the library wrote.
#include "FrameSpool.h"
#include "SpoolTestFiles.h"
#include "SpoolTestHooks.h"
#include "WaitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace {

// The 162-byte IFD of one page, entry by entry.
void expectedIfd(std::vector<uint8_t>& out, uint32_t width, uint32_t height, uint32_t channels, uint32_t bits,
                 uint32_t frameBytes, uint32_t stripOffset, uint32_t nextIfd)
{
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        le16(out, tag);
        le16(out, type);
        le32(out, count);
        le32(out, value);
    };
    le16(out, 13);
    entry(254, 4, 1, 2);
    entry(256, 3, 1, width);
    entry(257, 3, 1, height);
    entry(258, 3, 1, bits);
    entry(259, 3, 1, 1);
    entry(262, 3, 1, channels == 1 ? 1 : 2);
    entry(273, 4, 1, stripOffset);
    entry(274, 3, 1, 1);
    entry(277, 3, 1, channels);
    entry(279, 4, 1, frameBytes);
    entry(281, 3, 1, (1u << (bits % 32)) - 1);
    entry(284, 3, 1, 1);
    entry(297, 3, 2, 0x00010000);
    le32(out, nextIfd);
}

// A whole TIFF file of pages.size() pages out of framesPerFile; each page
// holds frameBytes bytes (frames shorter than that are padded with zeros).
std::vector<uint8_t> expectedTiff(uint32_t width, uint32_t height, uint32_t channels, uint32_t bits,
                                  uint32_t framesPerFile, const std::vector<std::vector<uint8_t>>& pages)
{
    const uint32_t f = width * height * channels * bits / 8;
    const uint32_t s = f + 162;
    std::vector<uint8_t> out;
    out.push_back('I');
    out.push_back('I');
    le16(out, 42);
    le32(out, 8 + f);
    for (uint32_t i = 0; i < pages.size(); ++i) {
        std::vector<uint8_t> pixels = pages[i];
        pixels.resize(f, 0);
        out.insert(out.end(), pixels.begin(), pixels.end());
        const uint32_t strip = 8 + i * s;
        const bool last = i + 1 == pages.size() || i + 1 == framesPerFile;
        expectedIfd(out, width, height, channels, bits, f, strip, last ? 0 : strip + f + s);
    }
    return out;
}

void expectTiffInfo(const std::string& path, size_t pages, int width, int height, int bits, int samples,
                    const std::string& photometric)
{
    std::vector<SpoolTestFiles::TiffPage> info;
    std::string text;
    ASSERT_TRUE(SpoolTestFiles::TiffInfo(path, &info, &text)) << text;
    ASSERT_EQ(info.size(), pages) << text;
    for (const auto& page : info) {
        EXPECT_EQ(page.width, width);
        EXPECT_EQ(page.height, height);
        EXPECT_EQ(page.bits, bits);
        EXPECT_EQ(page.samples, samples);
        EXPECT_EQ(page.photometric, photometric);
    }
}

}  // namespace

TEST(StackLayout, OnePageMono16TiffIsByteExact)
{
    SpoolTestFiles files;
    const std::string path = files.Path("one.tif");
    const uint16_t pixels[4] = {0x0102, 0x0304, 0xA0B0, 0xFFFF};
    ASSERT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 16, 1, 1, 0), 1);
    ASSERT_EQ(Append_FileBuffer(pixels, 8, 0), 1);
    ASSERT_EQ(Close_FrameSpool(0), 1);
    ASSERT_EQ(Uninit_FrameSpool(0), 1);

    // clang-format off
    const std::vector<uint8_t> expected = {
        'I', 'I', 42, 0, 16, 0, 0, 0,                      // header, first IFD at 16
        0x02, 0x01, 0x04, 0x03, 0xB0, 0xA0, 0xFF, 0xFF,    // pixels at 8..15
        13, 0,                                             // IFD at 16: 13 entries
        0xFE, 0x00, 4, 0, 1, 0, 0, 0,  2, 0, 0, 0,         // NewSubfileType LONG 2
        0x00, 0x01, 3, 0, 1, 0, 0, 0,  2, 0, 0, 0,         // ImageWidth 2
        0x01, 0x01, 3, 0, 1, 0, 0, 0,  2, 0, 0, 0,         // ImageLength 2
        0x02, 0x01, 3, 0, 1, 0, 0, 0, 16, 0, 0, 0,         // BitsPerSample 16
        0x03, 0x01, 3, 0, 1, 0, 0, 0,  1, 0, 0, 0,         // Compression 1
        0x06, 0x01, 3, 0, 1, 0, 0, 0,  1, 0, 0, 0,         // Photometric 1
        0x11, 0x01, 4, 0, 1, 0, 0, 0,  8, 0, 0, 0,         // StripOffsets 8
        0x12, 0x01, 3, 0, 1, 0, 0, 0,  1, 0, 0, 0,         // Orientation 1
        0x15, 0x01, 3, 0, 1, 0, 0, 0,  1, 0, 0, 0,         // SamplesPerPixel 1
        0x17, 0x01, 4, 0, 1, 0, 0, 0,  8, 0, 0, 0,         // StripByteCounts 8
        0x19, 0x01, 3, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0,    // MaxSampleValue 65535
        0x1C, 0x01, 3, 0, 1, 0, 0, 0,  1, 0, 0, 0,         // PlanarConfiguration 1
        0x29, 0x01, 3, 0, 2, 0, 0, 0,  0, 0, 1, 0,         // PageNumber 0 of 1
        0, 0, 0, 0,                                        // no next IFD
    };
    // clang-format on
    ASSERT_EQ(expected.size(), 178u);
    EXPECT_EQ(SpoolTestFiles::Read(path), expected);
    expectTiffInfo(path, 1, 2, 2, 16, 1, "min-is-black");
}

TEST(StackLayout, PartlyFilledTiffEndsAfterItsLastPage)
{
    SpoolTestFiles files;
    const std::string path = files.Path("partial.tif");
    const std::vector<uint8_t> a = Pattern(24, 1), b = Pattern(24, 2), shortFrame = Pattern(10, 3);
    ASSERT_EQ(Init_FrameSpool(path.c_str(), 4, 3, 1, 16, 5, 1, 2), 1);
    ASSERT_EQ(Append_FileBuffer(a.data(), 24, 2), 1);
    ASSERT_EQ(Append_FileBuffer(b.data(), 24, 2), 1);
    ASSERT_EQ(Append_FileBuffer(shortFrame.data(), 10, 2), 1);  // the rest of its page stays zero
    ASSERT_EQ(Close_FrameSpool(2), 1);
    ASSERT_EQ(Uninit_FrameSpool(2), 1);

    const std::vector<uint8_t> written = SpoolTestFiles::Read(path);
    EXPECT_EQ(written.size(), 3u * (24 + 162) + 8);
    EXPECT_EQ(written, expectedTiff(4, 3, 1, 16, 5, {a, b, shortFrame}));
    expectTiffInfo(path, 3, 4, 3, 16, 1, "min-is-black");
}

TEST(StackLayout, FullTiffAndRgbPage)
{
    SpoolTestFiles files;
    // A file filled to framesPerFile: its last IFD links nowhere by itself.
    const std::string full = files.Path("full.tif");
    const std::vector<uint8_t> p0 = Pattern(6, 10), p1 = Pattern(6, 11);
    ASSERT_EQ(Init_FrameSpool(full.c_str(), 3, 2, 1, 8, 2, 1, 3), 1);
    ASSERT_EQ(Append_FileBuffer(p0.data(), 6, 3), 1);
    ASSERT_EQ(Append_FileBuffer(p1.data(), 6, 3), 1);
    ASSERT_EQ(Uninit_FrameSpool(3), 1);  // Uninit closes the file being filled
    EXPECT_EQ(SpoolTestFiles::Read(full), expectedTiff(3, 2, 1, 8, 2, {p0, p1}));
    expectTiffInfo(full, 2, 3, 2, 8, 1, "min-is-black");

    // RGB: one BitsPerSample value for three samples, MaxSampleValue 255.
    const std::string rgb = files.Path("rgb.tif");
    const std::vector<uint8_t> pixels = Pattern(2 * 2 * 3, 20);
    ASSERT_EQ(Init_FrameSpool(rgb.c_str(), 2, 2, 3, 8, 4, 0, 3), 1);
    ASSERT_EQ(Append_FileBuffer(pixels.data(), 12, 3), 1);
    ASSERT_EQ(Close_FrameSpool(3), 1);
    ASSERT_EQ(Uninit_FrameSpool(3), 1);
    const std::vector<uint8_t> written = SpoolTestFiles::Read(rgb);
    EXPECT_EQ(written, expectedTiff(2, 2, 3, 8, 4, {pixels}));
    ASSERT_EQ(written.size(), 12u + 162 + 8);
    // SamplesPerPixel, PhotometricInterpretation and MaxSampleValue by hand.
    const uint8_t* ifd = written.data() + 8 + 12;
    EXPECT_EQ(ifd[2 + 5 * 12 + 8], 2);
    EXPECT_EQ(ifd[2 + 8 * 12 + 8], 3);
    EXPECT_EQ(ifd[2 + 10 * 12 + 8], 255);
    EXPECT_EQ(ifd[2 + 10 * 12 + 9], 0);
    expectTiffInfo(rgb, 1, 2, 2, 8, 3, "RGB color");
}

TEST(StackLayout, RawSequenceAcrossOpenAndClose)
{
    SpoolTestFiles files;
    const int f = 4 * 2 * 2;  // 4 x 2, 16 bits
    std::vector<std::vector<uint8_t>> frames;
    for (uint32_t i = 0; i < 6; ++i)
        frames.push_back(Pattern(f, 100 + i));
    auto concat = [&](std::initializer_list<int> which) {
        std::vector<uint8_t> out;
        for (int i : which)
            out.insert(out.end(), frames[i].begin(), frames[i].end());
        return out;
    };

    ASSERT_EQ(Init_FrameSpool(files.Path("s0.raw").c_str(), 4, 2, 1, 16, 3, 3, 4), 1);
    for (int i : {0, 1, 2})
        ASSERT_EQ(Append_FileBuffer(frames[i].data(), f, 4), 1);
    ASSERT_EQ(Close_FrameSpool(4), 1);
    ASSERT_EQ(Open_FrameSpool(files.Path("s1.RAW").c_str(), 4), 1);
    for (int i : {3, 4})
        ASSERT_EQ(Append_FileBuffer(frames[i].data(), f, 4), 1);
    // With the first file on disk already, the third still gets a buffer of
    // its own: the rest of its short frame is zero, not a stale frame.
    lumatest::waitFor([&] { return SpoolTestFiles::Read(files.Path("s0.raw")).size() >= 3u * f; }, 20000);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(Close_FrameSpool(4), 1);
    ASSERT_EQ(Open_FrameSpool(files.Path("s2.raw").c_str(), 4), 1);
    ASSERT_EQ(Append_FileBuffer(frames[5].data(), 5, 4), 1);  // short frame: zeros after it
    ASSERT_EQ(Uninit_FrameSpool(4), 1);

    EXPECT_EQ(SpoolTestFiles::Read(files.Path("s0.raw")), concat({0, 1, 2}));
    EXPECT_EQ(SpoolTestFiles::Read(files.Path("s1.RAW")), concat({3, 4}));
    std::vector<uint8_t> last(frames[5].begin(), frames[5].begin() + 5);
    last.resize(f, 0);
    EXPECT_EQ(SpoolTestFiles::Read(files.Path("s2.raw")), last);
    EXPECT_EQ(files.Names(), (std::vector<std::string>{"s0.raw", "s1.RAW", "s2.raw"}));
}

// The file name's own extension decides where it is ".raw" or ".tif", in
// any case; a name with neither falls back to either text anywhere in the
// path, ".raw" first.
TEST(StackLayout, FileTypeComesFromTheNamesExtension)
{
    const struct {
        const char* folder;  // made below the test folder when not empty
        const char* name;
        bool tiff;
    } cases[] = {
        {"", "UP.TIF", true},
        {"", "a.raw.tif", true},
        {"", "a.tif.RAW", false},
        {"run.raw_2024", "a.tif", true},
        {"pics.tif", "a.raw", false},
        {"", "a.raw.bak", false},
        {"", "a.tif.bak", true},
        {"", "a.raw_x.tif_y", false},
    };
    const std::vector<uint8_t> frame = Pattern(8, 7);
    for (const auto& c : cases) {
        SpoolTestFiles files;
        std::string folder = files.Dir();
        if (*c.folder) {
            folder += std::string("/") + c.folder;
            std::filesystem::create_directory(folder);
        }
        const std::string path = folder + "/" + c.name;
        ASSERT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 16, 1, 0, 5), 1) << path;
        ASSERT_EQ(Open_FrameSpool(path.c_str(), 5), 1) << path;  // the same rule names the same type
        ASSERT_EQ(Append_FileBuffer(frame.data(), 8, 5), 1);
        ASSERT_EQ(Uninit_FrameSpool(5), 1);
        EXPECT_EQ(SpoolTestFiles::Read(path), c.tiff ? expectedTiff(2, 2, 1, 16, 1, {frame}) : frame) << path;
    }
}

TEST(StackLayout, ShortFrameInAReusedBufferKeepsNothingOfTheEarlierFile)
{
    SpoolTestFiles files;
    const std::vector<uint8_t> full = Pattern(8, 30), part = Pattern(3, 31);
    std::vector<uint8_t> padded = part;
    padded.resize(8, 0);
    for (const char* ext : {".raw", ".tif"}) {
        const std::string first = files.Path(std::string("first") + ext), second = files.Path(std::string("second") + ext);
        // One buffer only: the second file is filled where the first was.
        ASSERT_EQ(Init_FrameSpool(first.c_str(), 2, 2, 1, 16, 1, 0, 6), 1);
        ASSERT_EQ(Append_FileBuffer(full.data(), 8, 6), 1);
        ASSERT_EQ(Close_FrameSpool(6), 1);  // waits until the buffer is free again
        ASSERT_EQ(Open_FrameSpool(second.c_str(), 6), 1);
        ASSERT_EQ(Append_FileBuffer(part.data(), 3, 6), 1);
        ASSERT_EQ(Uninit_FrameSpool(6), 1);
        const bool tiff = ext[1] == 't';
        EXPECT_EQ(SpoolTestFiles::Read(second), tiff ? expectedTiff(2, 2, 1, 16, 1, {padded}) : padded) << ext;
    }
}

TEST(StackLayout, NextSeriesOfTheSameSizeKeepsNothingOfTheLastOne)
{
    // 2 MiB files: their buffers outlive the series and serve the next one.
    SpoolTestFiles files;
    const int32_t bytes = 1024 * 1024 * 2;
    const std::vector<uint8_t> full = Pattern(bytes, 40), part = Pattern(1000, 41);
    ASSERT_EQ(Init_FrameSpool(files.Path("a.raw").c_str(), 1024, 1024, 1, 16, 1, 1, 7), 1);
    ASSERT_EQ(Append_FileBuffer(full.data(), bytes, 7), 1);
    ASSERT_EQ(Uninit_FrameSpool(7), 1);
    ASSERT_EQ(Init_FrameSpool(files.Path("b.raw").c_str(), 1024, 1024, 1, 16, 1, 1, 7), 1);
    ASSERT_EQ(Append_FileBuffer(part.data(), 1000, 7), 1);
    ASSERT_EQ(Uninit_FrameSpool(7), 1);
    std::vector<uint8_t> expected = part;
    expected.resize(bytes, 0);
    EXPECT_EQ(SpoolTestFiles::Read(files.Path("a.raw")), full);
    EXPECT_TRUE(SpoolTestFiles::Read(files.Path("b.raw")) == expected);
}

TEST(StackLayout, FilesWrittenPastThePageCacheInPartsAreByteExact)
{
    // Large files go to the disk slice by slice, some through the page cache
    // and some straight from the buffer; here every other slice, in 1 MiB
    // slices, with a TIFF whose end is not a whole block.
    struct Slices {
        Slices() { ::setenv(FRAMESPOOL_ROUTE_SLICE_ENV, "1048576", 1); }
        ~Slices() { ::unsetenv(FRAMESPOOL_ROUTE_SLICE_ENV); }
    } slices;
    SpoolTestFiles files;
    const int32_t bytes = 1024 * 1024 * 2;
    std::vector<std::vector<uint8_t>> frames;
    std::vector<uint8_t> raw;
    for (uint32_t i = 0; i < 3; ++i) {
        frames.push_back(Pattern(bytes, 50 + i));
        raw.insert(raw.end(), frames.back().begin(), frames.back().end());
    }
    for (const char* name : {"route.tif", "route.raw"}) {
        const std::string path = files.Path(name);
        ASSERT_EQ(Init_FrameSpool(path.c_str(), 1024, 1024, 1, 16, 3, 1, 1), 1);
        for (const auto& frame : frames)
            ASSERT_EQ(Append_FileBuffer(frame.data(), bytes, 1), 1);
        ASSERT_EQ(Uninit_FrameSpool(1), 1);
    }
    EXPECT_TRUE(SpoolTestFiles::Read(files.Path("route.tif")) == expectedTiff(1024, 1024, 1, 16, 3, frames));
    EXPECT_TRUE(SpoolTestFiles::Read(files.Path("route.raw")) == raw);
}
