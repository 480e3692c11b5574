#pragma once
#include "platform/pex/Pex.h"

#include "PexCamera.h"
#include "PexSimConfig.h"

#include <memory>
#include <string>
#include <vector>

namespace platform::pex {

// One installed board and the cameras on its digitizers.
struct PexBoard {
    int64_t type = 0;
    std::string systemName;
    int64_t number = 0;  // index among the boards of its type
    PexBoardConfig config;
    std::string serial;
    std::vector<std::unique_ptr<PexCamera>> cameras;
    std::vector<PEX_ID> owners;  // digitizer holding each camera, 0 when free
};

// An allocated system: a handle on one board.
struct PexSystem {
    PEX_ID id = 0;
    PexBoard* board = nullptr;
    bool discovered = false;  // control 1081 succeeded
};

}  // namespace platform::pex
