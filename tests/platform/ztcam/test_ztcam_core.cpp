// Parts of the simulator below the C interface.
#include "FrameGenerator.h"
#include "PixelFormat.h"
#include "SimConfig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace ztcam;

TEST(ZTCamSimConfig, ParsesCamerasAndReportsBadLines)
{
    const LibraryConfig cfg = SimConfig::parse(
        "[global]\nzero_cameras = 0\n"
        "[camera]\nserial = AB\nproduct_id = 0xE42A\nsensor_width = 2048\nsensor_height = 1024\n"
        "pixel_formats = Mono 8, Mono12, BGR 8\npixel_format = Mono12\nframe_rate = 50\nfan = off\n"
        "fail_start = 1\nwidth = 4096\n"
        "[camera]\nserial =\nframe_rate = -3\nbogus\npixel_formats = Bayer 7\n"
        "[nowhere]\nx = 1\n");
    ASSERT_EQ(cfg.cameras.size(), 2u);
    const CameraConfig& a = cfg.cameras[0];
    EXPECT_EQ(a.serial, "AB");
    EXPECT_EQ(a.productId, 0xE42Au);
    EXPECT_EQ(a.pixelFormats.size(), 3u);
    EXPECT_EQ(a.pixelFormat, "Mono12");
    EXPECT_EQ(a.frameRate, 50.0);
    EXPECT_FALSE(a.fanOn);
    EXPECT_TRUE(a.failStart);
    EXPECT_EQ(a.width, 2048u);  // clamped to the sensor
    EXPECT_EQ(cfg.cameras[1].serial, "");
    EXPECT_EQ(cfg.cameras[1].frameRate, 25.0);
    EXPECT_EQ(cfg.warnings.size(), 5u);  // frame_rate, bogus, pixel_formats, [nowhere], x
}

TEST(ZTCamSimConfig, UnusableValuesAreRefusedAndLeaveTheDefault)
{
    const CameraConfig d = SimConfig::defaultCamera(0);
    const struct {
        std::string line;
        bool (*unchanged)(const CameraConfig&, const CameraConfig&);
    } cases[] = {
        {"frame_rate = nan", [](const CameraConfig& c, const CameraConfig& d) { return c.frameRate == d.frameRate; }},
        {"frame_rate = inf", [](const CameraConfig& c, const CameraConfig& d) { return c.frameRate == d.frameRate; }},
        {"sensor_temperature = NaN",
         [](const CameraConfig& c, const CameraConfig& d) { return c.sensorTemperature == d.sensorTemperature; }},
        {"device_temperature = -infinity",
         [](const CameraConfig& c, const CameraConfig& d) { return c.deviceTemperature == d.deviceTemperature; }},
        {"serial = " + std::string(64, 'S'), [](const CameraConfig& c, const CameraConfig& d) { return c.serial == d.serial; }},
        {"device_version = " + std::string(32, 'V'),
         [](const CameraConfig& c, const CameraConfig& d) { return c.deviceVersion == d.deviceVersion; }},
        {"user_id = " + std::string(16, 'U'), [](const CameraConfig& c, const CameraConfig& d) { return c.userId == d.userId; }},
    };
    for (const auto& test : cases) {
        const LibraryConfig cfg = SimConfig::parse("[camera]\n" + test.line + "\n");
        ASSERT_EQ(cfg.cameras.size(), 1u);
        EXPECT_TRUE(test.unchanged(cfg.cameras[0], d)) << test.line;
        ASSERT_EQ(cfg.warnings.size(), 1u) << test.line;
        EXPECT_EQ(cfg.warnings[0], "line 2: cannot use '" + test.line + "'");
    }
    // The longest usable values are taken.
    const LibraryConfig fits = SimConfig::parse("[camera]\nserial = " + std::string(63, 'S') + "\nuser_id = " +
                                                std::string(15, 'U') + "\n");
    EXPECT_TRUE(fits.warnings.empty());
    EXPECT_EQ(fits.cameras[0].userId, std::string(15, 'U'));
}

TEST(ZTCamSimConfig, ALargeSensorWithoutASizeStartsAtTheFullSensor)
{
    const LibraryConfig cfg = SimConfig::parse("[camera]\nsensor_width = 2048\nsensor_height = 2048\n"
                                               "[camera]\nsensor_width = 4096\nsensor_height = 3000\nwidth = 1000\n");
    ASSERT_EQ(cfg.cameras.size(), 2u);
    EXPECT_EQ(cfg.cameras[0].width, 2048u);
    EXPECT_EQ(cfg.cameras[0].height, 2048u);
    EXPECT_EQ(cfg.cameras[1].width, 1000u);
    EXPECT_EQ(cfg.cameras[1].height, 3000u);
    EXPECT_EQ(SimConfig::defaults().cameras[1].width, 1280u);
}

