#include "StreamTagPEX.h"

#include "CPEXString.h"
#include "PexLibraryCodes.h"

namespace GenTLCore {
namespace PEXCore {

StreamTagPEX::StreamTagPEX(PEX_ID system, std::wstring descriptor, PEX_ID digitizer, int64_t deviceNumber,
                           int32_t streamNumber)
    : m_system(system), m_descriptor(std::move(descriptor)), m_digitizer(digitizer), m_deviceNumber(deviceNumber),
      m_streamNumber(streamNumber)
{
}

StreamTagPEX::~StreamTagPEX() = default;

std::string StreamTagPEX::GetDeviceID() const
{
    PEX_INT systemNumber = 0;
    PexSysInquire(m_system, PexCode::kSysNumber, &systemNumber);
    return WideToUtf8(m_descriptor) + std::to_string(systemNumber) + "\\Device" + std::to_string(m_deviceNumber);
}

std::string StreamTagPEX::GetStreamID() const { return GetDeviceID() + "\\Stream" + std::to_string(m_streamNumber); }

CountedPtr<StreamTagPEX> MakeStreamTagPEX(PEX_ID system, const std::wstring& descriptor, PEX_ID digitizer,
                                          int64_t deviceNumber, int32_t streamNumber)
{
    return CountedPtr<StreamTagPEX>(new StreamTagPEX(system, descriptor, digitizer, deviceNumber, streamNumber));
}

}  // namespace PEXCore
}  // namespace GenTLCore
