// Text forms of address and time elements, their parsing, the clamped reads
// of SDK lengths and indexes, and the display shift per pixel format.
#include <gtest/gtest.h>

#include <cstdint>

#include "ElementText.h"
#include "ZTCamFunc.h"

TEST(ElementText, FormsAddressesAndTimes)
{
    EXPECT_EQ(ElementText::ipv4Text(0xC0A80164), "192.168.1.100");
    EXPECT_EQ(ElementText::ipv4Text(0x1FFFFFFFFll), "255.255.255.255");  // low 32 bits only
    EXPECT_EQ(ElementText::macText(0x00A0B1C2D3E4ll), "0:A0:B1:C2:D3:E4");
    EXPECT_EQ(ElementText::timeText(3723004005006ll), "1:2:3:4:5:6");
    EXPECT_EQ(ElementText::timeText(0), "0:0:0:0:0:0");
}

TEST(ElementText, ParsesOnlyWellFormedAddresses)
{
    struct Case {
        const char* text;
        bool ipv4;
        bool ok;
        uint64_t value;
    };
    const Case cases[] = {
        {"192.168.1.100", true, true, 0xC0A80164},
        {"0.0.0.0", true, true, 0},
        {"1.2.3", true, false, 0},          // three parts: refused, not 0.0.0.0
        {"1.2.3.4.5", true, false, 0},
        {"192.168.1.256", true, false, 0},  // would spill into the next byte
        {"192.168.x.1", true, false, 0},
        {"192.168..1", true, false, 0},
        {"-1.2.3.4", true, false, 0},
        {"0:A0:B1:C2:D3:E4", false, true, 0x00A0B1C2D3E4ll},
        {"ff:ff:ff:ff:ff:ff", false, true, 0xFFFFFFFFFFFFll},
        {"0:A0:B1:C2:D3", false, false, 0},
        {"0:A0:B1:C2:D3:100", false, false, 0},
        {"0:A0:B1:G2:D3:E4", false, false, 0},
    };
    for (const Case& c : cases) {
        uint64_t value = 0xDEAD;
        const bool ok = c.ipv4 ? ElementText::parseIpv4(c.text, &value) : ElementText::parseMac(c.text, &value);
        EXPECT_EQ(ok, c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : 0xDEADu) << c.text;
    }
}

TEST(ElementText, EntryNamesStayWithinWhatTheSdkGave)
{
    const char* const entries[] = {"Off", nullptr, "On"};
    ZTCamElement e{};
    e.type = ZTCAM_ELEM_ENUMERATION;
    e.entries = entries;
    e.maximum.intValue = 2;
    EXPECT_EQ(ElementText::entryNames(e), (QStringList{"Off", "", "On"}));
    e.maximum.intValue = -1;
    EXPECT_TRUE(ElementText::entryNames(e).isEmpty());
    e.entries = nullptr;
    e.maximum.intValue = 2;
    EXPECT_TRUE(ElementText::entryNames(e).isEmpty());
}

TEST(DisplayShift, FollowsTheBitDepthOfMonoFormats)
{
    struct Case {
        const char* format;
        int bits;
        int shift;
    };
    const Case cases[] = {
        {"Mono 8", 8, 0},   {"Mono8", 8, 0},    {"Mono 10", 10, 2}, {"Mono12", 12, 4},
        {"Mono 14", 14, 6}, {"Mono 16", 16, 8}, {"RGB 8", 0, 2},    {"Mono12p", 0, 2},
        {"mono 12", 0, 2},  {"Mono 17", 0, 2},  {"", 0, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZTCamFunc::PixelBitDepth(c.format), c.bits) << c.format;
        EXPECT_EQ(ZTCamFunc::DisplayShift(c.format), c.shift) << c.format;
    }
}

TEST(ElementText, UntrustedTextLengthsReadNothing)
{
    for (int64_t maximum : {int64_t(-1), int64_t(ElementText::kMaxTextBytes) + 1, INT64_MAX}) {
        ZTCamElement e{};
        e.type = ZTCAM_ELEM_STRING;
        e.name = "DeviceUserID";
        e.maximum.intValue = maximum;
        bool ok = true;
        EXPECT_TRUE(ElementText::readString(nullptr, e, &ok).isEmpty());
        EXPECT_FALSE(ok);
        EXPECT_EQ(e.text, nullptr);
    }
}
