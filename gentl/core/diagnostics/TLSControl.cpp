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
    DeleteKey();
    ScopedLock lock(m_lock);
    for (LastErrorRecord* record : m_records)
        delete record;
    m_records.clear();
}

void TLSControl::DeleteKey()
{
    // Under the lock, which every use of the key takes and in which it
    // checks m_valid: no thread uses the key once it is deleted, so a key
    // that the system hands out again later is never taken for this one.
    ScopedLock lock(m_lock);
    if (m_valid.exchange(false))
        pthread_key_delete(m_key);
}

void TLSControl::Shutdown() { ShutDownLastErrorStore(); }

void TLSControl::ThreadExit(void* record)
{
    // The ending thread may race an unload that deletes the store: this is
    // work inside the producer like a call, which the unload waits for. From
    // the unload on the gate refuses it for good, and the record stays in the
    // store, which the unload frees.
    CallGate::Pass pass(CallGate::kAlsoWhileClosing);
    if (!pass.Entered())
        return;
    if (TLSControl* control = GetTLSControl())
        control->FreeRecord(static_cast<LastErrorRecord*>(record));
}

void TLSControl::FreeRecord(LastErrorRecord* record)
{
    ScopedLock lock(m_lock);
    if (m_records.erase(record) != 0)
        delete record;
}

bool TLSControl::SetLastError(int32_t code, const std::string& text)
{
    ScopedLock lock(m_lock);
    if (!m_valid)
        return false;
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
    if (!out)
        return false;
    ScopedLock lock(m_lock);
    if (!m_valid)
        return false;
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
    ScopedLock lock(m_lock);
    if (!m_valid)
        return;
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
