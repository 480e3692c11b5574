// What the producer's register descriptions share: file names, file and
// schema versions, the document header values.
#pragma once

#include <cstdint>
#include <string>

namespace GenTLCore {

constexpr std::uint32_t kDescriptionFileVersionMajor = 1;
constexpr std::uint32_t kDescriptionFileVersionMinor = 0;
constexpr std::uint32_t kDescriptionFileVersionSubMinor = 0;
constexpr std::uint32_t kDescriptionSchemaVersionMajor = 1;
constexpr std::uint32_t kDescriptionSchemaVersionMinor = 1;
// Register address at which every module serves its description text.
constexpr std::uint64_t kDescriptionRegisterAddress = 0xF0000000ull;

// "Corvane_CoaXPress_" + module word + "_1_0_0_190524091442.xml"
std::string DescriptionFileName(const std::string& moduleWord);

} // namespace GenTLCore
