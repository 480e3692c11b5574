#include <platform/services/CvnServices.h>

#include <gtest/gtest.h>

TEST(CvnServicesTest, OpensAreCountedAndEveryOpenGivesTheSameHandle)
{
    EXPECT_EQ(CvnServicesTestOpenCount(), 0);
    const uint64_t first = CvnServicesOpen();
    const uint64_t second = CvnServicesOpen();
    EXPECT_NE(first, 0u);
    EXPECT_EQ(first, second);
    EXPECT_EQ(CvnServicesTestOpenCount(), 2);
    CvnServicesClose();
    CvnServicesClose();
    EXPECT_EQ(CvnServicesTestOpenCount(), 0);
    CvnServicesClose();  // one close too many changes nothing
    EXPECT_EQ(CvnServicesTestOpenCount(), 0);
}
