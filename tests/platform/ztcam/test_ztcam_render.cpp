// Levels, gamma and contrast as the delivered frames show them. A frame is
// held (acquisition paused) and rendered again after each change.
#include "ZTCamTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

using ztcamtest::SdkFixture;

class ZTCamRender : public SdkFixture {
protected:
    void SetUp() override { initWith(ztcamtest::cameraSection("SN-R1")); }

    // Live with time stamps in PixelFormat entry (of the test camera), after
    // the first frame.
    void goLive(int entry)
    {
        ASSERT_EQ(setInt("PixelFormat", entry), ZTCAM_STATUS_SUCCESS);
        format = entryText("PixelFormat");
        maxValue = format.rfind("Mono", 0) == 0 ? (1 << std::atoi(format.c_str() + 5)) - 1 : 255;
        ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_TIME_STAMP, 1), ZTCAM_STATUS_SUCCESS);
        ZTCamFrame f;
        ASSERT_EQ(alloc(f), ZTCAM_STATUS_SUCCESS);
        ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
        ASSERT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 3000), ZTCAM_STATUS_SUCCESS);
    }
    void command(const char* name)
    {
        ZTCamElement e = element(name);
        ASSERT_EQ(ZTCAM_GenICam_SetElementValue(handle, &e, ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS);
    }
    // Samples after the 8-byte time stamp.
    std::vector<int> samples(const uint8_t* pixels, uint32_t size) const
    {
        std::vector<int> out;
        const uint32_t step = maxValue > 255 ? 2 : 1;
        for (uint32_t at = 8; at + step <= size; at += step)
            out.push_back(step == 1 ? pixels[at] : pixels[at] | pixels[at + 1] << 8);
        return out;
    }
    // The latest frame as the camera renders it now.
    std::vector<int> frame(uint64_t* number = nullptr)
    {
        ZTCamFrame f{};
        EXPECT_EQ(ZTCAM_Buf_GetData(handle, &f), ZTCAM_STATUS_SUCCESS);
        const uint8_t* pixels = static_cast<const uint8_t*>(f.data) + f.headerSize;
        if (number)
            std::memcpy(number, pixels, sizeof *number);
        width = f.width;
        height = f.height;
        return samples(pixels, f.imageSize);
    }
    std::vector<int> pattern(uint64_t number) const
    {
        std::vector<uint8_t> bytes(size_t(width) * height * 3 * 2);
        const uint32_t size = ZTCamSim_GenerateFrame(bytes.data(), uint32_t(bytes.size()), width, height,
                                                     format.c_str(), number);
        return samples(bytes.data(), size);
    }
    double prop(int id) const
    {
        double v = -1;
        EXPECT_EQ(ZTCAM_Prop_GetValue(handle, id, &v, 0), ZTCAM_STATUS_SUCCESS);
        return v;
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

    std::string format;
    int maxValue = 255;
    uint32_t width = 0, height = 0;
};

TEST_F(ZTCamRender, AtTheDefaultsFramesAreThePatternBitForBit)
{
    // Every format, after a change of depth and after settings written while
    // the frame thread renders.
    for (int entry : {0, 1, 2, 3}) {  // Mono 8, Mono 12, Mono 16, RGB 8
        goLive(entry);
        SCOPED_TRACE(format);
        EXPECT_EQ(prop(ZTCAM_PROP_RIGHT_LEVEL), maxValue);
        ZTCamFrame f{};
        f.formatRequest = ZTCAM_FORMAT_REQUEST;
        for (int i = 0; i < 20; ++i) {
            ASSERT_EQ(ZTCAM_Prop_SetValue(handle, ZTCAM_PROP_GAMMA, i % 2 ? 300 : 100, 0), ZTCAM_STATUS_SUCCESS);
            ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_AUTO_LEVELS, i % 4), ZTCAM_STATUS_SUCCESS);
            if (i % 5 == 0) {
                ASSERT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 3000), ZTCAM_STATUS_SUCCESS);
            }
        }
        setDefaults();
        command("AcquisitionStop");
        uint64_t number = 0;
        const std::vector<int> got = frame(&number);
        EXPECT_EQ(got, pattern(number));
        ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    }
}

TEST_F(ZTCamRender, EachControlMovesTheImageItsWay)
{
    enum Effect { Darker, Brighter, MoreContrast, LessContrast, BlackOrWhite, FullRange };
    struct Setting {
        int id;
        double value;  // levels: a fraction of the depth's maximum
    };
    constexpr int kAuto = -1;  // capability 8
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
        {"automatic levels", {{kAuto, 3}}, FullRange},
    };
    for (int entry : {0, 2}) {  // Mono 8, Mono 16
        goLive(entry);
        command("AcquisitionStop");
        for (const auto& c : cases) {
            SCOPED_TRACE(format + ", " + c.what);
            setDefaults();
            const std::vector<int> before = frame();
            for (const Setting& s : c.settings) {
                const bool level = s.id == ZTCAM_PROP_LEFT_LEVEL || s.id == ZTCAM_PROP_RIGHT_LEVEL;
                ASSERT_EQ(s.id == kAuto ? ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_AUTO_LEVELS, int(s.value))
                                        : ZTCAM_Prop_SetValue(handle, s.id, level ? int(s.value * maxValue) : s.value, 0),
                          ZTCAM_STATUS_SUCCESS);
            }
            // The gray value read at once is already the rendered one.
            uint16_t gray[3] = {};
            ASSERT_EQ(ZTCAM_Get_GrayValue(handle, int32_t(width) - 1, int32_t(height) - 1, gray), ZTCAM_STATUS_SUCCESS);
            const std::vector<int> after = frame();
            ASSERT_EQ(after.size(), before.size());
            EXPECT_EQ(gray[0], after.back());
            size_t moved = 0, wrong = 0;
            for (size_t i = 0; i < after.size(); ++i) {
                const int a = after[i], b = before[i];
                const int spreadA = std::abs(2 * a - maxValue), spreadB = std::abs(2 * b - maxValue);
                switch (c.effect) {
                case Darker: wrong += a > b; moved += a < b; break;
                case Brighter: wrong += a < b; moved += a > b; break;
                case MoreContrast: wrong += spreadA < spreadB; moved += spreadA > spreadB; break;
                case LessContrast: wrong += spreadA > spreadB; moved += spreadA < spreadB; break;
                case BlackOrWhite: wrong += a != 0 && a != maxValue; moved += a != b; break;
                case FullRange: moved += a != b; break;
                }
            }
            EXPECT_EQ(wrong, 0u);
            EXPECT_GT(moved, after.size() / 10);
            if (c.effect == FullRange) {
                // Stretched from the frame's own levels, which read back.
                EXPECT_EQ(*std::min_element(after.begin(), after.end()), 0);
                EXPECT_EQ(*std::max_element(after.begin(), after.end()), maxValue);
                EXPECT_GE(prop(ZTCAM_PROP_LEFT_LEVEL), *std::min_element(before.begin(), before.end()));
                EXPECT_LE(prop(ZTCAM_PROP_RIGHT_LEVEL), *std::max_element(before.begin(), before.end()));
                EXPECT_LT(prop(ZTCAM_PROP_LEFT_LEVEL), prop(ZTCAM_PROP_RIGHT_LEVEL));
            }
        }
        ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    }
}
