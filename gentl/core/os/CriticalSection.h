#pragma once
#include <cstdint>

namespace GenTLCore {

// Re-entrant lock over a tagged operating-system record. A lock whose record
// could not be made holds a null pointer; entering and leaving it then do
// nothing.
class CriticalSection {
public:
    struct EmptyTag {};

    // Makes a plain lock (Init); the pointer stays null when that fails.
    CriticalSection();
    // Makes a wrapper without a record, for owners that make it themselves:
    // CriticalSection lock{CriticalSection::EmptyTag{}}.
    explicit CriticalSection(EmptyTag);
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    // Allocate the record (plain lock / lock of a wait signal); 0 or
    // OS_ERR_NO_MEMORY. A record already held is destroyed first.
    int32_t Init();
    int32_t InitForSignal();
    void Enter();
    void Leave();
    // Frees the record; harmless when there is none.
    void Destroy();

    bool IsValid() const { return m_record != nullptr; }
    // The record's payload, for the condition wait.
    void* Record() const { return m_record; }

private:
    int32_t Make(int32_t kind);

    void* m_record = nullptr;
};

}  // namespace GenTLCore
