#include "LocalDeviceCustomRegisters.h"

#include "GenTLDataStreamPEX.h"
#include "PexErrorTracker.h"
#include "PexIdRelease.h"
#include "PexLibraryCodes.h"
#include "PexTextInquiry.h"
#include "PixelFormatInfo.h"
#include "Register.h"
#include "ReportError.h"

#include <GenTL.h>

#include <climits>
#include <cmath>
#include <cstring>

namespace GenTLCore {
namespace CoaXPress {

namespace {

using namespace PexCode;
using R = LocalDeviceCustomRegisters;

struct CustomRegister {
    uint32_t address;
    int32_t type;
    int32_t access;
};

// In the order the device adds them. BalanceWhiteAuto is readable (it reads
// Off): GenApi reads the enumeration, and a write-only register failed every
// read of the feature.
const CustomRegister kRegisters[] = {
    {R::BALANCE_RATIO_ALL, REG_TYPE_UINT32, REG_ACCESS_RW},
    {R::BALANCE_RATIO_RED, REG_TYPE_UINT32, REG_ACCESS_RW},
    {R::BALANCE_RATIO_GREEN, REG_TYPE_UINT32, REG_ACCESS_RW},
    {R::BALANCE_RATIO_BLUE, REG_TYPE_UINT32, REG_ACCESS_RW},
    {R::BALANCE_WHITE_AUTO, REG_TYPE_INT32, REG_ACCESS_RW},
    {R::ABSOLUTE_WIDTH_MAX, REG_TYPE_UINT32, REG_ACCESS_RO},
    {R::ABSOLUTE_HEIGHT_MAX, REG_TYPE_UINT32, REG_ACCESS_RO},
    {R::WIDTH_MAX, REG_TYPE_UINT32, REG_ACCESS_RO},
    {R::HEIGHT_MAX, REG_TYPE_UINT32, REG_ACCESS_RO},
    {R::WIDTH, REG_TYPE_UINT32, REG_ACCESS_RW},
    {R::HEIGHT, REG_TYPE_UINT32, REG_ACCESS_RW},
    {R::OFFSET_X_MAX, REG_TYPE_UINT32, REG_ACCESS_RO},
    {R::OFFSET_Y_MAX, REG_TYPE_UINT32, REG_ACCESS_RO},
    {R::OFFSET_X, REG_TYPE_UINT32, REG_ACCESS_RW},
    {R::OFFSET_Y, REG_TYPE_UINT32, REG_ACCESS_RW},
    {R::DECIMATION_HORIZONTAL, REG_TYPE_INT32, REG_ACCESS_RW},
    {R::DECIMATION_VERTICAL, REG_TYPE_INT32, REG_ACCESS_RW},
    {R::REVERSE_X, REG_TYPE_INT32, REG_ACCESS_RW},
    {R::REVERSE_Y, REG_TYPE_INT32, REG_ACCESS_RW},
    {R::BAYER_CONVERSION_AUTO, REG_TYPE_INT32, REG_ACCESS_RW},
    {R::PIXEL_FORMAT, REG_TYPE_UINT32, REG_ACCESS_RO},
    {R::PIXEL_SIZE, REG_TYPE_INT32, REG_ACCESS_RO},
    {R::PIXEL_COLOR_FILTER, REG_TYPE_INT32, REG_ACCESS_RO},
    {R::ACQUISITION_STARTED, REG_TYPE_INT32, REG_ACCESS_RO},
};

int32_t Check() { return PEXCore::PexErrorTracker::CheckThreadError(PEXCore::PexErrorTracker::Instance()); }

PEX_INT Inquire(PEX_ID digitizer, PEX_INT code, PEX_INT preset = 0)
{
    return PEXCore::InquirePexValue(&PexDigInquire, digitizer, code, preset);
}

// The low 32 bits of an inquiry.
uint32_t Inquire32(PEX_ID digitizer, PEX_INT code) { return static_cast<uint32_t>(Inquire(digitizer, code)); }

// The decimation factor of a scale setting (its reciprocal, truncated); a
// scale that is not positive counts as no decimation, and a tiny one is
// capped instead of overflowing the conversion.
int32_t DecimationOf(double scale)
{
    if (!(scale > 0.0))
        return 1;
    const double factor = 1.0 / scale;
    if (!(factor < static_cast<double>(INT32_MAX)))
        return INT32_MAX;
    return static_cast<int32_t>(factor);
}

// PixelColorFilter enumeration (None 0, BayerRG 1, BayerGB 2, BayerGR 3,
// BayerBG 4) of a library colour-filter code.
int32_t ColorFilterValue(uint32_t filter)
{
    switch (filter) {
    case PEXCore::COLOR_FILTER_BAYER_GB: return 2;
    case PEXCore::COLOR_FILTER_BAYER_BG: return 4;
    case PEXCore::COLOR_FILTER_BAYER_RG: return 1;
    case PEXCore::COLOR_FILTER_BAYER_GR: return 3;
    default: return 0;
    }
}

uint32_t FloatBits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

LocalDeviceCustomRegisters::LocalDeviceCustomRegisters(PEX_ID system) : m_system(system)
{
    m_whiteBalanceBuffer = PexBufAlloc1d(m_system, 3, kDataTypeFloat32, kBufArray);
    PexBufPut(m_whiteBalanceBuffer, m_ratios);
}

LocalDeviceCustomRegisters::~LocalDeviceCustomRegisters()
{
    if (PEXCore::IsReleasablePexId(m_whiteBalanceBuffer))
        PexBufFree(m_whiteBalanceBuffer);
}

void LocalDeviceCustomRegisters::AddTo(GenTLRegisterMap& map)
{
    for (const CustomRegister& r : kRegisters) {
        if (r.type == REG_TYPE_INT32)
            map.AddInt32Register(r.address, r.access, r.address);
        else
            map.AddUInt32Register(r.address, r.access, r.address);
    }
}

bool LocalDeviceCustomRegisters::IsBayerConversionEnabled(PEX_ID digitizer)
{
    return Inquire(digitizer, kDigBayerConversion, kDisable) == kEnable;
}

int32_t LocalDeviceCustomRegisters::ReadInt32(PEX_ID digitizer, uint32_t id, int32_t* value)
{
    switch (id) {
    case BALANCE_WHITE_AUTO: *value = 0; break;  // Off: Once clears itself
    case DECIMATION_HORIZONTAL:
    case DECIMATION_VERTICAL: {
        double scale = 1.0;
        PexDigInquire(digitizer, id == DECIMATION_HORIZONTAL ? kDigScaleX : kDigScaleY, &scale);
        *value = DecimationOf(scale);
        break;
    }
    case REVERSE_X:
    case REVERSE_Y:
        *value = Inquire(digitizer, id == REVERSE_X ? kDigReverseX : kDigReverseY) == kReverseOff ? 0 : 1;
        break;
    case BAYER_CONVERSION_AUTO: *value = IsBayerConversionEnabled(digitizer) ? 1 : 0; break;
    case PIXEL_SIZE: *value = GetPixelSize(digitizer); break;
    case PIXEL_COLOR_FILTER:
        *value = ColorFilterValue(PEXCore::PixelFormatInfo(GetPixelFormat(digitizer)).colorFilter);
        break;
    case ACQUISITION_STARTED: *value = Inquire(digitizer, kDigGrabbing) != 0 ? 1 : 0; break;
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the local device custom int32 register to read");
    }
    return Check();
}

int32_t LocalDeviceCustomRegisters::ReadUInt32(PEX_ID digitizer, uint32_t id, uint32_t* value)
{
    switch (id) {
    case BALANCE_RATIO_ALL:
    case BALANCE_RATIO_RED: *value = FloatBits(m_ratios[0]); return GC_ERR_SUCCESS;
    case BALANCE_RATIO_GREEN: *value = FloatBits(m_ratios[1]); return GC_ERR_SUCCESS;
    case BALANCE_RATIO_BLUE: *value = FloatBits(m_ratios[2]); return GC_ERR_SUCCESS;
    case ABSOLUTE_WIDTH_MAX: *value = Inquire32(digitizer, kDigWidth); break;
    case ABSOLUTE_HEIGHT_MAX: *value = Inquire32(digitizer, kDigHeight); break;
    case WIDTH_MAX: *value = Inquire32(digitizer, kDigWidth) - Inquire32(digitizer, kDigRoiOffsetX); break;
    case HEIGHT_MAX: *value = Inquire32(digitizer, kDigHeight) - Inquire32(digitizer, kDigRoiOffsetY); break;
    case WIDTH: *value = Inquire32(digitizer, kDigRoiWidth); break;
    case HEIGHT: *value = Inquire32(digitizer, kDigRoiHeight); break;
    case OFFSET_X_MAX: *value = Inquire32(digitizer, kDigWidth) - Inquire32(digitizer, kDigRoiWidth); break;
    case OFFSET_Y_MAX: *value = Inquire32(digitizer, kDigHeight) - Inquire32(digitizer, kDigRoiHeight); break;
    case OFFSET_X: *value = Inquire32(digitizer, kDigRoiOffsetX); break;
    case OFFSET_Y: *value = Inquire32(digitizer, kDigRoiOffsetY); break;
    case PIXEL_FORMAT: *value = GetPixelFormat(digitizer); break;
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the local device custom uint32 register to read");
    }
    return Check();
}

int32_t LocalDeviceCustomRegisters::WriteInt32(PEX_ID digitizer, uint32_t id, int32_t value)
{
    switch (id) {
    case BALANCE_WHITE_AUTO:
        if (value != 1)
            return GC_ERR_SUCCESS;
        return BalanceWhiteOnce(digitizer);
    case DECIMATION_HORIZONTAL:
    case DECIMATION_VERTICAL:
        // The factor's reciprocal is the digitizer's scale: 0 or a negative
        // factor has none.
        if (value <= 0)
            return ReportError(GC_ERR_INVALID_VALUE, "WriteRegister: the decimation must be at least 1");
        PexDigControlDouble(digitizer, id == DECIMATION_HORIZONTAL ? kDigScaleX : kDigScaleY, 1.0 / value);
        break;
    case REVERSE_X:
    case REVERSE_Y:
        PexDigControl(digitizer, id == REVERSE_X ? kDigReverseX : kDigReverseY, value != 0 ? kReverseOn : kReverseOff);
        break;
    case BAYER_CONVERSION_AUTO: PexDigControl(digitizer, kDigBayerConversion, value == 1 ? kEnable : kDisable); break;
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the local device custom int32 register to write");
    }
    return Check();
}

int32_t LocalDeviceCustomRegisters::WriteUInt32(PEX_ID digitizer, uint32_t id, uint32_t value)
{
    switch (id) {
    case BALANCE_RATIO_ALL:
    case BALANCE_RATIO_RED:
    case BALANCE_RATIO_GREEN:
    case BALANCE_RATIO_BLUE: return WriteBalanceRatio(digitizer, id, value);
    case WIDTH: PexDigControl(digitizer, kDigRoiWidth, value); break;
    case HEIGHT: PexDigControl(digitizer, kDigRoiHeight, value); break;
    case OFFSET_X: PexDigControl(digitizer, kDigRoiOffsetX, value); break;
    case OFFSET_Y: PexDigControl(digitizer, kDigRoiOffsetY, value); break;
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the local device custom uint32 register to write");
    }
    return Check();
}

int32_t LocalDeviceCustomRegisters::ReadUInt64(uint32_t, uint64_t*)
{
    return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the local device custom uint64 register to read");
}

int32_t LocalDeviceCustomRegisters::WriteUInt64(uint32_t, uint64_t)
{
    return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the local device custom uint64 register to write");
}

int32_t LocalDeviceCustomRegisters::WriteBalanceRatio(PEX_ID digitizer, uint32_t id, uint32_t bits)
{
    float ratio = 0.0f;
    std::memcpy(&ratio, &bits, sizeof ratio);
    if (id == BALANCE_RATIO_ALL)
        m_ratios[0] = m_ratios[1] = m_ratios[2] = ratio;
    else
        m_ratios[(id - BALANCE_RATIO_RED) / 4] = ratio;
    PexBufPut(m_whiteBalanceBuffer, m_ratios);
    ApplyBalanceRatios(digitizer);
    return Check();
}

void LocalDeviceCustomRegisters::ApplyBalanceRatios(PEX_ID digitizer) const
{
    if (IsBayerConversionEnabled(digitizer))
        PexDigControl(digitizer, kDigBayerCoefficients, static_cast<PEX_INT>(m_whiteBalanceBuffer));
}

int32_t LocalDeviceCustomRegisters::BalanceWhiteOnce(PEX_ID digitizer)
{
    if (!IsBayerConversionEnabled(digitizer))
        return GC_ERR_SUCCESS;
    PexDigControl(digitizer, kDigWhiteBalanceOnce, kWhiteBalanceCompute);
    const PEX_ID coefficients = static_cast<PEX_ID>(Inquire(digitizer, kDigBayerCoefficients));
    PexBufGet(coefficients, m_ratios);
    return Check();
}

uint32_t LocalDeviceCustomRegisters::GetPixelFormat(PEX_ID digitizer) const
{
    const PEX_INT bayer = Inquire(digitizer, kDigBayerConversion, kDisable);
    const uint32_t camera = static_cast<uint32_t>(Inquire(digitizer, kDigCameraPixelFormat));
    if (PEXCore::PixelFormatInfo(camera).colorFilter != PEXCore::COLOR_FILTER_NONE && bayer == kDisable)
        return camera;
    const PEX_INT bands = Inquire(digitizer, kDigBands);
    const PEX_INT type = Inquire(digitizer, kDigDataType);
    if (bands != 3) {
        switch (Inquire(digitizer, kDigBitDepth)) {
        case 10: return 0x01100003;  // Mono10
        case 12: return 0x01100005;  // Mono12
        case 14: return 0x01100025;  // Mono14
        default: break;
        }
    }
    // A line of an image buffer of the digitizer's bands and type tells
    // the format the library would deliver.
    constexpr PEX_INT kProbeWidth = 512;
    const PEX_ID probe = PexBufAllocColor(m_system, bands, kProbeWidth, 1, type,
                                          PEXCore::GenTLDataStreamPEX::ColourAttribute(bands, type), nullptr);
    PEX_INT code = 0;
    PexBufInquire(probe, kBufPixelFormat, &code);
    if (PEXCore::IsReleasablePexId(probe))
        PexBufFree(probe);
    return static_cast<uint32_t>(code);
}

int32_t LocalDeviceCustomRegisters::GetPixelSize(PEX_ID digitizer) const
{
    const uint32_t code = GetPixelFormat(digitizer);
    switch (code) {
    case 0x010A00CA:  // R10
    case 0x010C00CB:  // R12
    case 0x010A00CE:  // G10
    case 0x010C00CF:  // G12
    case 0x010A00D2:  // B10
    case 0x010C00D3:  // B12
        return 16;
    default: return static_cast<int32_t>((code >> 16) & 0xFF);
    }
}

}  // namespace CoaXPress
}  // namespace GenTLCore
