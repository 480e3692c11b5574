#include "Sha1.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char pair[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

TEST(Sha1, StandardVectors)
{
    using GenTLCore::Sha1;
    EXPECT_EQ(Hex(Sha1::Digest("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Hex(Sha1::Digest("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Hex(Sha1::Digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(Hex(Sha1::Digest(std::string(1000000, 'a'))), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha1, PiecewiseUpdatesGiveTheOneShotDigest)
{
    // Lengths around the padding boundaries (55, 56, 63, 64, 65 bytes) and
    // pieces that straddle blocks.
    for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i)
            text += static_cast<char>('!' + (i * 7) % 90);
        GenTLCore::Sha1 sha;
        for (std::size_t at = 0; at < length; at += 13)
            sha.Update(text.data() + at, std::min<std::size_t>(13, length - at));
        const auto digest = sha.Finish();
        EXPECT_EQ(std::vector<std::uint8_t>(digest.begin(), digest.end()), GenTLCore::Sha1::Digest(text)) << length;
        // Finish resets the object for the next message.
        sha.Update("abc", 3);
        const auto again = sha.Finish();
        EXPECT_EQ(Hex(std::vector<std::uint8_t>(again.begin(), again.end())),
                  "a9993e364706816aba3e25717850c26c9cd0d89d");
    }
}

} // namespace
