#include "ZTCamTestSupport.h"

#include "FileSizeLimit.h"

#include <QImage>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using ztcamtest::runCommand;
using ztcamtest::SdkFixture;

namespace {

long fileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? long(st.st_size) : -1;
}

std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at)
{
    return at + 4 > b.size() ? 0u : uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                                        uint32_t(b[at + 3]) << 24;
}

} // namespace

class ZTCamFiles : public SdkFixture {
protected:
    void SetUp() override
    {
        initWith(ztcamtest::cameraSection("SN-F1"));
        scratch = std::make_unique<ztcamtest::ScratchDir>(
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        dir = scratch->path();
    }

    // Captures one frame in the given pixel format; block holds header + pixels.
    ZTCamFrame grab(int formatIndex, std::vector<uint8_t>& block)
    {
        EXPECT_EQ(setInt("PixelFormat", formatIndex), ZTCAM_STATUS_SUCCESS);
        ZTCamFrame f;
        EXPECT_EQ(alloc(f), ZTCAM_STATUS_SUCCESS);
        EXPECT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
        f.formatRequest = ZTCAM_FORMAT_REQUEST;
        EXPECT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 1000), ZTCAM_STATUS_SUCCESS);
        EXPECT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
        block.assign(static_cast<uint8_t*>(f.data), static_cast<uint8_t*>(f.data) + f.headerSize + f.imageSize);
        f.data = block.data();
        return f;
    }

    // Starts camera 0's stream (f describes its frames) and fills r to
    // record videoPath, the file `name` in the scratch folder, at 25 frames/s.
    void startVideoStream(ZTCamFrame& f, const char* name, ZTCamRecordParams& r)
    {
        ASSERT_EQ(alloc(f), ZTCAM_STATUS_SUCCESS);
        ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
        videoPath = dir + "/" + name;
        r = ZTCamRecordParams{};
        r.codec = ZTCAM_CODEC_DIB;
        r.path = videoPath.c_str();
        r.frameRate = 25;
    }
    // The frames ffprobe reads in videoPath ("<count>\n"), or what it says.
    std::string probedFrames()
    {
        std::string out;
        const int rc = runCommand(
            "ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 '" + videoPath + "'", &out);
        return rc == 0 ? out : "ffprobe failed: " + out;
    }

    std::unique_ptr<ztcamtest::ScratchDir> scratch;
    std::string dir;
    std::string videoPath;
};

TEST_F(ZTCamFiles, SavesEveryFormatAndToolsReadThem)
{
    struct Case {
        int format;
        const char* name;
        int bits;
        int samples;
    } cases[] = {{0, "mono8", 8, 1}, {1, "mono12", 16, 1}, {3, "rgb", 8, 3}};
    for (const Case& c : cases) {
        std::vector<uint8_t> block;
        ZTCamFrame f = grab(c.format, block);
        const std::string base = dir + "/" + c.name;
        ZTCamFileSaveParams p{};
        p.formatMask = ZTCAM_FILE_RAW | ZTCAM_FILE_TIF | ZTCAM_FILE_PNG | ZTCAM_FILE_JPG | ZTCAM_FILE_BMP;
        p.path = base.c_str();
        p.frame = &f;
        ASSERT_EQ(ZTCAM_File_SaveImage(handle, p), ZTCAM_STATUS_SUCCESS) << c.name;

        EXPECT_EQ(fileSize(base + ".raw"), long(f.imageSize)) << c.name;
        std::ifstream raw(base + ".raw", std::ios::binary);
        std::vector<uint8_t> rawBytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
        EXPECT_EQ(std::memcmp(rawBytes.data(), block.data() + f.headerSize, f.imageSize), 0) << c.name;

        std::string out;
        ASSERT_EQ(runCommand("tiffinfo '" + base + ".tif'", &out), 0) << out;
        EXPECT_NE(out.find("Image Width: 64 Image Length: 48"), std::string::npos) << out;
        EXPECT_NE(out.find("Bits/Sample: " + std::to_string(c.bits)), std::string::npos) << out;
        EXPECT_NE(out.find("Samples/Pixel: " + std::to_string(c.samples)), std::string::npos) << out;
        EXPECT_EQ(out.find("Warning"), std::string::npos) << out;

        for (const char* ext : {".png", ".jpg", ".bmp"}) {
            QImage img(QString::fromStdString(base + ext));
            EXPECT_FALSE(img.isNull()) << c.name << ext;
            EXPECT_EQ(img.width(), 64);
            EXPECT_EQ(img.height(), 48);
        }
    }
    // 16-bit samples keep their values in TIFF and PNG.
    std::vector<uint8_t> block;
    ZTCamFrame f = grab(1, block);
    const std::string base = dir + "/values";
    ZTCamFileSaveParams p{};
    p.formatMask = ZTCAM_FILE_PNG;
    p.path = base.c_str();
    p.frame = &f;
    ASSERT_EQ(ZTCAM_File_SaveImage(handle, p), ZTCAM_STATUS_SUCCESS);
    QImage png(QString::fromStdString(base + ".png"));
    ASSERT_EQ(png.format(), QImage::Format_Grayscale16);
    const uint16_t* first = reinterpret_cast<const uint16_t*>(png.constScanLine(3));
    const uint8_t* px = block.data() + f.headerSize + 3 * f.widthStep;
    EXPECT_EQ(first[5], uint16_t(px[10] | (px[11] << 8)));
}

