#pragma once
#include "CriticalSection.h"
#include "LastErrorRecord.h"
#include "StaticInitializationHelper.h"

#include <atomic>
#include <pthread.h>
#include <set>

namespace GenTLCore {

// The store of the per-thread last errors: one record per thread that has
// stored an error, reached through a thread-specific key, and the set of all
// records so that they can be reset together and freed at unload. A thread's
// record is freed when the thread ends (unless the producer is being
// unloaded then: the record is freed at unload). One lock guards the key's
// use, the set and every record.
class TLSControl : public StaticInitializationHelper {
public:
    TLSControl();
    // Deletes the key first, so that no thread-exit work runs afterwards,
    // then frees every record.
    ~TLSControl() override;
    // Deletes the key and frees nothing: no thread that ends from now on
    // runs the thread-exit work, whose code may be unmapped by then, and
    // the store keeps no record from then on. For an unload at the end of
    // the process; the store itself is left to the operating system.
    void DeleteKey();

    // Sets the process-wide shut-down flag: nothing is stored, logged or
    // read from here on.
    void Shutdown() override;

    bool IsValid() const { return m_valid; }
    // Stores {code, text} as the calling thread's record.
    bool SetLastError(int32_t code, const std::string& text);
    // Copies the calling thread's record, or {0, "No Error"} when it has none.
    bool GetLastError(LastErrorRecord* out);
    // Sets every record to {0, "No Error"}.
    void ResetAll();
    // Frees the calling thread's record.
    void ReleaseThreadRecord();
    // Number of records held, for diagnostics.
    size_t RecordCount();

private:
    // The key's destructor: frees the record of a thread that ends.
    static void ThreadExit(void* record);
    void FreeRecord(LastErrorRecord* record);

    pthread_key_t m_key{};
    // The key exists; read without the lock by IsValid.
    std::atomic<bool> m_valid{false};
    std::set<LastErrorRecord*> m_records;
    CriticalSection m_lock;
};

}  // namespace GenTLCore
