#include "PexCallLog.h"

namespace platform::pex {

PexCallLog& PexCallLog::instance()
{
    // Never destroyed (see PexLibrary::instance).
    static PexCallLog* const log = new PexCallLog;
    return *log;
}

void PexCallLog::add(const char* name, PEX_ID context, PEX_INT code, PEX_INT value)
{
    if (!m_enabled.load(std::memory_order_relaxed))
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_entries.size() == kLimit)
        m_entries.pop_front();
    m_entries.push_back(Entry{name, context, code, value});
}

size_t PexCallLog::count() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries.size();
}

size_t PexCallLog::countOf(const std::string& name) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t n = 0;
    for (const Entry& e : m_entries)
        if (name == e.name)
            ++n;
    return n;
}

bool PexCallLog::entry(size_t index, Entry* out) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index >= m_entries.size())
        return false;
    if (out)
        *out = m_entries[index];
    return true;
}

void PexCallLog::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
}

}  // namespace platform::pex
