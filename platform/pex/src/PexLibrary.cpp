#include "PexLibrary.h"

#include "PexText.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace platform::pex {

PexLibrary& PexLibrary::instance()
{
    // Never destroyed: while the process exits, worker threads may still be
    // grabbing and a user's unload may still free its objects, so the state
    // lives until the process ends and its threads end with it.
    static PexLibrary* const library = new PexLibrary;
    return *library;
}

PEX_ID PexLibrary::newId()
{
    static std::atomic<PEX_ID> next{0x1000};
    for (;;) {
        const PEX_ID id = next.fetch_add(1);
        if (id != 0 && id != PEX_ID(PEX_DEFAULT) && !(id & 0x800000))
            return id;
        if (id & 0x800000) {
            // Skip the whole block with the bit set.
            PEX_ID expected = id + 1;
            next.compare_exchange_strong(expected, (id | 0x7FFFFF) + 1);
        }
    }
}

double PexLibrary::now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void PexLibrary::writeValue(void* out, PEX_INT value)
{
    if (out)
        std::memcpy(out, &value, sizeof value);
}

void PexLibrary::ensureConfigured()
{
    if (m_configured)
        return;
    configure(PexSimConfig::load());
    if (!refusal.empty())
        std::fprintf(stderr, "%s\n", refusal.c_str());
}

bool PexLibrary::configure(const PexSimConfig& config)
{
    if (!systems.empty() || !digitizers.empty() || !buffers.empty() || !threads.empty())
        return false;
    installed.clear();
    boards.clear();
    refusal = config.refusal;
    PexText::setSizesWithoutNul(config.sizesWithoutNul);
    std::map<int64_t, int64_t> perType;
    for (const PexSystemConfig& s : config.systems) {
        PexInstalledSystem sys;
        sys.type = s.type;
        sys.name = s.name;
        for (const PexBoardConfig& b : s.boards) {
            auto board = std::make_unique<PexBoard>();
            board->type = s.type;
            board->systemName = s.name;
            board->number = perType[s.type]++;
            board->config = b;
            board->serial = b.serial.empty() ? "CVNB" + std::to_string(boards.size()) : b.serial;
            for (const PexCameraConfig& c : b.cameras) {
                const std::string serial = c.serial.empty()
                                               ? "SIM" + std::to_string(boards.size()) + std::to_string(c.device)
                                               : c.serial;
                board->cameras.push_back(std::make_unique<PexCamera>(c, serial));
                board->owners.push_back(0);
            }
            sys.boards.push_back(board.get());
            boards.push_back(std::move(board));
        }
        installed.push_back(std::move(sys));
    }
    m_configured = true;
    return true;
}

}  // namespace platform::pex
