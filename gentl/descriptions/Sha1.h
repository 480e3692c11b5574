// SHA-1 message digest (FIPS 180-4).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace GenTLCore {

class Sha1 {
public:
    static constexpr std::size_t DigestSize = 20;

    Sha1();
    void Update(const void* data, std::size_t size);
    // Pads, finishes and returns the digest; the object is then reset.
    std::array<std::uint8_t, DigestSize> Finish();

    // Digest of the bytes of text (no terminating NUL).
    static std::vector<std::uint8_t> Digest(const std::string& text);

private:
    void Reset();
    void ProcessBlock(const std::uint8_t* block);

    std::uint32_t m_state[5];
    std::uint64_t m_length; // bytes fed so far
    std::uint8_t m_block[64];
    std::size_t m_used;
};

} // namespace GenTLCore
