#pragma once

#include "NodeMap.h"
#include "SimConfig.h"

namespace ztcam {

// The feature trees of a simulated camera: node map 0 (the camera's
// features) and node map 1 (its data stream's features), with the start
// values of the configuration.
class FeatureTree {
public:
    static void buildCamera(const CameraConfig& config, NodeMap& map);
    static void buildStream(const CameraConfig& config, NodeMap& map);
};

} // namespace ztcam
