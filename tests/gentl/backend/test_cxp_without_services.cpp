// The producer when its services library cannot be loaded.
#include "CtiProducer.h"

#include <gtest/gtest.h>

#include <cstdlib>

// The consumer cannot ask an uninitialised producer for its last error, so
// the text reaches it through the producer's log.
TEST(CxpWithoutServices, InitLibFailsNamingTheServicesLibrary)
{
    ::setenv("PEX_LOG_LEVEL", "2", 1);
    testing::internal::CaptureStderr();
    {
        CtiProducer cti(nullptr, GENTL_PRODUCER_WITHOUT_SERVICES_FILE);
        ASSERT_TRUE(cti.Loaded());
        EXPECT_EQ(cti.Fn<PGCInitLib>("GCInitLib")(), GC_ERR_ERROR);
        EXPECT_EQ(cti.Fn<PGCInitLib>("GCInitLib")(), GC_ERR_ERROR) << "and again";
        TL_HANDLE system = nullptr;
        EXPECT_EQ(cti.Fn<PTLOpen>("TLOpen")(&system), GC_ERR_NOT_INITIALIZED);
    }
    const std::string log = testing::internal::GetCapturedStderr();
    ::unsetenv("PEX_LOG_LEVEL");
    EXPECT_NE(log.find("the services library Corvane.Absent.so cannot be loaded"), std::string::npos) << log;
}
