// Many files through small rings with a slowed-down writer, write failures,
// and the shut-down of a slot with files still queued.
#include "FileSizeLimit.h"
#include "FrameSpool.h"
#include "SpoolTestFiles.h"
#include "SpoolTestHooks.h"
#include "WaitFor.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

// Slows every file write of the slots initialised while it lives.
class SlowWriter
{
public:
    explicit SlowWriter(int ms) { ::setenv(FRAMESPOOL_WRITE_DELAY_ENV, std::to_string(ms).c_str(), 1); }
    ~SlowWriter() { ::unsetenv(FRAMESPOOL_WRITE_DELAY_ENV); }
};

std::string fileName(const std::string& stem, int file, const char* ext)
{
    return stem + "_" + std::to_string(file) + ext;
}

uint32_t seedOf(int slot, int file, int frame) { return static_cast<uint32_t>(slot * 100000 + file * 100 + frame); }

// Writes files files of framesPerFile frames (the last one shorter by one
// frame) through a ring sized for ringFiles files.
void writeSeries(const SpoolTestFiles& dir, int slot, const char* ext, int files, int framesPerFile, int ringFiles,
                 int frameBytes)
{
    for (int file = 0; file < files; ++file) {
        const std::string path = dir.Path(fileName("slot" + std::to_string(slot), file, ext));
        if (file == 0) {
            ASSERT_EQ(Init_FrameSpool(path.c_str(), frameBytes / 2, 1, 1, 16, framesPerFile, ringFiles, slot), 1);
        } else {
            ASSERT_EQ(Open_FrameSpool(path.c_str(), slot), 1);
        }
        const int frames = file + 1 == files ? framesPerFile - 1 : framesPerFile;
        for (int frame = 0; frame < frames; ++frame) {
            const std::vector<uint8_t> data = Pattern(frameBytes, seedOf(slot, file, frame));
            ASSERT_EQ(Append_FileBuffer(data.data(), frameBytes, slot), 1);
        }
        if (file + 1 < files) {
            ASSERT_EQ(Close_FrameSpool(slot), 1);
        }
    }
    ASSERT_EQ(Uninit_FrameSpool(slot), 1);  // closes the last file
}

void checkSeries(const SpoolTestFiles& dir, int slot, bool tiff, int files, int framesPerFile, int frameBytes)
{
    for (int file = 0; file < files; ++file) {
        const std::string path = dir.Path(fileName("slot" + std::to_string(slot), file, tiff ? ".tif" : ".raw"));
        const std::vector<uint8_t> data = SpoolTestFiles::Read(path);
        const int frames = file + 1 == files ? framesPerFile - 1 : framesPerFile;
        const size_t page = tiff ? frameBytes + 162 : frameBytes;
        ASSERT_EQ(data.size(), frames * page + (tiff ? 8 : 0)) << path;
        for (int frame = 0; frame < frames; ++frame) {
            const std::vector<uint8_t> expected = Pattern(frameBytes, seedOf(slot, file, frame));
            const size_t at = frame * page + (tiff ? 8 : 0);
            ASSERT_TRUE(std::equal(expected.begin(), expected.end(), data.begin() + at))
                << path << " frame " << frame;
        }
        if (tiff) {
            std::vector<SpoolTestFiles::TiffPage> pages;
            std::string text;
            ASSERT_TRUE(SpoolTestFiles::TiffInfo(path, &pages, &text)) << text;
            EXPECT_EQ(pages.size(), static_cast<size_t>(frames)) << text;
        }
    }
}

}  // namespace

TEST(SpoolRing, ManyFilesThroughSmallRingsWithSlowWriters)
{
    SpoolTestFiles dir;
    SlowWriter slow(15);
    // Two slots at once from two threads: RAW through a ring of 3 buffers,
    // TIFF through a ring of a single buffer, 12 files each.
    std::thread raw([&] { writeSeries(dir, 4, ".raw", 12, 4, 2, 64); });
    std::thread tif([&] { writeSeries(dir, 0, ".tif", 12, 3, 0, 48); });
    raw.join();
    tif.join();
    checkSeries(dir, 4, false, 12, 4, 64);
    checkSeries(dir, 0, true, 12, 3, 48);
    EXPECT_EQ(dir.Names().size(), 24u);
}

TEST(SpoolRing, UninitWritesEveryQueuedFile)
{
    SpoolTestFiles dir;
    SlowWriter slow(300);
    // Five files queued behind a writer that needs 1.5 s for them.
    const auto start = std::chrono::steady_clock::now();
    writeSeries(dir, 3, ".tif", 5, 2, 5, 32);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
    checkSeries(dir, 3, true, 5, 2, 32);
}

