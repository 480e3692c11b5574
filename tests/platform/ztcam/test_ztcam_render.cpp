// Levels, gamma and contrast as the delivered frames show them. Each check
// holds one frame (acquisition paused) and renders it again after a change.
#include "ZTCamTestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

using ztcamtest::SdkFixture;

namespace {

constexpr uint32_t kStampBytes = 8;  // frame number at the front of the image

struct Frame {
    uint64_t number = 0;
    std::vector<uint8_t> bytes;  // pixels, time stamp included
    std::vector<int> samples;    // after the time stamp
};

}  // namespace

class ZTCamRender : public SdkFixture {
protected:
    void SetUp() override { initWith(ztcamtest::cameraSection("SN-R1")); }

    // Live with time stamps in format (an entry of the test camera), held
    // at one frame.
    void holdOneFrame(const char* format, int entry)
    {
        ASSERT_EQ(setInt("PixelFormat", entry), ZTCAM_STATUS_SUCCESS);
        ASSERT_EQ(entryText("PixelFormat"), format);
        ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_TIME_STAMP, 1), ZTCAM_STATUS_SUCCESS);
        ZTCamFrame f{};
        f.formatRequest = ZTCAM_FORMAT_REQUEST;
        f.reserveCount = 1;
        ASSERT_EQ(ZTCAM_Buf_Alloc(handle, &f), ZTCAM_STATUS_SUCCESS);
        elementBytes = f.elementBytes;
        maxValue = elementBytes == 1 ? 255 : (1 << std::atoi(format + 5)) - 1;
        ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
        uint64_t frames = 0;
        for (int i = 0; i < 3000 && frames == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ZTCamSim_GetFrameCount(0, &frames);
        }
        ASSERT_GT(frames, 0u);
        ZTCamElement stop = element("AcquisitionStop");
        ASSERT_EQ(ZTCAM_GenICam_SetElementValue(handle, &stop, ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS);
    }

    // The held frame as the camera renders it now.
    Frame frame()
    {
        Frame out;
        ZTCamFrame f{};
        f.formatRequest = ZTCAM_FORMAT_REQUEST;
        EXPECT_EQ(ZTCAM_Buf_GetData(handle, &f), ZTCAM_STATUS_SUCCESS);
        const uint8_t* pixels = static_cast<const uint8_t*>(f.data) + f.headerSize;
        out.bytes.assign(pixels, pixels + f.imageSize);
        std::memcpy(&out.number, pixels, sizeof out.number);
        for (uint32_t at = kStampBytes; at + elementBytes <= f.imageSize; at += elementBytes)
            out.samples.push_back(elementBytes == 1 ? pixels[at] : pixels[at] | pixels[at + 1] << 8);
        width = f.width;
        height = f.height;
        return out;
    }

    void setDefaults()
    {
        for (int id : {ZTCAM_PROP_GAMMA, ZTCAM_PROP_CONTRAST, ZTCAM_PROP_LEFT_LEVEL, ZTCAM_PROP_RIGHT_LEVEL}) {
            ZTCamPropAttr attr{};
            attr.id = id;
            ASSERT_EQ(ZTCAM_Prop_GetAttr(handle, &attr), ZTCAM_STATUS_SUCCESS);
            ASSERT_EQ(ZTCAM_Prop_SetValue(handle, id, attr.defaultValue, 0), ZTCAM_STATUS_SUCCESS);
        }
        ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_AUTO_LEVELS, 0), ZTCAM_STATUS_SUCCESS);
    }

    uint32_t elementBytes = 1;
    int maxValue = 255;
    uint32_t width = 0, height = 0;
};

TEST_F(ZTCamRender, AtTheDefaultsFramesAreThePatternBitForBit)
{
    const struct {
        const char* format;
        int entry;
    } formats[] = {{"Mono 8", 0}, {"Mono 12", 1}, {"Mono 16", 2}, {"RGB 8", 3}};
    for (const auto& c : formats) {
        SCOPED_TRACE(c.format);
        holdOneFrame(c.format, c.entry);
        double right = 0;
        ASSERT_EQ(ZTCAM_Prop_GetValue(handle, ZTCAM_PROP_RIGHT_LEVEL, &right, 0), ZTCAM_STATUS_SUCCESS);
        EXPECT_EQ(right, maxValue);  // the level followed the depth
        Frame got = frame();
        std::vector<uint8_t> pattern(got.bytes.size());
        ASSERT_EQ(ZTCamSim_GenerateFrame(pattern.data(), uint32_t(pattern.size()), width, height, c.format, got.number),
                  pattern.size());
        EXPECT_TRUE(std::equal(pattern.begin() + kStampBytes, pattern.end(), got.bytes.begin() + kStampBytes));
        // A control moved and put back leaves nothing behind.
        ASSERT_EQ(ZTCAM_Prop_SetValue(handle, ZTCAM_PROP_GAMMA, 250, 0), ZTCAM_STATUS_SUCCESS);
        EXPECT_NE(frame().bytes, got.bytes);
        ASSERT_EQ(ZTCAM_Prop_SetValue(handle, ZTCAM_PROP_GAMMA, 100, 0), ZTCAM_STATUS_SUCCESS);
        EXPECT_EQ(frame().bytes, got.bytes);
        ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    }
}