TEST_F(ZTCamFiles, SaveRefusesBadRequests)
{
    std::vector<uint8_t> block;
    ZTCamFrame f = grab(0, block);
    const std::string base = dir + "/bad";
    ZTCamFileSaveParams p{};
    p.formatMask = ZTCAM_FILE_TIF;
    p.path = base.c_str();
    p.frame = nullptr;
    EXPECT_EQ(ZTCAM_File_SaveImage(handle, p), ZTCAM_STATUS_INVALID_PARAM);
    p.frame = &f;
    p.formatMask = 0x40;
    EXPECT_EQ(ZTCAM_File_SaveImage(handle, p), ZTCAM_STATUS_INVALID_PARAM);
    p.formatMask = ZTCAM_FILE_TIF;
    ZTCamFrame lying = f;
    lying.imageSize = 16;  // claims fewer pixel bytes than its geometry needs
    p.frame = &lying;
    EXPECT_EQ(ZTCAM_File_SaveImage(handle, p), ZTCAM_STATUS_INVALID_PARAM);
    p.frame = &f;
    const std::string missing = dir + "/no/such/dir/x";
    p.path = missing.c_str();
    EXPECT_EQ(ZTCAM_File_SaveImage(handle, p), ZTCAM_STATUS_IO_ERROR);
}

