// Identities of boards and cameras, and which library ids are handed back.
#include "DeviceTagPEX.h"
#include "InterfaceTagPEX.h"
#include "PexIdRelease.h"

#include <gtest/gtest.h>

using namespace GenTLCore::PEXCore;

TEST(PexTags, ABoardIsItsDescriptorAndNumberWhateverItsName)
{
    const InterfaceTagPEX board(L"PX_SYSTEM_TARSILCXP", L"TarsilCXP", 1);
    EXPECT_EQ(board.GetID(), "TarsilCXP1");
    EXPECT_EQ(board.GetDisplayName(), "TarsilCXP");
    EXPECT_TRUE(board.IsSame(InterfaceTagPEX(L"PX_SYSTEM_TARSILCXP", L"Renamed", 1)));
    EXPECT_FALSE(board.IsSame(InterfaceTagPEX(L"PX_SYSTEM_TARSILCXP", L"TarsilCXP", 2)));
    EXPECT_FALSE(board.IsSame(InterfaceTagPEX(L"PX_SYSTEM_QUENDACXP", L"TarsilCXP", 1)));
    EXPECT_FALSE(board.IsSame(InterfaceTagPEX(L"px_system_tarsilcxp", L"TarsilCXP", 1))) << "case-sensitive";
}

// Probed tags ask the library only for board texts; unknown systems leave
// them empty, which is all these cases need.
TEST(PexTags, ADeviceIsItsSystemAndDeviceNumber)
{
    const DeviceTagPEX device(0x1234, L"A", 0, true, L"PX_SYSTEM_TARSILCXP");
    EXPECT_TRUE(device.GetID().empty()) << "a probed digitizer has no identity";
    EXPECT_EQ(device.GetModelName(), "A");
    EXPECT_EQ(device.GetManufacturerInfo(), "-1") << "the board value is unknown";
    EXPECT_TRUE(device.IsSame(DeviceTagPEX(0x1234, L"B", 0, true, L"PX_SYSTEM_TARSILCXP")));
    EXPECT_FALSE(device.IsSame(DeviceTagPEX(0x1234, L"A", 1, true, L"PX_SYSTEM_TARSILCXP")));
    EXPECT_FALSE(device.IsSame(DeviceTagPEX(0x5678, L"A", 0, true, L"PX_SYSTEM_TARSILCXP")));
}

TEST(PexTags, OnlyRealIdsAreReleased)
{
    const struct {
        PEX_ID id;
        bool released;
    } cases[] = {{0, false}, {PEX_DEFAULT, false}, {0x800000, false}, {0x1800001, false}, {0x1000001, true}, {1, true}};
    for (const auto& c : cases)
        EXPECT_EQ(IsReleasablePexId(c.id), c.released) << std::hex << c.id;
}
