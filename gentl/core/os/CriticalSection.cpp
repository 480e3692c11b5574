#include "CriticalSection.h"

#include "OsResult.h"
#include "TaggedRecord.h"

#include <mutex>
#include <new>

namespace GenTLCore {

namespace {
std::recursive_mutex* mutexOf(void* record) { return static_cast<std::recursive_mutex*>(record); }
}  // namespace

CriticalSection::CriticalSection() { Init(); }

CriticalSection::CriticalSection(EmptyTag) {}

CriticalSection::~CriticalSection() { Destroy(); }

int32_t CriticalSection::Make(int32_t kind)
{
    Destroy();
    void* record = TaggedRecord::Allocate(kind, sizeof(std::recursive_mutex));
    if (!record)
        return OS_ERR_NO_MEMORY;
    new (record) std::recursive_mutex();
    m_record = record;
    return OS_OK;
}

int32_t CriticalSection::Init() { return Make(TaggedRecord::KIND_LOCK); }

int32_t CriticalSection::InitForSignal() { return Make(TaggedRecord::KIND_SIGNAL_LOCK); }

void CriticalSection::Enter()
{
    if (m_record)
        mutexOf(m_record)->lock();
}

void CriticalSection::Leave()
{
    if (m_record)
        mutexOf(m_record)->unlock();
}

void CriticalSection::Destroy()
{
    if (!m_record)
        return;
    mutexOf(m_record)->~recursive_mutex();
    TaggedRecord::Free(m_record);
    m_record = nullptr;
}

}  // namespace GenTLCore
