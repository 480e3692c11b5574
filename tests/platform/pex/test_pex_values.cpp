// Values the simulated installation refuses: float features outside the
// ranges the camera's description declares, and configurations past the
// limits the library states.
#include "PexTestSupport.h"

#include <platform/services/CvnServices.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>

using namespace pextest;

namespace {

constexpr uint64_t kAcquisitionStart = 0x3038;
constexpr uint64_t kFrameRate = 0x3040;
constexpr uint64_t kExposure = 0x3048;

void writeDouble(PEX_ID dig, uint64_t address, double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    uint8_t big[8];
    for (int i = 0; i < 8; ++i)
        big[i] = uint8_t(bits >> (56 - 8 * i));
    PexDigRegWrite(dig, 0x1B05, addressText(address).c_str(), 8, big);
}

uint64_t readBits(PEX_ID dig, uint64_t address)
{
    uint8_t big[8] = {};
    PexDigRegRead(dig, 0x1B04, addressText(address).c_str(), 8, big);
    uint64_t bits = 0;
    for (uint8_t b : big)
        bits = bits << 8 | b;
    return bits;
}

uint64_t bitsOf(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return bits;
}

using PexValuesTest = PexDigitizerFixture;

// <Min> or <Max> of the Float node `name`.
double declared(const std::string& xml, const std::string& name, const std::string& bound)
{
    const size_t node = xml.find("<Float Name=\"" + name + "\">");
    const size_t at = xml.find("<" + bound + ">", node);
    EXPECT_NE(node, std::string::npos) << name;
    return node == std::string::npos ? 0.0 : std::strtod(xml.c_str() + at + bound.size() + 2, nullptr);
}

}  // namespace

TEST_F(PexValuesTest, FloatsOutsideTheDeclaredRangeAreRefusedAndFramesKeepComing)
{
    open("[camera]\nwidth = 16\nheight = 4\nframe_rate = 1000\n");
    const std::string xml = cameraDescription(dig);
    const double rateMin = declared(xml, "AcquisitionFrameRate", "Min");
    const double rateMax = declared(xml, "AcquisitionFrameRate", "Max");
    const double exposureMin = declared(xml, "ExposureTime", "Min");
    const double exposureMax = declared(xml, "ExposureTime", "Max");
    ASSERT_GT(rateMin, 0.0) << "a rate near zero would put the next frame beyond any clock";
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        uint64_t address;
        double value;
        bool taken;
    };
    const Case cases[] = {
        {kFrameRate, 1e-300, false}, {kFrameRate, 1e-12, false}, {kFrameRate, inf, false},
        {kFrameRate, -inf, false},   {kFrameRate, nan, false},   {kFrameRate, 1e300, false},
        {kFrameRate, -1.0, false},   {kFrameRate, 0.0, false},   {kFrameRate, std::nextafter(rateMin, 0.0), false},
        {kFrameRate, std::nextafter(rateMax, inf), false},       {kFrameRate, rateMin, true},
        {kFrameRate, rateMax, true}, {kExposure, nan, false},    {kExposure, std::nextafter(exposureMin, 0.0), false},
        {kExposure, std::nextafter(exposureMax, inf), false},    {kExposure, exposureMax, true},
        {kExposure, exposureMin, true},
    };
    ErrorProbe probe;
    writeRegister(dig, kAcquisitionStart, 1);
    for (const Case& c : cases) {
        const uint64_t before = readBits(dig, c.address);
        const int calls = probe.calls;
        writeDouble(dig, c.address, c.value);
        EXPECT_EQ(probe.calls - calls, c.taken ? 0 : 1) << c.value;
        EXPECT_EQ(readBits(dig, c.address), c.taken ? bitsOf(c.value) : before) << c.value;
        if (!c.taken) {
            EXPECT_NE(errorPart(0x210B0000).find(L" lies outside "), std::wstring::npos) << c.value;
        }
    }

    // At the highest rate the camera still delivers every grab.
    HookLog log;
    const PEX_ID thr = PexThrAlloc(system, 4096, PEX_DEFAULT, 0, 0, 0);
    const PEX_ID buf = PexBufAllocColor(system, 1, 16, 4, 8, 12, nullptr);
    PexBufHookFunction(buf, 21, &HookLog::hook, &log);
    PexThrControl(thr, 1708, PEX_DEFAULT);
    for (int i = 0; i < 3; ++i)
        PexDigGrab(dig, buf);
    PexThrControl(PEX_DEFAULT, 1708, PEX_DEFAULT);
    EXPECT_TRUE(log.waitFor(21, 3));
    PexThrFree(thr);
    PexBufFree(buf);
}

