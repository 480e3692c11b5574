// GenICam elements of one simulated camera: walk, reads, writes, commands and user sets.
#include "SimCamera.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ztcam {

namespace {

int64_t floatBits(double v)
{
    float f = float(v);
    int32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

double bitsFloat(int64_t v)
{
    int32_t bits = int32_t(v);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

bool isGeometry(const std::string& name)
{
    return name == "Width" || name == "Height" || name == "OffsetX" || name == "OffsetY";
}

bool isBinning(const std::string& name)
{
    return name == "SensorBinning" || name == "BinningHorizontal" || name == "BinningVertical";
}

} // namespace


ZTCamStatus SimCamera::elementAttr(ZTCamElement* element, const char* name, int32_t mapId, bool next)
{
    if (!element || !name)
        return ZTCAM_STATUS_INVALID_PARAM;
    NodeMap* map = nodeMap(mapId);
    if (!map)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Connected);
    if (!entry)
        return entry.status;
    FeatureNode* node = nullptr;
    if (next) {
        bool found = false;
        const FeatureNode* n = map->next(name, found);
        if (!found)
            return ZTCAM_STATUS_NOT_FOUND;
        if (!n)
            return ZTCAM_STATUS_END_OF_LIST;
        node = map->find(n->name);
    } else {
        node = map->find(name);
        if (!node)
            return ZTCAM_STATUS_NOT_FOUND;
    }
    refreshDynamic(*node, mapId == ZTCAM_NODEMAP_STREAM);
    NodeMap::fillRecord(*node, *element, locked(*node));
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::getElementValue(ZTCamElement* element, int32_t mapId)
{
    if (!element || !element->name)
        return ZTCAM_STATUS_INVALID_PARAM;
    NodeMap* map = nodeMap(mapId);
    if (!map)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Connected);
    if (!entry)
        return entry.status;
    FeatureNode* node = map->find(element->name);
    if (!node)
        return ZTCAM_STATUS_NOT_FOUND;
    if (node->type == ZTCAM_ELEM_STRING && !element->text)
        return ZTCAM_STATUS_INVALID_PARAM;
    refreshDynamic(*node, mapId == ZTCAM_NODEMAP_STREAM);
    NodeMap::fillRecord(*node, *element, locked(*node));
    if (node->type == ZTCAM_ELEM_STRING) {
        const size_t n = std::min(node->text.size(), size_t(node->maxLength));
        std::memcpy(element->text, node->text.data(), n);
        element->text[n] = '\0';
    }
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::setElementValue(ZTCamElement* element, int32_t mapId)
{
    if (!element || !element->name)
        return ZTCAM_STATUS_INVALID_PARAM;
    NodeMap* map = nodeMap(mapId);
    if (!map)
        return ZTCAM_STATUS_INVALID_PARAM;
    Entry entry = enter(Need::Connected);
    if (!entry)
        return entry.status;
    FeatureNode* node = map->find(element->name);
    if (!node)
        return ZTCAM_STATUS_NOT_FOUND;
    ZTCamStatus s = writeNode(*node, *element, mapId == ZTCAM_NODEMAP_STREAM);
    if (s != ZTCAM_STATUS_SUCCESS && message_[0] == '\0')
        setMessage(node->name + " write failed");
    return s;
}

ZTCamStatus SimCamera::writeNode(FeatureNode& node, const ZTCamElement& e, bool stream)
{
    message_[0] = '\0';
    if (!node.writable()) {
        setMessage(node.name + " is read-only");
        return ZTCAM_STATUS_ACCESS_DENIED;
    }
    if (locked(node)) {
        setMessage(node.name + " cannot change while capturing");
        return ZTCAM_STATUS_ACCESS_DENIED;
    }
    char text[160];
    switch (node.type) {
    case ZTCAM_ELEM_INTEGER: {
        int64_t v = e.value.intValue;
        if (v < node.intMin || v > node.intMax) {
            std::snprintf(text, sizeof text, "%s: %lld is outside %lld..%lld", node.name.c_str(), (long long)v,
                          (long long)node.intMin, (long long)node.intMax);
            setMessage(text);
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        if (node.intInc > 1)
            v = node.intMin + (v - node.intMin) / node.intInc * node.intInc;
        node.intValue = v;
        std::snprintf(text, sizeof text, "%s set to %lld", node.name.c_str(), (long long)v);
        break;
    }
    case ZTCAM_ELEM_BOOLEAN:
        node.intValue = e.value.intValue != 0 ? 1 : 0;
        std::snprintf(text, sizeof text, "%s set to %s", node.name.c_str(), node.intValue ? "true" : "false");
        break;
    case ZTCAM_ELEM_FLOAT: {
        const double v = e.value.floatValue;
        if (!std::isfinite(v) || v < node.floatMin || v > node.floatMax) {
            std::snprintf(text, sizeof text, "%s: %g is outside %g..%g", node.name.c_str(), v, node.floatMin,
                          node.floatMax);
            setMessage(text);
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        node.floatValue = v;
        std::snprintf(text, sizeof text, "%s set to %g", node.name.c_str(), v);
        break;
    }
    case ZTCAM_ELEM_ENUMERATION: {
        const int64_t v = e.value.intValue;
        if (v < 0 || v >= int64_t(node.entries.size())) {
            std::snprintf(text, sizeof text, "%s: no entry %lld", node.name.c_str(), (long long)v);
            setMessage(text);
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        node.intValue = v;
        std::snprintf(text, sizeof text, "%s set to %s", node.name.c_str(), node.entries[size_t(v)].c_str());
        break;
    }
    case ZTCAM_ELEM_STRING: {
        if (!e.text)
            return ZTCAM_STATUS_INVALID_PARAM;
        const size_t len = strnlen(e.text, size_t(node.maxLength) + 1);
        if (len > size_t(node.maxLength)) {
            setMessage(node.name + " text too long");
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        node.text.assign(e.text, len);
        std::snprintf(text, sizeof text, "%s set to \"%s\"", node.name.c_str(), node.text.c_str());
        break;
    }
    case ZTCAM_ELEM_COMMAND:
        // Writing the command value the element carries executes it.
        if (e.commandValue != node.commandValue) {
            setMessage(node.name + ": not the command value");
            return ZTCAM_STATUS_OUT_OF_RANGE;
        }
        return runCommand(node, stream);
    default:
        setMessage(node.name + " has no value");
        return ZTCAM_STATUS_ACCESS_DENIED;
    }
    setMessage(text);
    if (!stream) {
        if (isGeometry(node.name) || isBinning(node.name)) {
            updateGeometryRanges();
        } else if (node.name == "FrameRateMode") {
            updateExposureRange();
        } else if (node.name == "AcquisitionFrameRate") {
            updateExposureRange();
            rateChanged_ = true;
            frameCv_.notify_all();
        } else if (node.name == "PixelFormat") {
            updateLevelRanges();
        } else if (node.name == "PRNUSelector") {
            ++cameraMap_.find("PRNUStatus")->intValue;
        }
    }
    return ZTCAM_STATUS_SUCCESS;
}

ZTCamStatus SimCamera::runCommand(FeatureNode& node, bool stream)
{
    const std::string& n = node.name;
    if (stream) {
        if (n == "StreamCounterReset")
            deliveredBase_ = frameNumber_;
    } else if (n == "AcquisitionStart") {
        paused_ = false;
    } else if (n == "AcquisitionStop") {
        paused_ = true;
    } else if (n == "DeviceReset") {
        // The camera restarts and is gone until the SDK is initialised again.
        resetDisconnect_ = true;
        frameCv_.notify_all();
    } else if (n == "DSNUGenerate" || n == "DSNUGenerateAll") {
        regenerateCalibration(false, ++dsnuSeed_);
        ++cameraMap_.find("DSNUStatus")->intValue;
    } else if (n == "DSNUSave" || n == "DSNULoad") {
        ++cameraMap_.find("DSNUStatus")->intValue;
    } else if (n == "PRNUFactoryReset") {
        regenerateCalibration(true, 0);
        ++cameraMap_.find("PRNUStatus")->intValue;
    } else if (n == "PRNUSave" || n == "PRNULoad") {
        ++cameraMap_.find("PRNUStatus")->intValue;
    } else if (n == "UserSetSave") {
        const int64_t slot = cameraMap_.find("UserSetSelector")->intValue;
        if (slot == 0) {
            setMessage("UserSetSave: the default set cannot be overwritten");
            return ZTCAM_STATUS_ACCESS_DENIED;
        }
        userSets_[slot] = snapshotValues();
    } else if (n == "UserSetRefresh") {
        // Brings the camera's list of stored user sets up to date; the
        // current settings stay as they are. LumaDeck runs it whenever the
        // user picks a camera, so it must never undo what was set.
    } else if (n == "UserSetLoad") {
        const int64_t slot = cameraMap_.find("UserSetSelector")->intValue;
        auto it = userSets_.find(slot);
        const auto& values = (slot == 0 || it == userSets_.end()) ? defaultValues_ : it->second;
        if (capturing_) {
            setMessage(n + " is not possible while capturing");
            return ZTCAM_STATUS_WRONG_STATE;
        }
        applyValues(values);
    }
    setMessage(n + " executed");
    return ZTCAM_STATUS_SUCCESS;
}

std::vector<std::pair<int, int64_t>> SimCamera::snapshotValues() const
{
    std::vector<std::pair<int, int64_t>> values;
    for (size_t i = 0; i < cameraMap_.size(); ++i) {
        const FeatureNode& n = cameraMap_.at(i);
        if (!n.writable() || n.name == "DeviceUserID")
            continue;
        if (n.type == ZTCAM_ELEM_INTEGER || n.type == ZTCAM_ELEM_BOOLEAN || n.type == ZTCAM_ELEM_ENUMERATION)
            values.emplace_back(int(i), n.intValue);
        else if (n.type == ZTCAM_ELEM_FLOAT)
            values.emplace_back(int(i), floatBits(n.floatValue));
    }
    return values;
}

bool SimCamera::applyValues(const std::vector<std::pair<int, int64_t>>& values)
{
    bool ok = true;
    // Geometry last, offsets cleared first, so every size fits its range.
    std::vector<std::pair<int, int64_t>> geometry;
    for (const auto& [index, value] : values) {
        if (index < 0 || size_t(index) >= cameraMap_.size()) {
            ok = false;
            continue;
        }
        FeatureNode& n = cameraMap_.at(size_t(index));
        if (!n.writable() || n.type == ZTCAM_ELEM_COMMAND || n.type == ZTCAM_ELEM_STRING ||
            n.type == ZTCAM_ELEM_CATEGORY) {
            ok = false;
            continue;
        }
        if (isGeometry(n.name)) {
            geometry.emplace_back(index, value);
            continue;
        }
        ZTCamElement e{};
        if (n.type == ZTCAM_ELEM_FLOAT)
            e.value.floatValue = bitsFloat(value);
        else
            e.value.intValue = value;
        ok = writeNode(n, e, false) == ZTCAM_STATUS_SUCCESS && ok;
    }
    if (!geometry.empty()) {
        cameraMap_.find("OffsetX")->intValue = 0;
        cameraMap_.find("OffsetY")->intValue = 0;
        updateGeometryRanges();
        for (const char* name : {"Width", "Height", "OffsetX", "OffsetY"}) {
            for (const auto& [index, value] : geometry) {
                FeatureNode& n = cameraMap_.at(size_t(index));
                if (n.name != name)
                    continue;
                ZTCamElement e{};
                e.value.intValue = value;
                ok = writeNode(n, e, false) == ZTCAM_STATUS_SUCCESS && ok;
            }
        }
    }
    return ok;
}

} // namespace ztcam
