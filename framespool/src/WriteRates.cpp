#include "WriteRates.h"

#include <map>
#include <mutex>

namespace {

std::mutex g_lock;
std::map<uint64_t, WriteRates::Rates>& table()
{
    static auto* rates = new std::map<uint64_t, WriteRates::Rates>;
    return *rates;
}

}  // namespace

WriteRates::Rates WriteRates::Of(uint64_t device)
{
    std::lock_guard<std::mutex> guard(g_lock);
    const auto found = table().find(device);
    return found == table().end() ? Rates() : found->second;
}

void WriteRates::NoteCached(uint64_t device, double rate)
{
    std::lock_guard<std::mutex> guard(g_lock);
    table()[device].cached = rate;
}

void WriteRates::NoteDirect(uint64_t device, double rate)
{
    std::lock_guard<std::mutex> guard(g_lock);
    table()[device].direct = rate;
}

void WriteRates::RefuseDirect(uint64_t device)
{
    std::lock_guard<std::mutex> guard(g_lock);
    table()[device].directRefused = true;
}
