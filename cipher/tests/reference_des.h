// A second DES, written for the tests straight from FIPS 46-3 in a plainly
// different style from the library's (every value an array of single bits,
// every step a per-bit table look-up), with switches for the three ways in
// which the library's cipher departs from the standard.
#pragma once

#include <cstdint>
#include <vector>

namespace reference_des {

struct Options {
  bool lsbFirstInEachByte = false;
  bool sboxOutputLsbFirst = false;
  bool swapAfterRound16 = true;
};

using Bits = std::vector<int>;  // bits[0] is bit 1 of the standard's numbering

Bits Unpack(const std::vector<std::uint8_t>& bytes, bool lsbFirstInEachByte);
std::vector<std::uint8_t> Pack(const Bits& bits, bool lsbFirstInEachByte);

Bits InitialPermutation(const Bits& block);
Bits FinalPermutation(const Bits& block);

std::vector<std::uint8_t> Encrypt(const std::vector<std::uint8_t>& key,
                                  const std::vector<std::uint8_t>& block, const Options& options);
std::vector<std::uint8_t> Decrypt(const std::vector<std::uint8_t>& key,
                                  const std::vector<std::uint8_t>& block, const Options& options);

}  // namespace reference_des
