#pragma once
#include "CountedPtr.h"
#include "StreamTag.h"

#include <platform/pex/Pex.h>

#include <cstdint>
#include <string>

namespace GenTLCore {
namespace PEXCore {

// Identity of the data stream of one digitizer: board system, its system
// descriptor, the digitizer, the device number and the stream number.
class StreamTagPEX : public StreamTag {
public:
    StreamTagPEX(PEX_ID system, std::wstring descriptor, PEX_ID digitizer, int64_t deviceNumber, int32_t streamNumber);
    ~StreamTagPEX() override;

    // <descriptor><system number>\Device<device number>
    std::string GetDeviceID() const override;
    // <device id>\Stream<stream number>
    std::string GetStreamID() const override;

    PEX_ID GetSystem() const { return m_system; }
    PEX_ID GetDigitizer() const { return m_digitizer; }

private:
    PEX_ID m_system;
    std::wstring m_descriptor;
    PEX_ID m_digitizer;
    int64_t m_deviceNumber;
    int32_t m_streamNumber;
};

CountedPtr<StreamTagPEX> MakeStreamTagPEX(PEX_ID system, const std::wstring& descriptor, PEX_ID digitizer,
                                          int64_t deviceNumber, int32_t streamNumber);

}  // namespace PEXCore
}  // namespace GenTLCore