TEST(SpoolRing, FailedWriteIsRetriedUntilItSucceeds)
{
    SpoolTestFiles dir;
    const std::string later = dir.Path("later");
    const std::string path = later + "/a.raw";
    const std::vector<uint8_t> frame = Pattern(8, 9);
    testing::internal::CaptureStderr();
    ASSERT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 16, 1, 1, 2), 1);
    ASSERT_EQ(Append_FileBuffer(frame.data(), 8, 2), 1);
    ASSERT_EQ(Close_FrameSpool(2), 1);  // the next buffer is free: no wait
    // Let the writer fail once, however long a busy machine makes it take.
    const bool failed = WaitForCapturedStderr("Save file failed: " + path + "\n", 20000);
    std::filesystem::create_directory(later);
    ASSERT_EQ(Uninit_FrameSpool(2), 1);
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(failed) << out;
    EXPECT_EQ(SpoolTestFiles::Read(path), frame);
}

// A file whose folder goes while the writer writes it is not on the disk,
// though every write succeeded: Uninit says so.
TEST(SpoolRing, AFileWhoseFolderIsRemovedWhileWrittenIsNotReportedWritten)
{
    SpoolTestFiles dir;
    const std::string folder = dir.Path("gone"), hold = dir.Path("hold");
    const std::string path = folder + "/a.tif";
    std::filesystem::create_directory(folder);
    std::ofstream(hold) << "held";
    ::setenv(FRAMESPOOL_HOLD_OPENED_ENV, hold.c_str(), 1);
    const std::vector<uint8_t> frame = Pattern(8, 3);
    testing::internal::CaptureStderr();
    ASSERT_EQ(Init_FrameSpool(path.c_str(), 2, 2, 1, 16, 1, 1, 2), 1);
    ASSERT_EQ(Append_FileBuffer(frame.data(), 8, 2), 1);
    ASSERT_EQ(Close_FrameSpool(2), 1);
    // The writer has the file open beside its name and waits for the hold to go.
    const bool opened = lumatest::waitFor([&] { return !std::filesystem::is_empty(folder); });
    std::filesystem::remove_all(folder);
    std::filesystem::remove(hold);
    EXPECT_EQ(Uninit_FrameSpool(2), 0);
    ::unsetenv(FRAMESPOOL_HOLD_OPENED_ENV);
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(opened);
    EXPECT_NE(out.find("Unsaved file dropped: " + path + "\n"), std::string::npos) << out;
    EXPECT_FALSE(SpoolTestFiles::Exists(path));
}

// A disk that refuses every file ends with the whole queue dropped by name at
// Uninit; a single name that cannot be written (a pipe nobody reads, a
// device that is full) costs only its own file.
TEST(SpoolRing, ARefusingDiskDropsTheQueueAndABadNameOnlyItself)
{
    SpoolTestFiles dir;
    const std::string fifo = dir.Path("pipe.raw"), full = dir.Path("full.raw");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // nobody reads it: opening it for writing would block
    std::filesystem::create_symlink("/dev/full", full);  // every write: no space left
    const auto missing = [&](const char* name) { return dir.Path(std::string("missing/") + name); };
    const struct {
        std::vector<std::string> names;
        size_t written;  // the names from this one on are written
    } cases[] = {
        {{missing("a.raw"), missing("b.raw"), missing("c.raw"), missing("d.raw")}, 4},
        {{fifo, dir.Path("b.raw"), dir.Path("c.raw"), dir.Path("d.raw")}, 1},
        {{full, dir.Path("e.raw"), dir.Path("f.raw"), dir.Path("g.raw")}, 1},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> frame = Pattern(8, 1);
        testing::internal::CaptureStderr();
        ASSERT_EQ(Init_FrameSpool(c.names[0].c_str(), 2, 2, 1, 16, 1, 8, 5), 1);
        for (size_t i = 0; i < c.names.size(); ++i) {
            if (i > 0) {
                ASSERT_EQ(Open_FrameSpool(c.names[i].c_str(), 5), 1);
            }
            ASSERT_EQ(Append_FileBuffer(frame.data(), 8, 5), 1);
            ASSERT_EQ(Close_FrameSpool(5), 1);  // free buffers remain: no wait
        }
        EXPECT_EQ(Uninit_FrameSpool(5), 0);
        const std::string out = testing::internal::GetCapturedStderr();
        EXPECT_NE(out.find("Save file failed: " + c.names[0] + "\n"), std::string::npos) << out;
        for (size_t i = 0; i < c.names.size(); ++i) {
            const bool dropped = i < c.written;
            EXPECT_EQ(out.find("Unsaved file dropped: " + c.names[i] + "\n") != std::string::npos, dropped) << out;
            if (i > 0) {
                EXPECT_EQ(SpoolTestFiles::Exists(c.names[i]), !dropped) << c.names[i];
            }
        }
        EXPECT_EQ(Uninit_FrameSpool(5), 0);
    }
    // The slot is free again.
    ASSERT_EQ(Init_FrameSpool(dir.Path("h.raw").c_str(), 2, 2, 1, 16, 1, 1, 5), 1);
    EXPECT_EQ(Uninit_FrameSpool(5), 1);
}

