#include "GenTLDataStreamCXP.h"

namespace GenTLCore {
namespace CoaXPress {

GenTLDataStreamCXP::GenTLDataStreamCXP(const CountedPtr<PEXCore::StreamTagPEX>& tag) : GenTLDataStreamPEX(tag) {}

GenTLDataStreamCXP::~GenTLDataStreamCXP()
{
    // The acquisition thread makes virtual calls on this object: it is
    // joined (also after an implicit stop) before any destructor changes
    // the object's type. A stream its device detached has no thread left.
    DetachFromDigitizer();
}

CountedPtr<GenTLDataStream> MakeDataStreamCXP(const CountedPtr<PEXCore::StreamTagPEX>& tag)
{
    return CountedPtr<GenTLDataStream>(new GenTLDataStreamCXP(tag));
}

}  // namespace CoaXPress
}  // namespace GenTLCore
