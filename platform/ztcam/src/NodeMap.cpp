#include "NodeMap.h"

namespace ztcam {

FeatureNode& NodeMap::add(FeatureNode node)
{
    auto owned = std::make_unique<FeatureNode>(std::move(node));
    FeatureNode& n = *owned;
    if (n.type == ZTCAM_ELEM_ENUMERATION) {
        n.entryPointers.clear();
        for (const std::string& e : n.entries)
            n.entryPointers.push_back(e.c_str());
        n.entryPointers.push_back(nullptr);
        n.intMin = 0;
        n.intMax = int64_t(n.entries.size()) - 1;
        n.intInc = 1;
    } else if (n.type == ZTCAM_ELEM_BOOLEAN) {
        n.intMin = 0;
        n.intMax = 1;
        n.intInc = 1;
    }
    index_[n.name] = nodes_.size();
    nodes_.push_back(std::move(owned));
    return n;
}

FeatureNode* NodeMap::find(const std::string& name)
{
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : nodes_[it->second].get();
}

const FeatureNode* NodeMap::find(const std::string& name) const
{
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : nodes_[it->second].get();
}

int NodeMap::indexOf(const std::string& name) const
{
    auto it = index_.find(name);
    return it == index_.end() ? -1 : int(it->second);
}

const FeatureNode* NodeMap::next(const std::string& name, bool& found) const
{
    if (name == "Root") {
        found = true;
        return nodes_.empty() ? nullptr : nodes_.front().get();
    }
    auto it = index_.find(name);
    if (it == index_.end()) {
        found = false;
        return nullptr;
    }
    found = true;
    return it->second + 1 < nodes_.size() ? nodes_[it->second + 1].get() : nullptr;
}

void NodeMap::fillRecord(const FeatureNode& node, ZTCamElement& e, bool locked)
{
    e.lock = locked ? 1 : 0;
    e.level = node.level;
    e.representation = node.representation;
    e.type = node.type;
    e.access = node.access;
    e.visibility = node.visibility;
    e.name = node.name.c_str();
    e.tooltip = node.tooltip.c_str();
    e.polled = node.polled ? 1 : 0;
    e.decimals = node.decimals;
    e.commandValue = node.type == ZTCAM_ELEM_COMMAND ? node.commandValue : 0;
    e.entries = node.type == ZTCAM_ELEM_ENUMERATION ? node.entryPointers.data() : nullptr;
    switch (node.type) {
    case ZTCAM_ELEM_FLOAT:
        e.value.floatValue = node.floatValue;
        e.minimum.floatValue = node.floatMin;
        e.maximum.floatValue = node.floatMax;
        e.increment.floatValue = node.floatInc;
        break;
    case ZTCAM_ELEM_STRING:
        e.value.intValue = 0;
        e.minimum.intValue = 0;
        e.maximum.intValue = node.maxLength;
        e.increment.intValue = 1;
        break;
    case ZTCAM_ELEM_COMMAND:
    case ZTCAM_ELEM_CATEGORY:
        e.value.intValue = 0;
        e.minimum.intValue = 0;
        e.maximum.intValue = 0;
        e.increment.intValue = 0;
        break;
    default:
        e.value.intValue = node.intValue;
        e.minimum.intValue = node.intMin;
        e.maximum.intValue = node.intMax;
        e.increment.intValue = node.intInc;
        break;
    }
}

} // namespace ztcam