// A write that fails part-way leaves no file under its name and an earlier
// file as it was. A name that is a symbolic link keeps its link, whether the
// write fails or replaces the file it leads to (with that file's mode).
TEST(SpoolRing, WriteFailingPartWayLeavesAnEarlierFileAsItWas)
{
    const std::string longest = std::string(246, 'l') + ".tif";  // room for no more than a short suffix
    const struct {
        std::string name;
        const char* linkTo;  // null: a plain file
        bool earlier;        // a file of 0640 is there before
        bool fails;
        std::vector<std::string> left;
    } cases[] = {
        {"cut.tif", nullptr, false, true, {}},
        {"kept.tif", nullptr, true, true, {"kept.tif"}},
        {"link.tif", "target.tif", false, true, {"link.tif"}},
        {"link.tif", "target.tif", true, false, {"link.tif", "target.tif"}},
        {longest, nullptr, true, false, {longest}},
    };
    const std::vector<uint8_t> earlier = Pattern(16, 7), frame = Pattern(128 * 1024, 4);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SpoolTestFiles dir;
        const std::string path = dir.Path(c.name), file = dir.Path(c.linkTo ? c.linkTo : c.name);
        if (c.linkTo)
            std::filesystem::create_symlink(file, path);
        if (c.earlier) {
            std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(earlier.data()), 16);
            ::chmod(file.c_str(), 0640);
        }
        testing::internal::CaptureStderr();
        {
            // Half the file fits; the captured output is far below the limit.
            lumatest::FileSizeLimit limit(c.fails ? 64 * 1024 : 1024 * 1024);
            ASSERT_EQ(Init_FrameSpool(path.c_str(), 256, 256, 1, 16, 1, 1, 1), 1);
            ASSERT_EQ(Append_FileBuffer(frame.data(), 128 * 1024, 1), 1);
            EXPECT_EQ(Uninit_FrameSpool(1), c.fails ? 0 : 1);
        }
        const std::string out = testing::internal::GetCapturedStderr();
        EXPECT_EQ(out.find("Unsaved file dropped: " + path + "\n") != std::string::npos, c.fails) << out;
        EXPECT_EQ(dir.Names(), c.left);
        EXPECT_EQ(std::filesystem::is_symlink(path), c.linkTo != nullptr);
        if (c.earlier && c.fails) {
            EXPECT_EQ(SpoolTestFiles::Read(file), earlier);
        } else if (c.earlier) {
            EXPECT_EQ(SpoolTestFiles::Read(file).size(), frame.size() + 170);
            struct stat st {};
            EXPECT_EQ(::stat(file.c_str(), &st) == 0 ? st.st_mode & 0777 : 0, 0640u);
        }
    }
}

TEST(SpoolRing, FullRingStuckOnTheDiskDoesNotHangOrOverwrite)
{
    SpoolTestFiles dir;
    const std::string later = dir.Path("later");
    const std::string first = later + "/1.tif", second = dir.Path("2.tif");
    const std::vector<uint8_t> a = Pattern(8, 1), b = Pattern(8, 2);
    testing::internal::CaptureStderr();
    // One buffer only: Close must wait for it, and gives up while the disk refuses.
    ASSERT_EQ(Init_FrameSpool(first.c_str(), 2, 2, 1, 16, 1, 0, 6), 1);
    ASSERT_EQ(Append_FileBuffer(a.data(), 8, 6), 1);
    EXPECT_EQ(Close_FrameSpool(6), 0);
    ASSERT_EQ(Open_FrameSpool(second.c_str(), 6), 1);
    EXPECT_EQ(Append_FileBuffer(b.data(), 8, 6), 0);  // the only buffer is still queued
    std::filesystem::create_directory(later);
    ASSERT_TRUE(lumatest::waitFor([&] { return Append_FileBuffer(b.data(), 8, 6) == 1; }, 20000));
    ASSERT_EQ(Uninit_FrameSpool(6), 1);
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("No free file buffer\n"), std::string::npos) << out;
    std::vector<uint8_t> one = SpoolTestFiles::Read(first), two = SpoolTestFiles::Read(second);
    ASSERT_EQ(one.size(), 178u);
    ASSERT_EQ(two.size(), 178u);
    EXPECT_TRUE(std::equal(a.begin(), a.end(), one.begin() + 8));
    EXPECT_TRUE(std::equal(b.begin(), b.end(), two.begin() + 8));
}
