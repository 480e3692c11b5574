#include "DigitizerEventManager.h"

namespace GenTLCore {
namespace PEXCore {

DigitizerEventManager::DigitizerEventManager(PEX_ID digitizer) : PexEventManager(digitizer, &PexDigHookFunction) {}

}  // namespace PEXCore
}  // namespace GenTLCore
