#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ztcam {

// One simulated camera as the configuration file describes it.
struct CameraConfig {
    std::string serial;
    std::string deviceVersion = "V01_2505_ZT";
    std::string modelName = "ZT-Sim";
    std::string userId;
    uint32_t productId = 0xE415;
    uint8_t interfaceKind = 7;
    int channel = 0;
    uint32_t sensorWidth = 1280;
    uint32_t sensorHeight = 1024;
    uint32_t width = 0;   // 0: sensor width
    uint32_t height = 0;  // 0: sensor height
    std::vector<std::string> pixelFormats{"Mono 8", "Mono 12", "Mono 16", "RGB 8"};
    std::string pixelFormat = "Mono 8";
    double frameRate = 25.0;
    double sensorTemperature = 35.0;
    double deviceTemperature = 45.0;
    bool fanOn = true;
    bool tecOn = true;
    // Faults
    bool failOpen = false;
    bool failAlloc = false;
    bool failAnnounce = false;
    bool failStart = false;
    bool payloadZero = false;
    bool waitTimeout = false;
    bool ffcFails = false;
    uint32_t disconnectAfterMs = 0;  // 0: never
    uint32_t ffcPhaseMs = 500;
    uint32_t userSetWords = 0;  // words of the user-set block; 0: as many as it needs
};

struct LibraryConfig {
    bool initFails = false;
    bool zeroCameras = false;
    std::vector<CameraConfig> cameras;
    std::vector<std::string> warnings;  // lines that were not understood
};

// Reads the simulator configuration: an INI-like text with an optional
// [global] section and one [camera] section per camera.
class SimConfig {
public:
    // A camera with the defaults and its own serial, image size not yet
    // taken from the sensor.
    static CameraConfig defaultCamera(int index);
    static LibraryConfig defaults();
    static LibraryConfig parse(const std::string& text);
    // The file named by ZTCAM_SIM_CONFIG, else configDir/ZTCamSim.conf, else
    // the defaults (two cameras).
    static LibraryConfig load(const std::string& configDir);
    // Applies one fault key; false for an unknown key.
    static bool setCameraFault(CameraConfig& camera, const std::string& key, bool value);
};

} // namespace ztcam
