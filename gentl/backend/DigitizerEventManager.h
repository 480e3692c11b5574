#pragma once
#include "PexEventManager.h"

namespace GenTLCore {
namespace PEXCore {

// The event-hook manager of one open digitizer.
class DigitizerEventManager : public PexEventManager {
public:
    explicit DigitizerEventManager(PEX_ID digitizer);
};

}  // namespace PEXCore
}  // namespace GenTLCore
