#include "GenTLEvent.h"

#include "ModuleIds.h"

namespace GenTLCore {

GenTLEvent::~GenTLEvent() = default;

std::string& GenTLEvent::GetID(std::string& id)
{
    id = MakeEventId(GetEventType());
    return id;
}

}  // namespace GenTLCore
