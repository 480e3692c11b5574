#include "BrandingControl.h"
#include "DefaultBranding.h"
#include "GenTLBrandingCXP.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace GenTLCore;

namespace {

class CountedBranding : public GenTLBrandingCXP {
public:
    explicit CountedBranding(int* deleted) : m_deleted(deleted) {}
    ~CountedBranding() override { ++*m_deleted; }

private:
    int* m_deleted;
};

}  // namespace

TEST(DefaultBrandingTest, AnswersEmptyNeutralValues)
{
    DefaultBranding b;
    EXPECT_EQ(b.GetDisplayName(), "");
    EXPECT_EQ(b.GetProducerId(), "");
    EXPECT_EQ(b.GetLockName(), "");
    EXPECT_EQ(b.GetLoggingEnvVarName(), "");
    EXPECT_EQ(b.DecorateDeviceId("dev", "v", "m"), "");
    EXPECT_EQ(b.FlattenPath("a\\b", "", ""), "");
    EXPECT_EQ(b.GetUpdateListTimeout(), 0u);
    EXPECT_EQ(b.GetXmlFileVersionMajor(), 0u);
    EXPECT_FALSE(b.SupportsStreamEngineControl());
    EXPECT_FALSE(b.ToleratesStopWhenNotStarted());
    EXPECT_FALSE(b.AcceptsNullInfoPointers());
    EXPECT_EQ(b.GetSystemXml(), "");
    EXPECT_EQ(b.GetSystemXmlSha1(), std::vector<std::uint8_t>(20, 0));
    EXPECT_EQ(b.GetRemoteDeviceXmlSha1(), std::vector<std::uint8_t>(20, 0));
}

TEST(BrandingControlTest, InstallingASecondBrandingReleasesTheFirst)
{
    int firstDeleted = 0, secondDeleted = 0;
    {
        BrandingControl control;
        EXPECT_EQ(control.Installed(), nullptr);
        control.Init(CountedPtr<GenTLBranding>(new CountedBranding(&firstDeleted)));
        ASSERT_NE(control.Installed(), nullptr);
        CountedPtr<GenTLBranding> second(new CountedBranding(&secondDeleted));
        control.Init(second);
        EXPECT_EQ(firstDeleted, 1);
        EXPECT_EQ(control.Installed(), second.Get());
        control.Shutdown();
        EXPECT_EQ(secondDeleted, 0);
    }
    EXPECT_EQ(secondDeleted, 1) << "deleted with its last holder";
}

TEST(BrandingControlTest, ABrandingHeldElsewhereOutlivesTheControl)
{
    int deleted = 0;
    CountedPtr<GenTLBranding> held(new CountedBranding(&deleted));
    {
        BrandingControl control;
        control.Init(held);
    }
    EXPECT_EQ(deleted, 0);
    held = CountedPtr<GenTLBranding>();
    EXPECT_EQ(deleted, 1);
}

TEST(GetBrandingTest, DefaultUntilInstalledThenTheInstalledOne)
{
    // Installing changes the process-wide control, so this runs in a child.
    EXPECT_EXIT(
        {
            GenTLBranding& before = GetBranding();
            bool ok = before.GetDisplayName().empty() && before.GetProducerId().empty() &&
                      before.GetLockName().empty() && before.GetUpdateListTimeout() == 0;
            ok = ok && &GetBranding() == &before;
            GetBrandingControl()->Init(CountedPtr<GenTLBranding>(new GenTLBrandingCXP()));
            GenTLBranding& after = GetBranding();
            ok = ok && &after != &before && &GetBranding() == &after;
            ok = ok && after.GetProducerId() == "CorvaneCXP" && after.GetLockName() == "CorvaneCXP.lock";
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
