#include "ZTCam.h"

#include <gtest/gtest.h>

extern "C" size_t ztcamtest_c_layout(int which);

// The header fixes the layouts with static asserts; this checks that a C
// translation unit sees the same records as C++ does.
TEST(ZTCamLayout, CAndCppAgree)
{
    EXPECT_EQ(ztcamtest_c_layout(0), sizeof(OpenedCamera));
    EXPECT_EQ(ztcamtest_c_layout(1), sizeof(ZTCamInitParams));
    EXPECT_EQ(ztcamtest_c_layout(2), 56u);
    EXPECT_EQ(ztcamtest_c_layout(3), 128u);
    EXPECT_EQ(ztcamtest_c_layout(4), 24u);
    EXPECT_EQ(ztcamtest_c_layout(5), 24u);
    EXPECT_EQ(ztcamtest_c_layout(6), 16u);
    EXPECT_EQ(ztcamtest_c_layout(7), 104u);
    EXPECT_EQ(ztcamtest_c_layout(8), 48u);
    EXPECT_EQ(ztcamtest_c_layout(9), 24u);
    EXPECT_EQ(ztcamtest_c_layout(10), 12u);
}

TEST(ZTCamLayout, HandleRecordCarriesInterfaceKind)
{
    OpenedCamera cam{};
    ZTCamInitParams params{};
    params.configPath = ".";
    ASSERT_EQ(ZTCAM_Api_Init(&params, 1000), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Dev_Open(&cam), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(static_cast<const uint8_t*>(cam.handle)[ZTCAM_HANDLE_INTERFACE_KIND_OFFSET], 7);
    ZTCAM_Api_Uninit();
}
