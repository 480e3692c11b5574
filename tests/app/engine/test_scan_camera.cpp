// Discovery against the simulated SDK: the count it reports, a refused
// initialisation, and a stop before the SDK is touched.
#include <gtest/gtest.h>

#include <ZTCam.h>
#include <ZTCamSim.h>

#include <atomic>
#include <string>
#include <vector>

#include "../TestSupport.h"
#include "ZTScanCamera.h"

namespace {

std::vector<std::string> libraryCalls()
{
    std::vector<std::string> calls;
    for (size_t i = 0; i < ZTCamSim_CallLogSize(); ++i) {
        const char* name = nullptr;
        int camera = 0;
        if (ZTCamSim_CallLogEntry(i, &name, &camera) && name && camera == -1)
            calls.emplace_back(name);
    }
    return calls;
}

class ScanCamera : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        ZTCamSim_CallLogClear();
    }
    void TearDown() override
    {
        ZTCAM_Api_Uninit();
        ZTCamSim_UseConfigText(nullptr);
    }

    // Runs one scan and returns how many reports came.
    int scan(ZTScanCamera& scanner, int delayMs)
    {
        int reports = 0;
        QObject::connect(&scanner, &ZTScanCamera::sglScanFinished, &scanner, [&reports] { ++reports; });
        scanner.startScan(delayMs);
        EXPECT_TRUE(waitFor([&] { return scanner.isFinished(); }));
        QCoreApplication::processEvents();
        QObject::disconnect(&scanner, &ZTScanCamera::sglScanFinished, nullptr, nullptr);
        return reports;
    }
};

TEST_F(ScanCamera, ReportsTheCamerasTheSdkFound)
{
    ZTCamSim_UseConfigText("[global]\ncameras=3\n");
    ZTScanCamera scanner;
    EXPECT_EQ(scanner.cameraCount(), 0u);
    EXPECT_EQ(scan(scanner, 0), 1);
    EXPECT_EQ(scanner.cameraCount(), 3u);
    EXPECT_EQ(libraryCalls(), (std::vector<std::string>{"ZTCAM_Api_Init"}));
}

TEST_F(ScanCamera, NoCameraStillReports)
{
    ZTCamSim_UseConfigText("[global]\nzero_cameras=1\n");
    ZTScanCamera scanner;
    EXPECT_EQ(scan(scanner, 0), 1);
    EXPECT_EQ(scanner.cameraCount(), 0u);
}

TEST_F(ScanCamera, RefusedInitialisationIsUndoneAndKeepsTheLastCount)
{
    ZTCamSim_UseConfigText("[global]\ncameras=2\n");
    ZTScanCamera scanner;
    EXPECT_EQ(scan(scanner, 0), 1);
    ASSERT_EQ(scanner.cameraCount(), 2u);
    ZTCAM_Api_Uninit();

    ZTCamSim_UseConfigText("[global]\ninit_fails=1\n");
    ZTCamSim_CallLogClear();
    EXPECT_EQ(scan(scanner, 0), 1);
    EXPECT_EQ(scanner.cameraCount(), 2u);
    EXPECT_EQ(libraryCalls(), (std::vector<std::string>{"ZTCAM_Api_Init", "ZTCAM_Api_Uninit"}));
}

TEST_F(ScanCamera, StopDuringTheDelayTouchesNothingAndReportsNothing)
{
    ZTScanCamera scanner;
    int reports = 0;
    QObject::connect(&scanner, &ZTScanCamera::sglScanFinished, &scanner, [&reports] { ++reports; });
    scanner.startScan(2000);
    scanner.stopScan();
    EXPECT_TRUE(waitFor([&] { return scanner.isFinished(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, 0);
    EXPECT_TRUE(libraryCalls().empty());
    EXPECT_EQ(scanner.cameraCount(), 0u);
}

TEST_F(ScanCamera, SecondStartWhileRunningChangesNothing)
{
    ZTScanCamera scanner;
    int reports = 0;
    QObject::connect(&scanner, &ZTScanCamera::sglScanFinished, &scanner, [&reports] { ++reports; });
    scanner.startScan(300);
    scanner.stopScan();
    // Running still: this start must neither re-enable it nor restart it.
    EXPECT_TRUE(scanner.startScan(0));
    EXPECT_TRUE(waitFor([&] { return scanner.isFinished(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, 0);
    EXPECT_TRUE(libraryCalls().empty());
}

TEST_F(ScanCamera, DestroyingARunningScanWaitsForIt)
{
    ZTCamSim_UseConfigText("[global]\ncameras=1\n");
    std::atomic<bool> ended{false};
    {
        ZTScanCamera scanner;
        // Emitted on the scan's own thread as it ends.
        QObject::connect(&scanner, &QThread::finished, &scanner, [&ended] { ended.store(true); },
                         Qt::DirectConnection);
        scanner.startScan(50);
    }
    EXPECT_TRUE(ended.load());
}

}  // namespace
