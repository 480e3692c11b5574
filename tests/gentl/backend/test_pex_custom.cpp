// The CoaXPress device's custom registers and custom events on the
// imaging-library stand-in, without the device around them.
#include "CriticalSection.h"
#include "DigitizerEventManager.h"
#include "GenTLEvent.h"
#include "LastGenTLError.h"
#include "LocalDeviceCustomEvents.h"
#include "LocalDeviceCustomRegisters.h"
#include "PexStreamFixture.h"

#include <platform/pex/PexTest.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

using namespace GenTLCore;
using namespace GenTLCore::CoaXPress;
using namespace GenTLCore::PEXCore;

namespace {

using R = LocalDeviceCustomRegisters;

float AsFloat(uint32_t bits)
{
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

uint32_t Bits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class CustomTest : public PexStreamTesting::PexDigitizerTest {
protected:
    CustomTest() { registers.reset(new LocalDeviceCustomRegisters(system)); }
    ~CustomTest() override { registers.reset(); }
    uint32_t U(uint32_t id)
    {
        uint32_t value = 0;
        EXPECT_EQ(registers->ReadUInt32(digitizer, id, &value), GC_ERR_SUCCESS) << std::hex << id;
        return value;
    }
    int32_t I(uint32_t id)
    {
        int32_t value = -77;
        EXPECT_EQ(registers->ReadInt32(digitizer, id, &value), GC_ERR_SUCCESS) << std::hex << id;
        return value;
    }

    std::unique_ptr<LocalDeviceCustomRegisters> registers;
};

}  // namespace

TEST_F(CustomTest, GeometryRegistersFollowTheDigitizer)
{
    EXPECT_EQ(U(R::ABSOLUTE_WIDTH_MAX), 64u);
    EXPECT_EQ(registers->WriteUInt32(digitizer, R::WIDTH, 32), GC_ERR_SUCCESS);
    EXPECT_EQ(registers->WriteUInt32(digitizer, R::OFFSET_X, 8), GC_ERR_SUCCESS);
    EXPECT_EQ(U(R::WIDTH), 32u);
    EXPECT_EQ(U(R::OFFSET_X), 8u);
    EXPECT_EQ(U(R::WIDTH_MAX), 64u - 8u);
    EXPECT_EQ(U(R::OFFSET_X_MAX), 64u - 32u);
    EXPECT_EQ(I(R::ACQUISITION_STARTED), 0);
}

TEST_F(CustomTest, DecimationAndReverseWriteTheDigitizerAndReadBack)
{
    struct Case {
        uint32_t id;
        int32_t written;
        int32_t read;
    } cases[] = {{R::DECIMATION_HORIZONTAL, 4, 4}, {R::DECIMATION_VERTICAL, 2, 2}, {R::REVERSE_X, 5, 1},
                 {R::REVERSE_X, 0, 0},             {R::REVERSE_Y, 1, 1},           {R::BAYER_CONVERSION_AUTO, 1, 1},
                 {R::BAYER_CONVERSION_AUTO, 2, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(registers->WriteInt32(digitizer, c.id, c.written), GC_ERR_SUCCESS);
        EXPECT_EQ(I(c.id), c.read) << std::hex << c.id << " " << c.written;
    }
    double scale = 0;
    PexDigInquire(digitizer, 6601, &scale);
    EXPECT_EQ(scale, 0.25);
}

TEST_F(CustomTest, DecimationBelowOneIsRefusedAndNothingReachesTheDigitizer)
{
    PexTestSetCallLog(1);
    PexTestClearCallLog();
    for (int32_t value : {0, -1, INT32_MIN}) {
        EXPECT_EQ(registers->WriteInt32(digitizer, R::DECIMATION_HORIZONTAL, value), GC_ERR_INVALID_VALUE);
        EXPECT_EQ(registers->WriteInt32(digitizer, R::DECIMATION_VERTICAL, value), GC_ERR_INVALID_VALUE);
    }
    EXPECT_EQ(PexTestCallCountOf("PexDigControlDouble"), 0u);
    EXPECT_EQ(I(R::DECIMATION_HORIZONTAL), 1);
}

TEST_F(CustomTest, BalanceWhiteAutoReadsOffAndZeroWritesNothing)
{
    EXPECT_EQ(I(R::BALANCE_WHITE_AUTO), 0);
    PexTestSetCallLog(1);
    PexTestClearCallLog();
    EXPECT_EQ(registers->WriteInt32(digitizer, R::BALANCE_WHITE_AUTO, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(PexTestCallCount(), 0u);
    EXPECT_EQ(registers->WriteInt32(digitizer, R::BALANCE_WHITE_AUTO, 1), GC_ERR_SUCCESS);
    EXPECT_EQ(PexTestCallCount(), 1u) << "conversion off: one inquiry";
}

TEST_F(CustomTest, BalanceRatiosAreKeptAndWhiteBalanceOnceReadsTheLibrarysCoefficients)
{
    EXPECT_EQ(U(R::BALANCE_RATIO_BLUE), 0x3F800000u);
    EXPECT_EQ(registers->WriteUInt32(digitizer, R::BALANCE_RATIO_ALL, Bits(2.0f)), GC_ERR_SUCCESS);
    EXPECT_EQ(registers->WriteUInt32(digitizer, R::BALANCE_RATIO_GREEN, Bits(3.0f)), GC_ERR_SUCCESS);
    EXPECT_EQ(AsFloat(U(R::BALANCE_RATIO_RED)), 2.0f);
    EXPECT_EQ(AsFloat(U(R::BALANCE_RATIO_ALL)), 2.0f) << "All reads red";
    EXPECT_EQ(AsFloat(U(R::BALANCE_RATIO_GREEN)), 3.0f);
    float stored[3] = {};
    PexBufGet(registers->GetWhiteBalanceBuffer(), stored);
    EXPECT_EQ(stored[1], 3.0f);

    PEX_ID written = 0;  // the camera sends Bayer; the digitizer converts
    WriteCamera(0x3020, 0x01080009);
    EXPECT_EQ(registers->WriteInt32(digitizer, R::BAYER_CONVERSION_AUTO, 1), GC_ERR_SUCCESS);
    EXPECT_EQ(registers->WriteInt32(digitizer, R::BALANCE_WHITE_AUTO, 1), GC_ERR_SUCCESS);
    EXPECT_NE(AsFloat(U(R::BALANCE_RATIO_RED)), 2.0f) << "the coefficients the library computed";
    EXPECT_EQ(I(R::BALANCE_WHITE_AUTO), 0) << "Once clears itself";
    EXPECT_EQ(registers->WriteUInt32(digitizer, R::BALANCE_RATIO_ALL, Bits(1.5f)), GC_ERR_SUCCESS);
    PexDigInquire(digitizer, 5328, &written);
    EXPECT_EQ(written, registers->GetWhiteBalanceBuffer()) << "applied with the conversion on";
}

TEST_F(CustomTest, PixelFormatSizeAndColourFilter)
{
    struct Case {
        uint32_t camera;
        bool convert;
        uint32_t format;
        int32_t size;
        int32_t filter;
    } cases[] = {{0x01080001, false, 0x01080001, 8, 0},  {0x01100005, false, 0x01100005, 16, 0},
                 {0x01080009, false, 0x01080009, 8, 1},  {0x01080009, true, 0x02180015, 24, 0},
                 {0x02180014, false, 0x02180015, 24, 0}, {0x01100007, false, 0x01100007, 16, 0}};
    for (const Case& c : cases) {
        WriteCamera(0x3020, c.camera);
        PexDigControl(digitizer, 5326, c.convert ? -9997 : -9999);
        EXPECT_EQ(U(R::PIXEL_FORMAT), c.format) << std::hex << c.camera;
        EXPECT_EQ(I(R::PIXEL_SIZE), c.size) << std::hex << c.camera;
        EXPECT_EQ(I(R::PIXEL_COLOR_FILTER), c.filter) << std::hex << c.camera;
    }
}

TEST_F(CustomTest, UnknownIdsAreInternalErrors)
{
    int32_t i = 0;
    uint32_t u = 0;
    uint64_t w = 0;
    EXPECT_EQ(registers->ReadInt32(digitizer, 0x50002010, &i), GC_ERR_ERROR);
    EXPECT_EQ(registers->WriteUInt32(digitizer, 0x50002040, 1), GC_ERR_ERROR);
    EXPECT_EQ(registers->ReadUInt32(digitizer, 0x1234, &u), GC_ERR_ERROR);
    EXPECT_EQ(R::ReadUInt64(0x1234, &w), GC_ERR_ERROR);
}

namespace {

// An event source with a 128-byte module event, opened as a registration
// would open it.
class Source : public GenTLEventSrc {
public:
    Source()
    {
        InitEventSource(true, false, 0);
        MarkEventSourceReady();
    }
    CriticalSection& GetModuleLock() override { return m_lock; }
    bool GetModuleEventMaxSize(uint64_t* size) override
    {
        *size = LocalDeviceCustomEvents::kMaxPayload;
        return true;
    }

private:
    CriticalSection m_lock;
};

class CustomEventTest : public CustomTest {
protected:
    CustomEventTest() : manager(new DigitizerEventManager(digitizer)), events(source)
    {
        EXPECT_EQ(source.RegisterEvent(EVENT_MODULE, &moduleEvent), GC_ERR_SUCCESS);
        moduleEvent->OpenLocked();
    }
    ~CustomEventTest() override { manager.reset(); }
    // The next packet: event id and 8-byte values.
    bool Next(int32_t* type, std::vector<uint64_t>* values)
    {
        uint8_t packet[8 + 128] = {};
        size_t size = sizeof packet;
        if (moduleEvent->GetEventData(packet, &size, 0) != GC_ERR_SUCCESS)
            return false;
        uint32_t magic = 0;
        std::memcpy(&magic, packet, 4);
        EXPECT_EQ(magic, 0x76696B79u);
        std::memcpy(type, packet + 4, 4);
        values->assign((size - 8) / 8, 0);
        std::memcpy(values->data(), packet + 8, size - 8);
        return true;
    }

    Source source;
    std::unique_ptr<DigitizerEventManager> manager;
    LocalDeviceCustomEvents events;
    CountedPtr<GenTLEvent> moduleEvent;
};

}  // namespace

TEST_F(CustomEventTest, InjectedEdgesEncoderStepsAndTimersQueueTheirPackets)
{
    for (int32_t type : {1006, 1007, 1038, 1041, 1046})
        ASSERT_EQ(events.Register(manager.get(), type), GC_ERR_SUCCESS) << type;
    PexTestInjectIoEdge(digitizer, 0x501);
    PexTestInjectEncoderSteps(digitizer, 2, 1);
    PexTestInjectTimer(digitizer, 1, 0);
    PexTestInjectTimer(digitizer, 2, 1);
    int32_t type = 0;
    std::vector<uint64_t> values;
    std::vector<int32_t> seen;
    while (Next(&type, &values)) {
        seen.push_back(type);
        switch (type) {
        case 1006:
        case 1007: ASSERT_EQ(values.size(), 4u); EXPECT_EQ(values[2], 0x501u) << "the pin that changed"; break;
        case 1038: EXPECT_EQ(values.size(), 3u); break;
        default: EXPECT_EQ(values.size(), 2u) << "timers carry the common head only"; break;
        }
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<int32_t>{1006, 1007, 1038, 1041, 1046})) << "both pins' records see the edge";
}

TEST_F(CustomEventTest, GrabPhasesCarryTheirPayloads)
{
    for (int32_t type : {1000, 1002, 1004, 1005})
        ASSERT_EQ(events.Register(manager.get(), type), GC_ERR_SUCCESS);
    StartCamera();
    const PEX_ID buffer = PexBufAllocColor(system, 1, 64, 48, 8, 12, nullptr);
    PexDigGrab(digitizer, buffer);  // no thread selected: runs here
    PexBufFree(buffer);
    int32_t type = 0;
    std::vector<uint64_t> values;
    std::map<int32_t, std::vector<uint64_t>> packets;
    while (Next(&type, &values))
        packets[type] = values;
    ASSERT_EQ(packets.size(), 4u);
    EXPECT_EQ(packets[1000].size(), 3u);
    EXPECT_EQ(packets[1004].size(), 12u);
    ASSERT_EQ(packets[1005].size(), 16u);
    EXPECT_EQ(packets[1005][2], packets[1004][2]) << "the frame number";
    EXPECT_EQ(packets[1005][15], 48u) << "the delivered height";
}

TEST_F(CustomEventTest, RegistrationIsPerTypeAndClearedWithTheDevice)
{
    EXPECT_EQ(events.Register(manager.get(), EVENT_ERROR), GC_ERR_SUCCESS);
    EXPECT_EQ(events.Register(manager.get(), 1004), GC_ERR_SUCCESS);
    EXPECT_EQ(events.Register(manager.get(), 1004), GC_ERR_RESOURCE_IN_USE);
    LastErrorRecord record;
    ASSERT_TRUE(GetLastGenTLError(&record));
    EXPECT_EQ(record.text, "GCRegisterEvent: event already registered.");
    EXPECT_EQ(events.Register(manager.get(), 1049), GC_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(events.Register(nullptr, 1010), GC_ERR_ERROR) << "no manager: an error, not a crash";
    EXPECT_TRUE(events.InUse());
    const size_t hooks = PexTestHookCount(digitizer);
    EXPECT_TRUE(events.Unregister(manager.get(), 1004));
    EXPECT_LT(PexTestHookCount(digitizer), hooks);
    EXPECT_TRUE(events.Unregister(manager.get(), 1004)) << "not registered: true";
    EXPECT_FALSE(events.InUse());
    EXPECT_EQ(events.Register(manager.get(), 1037), GC_ERR_SUCCESS);
    events.Clear();
    EXPECT_FALSE(events.IsRegistered(1037));
}