TEST(PexLimitsTest, CountsAreExactUpToTheLimitsAndAConfigurationPastThemIsRefusedNamingTheLine)
{
    const uint64_t services = CvnServicesOpen();
    ErrorProbe probe;
    auto app = [&](PEX_INT code) {
        PEX_INT v = -1;
        PexAppInquire(services, code, &v);
        return v;
    };

    // The largest installation: 16 systems of 16 boards of 16 cameras.
    std::string largest;
    for (int s = 0; s < 16; ++s)
        largest += "[system]\nboards = 16\n" + std::string(s % 2 ? "type = 18\n" : "");
    for (int c = 0; c < 16; ++c)
        largest += "[camera]\ndevice = " + std::to_string(255 - c) + "\n";  // into the last board
    ASSERT_TRUE(PexTestConfigure(largest.c_str()));
    ASSERT_EQ(app(15121), 16);
    for (PEX_INT k = 0; k < 16; ++k) {
        EXPECT_EQ(app(24920 + k), k % 2 ? 18 : 14) << k;
        EXPECT_EQ(app(25500 + k), k == 15 ? 1 : 16) << k;
    }
    const PEX_ID system = PexSysAlloc(PEX_DEFAULT, L"PX_SYSTEM_QUENDACXP", 7 * 16, PEX_DEFAULT, nullptr);
    ASSERT_NE(system, 0u);
    PexSysControl(system, 1081, PEX_DEFAULT);
    PEX_INT cameras = 0, device = 0;
    PexSysInquire(system, 1082, &cameras);
    PexSysInquire(system, 1200 + 15, &device);
    EXPECT_EQ(cameras, 16);
    EXPECT_EQ(device, 240);
    EXPECT_EQ(text([&](PEX_INT c, void* out) { PexSysInquire(system, c, out); }, 34280 + 15), L"SIM240240");
    PexSysFree(system);
    EXPECT_EQ(probe.calls, 0);

    struct Case {
        std::string config;
        int line;
    };
    auto repeat = [](const char* section, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += section;
        return out;
    };
    const Case refused[] = {
        {repeat("[system]\n", 17), 17},
        {"[system]\n" + repeat("[board]\n", 17), 18},
        {"[board]\n" + repeat("[camera]\n", 17), 18},
        {"[system]\nboards = 100000000000\n", 2},
        {"[system]\nboards = 17\n", 2},
        {"[board]\ncameras = 400\n", 2},
        {"[camera]\nframe_rate = 1e-12\n", 2},
        {"[camera]\nframe_rate = 1e-300\n", 2},
        {"[camera]\nframe_rate = nan\n", 2},
        {"[camera]\nframe_rate = inf\n", 2},
        {"[camera]\nframe_rate = 1e300\n", 2},
        {"[camera]\nframe_rate = -1\n", 2},
        {"[camera]\nframe_rate = fast\n", 2},
        {"[camera]\n\nmodel = " + std::string(32, 'M') + "\n", 3},
        {"[camera]\nmodel = A\x01" "B\n", 2},
        {"[camera]\nvendor = " + std::string(5000000, 'V') + "\n", 2},
        {"[camera]\nserial = 0123456789ABCDEF\n", 2},
        {"[system]\nname = " + std::string(65, 'N') + "\n", 2},
        {"[board]\nserial = " + std::string(65, 'B') + "\n", 2},
        {"[camera]\nsensor_width = 16385\n", 2},
        {"[camera]\nheight = 4294967297\n", 2},
        {"[camera]\ndevice = 256\n", 2},
        {"[camera]\nio_period_ms = 9000000000000000000\n", 2},
    };
    for (const Case& c : refused) {
        const std::string shown = c.config.substr(0, 60);
        ASSERT_TRUE(PexTestConfigure(c.config.c_str())) << shown;
        const int calls = probe.calls;
        EXPECT_EQ(app(15121), 0) << shown;
        EXPECT_EQ(probe.calls - calls, 1) << shown;
        const std::wstring why = errorPart(0x210B0000);
        EXPECT_EQ(why.rfind(L"line " + std::to_wstring(c.line) + L",", 0), 0u) << shown << " gave "
                                                                                 << std::string(why.begin(), why.end());
        EXPECT_EQ(PexSysAlloc(PEX_DEFAULT, L"PX_SYSTEM_TARSILCXP", 0, PEX_DEFAULT, nullptr), 0u) << shown;
    }
    CvnServicesClose();
    PexTestConfigure("");
}

TEST_F(PexValuesTest, EnumerationEntriesAreNamedByTheirSymbolicsAndEveryNodeNameIsUnique)
{
    open("");
    const std::string xml = cameraDescription(dig);
    // Every node name once (pVariable names are a formula's, not nodes');
    // each entry named by the symbolic that follows it.
    std::map<std::string, int> names;
    int entries = 0;
    for (size_t at = xml.find(" Name=\""); at != std::string::npos; at = xml.find(" Name=\"", at + 1)) {
        const size_t open = xml.rfind('<', at);
        const std::string tag = xml.substr(open + 1, at - open - 1);
        const std::string name = xml.substr(at + 7, xml.find('"', at + 7) - at - 7);
        if (tag == "pVariable")
            continue;
        ++names[name];
        if (tag == "EnumEntry") {
            ++entries;
            const size_t symbolic = xml.find("<Symbolic>", at);
            EXPECT_EQ(xml.substr(symbolic + 10, xml.find('<', symbolic + 10) - symbolic - 10), name);
        }
    }
    EXPECT_EQ(entries, 13);
    EXPECT_NE(xml.find("<EnumEntry Name=\"Continuous\">"), std::string::npos);
    for (const auto& n : names)
        EXPECT_EQ(n.second, 1) << n.first;
}
