#pragma once
#include "platform/pex/Pex.h"

#include <mutex>
#include <string>
#include <vector>

namespace platform::pex {

// Process-wide record of the library calls, in call order, for tests.
class PexCallLog {
public:
    struct Entry {
        const char* name;
        PEX_ID context;
        PEX_INT code;
        PEX_INT value;
    };

    static PexCallLog& instance();

    void add(const char* name, PEX_ID context, PEX_INT code, PEX_INT value);
    size_t count() const;
    size_t countOf(const std::string& name) const;
    bool entry(size_t index, Entry* out) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

}  // namespace platform::pex
