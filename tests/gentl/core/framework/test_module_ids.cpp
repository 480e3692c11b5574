#include "FrameworkFixture.h"
#include "ModuleIds.h"

#include <GenTL.h>

using namespace GenTLCore;
using namespace GenTLTest;

namespace {
using ModuleIdTest = FrameworkTest;
}

TEST_F(ModuleIdTest, IdsStartWithTheProducerId)
{
    EXPECT_EQ(MakeDeviceId("3", "v", "m"), "TestTL_DEV_3");
    EXPECT_EQ(MakeStreamId("d", "s"), "TestTL_STMs_d");
    EXPECT_EQ(MakeBufferId("d", "s", 3), "TestTL_STMs_d_BUF3");
    EXPECT_EQ(MakeInterfaceId("i"), "TestTL_ITF_i");
    EXPECT_EQ(MakeRemoteDeviceId("r"), "TestTL_RMT_r");
    EXPECT_EQ(MakeEventId(EVENT_MODULE), "TestTL_EVTmod");
    EXPECT_EQ(MakeEventId(7), "TestTL_EVTunknown");
    EXPECT_EQ(MakeSystemId(false), "TestTL_SYSTEM");
}

TEST_F(ModuleIdTest, ProducerPathNamesTheModuleFile)
{
    const std::string path = GetProducerPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(MakeSystemId(true), path);
    EXPECT_EQ(FileNameOfPath(path), "test_gentl_framework");
    EXPECT_EQ(FileNameOfPath("C:\\dir\\"), "");
    EXPECT_EQ(FileNameOfPath("plain"), "plain");
}
