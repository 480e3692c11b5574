#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace GenTLCore {

// One register-description URL of a port and its URL information.
struct PortURLRecord {
    std::string url;
    uint32_t fileVersionMajor = 0;
    uint32_t fileVersionMinor = 0;
    uint32_t fileVersionSubminor = 0;
    uint32_t schemaVersionMajor = 0;
    uint32_t schemaVersionMinor = 0;
    std::vector<uint8_t> sha1;   // 20 bytes when present
    uint32_t scheme = 0;         // 0 local, 1 web, 2 file
    uint64_t registerAddress = 0;
    uint64_t fileSize = 0;
    std::string fileName;
    bool hasFileVersion = false;
    bool hasSchemaVersion = false;
    bool hasSha1 = false;
};

}  // namespace GenTLCore
