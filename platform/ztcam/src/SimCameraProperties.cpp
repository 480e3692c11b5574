// Properties and capabilities of one simulated camera.
#include "SimCamera.h"

#include <cmath>

namespace ztcam {

namespace {

// Range and default of a property or capability; NOT_FOUND for an unknown id.
template <class Table, class Attr>
ZTCamStatus copyAttributes(const Table& table, Attr* attr)
{
    auto it = table.find(attr->id);
    if (it == table.end())
        return ZTCAM_STATUS_NOT_FOUND;
    attr->minimum = it->second.minimum;
    attr->maximum = it->second.maximum;
    attr->defaultValue = it->second.defaultValue;
    return ZTCAM_STATUS_SUCCESS;
}

}  // namespace

ZTCamStatus SimCamera::propGetAttr(ZTCamPropAttr* attr)
{
    if (!attr)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    return copyAttributes(properties_, attr);
}

ZTCamStatus SimCamera::capaGetAttr(ZTCamCapaAttr* attr)
{
    if (!attr)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Open);
    if (!entry)
        return entry.status;
    return copyAttributes(capabilities_, attr);
}

ZTCamStatus SimCamera::propGetValue(int32_t id, double* value, int32_t channel)
{
    if (!value || channel != 0)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Connected);
    if (!entry)
        return entry.status;
    auto it = properties_.find(id);
    if (it == properties_.end())
        return ZTCAM_STATUS_NOT_FOUND;
    // An automatic level reads as the one of the latest frame; before the
    // first frame of this pixel format, as 2 % and 98 % of the range.
    const int32_t autoLevels = capabilities_[ZTCAM_CAPA_AUTO_LEVELS].value;
    const double maxGray = it->second.maximum;
    const bool measured = measuredLevels_.valid && measuredLevels_.bits == currentFormat().bits;
    if (id == ZTCAM_PROP_LEFT_LEVEL && (autoLevels & 1))
        *value = measured ? measuredLevels_.left : std::floor(maxGray * 0.02);
    else if (id == ZTCAM_PROP_RIGHT_LEVEL && (autoLevels & 2))
        *value = measured ? measuredLevels_.right : std::floor(maxGray * 0.98);
    else
        *value = it->second.value;
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::propSetValue(int32_t id, double value, int32_t channel)
{
    if (channel != 0 || !std::isfinite(value))
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Connected);
    if (!entry)
        return entry.status;
    auto it = properties_.find(id);
    if (it == properties_.end())
        return ZTCAM_STATUS_NOT_FOUND;
    if (value < it->second.minimum || value > it->second.maximum)
        return ZTCAM_STATUS_OUT_OF_RANGE;
    it->second.value = value;
    return ZTCAM_STATUS_SUCCESS;
}

void SimCamera::flatFieldAdvance()
{
    if (ffcState_ != 1 && ffcState_ != ZTCAM_FLAT_FIELD_WORKING)
        return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - ffcSince_).count();
    if (elapsed < int64_t(config_.ffcPhaseMs))
        return;
    if (ffcState_ == 1) {
        ffcPhase1Done_ = true;
        ffcState_ = ZTCAM_FLAT_FIELD_OFF;
    } else {
        ffcComputed_ = ffcPhase1Done_ && !config_.ffcFails;
        ffcPhase1Done_ = false;
        ffcState_ = ffcComputed_ ? ZTCAM_FLAT_FIELD_ON : ZTCAM_FLAT_FIELD_OFF;
    }
}

ZTCamStatus SimCamera::capaGetValue(int32_t id, int32_t* value)
{
    if (!value)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Connected);
    if (!entry)
        return entry.status;
    auto it = capabilities_.find(id);
    if (it == capabilities_.end())
        return ZTCAM_STATUS_NOT_FOUND;
    if (id == ZTCAM_CAPA_FLAT_FIELD) {
        flatFieldAdvance();
        *value = ffcState_;
    } else {
        *value = it->second.value;
    }
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::capaSetValue(int32_t id, int32_t value)
{
    Entry entry = enter(Need::Connected);
    if (!entry)
        return entry.status;
    auto it = capabilities_.find(id);
    if (it == capabilities_.end())
        return ZTCAM_STATUS_NOT_FOUND;
    if (value < it->second.minimum || value > it->second.maximum)
        return ZTCAM_STATUS_OUT_OF_RANGE;
    if (id == ZTCAM_CAPA_FLAT_FIELD) {
        flatFieldAdvance();
        switch (value) {
        case 1:  // first phase: reports 1 until the camera may be moved on
            ffcState_ = 1;
            ffcPhase1Done_ = false;
            ffcSince_ = Clock::now();
            break;
        case ZTCAM_FLAT_FIELD_WORKING:  // second phase
            ffcState_ = ZTCAM_FLAT_FIELD_WORKING;
            ffcSince_ = Clock::now();
            break;
        case ZTCAM_FLAT_FIELD_ON:
            if (!ffcComputed_) {
                setMessage("Flat field: no correction calculated");
                return ZTCAM_STATUS_WRONG_STATE;
            }
            ffcState_ = ZTCAM_FLAT_FIELD_ON;
            break;
        default:
            ffcState_ = ZTCAM_FLAT_FIELD_OFF;
            break;
        }
        it->second.value = value;
        return ZTCAM_STATUS_SUCCESS;
    }
    it->second.value = value;
    if (id == ZTCAM_CAPA_AUTO_LEVELS)
        capabilities_[ZTCAM_CAPA_AUTO_LEVEL_MODE].value = value != 0 ? 1 : 0;
    return ZTCAM_STATUS_SUCCESS;
}

} // namespace ztcam
