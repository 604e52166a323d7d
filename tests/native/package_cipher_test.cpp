#include "core/package_cipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Apply(const std::string& key, std::vector<unsigned char> data,
                                 size_t piece)
{
    PackageCipher cipher(reinterpret_cast<const unsigned char*>(key.data()), key.size());
    for (size_t at = 0; at < data.size(); at += piece)
        cipher.Apply(data.data() + at, std::min(piece, data.size() - at));
    return data;
}

}  // namespace

TEST(PackageCipher, KeyRestartsAtEveryBlock)
{
    const std::string key = "ABCDEFG";  // 7 bytes
    const std::vector<unsigned char> zeros(3000, 0);
    const auto out = Apply(key, zeros, 1024);
    EXPECT_EQ('A', out[0]);
    EXPECT_EQ('G', out[6]);
    EXPECT_EQ('A', out[7]);
    EXPECT_EQ(key[1023 % 7], out[1023]);
    EXPECT_EQ('A', out[1024]);  // not key byte 1024 % 7 = 2
    EXPECT_EQ('B', out[1025]);
    EXPECT_EQ('A', out[2048]);  // not key byte 2048 % 7 = 4
    EXPECT_EQ(key[(2999 - 2048) % 7], out[2999]);
}

TEST(PackageCipher, SameResultWhateverThePieceSize)
{
    std::vector<unsigned char> data(5000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 31 + 7);
    const auto whole = Apply("key", data, data.size());
    for (size_t piece : {1u, 3u, 1000u, 1024u, 1025u, 4096u})
        EXPECT_EQ(whole, Apply("key", data, piece)) << piece;
    EXPECT_EQ(data, Apply("key", whole, 777));  // its own inverse
}

TEST(PackageCipher, EmptyKeyIsNotAKey)
{
    PackageCipher cipher(nullptr, 0);
    EXPECT_FALSE(cipher.Valid());
    unsigned char data[4] = {1, 2, 3, 4};
    cipher.Apply(data, sizeof data);
    EXPECT_EQ(1, data[0]);
    EXPECT_EQ(4, data[3]);
}

TEST(PackageCipher, MatchesTheByteRuleForEveryKeyLengthAndPiece)
{
    std::vector<unsigned char> data(6000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 131 + (i >> 7));
    for (size_t keyLength : {1u, 7u, 8u, 13u, 1024u, 1500u}) {
        std::string key(keyLength, '\0');
        for (size_t i = 0; i < keyLength; ++i)
            key[i] = static_cast<char>(i * 17 + 3);
        std::vector<unsigned char> want = data;
        for (size_t i = 0; i < want.size(); ++i)
            want[i] ^= static_cast<unsigned char>(key[(i % 1024) % keyLength]);
        for (size_t piece : {1u, 5u, 8u, 9u, 1023u, 1024u, 4097u})
            EXPECT_EQ(want, Apply(key, data, piece)) << keyLength << " " << piece;
    }
}
