// The DES core: the standard against published vectors, and this library's
// variant against answers derived from the standard by the reference model.
#include "des.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>
#include <string>

#include "hex.h"
#include "reference_des.h"

namespace {

using cryptane::DesBlock;
using cryptane::DesBlockCipher;
using cryptane::DesConventions;
using test_hex::Hex;

DesBlock Block(std::string_view hex) {
  const std::vector<std::uint8_t> bytes = test_hex::Bytes(hex);
  DesBlock block{};
  std::copy(bytes.begin(), bytes.end(), block.begin());
  return block;
}

std::vector<std::uint8_t> Vector(const DesBlock& block) { return {block.begin(), block.end()}; }

DesBlock RandomBlock(std::mt19937_64& random) {
  DesBlock block{};
  for (auto& byte : block) byte = static_cast<std::uint8_t>(random());
  return block;
}

DesBlock MirrorEachByte(DesBlock block) {
  for (auto& byte : block) {
    std::uint8_t mirrored = 0;
    for (int bit = 0; bit < 8; ++bit) mirrored |= ((byte >> bit) & 1) << (7 - bit);
    byte = mirrored;
  }
  return block;
}

reference_des::Options ModelOptions(DesConventions conventions) {
  return {conventions.bitsLsbFirst, conventions.sboxOutputLsbFirst, conventions.swapAfterLastRound};
}

struct KnownAnswer {
  const char* key;
  const char* plain;
  const char* cipher;
};

// FIPS 81 (ECB example "Now is the time for all "), NBS SP 500-20 (variable
// plaintext, variable key, permutation and substitution tables) and the
// widely taught worked example.
constexpr KnownAnswer kFipsAnswers[] = {
    {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
    {"0E329232EA6D0D73", "8787878787878787", "0000000000000000"},
    {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
    {"0123456789ABCDEF", "68652074696D6520", "6A271787AB8883F9"},
    {"0123456789ABCDEF", "666F7220616C6C20", "893D51EC4B563B53"},
    {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
    {"0101010101010101", "4000000000000000", "DD7F121CA5015619"},
    {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
    {"1046913489980131", "0000000000000000", "88D55E54F54C97B4"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "7A389D10354BD271"},
    {"07A1133E4A0B2686", "0248D43806F67172", "868EBB51CAB4599A"},
    {"3849674C2602319E", "51454B582DDF440A", "7178876E01F19B2A"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "AF37FB421F8C4095"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "86A560F10EC6D85B"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "0CD3DA020021DC09"},
};

// Produced by the reference model with all three departures switched on.
constexpr KnownAnswer kCryptaneAnswers[] = {
    {"0000000000000000", "0000000000000000", "ACEC93D9A7C03C98"},
    {"133457799BBCDFF1", "0123456789ABCDEF", "D172A2135BDCCB97"},
    {"3132333435363738", "3132333435363738", "BE9A4BC065F09809"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "53136C26583FC367"},
    {"0123456789ABCDEF", "4E6F772069732074", "4423CFFD32B387F3"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "21D1EEAA51FFD967"},
};

void ExpectKnownAnswers(std::span<const KnownAnswer> answers, DesConventions conventions) {
  for (const KnownAnswer& answer : answers) {
    SCOPED_TRACE(std::string(answer.key) + " " + answer.plain);
    const DesBlockCipher des(Block(answer.key), conventions);
    EXPECT_EQ(Hex(des.Encrypt(Block(answer.plain))), answer.cipher);
    EXPECT_EQ(Hex(des.Decrypt(Block(answer.cipher))), answer.plain);
    EXPECT_EQ(Hex(reference_des::Encrypt(test_hex::Bytes(answer.key), test_hex::Bytes(answer.plain),
                                         ModelOptions(conventions))),
              answer.cipher);
  }
}

TEST(FipsDes, MatchesPublishedVectors) { ExpectKnownAnswers(kFipsAnswers, cryptane::kFipsDes); }

TEST(CryptaneDes, MatchesAnswersDerivedFromTheStandard) {
  ExpectKnownAnswers(kCryptaneAnswers, cryptane::kCryptaneDes);
}

TEST(DesBlockCipher, AgreesWithTheReferenceModelUnderEveryConvention) {
  std::mt19937_64 random(8101);
  for (int mask = 0; mask < 8; ++mask) {
    const DesConventions conventions{(mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0};
    SCOPED_TRACE(mask);
    for (int i = 0; i < 16; ++i) {
      const DesBlock key = RandomBlock(random), plain = RandomBlock(random);
      const DesBlockCipher des(key, conventions);
      const DesBlock cipher = des.Encrypt(plain);
      EXPECT_EQ(Vector(cipher),
                reference_des::Encrypt(Vector(key), Vector(plain), ModelOptions(conventions)));
      EXPECT_EQ(des.Decrypt(cipher), plain);
    }
  }
}

// Numbering the bits of each byte from the least significant end is the
// same as mirroring every byte of key, input and output.
TEST(CryptaneDes, LsbFirstNumberingIsTheCipherOnMirroredBytes) {
  std::mt19937_64 random(46);
  for (bool sboxLsbFirst : {false, true}) {
    for (bool swap : {false, true}) {
      const DesBlock key = RandomBlock(random), plain = RandomBlock(random);
      const DesBlockCipher lsbFirst(key, {true, sboxLsbFirst, swap});
      const DesBlockCipher msbFirst(MirrorEachByte(key), {false, sboxLsbFirst, swap});
      EXPECT_EQ(lsbFirst.Encrypt(plain), MirrorEachByte(msbFirst.Encrypt(MirrorEachByte(plain))));
    }
  }
}

// Without the final swap the output, seen through the initial permutation,
// is the standard one with its halves exchanged.
TEST(CryptaneDes, WithoutTheFinalSwapTheHalvesKeepTheirOrder) {
  std::mt19937_64 random(81);
  for (int i = 0; i < 8; ++i) {
    const DesBlock key = RandomBlock(random), plain = RandomBlock(random);
    const DesBlock standard = DesBlockCipher(key, cryptane::kFipsDes).Encrypt(plain);
    const DesBlock unswapped = DesBlockCipher(key, {false, false, false}).Encrypt(plain);
    reference_des::Bits halves =
        reference_des::InitialPermutation(reference_des::Unpack(Vector(standard), false));
    std::rotate(halves.begin(), halves.begin() + 32, halves.end());
    EXPECT_EQ(reference_des::InitialPermutation(reference_des::Unpack(Vector(unswapped), false)),
              halves);
  }
}

}  // namespace