// A file that cannot be written whole is not left behind cut short, and the
// call tells why through errno: through the image writer's fault (as on a full
// disk) and a write the system refuses part-way, for every image format and
// for calibration data.
TEST_F(ZTCamFiles, AFileThatCannotBeWrittenWholeIsRemoved)
{
    std::vector<uint8_t> block;
    ZTCamFrame f = grab(1, block);
    const struct {
        int32_t mask;
        const char* extension;
    } formats[] = {{ZTCAM_FILE_RAW, ".raw"}, {ZTCAM_FILE_TIF, ".tif"}, {ZTCAM_FILE_PNG, ".png"},
                   {ZTCAM_FILE_JPG, ".jpg"}, {ZTCAM_FILE_BMP, ".bmp"}};
    ZTCamFileSaveParams p{};
    p.frame = &f;
    const auto save = [&](const std::string& base, int32_t mask) {
        p.path = base.c_str();
        p.formatMask = mask;
        errno = 0;
        return ZTCAM_File_SaveImage(handle, p);
    };
    for (const auto& format : formats) {
        ZTCamSim_FailImageWrites(1, 0);
        EXPECT_EQ(save(dir + "/full", format.mask), ZTCAM_STATUS_IO_ERROR) << format.extension;
        EXPECT_EQ(errno, ENOSPC) << format.extension;
        EXPECT_EQ(fileSize(dir + "/full" + format.extension), -1) << format.extension;
    }
    // The fault counts files: raw is written before png, and only it fails.
    ZTCamSim_FailImageWrites(1, EIO);
    EXPECT_EQ(save(dir + "/half", ZTCAM_FILE_RAW | ZTCAM_FILE_PNG), ZTCAM_STATUS_IO_ERROR);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(fileSize(dir + "/half.raw"), -1);
    EXPECT_GT(fileSize(dir + "/half.png"), 0);
    EXPECT_EQ(save(dir + "/whole", ZTCAM_FILE_RAW), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(fileSize(dir + "/whole.raw"), long(f.imageSize));
    // A symbolic link under the name is not the SDK's file: it stays.
    ASSERT_EQ(::symlink((dir + "/target.raw").c_str(), (dir + "/link.raw").c_str()), 0);
    ZTCamSim_FailImageWrites(1, 0);
    EXPECT_EQ(save(dir + "/link", ZTCAM_FILE_RAW), ZTCAM_STATUS_IO_ERROR);
    struct stat link {};
    EXPECT_EQ(::lstat((dir + "/link.raw").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));

    const std::string dsnu = dir + "/dsnu.txt";
    {
        lumatest::FileSizeLimit limit(64);
        EXPECT_EQ(save(dir + "/big", ZTCAM_FILE_RAW | ZTCAM_FILE_TIF | ZTCAM_FILE_PNG | ZTCAM_FILE_JPG | ZTCAM_FILE_BMP),
                  ZTCAM_STATUS_IO_ERROR);
        EXPECT_EQ(errno, EFBIG);
        EXPECT_EQ(ZTCAM_GenICam_DSNUDataRW(handle, dsnu.c_str(), 0), ZTCAM_STATUS_IO_ERROR);
    }
    for (const auto& format : formats)
        EXPECT_EQ(fileSize(dir + "/big" + format.extension), -1) << format.extension;
    EXPECT_EQ(fileSize(dsnu), -1);
}

// A save that fails leaves an earlier file of its name as it was and nothing
// beside it, for every image format and for calibration data. One that
// succeeds through a symbolic link keeps the link and the replaced file's
// mode; a new file gets the mode open() gives, also under a name near the
// longest the system takes; a pipe under the name gets the file and stays.
TEST_F(ZTCamFiles, AFailedSaveLeavesTheEarlierFileAsItWas)
{
    std::vector<uint8_t> block;
    ZTCamFrame f = grab(1, block);
    const std::string base = dir + "/keep";
    ZTCamFileSaveParams p{};
    p.frame = &f;
    p.path = base.c_str();
    const struct {
        int32_t mask;  // 0: DSNU data
        const char* extension;
    } files[] = {{ZTCAM_FILE_RAW, ".raw"}, {ZTCAM_FILE_TIF, ".tif"}, {ZTCAM_FILE_PNG, ".png"},
                 {ZTCAM_FILE_JPG, ".jpg"}, {ZTCAM_FILE_BMP, ".bmp"}, {0, ".txt"}};
    const std::vector<uint8_t> earlier{'e', 'a', 'r', 'l', 'i', 'e', 'r'};
    std::set<std::string> names;
    for (const auto& file : files) {
        const std::string path = base + file.extension;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(earlier.data()), 7);
        names.insert(std::string("keep") + file.extension);
        p.formatMask = file.mask;
        errno = 0;
        {
            lumatest::FileSizeLimit limit(8);
            EXPECT_EQ(file.mask != 0 ? ZTCAM_File_SaveImage(handle, p) : ZTCAM_GenICam_DSNUDataRW(handle, path.c_str(), 0),
                      ZTCAM_STATUS_IO_ERROR)
                << path;
        }
        EXPECT_EQ(errno, EFBIG) << path;
        EXPECT_EQ(fileBytes(path), earlier) << path;
    }
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, names);

    ::chmod((base + ".raw").c_str(), 0640);
    ASSERT_EQ(::symlink((base + ".raw").c_str(), (dir + "/link.raw").c_str()), 0);
    const std::string link = dir + "/link", fresh = dir + "/fresh", pipe = dir + "/pipe";
    ASSERT_EQ(::mkfifo((pipe + ".raw").c_str(), 0600), 0);
    const int reader = ::open((pipe + ".raw").c_str(), O_RDONLY | O_NONBLOCK);
    for (const std::string& name : {link, fresh, pipe, dir + "/" + std::string(246, 'l')}) {
        p.path = name.c_str();
        p.formatMask = ZTCAM_FILE_RAW;
        EXPECT_EQ(ZTCAM_File_SaveImage(handle, p), ZTCAM_STATUS_SUCCESS) << name;
    }
    std::vector<char> piped(f.imageSize + 1);
    EXPECT_EQ(::read(reader, piped.data(), piped.size()), ssize_t(f.imageSize));
    ::close(reader);
    EXPECT_TRUE(std::filesystem::is_fifo(pipe + ".raw"));
    struct stat named {}, replaced {}, made {};
    EXPECT_TRUE(::lstat((link + ".raw").c_str(), &named) == 0 && S_ISLNK(named.st_mode));
    ASSERT_EQ(::stat((base + ".raw").c_str(), &replaced), 0);
    EXPECT_EQ(replaced.st_size, off_t(f.imageSize));
    EXPECT_EQ(replaced.st_mode & 0777, 0640u);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ASSERT_EQ(::stat((fresh + ".raw").c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0666u & ~mask);
}

