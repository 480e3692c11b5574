#include "TLSControl.h"

#include "CallGate.h"
#include "LastGenTLError.h"
#include "ScopedLock.h"

#include <new>

namespace GenTLCore {

TLSControl::TLSControl()
{
    m_valid = pthread_key_create(&m_key, &TLSControl::ThreadExit) == 0;
}

TLSControl::~TLSControl()
{
    if (!m_valid)
        return;
    pthread_key_delete(m_key);
    m_valid = false;
    ScopedLock lock(m_lock);
    for (LastErrorRecord* record : m_records)
        delete record;
    m_records.clear();
}

void TLSControl::Shutdown() { ShutDownLastErrorStore(); }

void TLSControl::ThreadExit(void* record)
{
    // The ending thread may race an unload that deletes the store: this is
    // work inside the producer like a call, which the unload waits for. While
    // the gate is shut the record stays in the store, which frees it.
    CallGate::Pass pass;
    if (!pass.Entered())
        return;
    // The system has already cleared the slot; put the record back so that
    // the ordinary release finds, frees and clears it.
    TLSControl* control = GetTLSControl();
    if (!control || !control->m_valid || !record)
        return;
    pthread_setspecific(control->m_key, record);
    ReleaseThreadLastError();
}

bool TLSControl::SetLastError(int32_t code, const std::string& text)
{
    if (!m_valid)
        return false;
    ScopedLock lock(m_lock);
    try {
        LastErrorRecord* record = static_cast<LastErrorRecord*>(pthread_getspecific(m_key));
        if (!record) {
            record = new LastErrorRecord();
            if (pthread_setspecific(m_key, record) != 0) {
                delete record;
                return false;
            }
            try {
                m_records.insert(record);
            } catch (...) {
                pthread_setspecific(m_key, nullptr);
                delete record;
                throw;
            }
        }
        record->code = code;
        record->text = text;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool TLSControl::GetLastError(LastErrorRecord* out)
{
    if (!m_valid || !out)
        return false;
    ScopedLock lock(m_lock);
    const LastErrorRecord* record = static_cast<LastErrorRecord*>(pthread_getspecific(m_key));
    try {
        *out = record ? *record : LastErrorRecord();
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void TLSControl::ResetAll()
{
    ScopedLock lock(m_lock);
    for (LastErrorRecord* record : m_records) {
        record->code = 0;
        record->text = "No Error";
    }
}

void TLSControl::ReleaseThreadRecord()
{
    if (!m_valid)
        return;
    ScopedLock lock(m_lock);
    LastErrorRecord* record = static_cast<LastErrorRecord*>(pthread_getspecific(m_key));
    if (!record)
        return;
    m_records.erase(record);
    pthread_setspecific(m_key, nullptr);
    delete record;
}

size_t TLSControl::RecordCount()
{
    ScopedLock lock(m_lock);
    return m_records.size();
}

}  // namespace GenTLCore
