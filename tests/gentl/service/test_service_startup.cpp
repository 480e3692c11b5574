#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "GenTLLibrary.h"
#include "LastGenTLError.h"
#include "LoggerInit.h"
#include "PexSettingBracket.h"
#include "ProducerLoad.h"
#include "ProducerStartup.h"
#include "StaticInitializationHelper.h"
#include "TLLogMessage.h"
#include "TLSControl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

using namespace GenTLCore;

namespace {

int g_extraMade = 0;
int g_extraShutdowns = 0;

class ExtraInit : public StaticInitializationHelper {
public:
    void Shutdown() override { ++g_extraShutdowns; }
};

StaticInitializationHelper* makeExtra()
{
    ++g_extraMade;
    return new ExtraInit();
}

CountedPtr<GenTLBranding> noBranding() { return CountedPtr<GenTLBranding>(); }

}  // namespace

namespace {

CountedPtr<GenTLLibrary> noLibrary() { return CountedPtr<GenTLLibrary>(); }

}  // namespace

TEST(CoreSingletonsTest, OnlyTheLastStopTearsDown)
{
    EXPECT_EXIT(
        {
            StartCoreSingletons();
            StartCoreSingletons();
            bool ok = StartedLogger() && StartedTLSControl() && StartedBrandingControl();
            ok = ok && StartedLogger() == GetLoggerInit() && StartedTLSControl() == GetTLSControl();
            SetLogLevel(4);
            StopCoreSingletons();
            ok = ok && CoreSingletonCount() == 1 && GetLogLevel() == 4 && !IsLastErrorStoreShutDown();
            ok = ok && SetLastGenTLError(-1001, "still stored");
            StopCoreSingletons();
            ok = ok && CoreSingletonCount() == 0 && GetLogLevel() == 0 && IsLastErrorStoreShutDown();
            ok = ok && !SetLastGenTLError(-1001, "refused");
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(CreateGenTLServiceTest, NoServiceWithoutFactoriesAndAtMostOneAttempt)
{
    EXPECT_EXIT(
        {
            StartCoreSingletons();
            ProducerFactoryTable table;
            table.createExtraInit = &makeExtra;
            bool ok = !HasTLFactories(table) && CreateGenTLService(table) == nullptr;
            ok = ok && g_extraMade == 0;
            // The first call decided; the second does not call any factory.
            table.createBranding = &noBranding;
            ok = ok && CreateGenTLService(table) == nullptr && g_extraMade == 0;
            ok = ok && CurrentService() == nullptr;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(CreateGenTLServiceTest, ExtraInitialisationIsShutDownAndDeletedAtStop)
{
    EXPECT_EXIT(
        {
            StartCoreSingletons();
            ProducerFactoryTable table;
            table.createBranding = &noBranding;
            table.createLibrary = &noLibrary;
            table.createExtraInit = &makeExtra;
            bool ok = HasTLFactories(table);
            CreateGenTLService(table);
            ok = ok && g_extraMade == 1 && ExtraInitialization() != nullptr;
            StopCoreSingletons();
            ok = ok && g_extraShutdowns == 1;
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(ProducerLoadTest, DetachFreesTheThreadsLastError)
{
    TLSControl* control = GetTLSControl();
    ASSERT_NE(control, nullptr);
    const size_t before = control->RecordCount();
    SetLastGenTLError(-1001, "detaching");
    EXPECT_EQ(control->RecordCount(), before + 1);
    EXPECT_EQ(ProducerLoad::DllMainHook(nullptr, ProducerLoad::THREAD_ATTACH, nullptr), 1);
    EXPECT_EQ(control->RecordCount(), before + 1);
    EXPECT_EQ(ProducerLoad::DllMainHook(nullptr, ProducerLoad::THREAD_DETACH, nullptr), 1);
    EXPECT_EQ(control->RecordCount(), before);
}

TEST(PexSettingBracketTest, ClearsTheSettingForTheCallAndRestoresIt)
{
    const PEX_INT setting = PexSettingBracket::kSetting;
    for (PEX_INT value : {PEX_INT(0), PEX_INT(5), PEX_INT(-3)}) {
        PexAppControl(PEX_DEFAULT, setting, value);
        {
            PexSettingBracket bracket;
            EXPECT_EQ(PexAppInquire(PEX_DEFAULT, setting, nullptr), 0);
        }
        EXPECT_EQ(PexAppInquire(PEX_DEFAULT, setting, nullptr), value);
    }
    // The setting is the calling thread's own.
    PexAppControl(PEX_DEFAULT, setting, 9);
    std::thread other([&] {
        PexSettingBracket bracket;
        PexAppControl(PEX_DEFAULT, setting, 4);
    });
    other.join();
    EXPECT_EQ(PexAppInquire(PEX_DEFAULT, setting, nullptr), 9);
    PexAppControl(PEX_DEFAULT, setting, 0);
}