TEST_F(ZTCamFiles, RecordsAviThatFfprobeReads)
{
    for (int format : {1, 3}) {
        ASSERT_EQ(setInt("PixelFormat", format), ZTCAM_STATUS_SUCCESS);
        ZTCamFrame f;
        ASSERT_EQ(alloc(f), ZTCAM_STATUS_SUCCESS);
        ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
        const std::string path = dir + "/video" + std::to_string(format) + ".avi";
        ZTCamRecordParams r{};
        r.codec = ZTCAM_CODEC_DIB;
        r.path = path.c_str();
        r.frameRate = 12.5f;
        ASSERT_EQ(ZTCAM_Rec_Start(handle, &r), ZTCAM_STATUS_SUCCESS);
        EXPECT_EQ(ZTCAM_Rec_Start(handle, &r), ZTCAM_STATUS_BUSY);
        for (int i = 0; i < 7; ++i) {
            f.formatRequest = ZTCAM_FORMAT_REQUEST;
            ASSERT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 1000), ZTCAM_STATUS_SUCCESS);
            ASSERT_EQ(ZTCAM_Rec_AppendFrame(handle, &f), ZTCAM_STATUS_SUCCESS);
        }
        ASSERT_EQ(ZTCAM_Rec_Stop(handle), ZTCAM_STATUS_SUCCESS);
        EXPECT_EQ(ZTCAM_Rec_Stop(handle), ZTCAM_STATUS_WRONG_STATE);
        EXPECT_EQ(ZTCAM_Rec_AppendFrame(handle, &f), ZTCAM_STATUS_WRONG_STATE);
        ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);

        std::string out;
        ASSERT_EQ(runCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                             "stream=codec_name,width,height,nb_read_frames,r_frame_rate -of default=nw=1 '" +
                                 path + "'",
                             &out),
                  0)
            << out;
        EXPECT_NE(out.find("nb_read_frames=7"), std::string::npos) << out;
        EXPECT_NE(out.find("width=64"), std::string::npos) << out;
        EXPECT_NE(out.find("height=48"), std::string::npos) << out;
        EXPECT_NE(out.find("r_frame_rate=25/2"), std::string::npos) << out;
        EXPECT_EQ(out.find("rror"), std::string::npos) << out;
    }
    ZTCamRecordParams r{};
    const std::string path = dir + "/x.avi";
    r.path = path.c_str();
    r.frameRate = 10;
    r.codec = 0x47504A4D;  // "MJPG"
    EXPECT_EQ(ZTCAM_Rec_Start(handle, &r), ZTCAM_STATUS_NOT_SUPPORTED);
    r.codec = ZTCAM_CODEC_DIB;
    r.frameRate = 0;
    EXPECT_EQ(ZTCAM_Rec_Start(handle, &r), ZTCAM_STATUS_INVALID_PARAM);
}

