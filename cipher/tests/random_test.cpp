// xGenRandom and xGenRandom8Bytes.
#include "random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>

#include "cipher/Cryptane.h"

namespace {

TEST(xGenRandom, DrawsVaryingNumbersOverTheWholeRange) {
  std::set<int> drawn;
  for (int i = 0; i < 200; ++i) {
    int value = -1;
    ASSERT_EQ(xGenRandom(&value), 1);
    ASSERT_GE(value, 0);
    ASSERT_LE(value, 32767);
    drawn.insert(value);
  }
  // 200 draws from 32768 values repeat about once, and fall in both halves.
  EXPECT_GT(drawn.size(), 190u);
  EXPECT_LT(*drawn.begin(), 16384);
  EXPECT_GE(*drawn.rbegin(), 16384);
}

// The bytes decipher, under the first 11 characters of the fixed key text, to
// the decimal text of a number in xGenRandom's range followed by zeros.
TEST(xGenRandom8Bytes, EnciphersTheDecimalTextOfADrawnNumber) {
  const std::string keyText(
      cryptane::kRandomBytesKeyText.substr(0, cryptane::kRandomBytesKeyLength));
  std::set<std::string> drawn;
  for (int i = 0; i < 50; ++i) {
    std::array<unsigned char, 8> bytes{};
    ASSERT_EQ(xGenRandom8Bytes(bytes.data()), 1);
    drawn.emplace(bytes.begin(), bytes.end());

    std::array<char, 8> plain{};
    int length = 0;
    ASSERT_EQ(xDecryptData(bytes.data(), 8, reinterpret_cast<unsigned char*>(plain.data()), &length,
                           keyText.c_str()),
              1);
    const std::string digits(plain.data(), static_cast<std::size_t>(length));
    ASSERT_TRUE(length >= 1 && length <= 5) << length;
    ASSERT_TRUE(
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }));
    EXPECT_LE(std::stoi(digits), 32767);
    EXPECT_EQ(std::to_string(std::stoi(digits)), digits);
    EXPECT_TRUE(std::all_of(plain.begin() + length, plain.end(), [](char c) { return c == 0; }));
  }
  EXPECT_GT(drawn.size(), 45u);
}

TEST(xGenRandomAndxGenRandom8Bytes, RefuseANullOutput) {
  EXPECT_EQ(xGenRandom(nullptr), 0);
  EXPECT_EQ(xGenRandom8Bytes(nullptr), 0);
}

}  // namespace
