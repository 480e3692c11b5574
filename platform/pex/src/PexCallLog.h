#pragma once
#include "platform/pex/Pex.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <string>

namespace platform::pex {

// Process-wide record of the library calls, in call order, for tests. Off
// until a test turns it on; keeps the latest kLimit entries.
class PexCallLog {
public:
    static constexpr size_t kLimit = 65536;

    struct Entry {
        const char* name;
        PEX_ID context;
        PEX_INT code;
        PEX_INT value;
    };

    static PexCallLog& instance();

    void setEnabled(bool on) { m_enabled.store(on); }
    void add(const char* name, PEX_ID context, PEX_INT code, PEX_INT value);
    size_t count() const;
    size_t countOf(const std::string& name) const;
    bool entry(size_t index, Entry* out) const;
    void clear();

private:
    std::atomic<bool> m_enabled{false};
    mutable std::mutex m_mutex;
    std::deque<Entry> m_entries;
};

}  // namespace platform::pex
