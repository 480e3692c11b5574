#pragma once

#include <cstdint>
#include <string>

namespace platform::pex {

// Register addresses of the simulated camera and its GenApi description.
struct PexCameraRegisters {
    static constexpr uint64_t kStandard = 0x0;
    static constexpr uint64_t kRevision = 0x4;
    static constexpr uint64_t kManifestSize = 0x8;
    static constexpr uint64_t kManifestSelector = 0xC;
    static constexpr uint64_t kXmlVersion = 0x10;
    static constexpr uint64_t kXmlSchemaVersion = 0x14;
    static constexpr uint64_t kUrlAddress = 0x18;
    static constexpr uint64_t kUrlText = 0x1000;
    static constexpr uint32_t kUrlTextLength = 0x100;
    static constexpr uint64_t kVendorName = 0x2000;
    static constexpr uint64_t kModelName = 0x2020;
    static constexpr uint64_t kManufacturerInfo = 0x2040;
    static constexpr uint64_t kDeviceVersion = 0x2070;
    static constexpr uint64_t kSerialNumber = 0x20B0;
    static constexpr uint64_t kUserId = 0x20C0;
    // Byte lengths of the text registers above.
    static constexpr uint32_t kVendorNameLength = 32;
    static constexpr uint32_t kModelNameLength = 32;
    static constexpr uint32_t kManufacturerInfoLength = 48;
    static constexpr uint32_t kDeviceVersionLength = 32;
    static constexpr uint32_t kSerialNumberLength = 16;
    static constexpr uint32_t kUserIdLength = 16;
    static constexpr uint64_t kSensorWidth = 0x3000;
    static constexpr uint64_t kSensorHeight = 0x3004;
    static constexpr uint64_t kWidthMax = 0x3008;
    static constexpr uint64_t kHeightMax = 0x300C;
    static constexpr uint64_t kWidth = 0x3010;
    static constexpr uint64_t kHeight = 0x3014;
    static constexpr uint64_t kOffsetX = 0x3018;
    static constexpr uint64_t kOffsetY = 0x301C;
    static constexpr uint64_t kPixelFormat = 0x3020;
    static constexpr uint64_t kPixelSize = 0x3024;
    static constexpr uint64_t kAcquisitionMode = 0x3030;
    static constexpr uint64_t kAcquisitionFrameCount = 0x3034;
    static constexpr uint64_t kAcquisitionStart = 0x3038;
    static constexpr uint64_t kAcquisitionStop = 0x303C;
    static constexpr uint64_t kAcquisitionFrameRate = 0x3040;  // 8-byte double
    static constexpr uint64_t kExposureTime = 0x3048;          // 8-byte double, microseconds
    static constexpr uint64_t kPayloadSize = 0x3050;
    static constexpr uint64_t kTLParamsLocked = 0x3054;
    static constexpr uint64_t kXml = 0x100000;
};

// Ranges of the float features: the description declares them and the
// camera refuses every other value, NaN and infinities included.
struct PexCameraRanges {
    static constexpr double kFrameRateMin = 0.01;  // frames per second
    static constexpr double kFrameRateMax = 10000.0;
    static constexpr double kExposureMin = 1.0;  // microseconds
    static constexpr double kExposureMax = 10000000.0;

    static bool frameRateAllowed(double hz) { return hz >= kFrameRateMin && hz <= kFrameRateMax; }
    static bool exposureAllowed(double us) { return us >= kExposureMin && us <= kExposureMax; }
};

// The camera's GenApi description (schema 1.1, port "Device").
class PexCameraDescription {
public:
    // vendor and model are made into GenApi names (letters, digits, '_').
    static std::string text(const std::string& vendor, const std::string& model);
};

}  // namespace platform::pex