TEST_F(ZTCamFiles, CloseFinishesARunningRecording)
{
    ZTCamFrame f;
    ZTCamRecordParams r;
    ASSERT_NO_FATAL_FAILURE(startVideoStream(f, "open.avi", r));
    ASSERT_EQ(ZTCAM_Rec_Start(handle, &r), ZTCAM_STATUS_SUCCESS);
    for (int i = 0; i < 3; ++i) {
        f.formatRequest = ZTCAM_FORMAT_REQUEST;
        ASSERT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 1000), ZTCAM_STATUS_SUCCESS);
        ASSERT_EQ(ZTCAM_Rec_AppendFrame(handle, &f), ZTCAM_STATUS_SUCCESS);
    }
    ASSERT_EQ(ZTCAM_Dev_Close(handle), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(probedFrames(), "3\n");
}

TEST_F(ZTCamFiles, AVideoWhoseWritesFailedHoldsItsWholeFramesAndPlays)
{
    ZTCamFrame f;
    ZTCamRecordParams r;
    ASSERT_NO_FATAL_FAILURE(startVideoStream(f, "full.avi", r));
    ZTCamSim_FailVideoWrites(-1, EACCES);
    errno = 0;
    EXPECT_EQ(ZTCAM_Rec_Start(handle, &r), ZTCAM_STATUS_IO_ERROR);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(fileSize(videoPath), -1);
    // Headers that do not fit: the cut file goes, a symbolic link under the name stays.
    const std::string link = dir + "/link.avi";
    ASSERT_EQ(::symlink((dir + "/target.avi").c_str(), link.c_str()), 0);
    ZTCamSim_FailVideoWrites(0, 0);
    for (const std::string& name : {videoPath, link}) {
        ZTCamRecordParams cut = r;
        cut.path = name.c_str();
        lumatest::FileSizeLimit limit(64);
        EXPECT_EQ(ZTCAM_Rec_Start(handle, &cut), ZTCAM_STATUS_IO_ERROR) << name;
    }
    EXPECT_EQ(fileSize(videoPath), -1);
    EXPECT_TRUE(std::filesystem::is_symlink(link));

    // Headers, chunks and index tell of the whole frames and nothing else.
    const auto expectWholeFrames = [&](uint32_t frames) {
        const std::vector<uint8_t> b = fileBytes(videoPath);
        const uint32_t chunk = 8 + 64 * 48;
        const std::string text(b.begin(), b.end());
        const size_t movi = text.find("movi");
        ASSERT_NE(movi, std::string::npos);
        const size_t idx = movi + 4 + frames * chunk;
        ASSERT_EQ(b.size(), idx + 8 + 16 * frames);
        EXPECT_EQ(le32(b, 4), b.size() - 8);                 // RIFF size
        EXPECT_EQ(le32(b, 44) & 0x10u, 0x10u);               // has an index
        EXPECT_EQ(le32(b, 48), frames);                      // total frames
        EXPECT_EQ(le32(b, 140), frames);                     // stream length
        EXPECT_EQ(le32(b, movi - 4), 4 + frames * chunk);    // movi list size
        EXPECT_EQ(text.substr(idx, 4), "idx1");
        EXPECT_EQ(le32(b, idx + 4), 16 * frames);
        for (uint32_t k = 0; k < frames; ++k) {
            EXPECT_EQ(text.substr(movi + 4 + k * chunk, 4), "00db") << k;
            EXPECT_EQ(le32(b, idx + 8 + 16 * k + 8), 4 + k * chunk) << k;
        }
        EXPECT_EQ(probedFrames(), std::to_string(frames) + "\n");
    };
    const struct {
        const char* what;
        int fitting;   // frames written before the disk is full
        int appended;
        int roomAgain; // the append from which there is room again; -1: never
        uint32_t whole;
    } cases[] = {
        {"room again after two frames", 3, 6, 5, 4},
        {"still full as the recording stops", 2, 4, -1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(videoPath);
        ZTCamSim_FailVideoWrites(c.fitting, ENOSPC);
        ASSERT_EQ(ZTCAM_Rec_Start(handle, &r), ZTCAM_STATUS_SUCCESS);
        for (int i = 0; i < c.appended; ++i) {
            if (i == c.roomAgain)
                ZTCamSim_FailVideoWrites(0, 0);
            f.formatRequest = ZTCAM_FORMAT_REQUEST;
            ASSERT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 1000), ZTCAM_STATUS_SUCCESS);
            errno = 0;
            const bool full = i >= c.fitting && (c.roomAgain < 0 || i < c.roomAgain);
            EXPECT_EQ(ZTCAM_Rec_AppendFrame(handle, &f), full ? ZTCAM_STATUS_IO_ERROR : ZTCAM_STATUS_SUCCESS) << i;
            EXPECT_EQ(errno, full ? ENOSPC : 0) << i;
        }
        ZTCamSim_FailVideoWrites(0, 0);
        ASSERT_EQ(ZTCAM_Rec_Stop(handle), ZTCAM_STATUS_SUCCESS);
        expectWholeFrames(c.whole);
    }
    // A recording never opens a file that is there already.
    const std::vector<uint8_t> earlier = fileBytes(videoPath);
    errno = 0;
    EXPECT_EQ(ZTCAM_Rec_Start(handle, &r), ZTCAM_STATUS_IO_ERROR);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(fileBytes(videoPath), earlier);
    ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
}

