// The DES block cipher of FIPS 46-3, with the three conventions in which this
// library's cipher departs from the standard made explicit.
#pragma once

#include <array>
#include <cstdint>

namespace cryptane {

using DesBlock = std::array<std::uint8_t, 8>;

struct DesConventions {
  // Bit 1 of a block or key is the least significant bit of its first byte
  // (the standard takes the most significant one).
  bool bitsLsbFirst;
  // An S-box's 4-bit value enters the round output lowest bit first.
  bool sboxOutputLsbFirst;
  // The halves are exchanged after round 16, before the final permutation.
  bool swapAfterLastRound;
};

inline constexpr DesConventions kFipsDes{false, false, true};
// What every peer of this library uses.
inline constexpr DesConventions kCryptaneDes{true, true, false};

// One key's schedule; immutable once built, so one object may serve several
// threads.
class DesBlockCipher {
 public:
  DesBlockCipher(const DesBlock& key, DesConventions conventions);

  DesBlock Encrypt(const DesBlock& block) const;
  DesBlock Decrypt(const DesBlock& block) const;

 private:
  std::uint32_t RoundFunction(std::uint32_t half, std::uint64_t subkey) const;
  std::uint64_t Load(const DesBlock& bytes) const;
  DesBlock Store(std::uint64_t word) const;

  DesConventions conventions_;
  std::array<std::uint64_t, 16> subkeys_{};  // 48 bits each
};

}  // namespace cryptane
