// xEncryptData and xDecryptData: key texts, padding, lengths and refusals.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "cipher/Cryptane.h"
#include "des.h"
#include "hex.h"

namespace {

using Bytes = std::vector<unsigned char>;
using test_hex::Hex;

Bytes Text(std::string_view text) { return {text.begin(), text.end()}; }

// The input is a buffer of exactly `input.size()` bytes, so a read past it
// shows under AddressSanitizer.
Bytes Run(decltype(&xEncryptData) function, const Bytes& input, const char* keyText,
          int* reported = nullptr) {
  Bytes output((input.size() + 7) / 8 * 8);
  int length = -1;
  EXPECT_EQ(function(input.data(), static_cast<int>(input.size()), output.data(), &length, keyText),
            1);
  if (reported) *reported = length;
  return output;
}

Bytes Encrypt(const Bytes& input, const char* keyText, int* reported = nullptr) {
  return Run(xEncryptData, input, keyText, reported);
}

Bytes Decrypt(const Bytes& input, const char* keyText, int* reported = nullptr) {
  return Run(xDecryptData, input, keyText, reported);
}

cryptane::DesBlock KeyBlock(std::string_view bytes) {
  cryptane::DesBlock block{};
  std::memcpy(block.data(), bytes.data(), std::min(bytes.size(), block.size()));
  return block;
}

// Produced by the reference model of the DES tests (single DES for up to 8
// characters of key text, else E(K1) D(K2) E(K1)).
TEST(xEncryptData, MatchesKnownAnswersAndDecryptsBack) {
  struct Case {
    const char* keyText;
    const char* plain;
    const char* cipher;
  };
  const Case cases[] = {
      {"12345678", "Cryptane", "ED7FE06D43E20686"},
      {"123456789", "Cryptane", "77159E87B5BC3E4A"},
      {"0123456789abcdef", "Cryptane test 16", "3A045E78166D59964930E81B71DD875C"},
      {"0123456789abcdef", "abc", "C3A25B0C830A7904"},
      {"k", "0", "DCFE01E63BFF9F04"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.keyText) + " " + c.plain);
    int encryptedLength = 0, decryptedLength = 0;
    const Bytes cipher = Encrypt(Text(c.plain), c.keyText, &encryptedLength);
    EXPECT_EQ(Hex(cipher), c.cipher);
    EXPECT_EQ(encryptedLength, static_cast<int>(cipher.size()));
    const Bytes plain = Decrypt(cipher, c.keyText, &decryptedLength);
    EXPECT_EQ(decryptedLength, static_cast<int>(std::strlen(c.plain)));
    EXPECT_EQ(std::string(plain.begin(), plain.begin() + decryptedLength), c.plain);
  }
}

TEST(xEncryptData, KeyTextLengthChoosesSingleOrTwoKeyTripleDes) {
  const Bytes plain = Text("sixteen bytes!!!");
  const auto Single = [&](std::string_view k1) {
    const cryptane::DesBlockCipher des(KeyBlock(k1), cryptane::kCryptaneDes);
    return Hex(des.Encrypt(KeyBlock("sixteen "))) + Hex(des.Encrypt(KeyBlock("bytes!!!")));
  };
  const cryptane::DesBlockCipher k1(KeyBlock("12345678"), cryptane::kCryptaneDes);
  const cryptane::DesBlockCipher k2(KeyBlock("9"), cryptane::kCryptaneDes);
  const auto Triple = [&](std::string_view block) {
    return Hex(k1.Encrypt(k2.Decrypt(k1.Encrypt(KeyBlock(block)))));
  };

  EXPECT_EQ(Hex(Encrypt(plain, "12345678")), Single("12345678"));
  EXPECT_EQ(Hex(Encrypt(plain, "1234")), Single("1234"));
  EXPECT_EQ(Hex(Encrypt(plain, "")), Single(""));
  // The ninth character makes K2, completed with zero bytes.
  EXPECT_EQ(Hex(Encrypt(plain, "123456789")), Triple("sixteen ") + Triple("bytes!!!"));
  // Triple DES with K1 equal to K2 is single DES with K1.
  EXPECT_EQ(Hex(Encrypt(plain, "abcdefghabcdefgh")), Single("abcdefgh"));
  // Characters past the sixteenth do not count.
  EXPECT_EQ(Encrypt(plain, "0123456789abcdefXYZ"), Encrypt(plain, "0123456789abcdef"));
}

