// DSNU and PRNU data and gray values of one simulated camera.
#include "SimCamera.h"

#include "CalibrationFile.h"

#include <algorithm>

namespace ztcam {

std::vector<int32_t>& SimCamera::calibration(bool prnu)
{
    return prnu ? prnu_ : dsnu_;
}

void SimCamera::regenerateCalibration(bool prnu, uint32_t seed)
{
    std::vector<int32_t>& data = calibration(prnu);
    data.resize(config_.sensorWidth);
    uint32_t x = 0x9E3779B9u ^ (seed * 2654435761u) ^ uint32_t(index_ + 1) ^ (prnu ? 0x5bd1e995u : 0u);
    for (int32_t& v : data) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        v = prnu ? int32_t(4096 + int32_t(x % 401) - 200) : int32_t(x % 129) - 64;
    }
}

ZTCamStatus SimCamera::calibrationData(const char* path, int32_t direction, bool prnu)
{
    if (!path || !*path || (direction != ZTCAM_DATA_CAMERA_TO_FILE && direction != ZTCAM_DATA_FILE_TO_CAMERA))
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Connected);
    if (!entry)
        return entry.status;
    const char* kind = prnu ? "PRNU" : "DSNU";
    if (direction == ZTCAM_DATA_CAMERA_TO_FILE) {
        if (!CalibrationFile::write(path, kind, config_.serial, calibration(prnu))) {
            setMessage(std::string(kind) + " data: cannot write the file");
            return ZTCAM_STATUS_IO_ERROR;
        }
        setMessage(std::string(kind) + " data saved");
        return ZTCAM_STATUS_SUCCESS;
    }
    std::vector<int32_t> values;
    switch (CalibrationFile::read(path, kind, config_.sensorWidth, values)) {
    case CalibrationFile::Result::CannotOpen:
        setMessage(std::string(kind) + " data: cannot open the file");
        return ZTCAM_STATUS_IO_ERROR;
    case CalibrationFile::Result::BadFormat:
        setMessage(std::string(kind) + " data: the file does not fit this camera");
        return ZTCAM_STATUS_FILE_INVALID;
    case CalibrationFile::Result::Ok:
        break;
    }
    calibration(prnu) = values;
    ++cameraMap_.find(prnu ? "PRNUStatus" : "DSNUStatus")->intValue;
    setMessage(std::string(kind) + " data loaded");
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::grayValue(int32_t x, int32_t y, uint16_t* values)
{
    if (!values)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    if (!haveFrame_)
        return ZTCAM_STATUS_WRONG_STATE;
    if (x < 0 || y < 0 || uint32_t(x) >= generator_.width() || uint32_t(y) >= generator_.height())
        return ZTCAM_STATUS_OUT_OF_RANGE;
    const bool vflip = capabilities_[5].value != 0;
    applyToneCurve(latestFrame_);
    for (uint32_t c = 0; c < generator_.format().channels; ++c)
        values[c] = uint16_t(generator_.sample(uint32_t(x), uint32_t(y), c, latestFrame_, hflip(), vflip));
    return ZTCAM_STATUS_SUCCESS;
}

} // namespace ztcam
