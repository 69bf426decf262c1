// xPEMEncode and xPEMDecode: RFC 4648 base64 as the peers write and read it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cipher/Cryptane.h"
#include "hex.h"

namespace {

using test_hex::Hex;

std::string Encode(std::string_view bytes, int* reported) {
  // One spare character shows whether a terminator was written.
  std::string text((bytes.size() + 2) / 3 * 4 + 1, '#');
  EXPECT_EQ(xPEMEncode(reinterpret_cast<const unsigned char*>(bytes.data()),
                       static_cast<int>(bytes.size()), text.data(), reported),
            1);
  EXPECT_EQ(text.back(), '#');
  text.pop_back();
  return text;
}

TEST(xPEMEncode, EncodesTheRfc4648Vectors) {
  const std::pair<const char*, const char*> vectors[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [bytes, text] : vectors) {
    int reported = -1;
    EXPECT_EQ(Encode(bytes, &reported), text);
    EXPECT_EQ(reported, static_cast<int>(std::strlen(text)));
  }
}

TEST(xPEMDecode, DecodesWholeGroupsThreeBytesEach) {
  struct Case {
    const char* text;
    const char* written;  // hex of what lands in the output, 3 bytes a group
    int reported;
  };
  const Case cases[] = {
      {"", "", 0},
      {"Zg==", "660000", 1},
      {"Zm8=", "666F00", 2},
      {"Zm9v", "666F6F", 3},
      {"Zm9vYg==", "666F6F620000", 4},
      {"Zm9vYmE=", "666F6F626100", 5},
      {"Zm9vYmFy", "666F6F626172", 6},
      {"Zm9vYg", "666F6F", 3},  // a trailing part of a group is ignored
      {"+/+/", "FBFFBF", 3},
      {"QQ=A", "410000", 2},  // padding in the third place voids the fourth
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<unsigned char> output(std::strlen(c.written) / 2 + 3, 0xEE);
    int reported = -1;
    ASSERT_EQ(xPEMDecode(c.text, static_cast<int>(std::strlen(c.text)), output.data(), &reported),
              1);
    EXPECT_EQ(reported, c.reported);
    EXPECT_EQ(Hex(output), std::string(c.written) + "EEEEEE");
  }
}

TEST(xPEMDecode, RefusesAGroupWithACharacterOutsideTheAlphabet) {
  const std::string cases[] = {
      "=AAA",     "A=AA",    "AA*A", "AAA*", "AA.=", "A\x80==", std::string("AA\0=", 4),
      "Zm9v Zm9", "Zm9vZ==="};
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    std::vector<unsigned char> output(text.size(), 0);
    int reported = -1;
    EXPECT_EQ(xPEMDecode(text.data(), static_cast<int>(text.size()), output.data(), &reported), 0);
    EXPECT_EQ(reported, -1);
    // The groups before the bad one stay decoded.
    if (text.starts_with("Zm9v")) {
      EXPECT_EQ(Hex(output).substr(0, 6), "666F6F");
    }
  }
}

TEST(xPEMDecode, RestoresWhatxPEMEncodeWrote) {
  std::string bytes;
  for (int length = 0; length <= 32; ++length) {
    int encodedLength = 0, decodedLength = 0;
    const std::string text = Encode(bytes, &encodedLength);
    std::vector<unsigned char> decoded(text.size() / 4 * 3 + 1);
    ASSERT_EQ(xPEMDecode(text.data(), encodedLength, decoded.data(), &decodedLength), 1);
    EXPECT_EQ(std::string(decoded.begin(), decoded.begin() + decodedLength), bytes);
    bytes += static_cast<char>(length * 37 + 200);
  }
}

TEST(xPEMEncodeAndxPEMDecode, RefuseNullArgumentsAndNegativeLengths) {
  unsigned char bytes[8] = {};
  char text[8] = "QUJD";
  int length = 99;
  EXPECT_EQ(xPEMEncode(nullptr, 3, text, &length), 0);
  EXPECT_EQ(xPEMEncode(bytes, 3, nullptr, &length), 0);
  EXPECT_EQ(xPEMEncode(bytes, 3, text, nullptr), 0);
  EXPECT_EQ(xPEMEncode(bytes, -1, text, &length), 0);
  EXPECT_EQ(xPEMDecode(nullptr, 4, bytes, &length), 0);
  EXPECT_EQ(xPEMDecode(text, 4, nullptr, &length), 0);
  EXPECT_EQ(xPEMDecode(text, 4, bytes, nullptr), 0);
  EXPECT_EQ(xPEMDecode(text, -4, bytes, &length), 0);
  EXPECT_EQ(length, 99);
}

}  // namespace
