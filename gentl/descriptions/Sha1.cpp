#include "Sha1.h"

#include <cstring>

namespace GenTLCore {

namespace {

inline std::uint32_t Rotl(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

} // namespace

Sha1::Sha1() { Reset(); }

void Sha1::Reset()
{
    m_state[0] = 0x67452301u;
    m_state[1] = 0xEFCDAB89u;
    m_state[2] = 0x98BADCFEu;
    m_state[3] = 0x10325476u;
    m_state[4] = 0xC3D2E1F0u;
    m_length = 0;
    m_used = 0;
}

void Sha1::ProcessBlock(const std::uint8_t* block)
{
    std::uint32_t w[80];
    for (int t = 0; t < 16; ++t) {
        w[t] = (std::uint32_t(block[4 * t]) << 24) | (std::uint32_t(block[4 * t + 1]) << 16) |
               (std::uint32_t(block[4 * t + 2]) << 8) | std::uint32_t(block[4 * t + 3]);
    }
    for (int t = 16; t < 80; ++t)
        w[t] = Rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);

    std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3], e = m_state[4];
    for (int t = 0; t < 80; ++t) {
        std::uint32_t f, k;
        if (t < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        } else if (t < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        } else if (t < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        const std::uint32_t temp = Rotl(a, 5) + f + e + k + w[t];
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = temp;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
    m_state[4] += e;
}

void Sha1::Update(const void* data, std::size_t size)
{
    const std::uint8_t* bytes = static_cast<const std::uint8_t*>(data);
    m_length += size;
    while (size > 0) {
        const std::size_t take = (size < 64 - m_used) ? size : 64 - m_used;
        std::memcpy(m_block + m_used, bytes, take);
        m_used += take;
        bytes += take;
        size -= take;
        if (m_used == 64) {
            ProcessBlock(m_block);
            m_used = 0;
        }
    }
}

std::array<std::uint8_t, Sha1::DigestSize> Sha1::Finish()
{
    const std::uint64_t bitLength = m_length * 8;
    m_block[m_used++] = 0x80;
    if (m_used > 56) {
        std::memset(m_block + m_used, 0, 64 - m_used);
        ProcessBlock(m_block);
        m_used = 0;
    }
    std::memset(m_block + m_used, 0, 56 - m_used);
    for (int i = 0; i < 8; ++i)
        m_block[56 + i] = std::uint8_t(bitLength >> (56 - 8 * i));
    ProcessBlock(m_block);

    std::array<std::uint8_t, DigestSize> digest{};
    for (int i = 0; i < 5; ++i) {
        digest[4 * i] = std::uint8_t(m_state[i] >> 24);
        digest[4 * i + 1] = std::uint8_t(m_state[i] >> 16);
        digest[4 * i + 2] = std::uint8_t(m_state[i] >> 8);
        digest[4 * i + 3] = std::uint8_t(m_state[i]);
    }
    Reset();
    return digest;
}

std::vector<std::uint8_t> Sha1::Digest(const std::string& text)
{
    Sha1 sha;
    sha.Update(text.data(), text.size());
    const auto digest = sha.Finish();
    return std::vector<std::uint8_t>(digest.begin(), digest.end());
}

} // namespace GenTLCore
