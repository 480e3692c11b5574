#pragma once
#include "GenTLDataStreamPEX.h"

namespace GenTLCore {
namespace CoaXPress {

// The data stream of a CoaXPress device.
class GenTLDataStreamCXP : public PEXCore::GenTLDataStreamPEX {
public:
    explicit GenTLDataStreamCXP(const CountedPtr<PEXCore::StreamTagPEX>& tag);
    ~GenTLDataStreamCXP() override;
};

// The stream of a device's stream tag.
CountedPtr<GenTLDataStream> MakeDataStreamCXP(const CountedPtr<PEXCore::StreamTagPEX>& tag);

}  // namespace CoaXPress
}  // namespace GenTLCore