TEST_F(ZTCamRender, EachControlMovesTheImageItsWay)
{
    enum Effect { Darker, Brighter, MoreContrast, LessContrast, BlackOrWhite };
    struct Setting {
        int id;
        double value;  // levels: a fraction of the depth's maximum
    };
    const struct {
        const char* what;
        std::vector<Setting> settings;
        Effect effect;
    } cases[] = {
        {"gamma 2.00", {{ZTCAM_PROP_GAMMA, 200}}, Darker},
        {"gamma 0.50", {{ZTCAM_PROP_GAMMA, 50}}, Brighter},
        {"contrast 200", {{ZTCAM_PROP_CONTRAST, 200}}, MoreContrast},
        {"contrast 40", {{ZTCAM_PROP_CONTRAST, 40}}, LessContrast},
        {"left level at half", {{ZTCAM_PROP_LEFT_LEVEL, 0.5}}, Darker},
        {"right level at half", {{ZTCAM_PROP_RIGHT_LEVEL, 0.5}}, Brighter},
        {"levels crossed", {{ZTCAM_PROP_RIGHT_LEVEL, 0.25}, {ZTCAM_PROP_LEFT_LEVEL, 0.75}}, BlackOrWhite},
    };
    for (const auto& format : {std::make_pair("Mono 8", 0), std::make_pair("Mono 16", 2)}) {
        holdOneFrame(format.first, format.second);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(format.first) + ", " + c.what);
            setDefaults();
            const Frame before = frame();
            for (const Setting& s : c.settings) {
                const bool level = s.id == ZTCAM_PROP_LEFT_LEVEL || s.id == ZTCAM_PROP_RIGHT_LEVEL;
                ASSERT_EQ(ZTCAM_Prop_SetValue(handle, s.id, level ? int(s.value * maxValue) : s.value, 0),
                          ZTCAM_STATUS_SUCCESS);
            }
            const Frame after = frame();
            ASSERT_EQ(after.number, before.number);
            ASSERT_EQ(after.samples.size(), before.samples.size());
            size_t moved = 0, wrong = 0;
            for (size_t i = 0; i < after.samples.size(); ++i) {
                const int a = after.samples[i], b = before.samples[i];
                const int spreadA = std::abs(2 * a - maxValue), spreadB = std::abs(2 * b - maxValue);
                switch (c.effect) {
                case Darker: wrong += a > b; moved += a < b; break;
                case Brighter: wrong += a < b; moved += a > b; break;
                case MoreContrast: wrong += spreadA < spreadB; moved += spreadA > spreadB; break;
                case LessContrast: wrong += spreadA > spreadB; moved += spreadA < spreadB; break;
                case BlackOrWhite: wrong += a != 0 && a != maxValue; moved += a != b; break;
                }
            }
            EXPECT_EQ(wrong, 0u);
            EXPECT_GT(moved, after.samples.size() / 10);
            // The gray value read back is the rendered one.
            uint16_t gray[3] = {};
            ASSERT_EQ(ZTCAM_Get_GrayValue(handle, int32_t(width) - 1, int32_t(height) - 1, gray), ZTCAM_STATUS_SUCCESS);
            EXPECT_EQ(gray[0], after.samples.back());
        }
        ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    }
}

TEST_F(ZTCamRender, AutomaticLevelsStretchWhatTheFrameHolds)
{
    for (const auto& format : {std::make_pair("Mono 8", 0), std::make_pair("Mono 16", 2)}) {
        SCOPED_TRACE(format.first);
        holdOneFrame(format.first, format.second);
        const Frame before = frame();
        ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_AUTO_LEVELS, 3), ZTCAM_STATUS_SUCCESS);
        const Frame after = frame();
        const auto [low, high] = std::minmax_element(after.samples.begin(), after.samples.end());
        EXPECT_EQ(*low, 0);
        EXPECT_EQ(*high, maxValue);
        // The levels read back are the frame's, inside what it holds.
        double left = -1, right = -1;
        ASSERT_EQ(ZTCAM_Prop_GetValue(handle, ZTCAM_PROP_LEFT_LEVEL, &left, 0), ZTCAM_STATUS_SUCCESS);
        ASSERT_EQ(ZTCAM_Prop_GetValue(handle, ZTCAM_PROP_RIGHT_LEVEL, &right, 0), ZTCAM_STATUS_SUCCESS);
        const auto [rawLow, rawHigh] = std::minmax_element(before.samples.begin(), before.samples.end());
        EXPECT_LT(left, right);
        EXPECT_GE(left, *rawLow);
        EXPECT_LE(right, *rawHigh);
        ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_AUTO_LEVELS, 0), ZTCAM_STATUS_SUCCESS);
        EXPECT_EQ(frame().bytes, before.bytes);
        ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    }
}
