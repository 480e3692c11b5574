#pragma once
#include "platform/pex/Pex.h"

#include "PexBuffer.h"
#include "PexDigitizer.h"
#include "PexSimConfig.h"
#include "PexSystem.h"
#include "PexThread.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace platform::pex {

// An installed system as the application inquiries report it.
struct PexInstalledSystem {
    int64_t type = 0;
    std::string name;
    std::vector<PexBoard*> boards;
};

// The state of the simulated library. One lock guards all of it; no
// callback runs under it. It lives until the process ends.
class PexLibrary {
public:
    static PexLibrary& instance();
    // A new id: never 0 nor the default value, bit 0x800000 clear.
    static PEX_ID newId();
    // Monotonic seconds, the clock of PexAppTimer and hook info 64.
    static double now();
    // An inquiry's 64-bit answer into out, when out is not null.
    static void writeValue(void* out, PEX_INT value);

    std::mutex mutex;
    std::condition_variable changed;  // notified on every change a waiter may need

    // Loads the configuration at first use (lock held).
    void ensureConfigured();
    // Replaces the installation; false while any object is allocated.
    bool configure(const PexSimConfig& config);

    std::vector<PexInstalledSystem> installed;
    // Why the configuration was refused (no system is installed then);
    // empty when it was taken.
    std::string refusal;
    std::vector<std::unique_ptr<PexBoard>> boards;
    std::map<PEX_ID, std::unique_ptr<PexSystem>> systems;
    std::map<PEX_ID, std::unique_ptr<PexDigitizer>> digitizers;
    std::map<PEX_ID, std::unique_ptr<PexBuffer>> buffers;
    std::map<PEX_ID, std::unique_ptr<PexThread>> threads;
    std::set<PEX_ID> autoFreed;  // ids freed with their system

    template <typename T>
    static T* find(std::map<PEX_ID, std::unique_ptr<T>>& table, PEX_ID id)
    {
        auto it = table.find(id);
        return it == table.end() ? nullptr : it->second.get();
    }

private:
    bool m_configured = false;
};

}  // namespace platform::pex
