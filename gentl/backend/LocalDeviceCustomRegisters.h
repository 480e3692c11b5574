#pragma once
#include "GenTLRegisterMap.h"

#include <platform/pex/Pex.h>

#include <cstdint>

namespace GenTLCore {
namespace CoaXPress {

// The CoaXPress device's own registers: image format and acquisition at
// 0x50002000, white balance at 0x50001000. Every value lives in the
// digitizer except the three balance ratios (red, green, blue floats), kept
// here with the library buffer that carries them to the digitizer. The
// device calls these under its module lock with its current digitizer.
class LocalDeviceCustomRegisters {
public:
    enum Address : uint32_t {
        BALANCE_RATIO_ALL = 0x50001000,
        BALANCE_RATIO_RED = 0x50001004,
        BALANCE_RATIO_GREEN = 0x50001008,
        BALANCE_RATIO_BLUE = 0x5000100C,
        BALANCE_WHITE_AUTO = 0x50001010,
        ABSOLUTE_WIDTH_MAX = 0x50002000,
        ABSOLUTE_HEIGHT_MAX = 0x50002004,
        WIDTH_MAX = 0x50002008,
        HEIGHT_MAX = 0x5000200C,
        WIDTH = 0x50002010,
        HEIGHT = 0x50002014,
        OFFSET_X_MAX = 0x50002018,
        OFFSET_Y_MAX = 0x5000201C,
        OFFSET_X = 0x50002020,
        OFFSET_Y = 0x50002024,
        DECIMATION_HORIZONTAL = 0x50002028,
        DECIMATION_VERTICAL = 0x5000202C,
        REVERSE_X = 0x50002030,
        REVERSE_Y = 0x50002034,
        BAYER_CONVERSION_AUTO = 0x50002038,
        PIXEL_FORMAT = 0x5000203C,
        PIXEL_SIZE = 0x50002040,
        PIXEL_COLOR_FILTER = 0x50002044,
        ACQUISITION_STARTED = 0x50002FFC,
    };

    // Allocates the white-balance buffer on the board's system and stores
    // the ratios (1.0 each) in it.
    explicit LocalDeviceCustomRegisters(PEX_ID system);
    ~LocalDeviceCustomRegisters();
    LocalDeviceCustomRegisters(const LocalDeviceCustomRegisters&) = delete;
    LocalDeviceCustomRegisters& operator=(const LocalDeviceCustomRegisters&) = delete;

    // Adds the 24 registers (id = address).
    static void AddTo(GenTLRegisterMap& map);

    int32_t ReadInt32(PEX_ID digitizer, uint32_t id, int32_t* value);
    int32_t ReadUInt32(PEX_ID digitizer, uint32_t id, uint32_t* value);
    int32_t WriteInt32(PEX_ID digitizer, uint32_t id, int32_t value);
    int32_t WriteUInt32(PEX_ID digitizer, uint32_t id, uint32_t value);
    static int32_t ReadUInt64(uint32_t id, uint64_t* value);
    static int32_t WriteUInt64(uint32_t id, uint64_t value);

    // The delivered pixel format (PFNC) and its bits per pixel.
    uint32_t GetPixelFormat(PEX_ID digitizer) const;
    int32_t GetPixelSize(PEX_ID digitizer) const;
    // Hands the ratios to the digitizer's colour conversion when it is on.
    void ApplyBalanceRatios(PEX_ID digitizer) const;
    static bool IsBayerConversionEnabled(PEX_ID digitizer);

    PEX_ID GetWhiteBalanceBuffer() const { return m_whiteBalanceBuffer; }

private:
    int32_t WriteBalanceRatio(PEX_ID digitizer, uint32_t id, uint32_t bits);
    int32_t BalanceWhiteOnce(PEX_ID digitizer);

    const PEX_ID m_system;
    PEX_ID m_whiteBalanceBuffer = 0;
    float m_ratios[3] = {1.0f, 1.0f, 1.0f};
};

}  // namespace CoaXPress
}  // namespace GenTLCore
