#pragma once

#include "ZTCam.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ztcam {

// One GenICam feature of a simulated node map. Strings and entry arrays are
// owned here and keep their addresses for the life of the node map.
struct FeatureNode {
    std::string name;
    std::string tooltip;
    int32_t type = ZTCAM_ELEM_INTEGER;
    uint8_t level = 0;
    uint16_t representation = ZTCAM_REPR_PLAIN;
    int32_t access = ZTCAM_ACCESS_READ_WRITE;
    int32_t visibility = ZTCAM_VIS_BEGINNER;
    bool polled = false;
    bool lockWhileCapturing = false;
    int64_t decimals = 0;
    // integer, boolean, enumeration
    int64_t intValue = 0;
    int64_t intMin = 0;
    int64_t intMax = 0;
    int64_t intInc = 1;
    // float
    double floatValue = 0;
    double floatMin = 0;
    double floatMax = 0;
    double floatInc = 0;
    // string
    std::string text;
    int64_t maxLength = 63;
    // enumeration
    std::vector<std::string> entries;
    std::vector<const char*> entryPointers;
    // command
    uint64_t commandValue = 1;

    bool writable() const { return access == ZTCAM_ACCESS_WRITE_ONLY || access == ZTCAM_ACCESS_READ_WRITE; }
};

// A feature tree in depth-first order (categories before their children),
// looked up by name.
class NodeMap {
public:
    FeatureNode& add(FeatureNode node);
    FeatureNode* find(const std::string& name);
    const FeatureNode* find(const std::string& name) const;
    // The node after the named one in walk order; "Root" gives the first.
    // found is false when the name is unknown.
    const FeatureNode* next(const std::string& name, bool& found) const;
    size_t size() const { return nodes_.size(); }
    FeatureNode& at(size_t i) { return *nodes_[i]; }
    const FeatureNode& at(size_t i) const { return *nodes_[i]; }
    int indexOf(const std::string& name) const;

    // Fills attributes and value of the element record; text and name
    // pointers of the record are left to the caller except name, which is
    // set to the node's own name.
    static void fillRecord(const FeatureNode& node, ZTCamElement& element, bool locked);

private:
    std::vector<std::unique_ptr<FeatureNode>> nodes_;
    std::unordered_map<std::string, size_t> index_;
};

} // namespace ztcam
