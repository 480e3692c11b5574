#include "PexEventManager.h"

namespace GenTLCore {
namespace PEXCore {

PexEventManager::PexEventManager(PEX_ID object, HookOperation hook) : m_object(object), m_hook(hook) {}

PexEventManager::~PexEventManager()
{
    // The owner destroys the manager only when no registration can run.
    m_records.clear();
}

void PexEventManager::RemoveEvent(uint32_t id)
{
    ScopedLock lock(m_lock);
    auto it = m_records.find(id);
    if (it != m_records.end())
        m_records.erase(it);
}

}  // namespace PEXCore
}  // namespace GenTLCore