TEST(ZTCamSimConfig, TheReadmeExampleIsAWorkingFile)
{
    // The example of README.md, comments after the values included, must be
    // usable as it stands.
    const char* source = std::getenv("LUMA_SOURCE_DIR");
    std::ifstream readme(std::string(source ? source : LUMA_TEST_SOURCE_DIR) + "/platform/ztcam/README.md");
    ASSERT_TRUE(readme.good());
    std::string line, example;
    bool inside = false;
    while (std::getline(readme, line)) {
        if (line.rfind("```", 0) == 0) {
            if (inside)
                break;
            inside = line == "```ini";
            continue;
        }
        if (inside)
            example += line + "\n";
    }
    ASSERT_FALSE(example.empty());
    const LibraryConfig cfg = SimConfig::parse(example);
    EXPECT_TRUE(cfg.warnings.empty()) << cfg.warnings.front();
    ASSERT_EQ(cfg.cameras.size(), 1u);
    const CameraConfig& c = cfg.cameras[0];
    EXPECT_EQ(c.serial, "ZT2A000101");
    EXPECT_EQ(c.deviceVersion, "V01_2505_ZT");
    EXPECT_EQ(c.userId, "");
    EXPECT_EQ(c.productId, 0xE415u);
    EXPECT_EQ(c.pixelFormats.size(), 4u);
    EXPECT_EQ(c.pixelFormat, "Mono 8");
    EXPECT_EQ(c.frameRate, 25.0);

    // A comment needs white space before it; inside a value the sign stays.
    const LibraryConfig marked = SimConfig::parse("[camera]\nserial = A#1 ; first\nmodel = X;Y\n");
    ASSERT_EQ(marked.cameras.size(), 1u);
    EXPECT_EQ(marked.cameras[0].serial, "A#1");
    EXPECT_EQ(marked.cameras[0].modelName, "X;Y");
}

TEST(ZTCamSimConfig, DefaultCameraCount)
{
    EXPECT_EQ(SimConfig::parse("").cameras.size(), 2u);
    EXPECT_EQ(SimConfig::parse("[global]\ncameras = 0\n").cameras.size(), 0u);
    EXPECT_EQ(SimConfig::parse("[global]\ncameras = 4\n").cameras.size(), 4u);
    const LibraryConfig d = SimConfig::defaults();
    ASSERT_EQ(d.cameras.size(), 2u);
    EXPECT_NE(d.cameras[0].serial, d.cameras[1].serial);
    // Cameras no section describes still deliver their whole sensor.
    for (const LibraryConfig& cfg : {d, SimConfig::parse("[global]\ncameras = 3\n")}) {
        for (const auto& c : cfg.cameras) {
            EXPECT_EQ(c.width, c.sensorWidth);
            EXPECT_EQ(c.height, c.sensorHeight);
            EXPECT_GT(c.width, 0u);
        }
    }
}

TEST(ZTCamPixelFormat, EntryTexts)
{
    PixelFormat f;
    ASSERT_TRUE(PixelFormat::fromName("Mono 12", f));
    EXPECT_EQ(f.elementBytes, 2);
    EXPECT_EQ(f.bits, 12);
    ASSERT_TRUE(PixelFormat::fromName("Mono8", f));
    EXPECT_EQ(f.elementBytes, 1);
    ASSERT_TRUE(PixelFormat::fromName("RGB 8", f));
    EXPECT_EQ(f.channels, 3);
    EXPECT_FALSE(PixelFormat::fromName("Mono 12p", f));
    EXPECT_FALSE(PixelFormat::fromName("Mono 20", f));
    EXPECT_FALSE(PixelFormat::fromName("YUV 8", f));
}

TEST(ZTCamFrameGenerator, FillAgreesWithSampleInEveryOrientation)
{
    for (const char* name : {"Mono 8", "Mono 12", "Mono 16", "RGB 8"}) {
        PixelFormat f;
        ASSERT_TRUE(PixelFormat::fromName(name, f));
        FrameGenerator g;
        g.configure(37, 11, f);
        std::vector<uint8_t> img(g.imageSize());
        for (int flips = 0; flips < 4; ++flips) {
            const bool h = flips & 1, v = flips & 2;
            g.fill(img.data(), img.size(), 123, h, v, false);
            for (uint32_t y = 0; y < 11; ++y) {
                for (uint32_t x = 0; x < 37; ++x) {
                    for (uint32_t c = 0; c < f.channels; ++c) {
                        const size_t at = (size_t(y) * 37 + x) * f.bytesPerPixel() + c * f.elementBytes;
                        const uint32_t got = f.elementBytes == 2 ? uint32_t(img[at] | (img[at + 1] << 8)) : img[at];
                        ASSERT_EQ(got, g.sample(x, y, c, 123, h, v)) << name << " flips " << flips;
                        ASSERT_LE(got, f.maxValue());
                    }
                }
            }
        }
        // The pattern moves from frame to frame and repeats exactly.
        std::vector<uint8_t> a(g.imageSize()), b(g.imageSize());
        g.fill(a.data(), a.size(), 5, false, false, false);
        g.fill(b.data(), b.size(), 6, false, false, false);
        EXPECT_NE(a, b) << name;
        g.fill(b.data(), b.size(), 5, false, false, false);
        EXPECT_EQ(a, b) << name;
    }
}

TEST(ZTCamFrameGenerator, NeverWritesPastTheCapacity)
{
    PixelFormat f;
    PixelFormat::fromName("Mono 16", f);
    FrameGenerator g;
    g.configure(20, 10, f);
    std::vector<uint8_t> buf(g.imageSize(), 0x5A);
    g.fill(buf.data(), 101, 3, true, true, true);
    for (size_t i = 101; i < buf.size(); ++i)
        ASSERT_EQ(buf[i], 0x5A) << i;
    EXPECT_EQ(buf[0], 3);  // frame stamp
}
