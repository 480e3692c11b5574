#include "CountedPtr.h"
#include "GenTLBrandingCXP.h"
#include "RegisterDescriptions.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using GenTLCore::CountedPtr;
using GenTLCore::GenTLBranding;
using GenTLCore::GenTLBrandingCXP;

class RenamedBranding : public GenTLBrandingCXP {
public:
    std::string GetProducerId() const override { return "OtherTL"; }
};

TEST(GenTLBrandingCXP, IdentityAndEnvironmentNames)
{
    const CountedPtr<GenTLBranding> branding(new GenTLBrandingCXP());
    EXPECT_EQ(branding->GetTLType(), "CXP");
    EXPECT_EQ(branding->GetLoggingEnvVarName(), "PEX_GENTL_LOGGING");
    EXPECT_EQ(branding->GetLogLevelEnvVarName(), "PEX_LOG_LEVEL");
    EXPECT_EQ(branding->GetVendorName(), "Corvane Electronic Systems Ltd.");
    EXPECT_EQ(branding->GetModelName(), "CoaXPress");
    EXPECT_EQ(branding->GetVersion(), "1.0.0");
    EXPECT_EQ(branding->GetProducerId(), "CorvaneCXP");
    EXPECT_EQ(branding->GetDisplayName(), "Corvane CoaXPress GenTL Producer");
    EXPECT_EQ(branding->GetLockName(), "CorvaneCXP.lock");
    EXPECT_EQ(branding->GetXmlFileVersionMajor() * 100 + branding->GetXmlFileVersionMinor() * 10 +
                  branding->GetXmlFileVersionSubMinor(),
              100u);
}

TEST(GenTLBrandingCXP, LockNameFollowsADerivedProducerId)
{
    const CountedPtr<GenTLBranding> branding(new RenamedBranding());
    EXPECT_EQ(branding->GetLockName(), "OtherTL.lock");
}

TEST(GenTLBrandingCXP, BehaviourSwitches)
{
    const GenTLBrandingCXP branding;
    EXPECT_FALSE(branding.GetNewBufferFlag());
    EXPECT_FALSE(branding.SupportsMultiPartPayloads());
    EXPECT_TRUE(branding.SupportsStreamEngineControl());
    EXPECT_TRUE(branding.SupportsDeviceEventsEngineControl());
    EXPECT_FALSE(branding.AcceptsNullInfoPointers());
    EXPECT_TRUE(branding.AllowsBufferChangesDuringAcquisition());
    EXPECT_TRUE(branding.ToleratesStopWhenNotStarted());
    EXPECT_FALSE(branding.CallsBufferFilledHook());
    EXPECT_EQ(branding.GetStreamDefaultMode(), 0u);
    EXPECT_EQ(branding.GetDefaultAuxiliaryBufferCount(), 0u);
    // The full 64-bit all-ones value, not a 32-bit -1 widened.
    EXPECT_EQ(branding.GetUpdateListTimeout(), UINT64_C(0xFFFFFFFFFFFFFFFF));
}

TEST(GenTLBrandingCXP, TextDecorations)
{
    const GenTLBrandingCXP branding;
    EXPECT_EQ(branding.FlattenPath("A\\B", "x", "y"), "A B");
    EXPECT_EQ(branding.FlattenPath("\\\\x", "", ""), "  x");
    EXPECT_EQ(branding.FlattenPath("plain", "\\", "\\"), "plain");
    EXPECT_EQ(branding.FlattenPath("", "a", "b"), "");
    const std::string withNul("a\\\0\\b", 5);
    EXPECT_EQ(branding.FlattenPath(withNul, "", ""), std::string("a \0 b", 5));
    EXPECT_EQ(branding.DecorateDeviceId("", "vendor", "model"), "");
    EXPECT_EQ(branding.DecorateDeviceId("dev0", "vendor", "model"), "dev0");
    EXPECT_EQ(branding.DecorateStreamId("device", "stream0"), "stream0");
    EXPECT_EQ(branding.EchoText("itf0", "Board 0"), "itf0");
}

TEST(GenTLBrandingCXP, DescriptionsComeFromTheProducerWideStore)
{
    const GenTLBrandingCXP branding;
    const auto& store = GenTLCore::RegisterDescriptions::Instance();
    EXPECT_EQ(branding.GetSystemXml(), store.SystemXml());
    EXPECT_EQ(branding.GetInterfaceXml(), store.InterfaceXml());
    EXPECT_EQ(branding.GetLocalDeviceXml(), store.LocalDeviceXml());
    EXPECT_EQ(branding.GetDataStreamXml(), store.DataStreamXml());
    EXPECT_EQ(branding.GetLocalDeviceXmlSha1(), store.LocalDeviceXmlSha1());
    EXPECT_EQ(branding.GetSystemXmlFileName(), "Corvane_CoaXPress_System_1_0_0_190524091442.xml");
    EXPECT_EQ(branding.GetInterfaceXmlFileName(), "Corvane_CoaXPress_Interface_1_0_0_190524091442.xml");
    EXPECT_EQ(branding.GetLocalDeviceXmlFileName(), "Corvane_CoaXPress_Localdevice_1_0_0_190524091442.xml");
    EXPECT_EQ(branding.GetDataStreamXmlFileName(), "Corvane_CoaXPress_Datastream_1_0_0_190524091442.xml");
    // The remote device serves the camera's own description.
    EXPECT_EQ(branding.GetRemoteDeviceXml(), "");
    EXPECT_TRUE(branding.GetRemoteDeviceXmlSha1().empty());
    // Four different texts, four different digests.
    EXPECT_NE(branding.GetSystemXmlSha1(), branding.GetInterfaceXmlSha1());
    EXPECT_NE(branding.GetDataStreamXmlSha1(), branding.GetLocalDeviceXmlSha1());
}

TEST(GenTLBrandingCXP, AnswersFromManyThreadsAtOnce)
{
    const CountedPtr<GenTLBranding> branding(new GenTLBrandingCXP());
    const std::vector<std::uint8_t> expected = branding->GetLocalDeviceXmlSha1();
    std::vector<std::thread> threads;
    std::vector<int> ok(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            const CountedPtr<GenTLBranding> mine(branding);
            int good = 0;
            for (int i = 0; i < 200; ++i) {
                good += mine->GetLocalDeviceXmlSha1() == expected && mine->GetLockName() == "CorvaneCXP.lock" &&
                        mine->GetLocalDeviceXml().size() > 100000;
            }
            ok[static_cast<std::size_t>(t)] = good;
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int good : ok)
        EXPECT_EQ(good, 200);
}

} // namespace