TEST_F(ZTCamFiles, CalibrationDataRoundTrip)
{
    const std::string dsnu = dir + "/dsnu.txt";
    const std::string prnu = dir + "/prnu.txt";
    ASSERT_EQ(ZTCAM_GenICam_DSNUDataRW(handle, dsnu.c_str(), 0), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_GenICam_PRNUDataRW(handle, prnu.c_str(), 0), ZTCAM_STATUS_SUCCESS);
    // New dark data in the camera, then the saved file back in.
    ZTCamElement gen = element("DSNUGenerate");
    ASSERT_EQ(ZTCAM_GenICam_SetElementValue(handle, &gen, 0), ZTCAM_STATUS_SUCCESS);
    const std::string changed = dir + "/dsnu2.txt";
    ASSERT_EQ(ZTCAM_GenICam_DSNUDataRW(handle, changed.c_str(), 0), ZTCAM_STATUS_SUCCESS);
    std::string out;
    EXPECT_NE(runCommand("cmp -s '" + dsnu + "' '" + changed + "'", &out), 0);
    ASSERT_EQ(ZTCAM_GenICam_DSNUDataRW(handle, dsnu.c_str(), 1), ZTCAM_STATUS_SUCCESS);
    const std::string again = dir + "/dsnu3.txt";
    ASSERT_EQ(ZTCAM_GenICam_DSNUDataRW(handle, again.c_str(), 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(runCommand("cmp -s '" + dsnu + "' '" + again + "'", &out), 0);
    // A PRNU file is not DSNU data; missing or damaged files are refused.
    EXPECT_EQ(ZTCAM_GenICam_DSNUDataRW(handle, prnu.c_str(), 1), ZTCAM_STATUS_FILE_INVALID);
    EXPECT_EQ(ZTCAM_GenICam_PRNUDataRW(handle, prnu.c_str(), 1), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_GenICam_PRNUDataRW(handle, (dir + "/missing.txt").c_str(), 1), ZTCAM_STATUS_IO_ERROR);
    {
        std::ifstream in(dsnu);
        std::stringstream ss;
        ss << in.rdbuf();
        std::string text = ss.str();
        text.resize(text.size() / 2);
        std::ofstream cut(dir + "/cut.txt");
        cut << text;
    }
    EXPECT_EQ(ZTCAM_GenICam_DSNUDataRW(handle, (dir + "/cut.txt").c_str(), 1), ZTCAM_STATUS_FILE_INVALID);
    EXPECT_EQ(ZTCAM_GenICam_DSNUDataRW(handle, nullptr, 0), ZTCAM_STATUS_INVALID_PARAM);
    EXPECT_EQ(ZTCAM_GenICam_DSNUDataRW(handle, dsnu.c_str(), 2), ZTCAM_STATUS_INVALID_PARAM);
}
