#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::pex {

// One simulated camera behind a digitizer of a board.
struct PexCameraConfig {
    int64_t device = 0;  // digitizer (device) number on its board
    std::string vendor = "Corvane Imaging";
    std::string model = "CVN-CXP-Sim";
    std::string manufacturerInfo = "Simulated CoaXPress camera";
    std::string version = "1.0.0";
    std::string serial;  // empty: "SIM<board><device>"
    std::string userId;
    uint32_t sensorWidth = 2048;
    uint32_t sensorHeight = 2048;
    uint32_t width = 640;
    uint32_t height = 480;
    std::string pixelFormat = "Mono8";
    double frameRate = 100.0;  // frames per second within the camera's range; 0 runs free
    int exposureTimer = 0;     // timer 1..4 that runs around each exposure; 0 none
    int64_t ioPeriodMs = 0;    // a rising edge on ioPin this often; 0 never
    int64_t ioPin = 0x501;
    // Faults.
    bool failDigAlloc = false;
    std::vector<int64_t> failControls;  // digitizer controls that raise
    bool silentAbort = false;           // cancelled grabs are never reported
};

struct PexBoardConfig {
    std::string serial;  // empty: "CVNB<global board index>"
    bool hasValue = false;
    int64_t value = 0;  // answer to system inquiry 2155 when hasValue
    bool refuseDiscovery = false;
    bool failSysAlloc = false;
    std::vector<PexCameraConfig> cameras;
};

struct PexSystemConfig {
    int64_t type = 14;
    std::string name = "TarsilCXP";
    std::vector<PexBoardConfig> boards;
};

// What an installation may hold; a configuration beyond it is refused.
struct PexSimLimits {
    static constexpr int64_t kSystems = 16;
    static constexpr int64_t kBoardsPerSystem = 16;
    static constexpr int64_t kCamerasPerBoard = 16;
    static constexpr int64_t kDeviceNumberMax = 255;
    static constexpr size_t kNameLength = 64;  // system name, board serial
    static constexpr uint32_t kSensorSizeMax = 16384;
    static constexpr int64_t kIoPeriodMsMax = 3600000;
    static constexpr size_t kFileSize = size_t(16) << 20;
};

// The simulated installation: systems, their boards and the cameras on them.
struct PexSimConfig {
    std::vector<PexSystemConfig> systems;
    // Fault: size forms of texts leave out the terminating NUL.
    bool sizesWithoutNul = false;
    std::vector<std::string> warnings;  // lines that were not understood
    // Why the configuration is refused, as "line <n>, <key>: <reason>."
    // with the setting's key or the section header (load() puts
    // "PEX_SIM_CONFIG <file>, " before it, or refuses a file too large with
    // "PEX_SIM_CONFIG <file>: the file is larger than <size> bytes.");
    // empty when it is taken. A refused configuration installs no system.
    std::string refusal;

    // One system of type 14 "TarsilCXP" with one board and two cameras.
    static PexSimConfig defaults();
    static PexCameraConfig defaultCamera(int64_t device);
    // Reads the INI-like text described in platform/pex/README.md.
    static PexSimConfig parse(const std::string& text);
    // The file named by PEX_SIM_CONFIG, else the defaults. A refusal names
    // the file.
    static PexSimConfig load();
};

}  // namespace platform::pex
