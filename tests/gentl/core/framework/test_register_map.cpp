// Register map reads and writes through a module port (GCReadPort /
// GCWritePort arguments).
#include "FrameworkFixture.h"
#include "TestModule.h"

#include <GenTL.h>

#include <cstring>
#include <vector>

using namespace GenTLCore;
using namespace GenTLTest;

namespace {

class RegisterMapTest : public FrameworkTest {
protected:
    GC_ERROR Read(uint64_t address, void* buffer, size_t size) { return module.ReadPort(address, buffer, &size); }
    GC_ERROR Write(uint64_t address, const void* buffer, size_t size) { return module.WritePort(address, buffer, &size); }

    TestModule module;
};

}  // namespace

TEST_F(RegisterMapTest, ReadSpanningTwoRegistersUsesEachTypedRead)
{
    module.numbers[4] = 0x0807060504030201ull;
    module.texts[5] = "ab";
    uint8_t span[4] = {};
    ASSERT_EQ(Read(0x4E, span, 4), GC_ERR_SUCCESS);
    const uint8_t expected[4] = {0x07, 0x08, 'a', 'b'};
    EXPECT_EQ(std::memcmp(span, expected, 4), 0);
}

TEST_F(RegisterMapTest, StringsReadZeroPaddedAndWriteWholeOrAsText)
{
    module.texts[5] = "ab";
    char text[4] = {'x', 'x', 'x', 'x'};
    ASSERT_EQ(Read(0x50, text, 4), GC_ERR_SUCCESS);
    EXPECT_EQ(std::string(text, 4), std::string("ab\0\0", 4));

    char whole[16] = {'z'};
    ASSERT_EQ(Write(0x50, whole, 16), GC_ERR_SUCCESS);
    EXPECT_EQ(module.texts[5], std::string(whole, 16)) << "a whole write keeps its zero bytes";
    ASSERT_EQ(Write(0x50, "q", 2), GC_ERR_SUCCESS);
    EXPECT_EQ(module.texts[5], "q");
    // Into the middle: read-modify-write, allowed on read-write only.
    ASSERT_EQ(Write(0x53, "XY", 2), GC_ERR_SUCCESS);
    EXPECT_EQ(module.texts[5], std::string("q\0\0XY", 5));
    EXPECT_EQ(Write(0x63, "XY", 2), GC_ERR_ACCESS_DENIED);
    EXPECT_EQ(LastErrorText(),
              "The partial write request not possible on unreadable  string register (read-modify-write needed).");
}

TEST_F(RegisterMapTest, PartialNumericWritesChangeOnlyTheirBytes)
{
    module.numbers[2] = 0x44332211;
    const uint8_t two[2] = {0xAA, 0xBB};
    ASSERT_EQ(Write(0x41, two, 2), GC_ERR_SUCCESS);
    EXPECT_EQ(module.numbers[2], 0x44BBAA11u);
    EXPECT_EQ(Write(0x45, two, 2), GC_ERR_ACCESS_DENIED) << "write-only: no read-modify-write";
    const int32_t whole = -5;
    ASSERT_EQ(Write(0x44, &whole, 4), GC_ERR_SUCCESS);
    EXPECT_EQ(static_cast<int32_t>(module.numbers[3]), -5);
}

TEST_F(RegisterMapTest, BoundsHolesAndAccessAreCheckedBeforeAnything)
{
    uint8_t bytes[8] = {};
    struct Case {
        uint64_t address;
        size_t size;
        GC_ERROR code;
        const char* text;
    };
    const Case cases[] = {
        {0xFC, 8, GC_ERR_INVALID_ADDRESS, "The read request contains invalid addresses."},
        {0x80, 1, GC_ERR_INVALID_ADDRESS, "The read request contains invalid addresses."},
        {0x60, 4, GC_ERR_ACCESS_DENIED, "The read request contains unreadable register(s)."},
        {0xFFFFFFFFFFFFFFF0ull, 8, GC_ERR_INVALID_ADDRESS, "The read request exceeds bounds of the register map."},
        {0xFFFFFFFFFFFFFFFFull, 1, GC_ERR_INVALID_ADDRESS, "The read request exceeds bounds of the register map."},
        {0x10, 0xFFFFFFFFFFFFFFF8ull, GC_ERR_INVALID_ADDRESS, "The read request exceeds bounds of the register map."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(Read(c.address, bytes, c.size), c.code);
        EXPECT_EQ(LastErrorText(), c.text);
    }
    // Zero size: -1009 inside the map, -1015 at its end (through the map
    // itself, since the port refuses a zero size first).
    EXPECT_EQ(module.ReadRegisters(0x40, bytes, 0), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(module.ReadRegisters(module.MaxAddress(), bytes, 0), GC_ERR_INVALID_ADDRESS);
    EXPECT_EQ(Write(0x00, "a", 1), GC_ERR_ACCESS_DENIED);
    EXPECT_EQ(LastErrorText(), "The write request contains unwritable register(s).");
}

TEST_F(RegisterMapTest, DynamicAndCustomRegistersAskTheModule)
{
    module.numbers[8] = 9;
    uint32_t value = 0;
    module.dynamicAccess = REG_ACCESS_NONE;
    EXPECT_EQ(Read(0x100, &value, 4), GC_ERR_ACCESS_DENIED);
    module.dynamicAccess = REG_ACCESS_RO;
    EXPECT_EQ(Read(0x100, &value, 4), GC_ERR_SUCCESS);
    EXPECT_EQ(value, 9u);
    value = 77;
    EXPECT_EQ(Write(TestModule::kCustomId, &value, 4), GC_ERR_SUCCESS);
    EXPECT_EQ(module.numbers[TestModule::kCustomId], 77u);
}

TEST(RegisterMapBuildTest, RefusesOverlapsEmptyAndMisSizedRegisters)
{
    TestModule module;  // only for its map; the new map below is empty
    GenTLRegisterMap& map = module;
    EXPECT_FALSE(map.AddUInt32Register(0x42, REG_ACCESS_RW, 50)) << "overlaps 0x40 and 0x44";
    EXPECT_FALSE(map.AddStringRegister(0x1000, 0, REG_ACCESS_RW, 51));
    EXPECT_FALSE(map.AddRegister(0x1000, 4, REG_ACCESS_RW, REG_TYPE_UINT64, 52));
    EXPECT_FALSE(map.AddRegister(0xFFFFFFFFFFFFFFFEull, 4, REG_ACCESS_RW, REG_TYPE_UINT32, 53));
    EXPECT_TRUE(map.AddRegister(0xFFFF0000, 8, REG_ACCESS_RW, REG_TYPE_UINT64, 54));

    class EmptyMap : public GenTLRegisterMap {} empty;
    empty.FinalizeRegMap();
    uint8_t byte = 0;
    EXPECT_EQ(empty.ReadRegisters(0, &byte, 1), GC_ERR_INVALID_ADDRESS);
    EXPECT_EQ(empty.WriteRegisters(0, &byte, 1), GC_ERR_INVALID_ADDRESS);
}