TEST(xEncryptData, EnciphersAShortLastBlockAsIfZeroFilled) {
  for (std::size_t length = 1; length <= 17; ++length) {
    SCOPED_TRACE(length);
    Bytes input(length);
    for (std::size_t i = 0; i < length; ++i) input[i] = static_cast<unsigned char>(0xA0 + i);
    Bytes padded = input;
    padded.resize((length + 7) / 8 * 8, 0);
    // What lies past the given length in the caller's memory must not count.
    Bytes followedByJunk = padded;
    std::fill(followedByJunk.begin() + static_cast<std::ptrdiff_t>(length), followedByJunk.end(),
              0x5A);
    Bytes fromJunk(padded.size());
    int junkLength = 0;
    ASSERT_EQ(xEncryptData(followedByJunk.data(), static_cast<int>(length), fromJunk.data(),
                           &junkLength, "key"),
              1);

    int reported = 0;
    const Bytes cipher = Encrypt(input, "key", &reported);
    EXPECT_EQ(reported, static_cast<int>(padded.size()));
    EXPECT_EQ(cipher, Encrypt(padded, "key"));
    EXPECT_EQ(fromJunk, cipher);
  }
}

TEST(xDecryptData, RestoresTheTextAndReportsItUpToTheFirstZeroByte) {
  for (const char* keyText : {"k", "8charkey", "nine char", "sixteen char key"}) {
    for (std::size_t length = 1; length <= 24; ++length) {
      SCOPED_TRACE(std::string(keyText) + " " + std::to_string(length));
      Bytes plain(length);
      for (std::size_t i = 0; i < length; ++i) plain[i] = static_cast<unsigned char>('a' + i % 26);
      int reported = 0;
      Bytes restored = Decrypt(Encrypt(plain, keyText), keyText, &reported);
      EXPECT_EQ(reported, static_cast<int>(length));
      restored.resize(length);
      EXPECT_EQ(restored, plain);
    }
  }
  int reported = 0;
  Decrypt(Encrypt(Bytes{'a', 'b', 0, 'c', 'd'}, "key"), "key", &reported);
  EXPECT_EQ(reported, 2);
}

// A text without a zero byte fills the output; its length must be counted
// within the output, not past it.
TEST(xDecryptData, ReportsAtMostTheRoundedLength) {
  const Bytes cipher = Encrypt(Text("twenty-four bytes, no 0!"), "key");
  int reported = 0;
  Decrypt(cipher, "key", &reported);
  EXPECT_EQ(reported, 24);
}

TEST(xEncryptDataAndxDecryptData, RefuseNullArgumentsAndLengthsBelowOne) {
  unsigned char input[16] = {1, 2, 3};
  unsigned char output[16] = {};
  int length = 99;
  struct Case {
    const unsigned char* input;
    int inputLength;
    unsigned char* output;
    int* outputLength;
    const char* keyText;
  };
  const Case cases[] = {
      {nullptr, 8, output, &length, "key"},
      {input, 8, nullptr, &length, "key"},
      {input, 8, output, nullptr, "key"},
      {input, 8, output, &length, nullptr},
      {input, 0, output, &length, "key"},
      {input, -1, output, &length, "key"},
      {input, -8, output, &length, "key"},
      {input, INT_MIN, output, &length, "key"},
      // Its rounded length would not fit the reported int.
      {input, INT_MAX, output, &length, "key"},
  };
  for (auto function : {xEncryptData, xDecryptData}) {
    for (const Case& c : cases) {
      EXPECT_EQ(function(c.input, c.inputLength, c.output, c.outputLength, c.keyText), 0);
      EXPECT_EQ(length, 99);
      EXPECT_EQ(Hex(output), std::string(32, '0'));
    }
  }
}

}  // namespace
