#pragma once

#include "ZTCam.h"
#include "ZTCamSim.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace ztcamtest {

// A camera section with small frames and a high rate, so tests run fast.
inline std::string cameraSection(const std::string& serial, const std::string& extra = std::string())
{
    return "[camera]\nserial = " + serial +
           "\nsensor_width = 64\nsensor_height = 48\npixel_formats = Mono 8, Mono 12, Mono 16, RGB 8\n"
           "pixel_format = Mono 12\nframe_rate = 200\nffc_phase_ms = 50\n" +
           extra;
}

// Initialises the SDK on the given configuration text; opens camera 0 when
// asked. Uninitialises on tear-down.
class SdkFixture : public ::testing::Test {
protected:
    void initWith(const std::string& config, bool openFirst = true)
    {
        ZTCamSim_UseConfigText(config.c_str());
        ZTCamInitParams params{};
        params.configPath = ".";
        ASSERT_EQ(ZTCAM_Api_Init(&params, 1000), ZTCAM_STATUS_SUCCESS);
        count = params.cameraCount;
        if (openFirst) {
            ASSERT_GT(count, 0u);
            cam.index = 0;
            ASSERT_EQ(ZTCAM_Dev_Open(&cam), ZTCAM_STATUS_SUCCESS);
            handle = cam.handle;
        }
    }
    void TearDown() override
    {
        ZTCAM_Api_Uninit();
        ZTCamSim_UseConfigText(nullptr);
        ZTCamSim_CallLogClear();
    }

    // Allocates camera 0's frame record, as a caller must before capturing;
    // `frame` describes the frame afterwards.
    ZTCamStatus alloc(ZTCamFrame& frame)
    {
        frame = ZTCamFrame{};
        frame.formatRequest = ZTCAM_FORMAT_REQUEST;
        frame.reserveCount = 1;
        return ZTCAM_Buf_Alloc(handle, &frame);
    }

    // Reads an element (attributes and value) of node map 0 or 1.
    ZTCamElement element(const char* name, int nodeMap = ZTCAM_NODEMAP_CAMERA, ZTCamStatus* status = nullptr)
    {
        ZTCamElement e{};
        ZTCamStatus s = ZTCAM_GenICam_ElementAttr(handle, &e, name, nodeMap);
        if (status)
            *status = s;
        return e;
    }
    ZTCamStatus setInt(const char* name, int64_t value, int nodeMap = ZTCAM_NODEMAP_CAMERA)
    {
        ZTCamElement e = element(name, nodeMap);
        e.value.intValue = value;
        return ZTCAM_GenICam_SetElementValue(handle, &e, nodeMap);
    }
    std::string entryText(const char* name)
    {
        ZTCamElement e = element(name);
        if (!e.entries || e.value.intValue < 0 || e.value.intValue > e.maximum.intValue)
            return std::string();
        return e.entries[e.value.intValue];
    }

    uint32_t count = 0;
    OpenedCamera cam{};
    ZTCamHandle handle = nullptr;
};

// Runs a shell command; returns its exit status and output.
inline int runCommand(const std::string& command, std::string* output)
{
    std::FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return -1;
    char buf[4096];
    std::string out;
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    int rc = pclose(p);
    if (output)
        *output = out;
    return rc;
}

// A folder of the test's own below the system's temporary folder, removed
// with everything in it when the test is done.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name)
    {
        std::error_code error;
        const std::filesystem::path root = std::filesystem::temp_directory_path(error);
        std::string pattern = (root / ("ztcam_test_" + name + "_XXXXXX")).string();
        if (!error && mkdtemp(pattern.data()))
            path_ = pattern;
        EXPECT_FALSE(path_.empty()) << "no scratch folder for " << name;
    }
    ~ScratchDir()
    {
        std::error_code error;
        if (!path_.empty())
            std::filesystem::remove_all(path_, error);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace ztcamtest
