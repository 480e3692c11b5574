// The service made from a factory table: the direct service, the tracing
// service in front of it when the logging variable exists, and no service
// when the heap refuses while it is made.
#include "BrandingControl.h"
#include "GenTLSrvDirect.h"
#include "GenTLSrvLogged.h"
#include "ProducerStartup.h"
#include "TestLibrary.h"
#include "TestProducerBranding.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

using namespace GenTLCore;

namespace {

CountedPtr<GenTLBranding> testBranding() { return CountedPtr<GenTLBranding>(new GenTLTest::TestProducerBranding()); }

CountedPtr<GenTLLibrary> testLibrary() { return CountedPtr<GenTLLibrary>(new GenTLTest::TestLibrary()); }

CountedPtr<GenTLLibrary> refusedLibrary() { throw std::bad_alloc(); }

ProducerFactoryTable tableWith(CountedPtr<GenTLLibrary> (*library)())
{
    ProducerFactoryTable table;
    table.createBranding = &testBranding;
    table.createLibrary = library;
    return table;
}

}  // namespace

TEST(CreateGenTLServiceTest, DirectServiceInstallsTheBrandingAndServesCalls)
{
    EXPECT_EXIT(
        {
            unsetenv("TEST_GENTL_LOGGING");
            StartCoreSingletons();
            const ProducerFactoryTable table = tableWith(&testLibrary);
            GenTLSrv* service = CreateGenTLService(table);
            bool ok = dynamic_cast<GenTLSrvDirect*>(service) != nullptr;
            ok = ok && GetBranding().GetProducerId() == "TestTL";
            TL_HANDLE system = nullptr;
            ok = ok && service->GCInitLib() == GC_ERR_SUCCESS && service->TLOpen(&system) == GC_ERR_SUCCESS;
            // Unloading with the library still open closes it first.
            StopCoreSingletons();
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(CreateGenTLServiceTest, EmptyLoggingVariableTracesCalls)
{
    EXPECT_EXIT(
        {
            setenv("TEST_GENTL_LOGGING", "", 1);
            StartCoreSingletons();
            const ProducerFactoryTable table = tableWith(&testLibrary);
            GenTLSrv* service = CreateGenTLService(table);
            bool ok = dynamic_cast<GenTLSrvLogged*>(service) != nullptr && CurrentService() == service;
            ok = ok && service->GCInitLib() == GC_ERR_SUCCESS && service->GCCloseLib() == GC_ERR_SUCCESS;
            StopCoreSingletons();
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(CreateGenTLServiceTest, RefusedHeapLeavesNoService)
{
    EXPECT_EXIT(
        {
            StartCoreSingletons();
            const ProducerFactoryTable table = tableWith(&refusedLibrary);
            const bool ok = CreateGenTLService(table) == nullptr && CurrentService() == nullptr;
            StopCoreSingletons();
            std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
