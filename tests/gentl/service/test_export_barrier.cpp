#include "ExportedService.h"
#include "LastGenTLError.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

using namespace GenTLCore;

TEST(ExportBarrierTest, NoExceptionLeavesAnExportedCall)
{
    EXPECT_EQ(GuardedCall([] { return GC_ERROR(GC_ERR_INVALID_ID); }), GC_ERR_INVALID_ID);
    EXPECT_EQ(GuardedCall([]() -> GC_ERROR { throw std::bad_alloc(); }), GC_ERR_OUT_OF_MEMORY);
    EXPECT_EQ(GuardedCall([]() -> GC_ERROR { throw std::runtime_error("x"); }), GC_ERR_ERROR);
    EXPECT_EQ(GuardedCall([]() -> GC_ERROR { throw 7; }), GC_ERR_ERROR);
}

TEST(ExportBarrierTest, EveryCodeOfTheBarrierComesWithItsText)
{
    for (GC_ERROR (*call)() : {+[]() -> GC_ERROR { throw std::bad_alloc(); }, +[]() -> GC_ERROR { throw 7; }}) {
        SetLastGenTLError(GC_ERR_SUCCESS, "");
        const GC_ERROR code = GuardedCall(call);
        LastErrorRecord record;
        ASSERT_TRUE(GetLastGenTLError(&record));
        EXPECT_EQ(record.code, code);
        EXPECT_EQ(record.text.rfind("Internal error: ", 0), 0u) << record.text;
    }
}
