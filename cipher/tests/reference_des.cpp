#include "reference_des.h"

#include <algorithm>

namespace reference_des {
namespace {

// clang-format off
const std::vector<int> IP = {
    58, 50, 42, 34, 26, 18, 10, 2,
    60, 52, 44, 36, 28, 20, 12, 4,
    62, 54, 46, 38, 30, 22, 14, 6,
    64, 56, 48, 40, 32, 24, 16, 8,
    57, 49, 41, 33, 25, 17,  9, 1,
    59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5,
    63, 55, 47, 39, 31, 23, 15, 7};

const std::vector<int> IP_INVERSE = {
    40, 8, 48, 16, 56, 24, 64, 32,
    39, 7, 47, 15, 55, 23, 63, 31,
    38, 6, 46, 14, 54, 22, 62, 30,
    37, 5, 45, 13, 53, 21, 61, 29,
    36, 4, 44, 12, 52, 20, 60, 28,
    35, 3, 43, 11, 51, 19, 59, 27,
    34, 2, 42, 10, 50, 18, 58, 26,
    33, 1, 41,  9, 49, 17, 57, 25};

const std::vector<int> E_BIT_SELECTION = {
    32,  1,  2,  3,  4,  5,
     4,  5,  6,  7,  8,  9,
     8,  9, 10, 11, 12, 13,
    12, 13, 14, 15, 16, 17,
    16, 17, 18, 19, 20, 21,
    20, 21, 22, 23, 24, 25,
    24, 25, 26, 27, 28, 29,
    28, 29, 30, 31, 32,  1};

const std::vector<int> P = {
    16,  7, 20, 21,
    29, 12, 28, 17,
     1, 15, 23, 26,
     5, 18, 31, 10,
     2,  8, 24, 14,
    32, 27,  3,  9,
    19, 13, 30,  6,
    22, 11,  4, 25};

const std::vector<int> PC_1_C = {
    57, 49, 41, 33, 25, 17,  9,
     1, 58, 50, 42, 34, 26, 18,
    10,  2, 59, 51, 43, 35, 27,
    19, 11,  3, 60, 52, 44, 36};

const std::vector<int> PC_1_D = {
    63, 55, 47, 39, 31, 23, 15,
     7, 62, 54, 46, 38, 30, 22,
    14,  6, 61, 53, 45, 37, 29,
    21, 13,  5, 28, 20, 12,  4};

const std::vector<int> PC_2 = {
    14, 17, 11, 24,  1,  5,
     3, 28, 15,  6, 21, 10,
    23, 19, 12,  4, 26,  8,
    16,  7, 27, 20, 13,  2,
    41, 52, 31, 37, 47, 55,
    30, 40, 51, 45, 33, 48,
    44, 49, 39, 56, 34, 53,
    46, 42, 50, 36, 29, 32};

const int SHIFTS[17] = {0, 1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

const int S[8][4][16] = {
    {{14,  4, 13,  1,  2, 15, 11,  8,  3, 10,  6, 12,  5,  9,  0,  7},
     { 0, 15,  7,  4, 14,  2, 13,  1, 10,  6, 12, 11,  9,  5,  3,  8},
     { 4,  1, 14,  8, 13,  6,  2, 11, 15, 12,  9,  7,  3, 10,  5,  0},
     {15, 12,  8,  2,  4,  9,  1,  7,  5, 11,  3, 14, 10,  0,  6, 13}},
    {{15,  1,  8, 14,  6, 11,  3,  4,  9,  7,  2, 13, 12,  0,  5, 10},
     { 3, 13,  4,  7, 15,  2,  8, 14, 12,  0,  1, 10,  6,  9, 11,  5},
     { 0, 14,  7, 11, 10,  4, 13,  1,  5,  8, 12,  6,  9,  3,  2, 15},
     {13,  8, 10,  1,  3, 15,  4,  2, 11,  6,  7, 12,  0,  5, 14,  9}},
    {{10,  0,  9, 14,  6,  3, 15,  5,  1, 13, 12,  7, 11,  4,  2,  8},
     {13,  7,  0,  9,  3,  4,  6, 10,  2,  8,  5, 14, 12, 11, 15,  1},
     {13,  6,  4,  9,  8, 15,  3,  0, 11,  1,  2, 12,  5, 10, 14,  7},
     { 1, 10, 13,  0,  6,  9,  8,  7,  4, 15, 14,  3, 11,  5,  2, 12}},
    {{ 7, 13, 14,  3,  0,  6,  9, 10,  1,  2,  8,  5, 11, 12,  4, 15},
     {13,  8, 11,  5,  6, 15,  0,  3,  4,  7,  2, 12,  1, 10, 14,  9},
     {10,  6,  9,  0, 12, 11,  7, 13, 15,  1,  3, 14,  5,  2,  8,  4},
     { 3, 15,  0,  6, 10,  1, 13,  8,  9,  4,  5, 11, 12,  7,  2, 14}},
    {{ 2, 12,  4,  1,  7, 10, 11,  6,  8,  5,  3, 15, 13,  0, 14,  9},
     {14, 11,  2, 12,  4,  7, 13,  1,  5,  0, 15, 10,  3,  9,  8,  6},
     { 4,  2,  1, 11, 10, 13,  7,  8, 15,  9, 12,  5,  6,  3,  0, 14},
     {11,  8, 12,  7,  1, 14,  2, 13,  6, 15,  0,  9, 10,  4,  5,  3}},
    {{12,  1, 10, 15,  9,  2,  6,  8,  0, 13,  3,  4, 14,  7,  5, 11},
     {10, 15,  4,  2,  7, 12,  9,  5,  6,  1, 13, 14,  0, 11,  3,  8},
     { 9, 14, 15,  5,  2,  8, 12,  3,  7,  0,  4, 10,  1, 13, 11,  6},
     { 4,  3,  2, 12,  9,  5, 15, 10, 11, 14,  1,  7,  6,  0,  8, 13}},
    {{ 4, 11,  2, 14, 15,  0,  8, 13,  3, 12,  9,  7,  5, 10,  6,  1},
     {13,  0, 11,  7,  4,  9,  1, 10, 14,  3,  5, 12,  2, 15,  8,  6},
     { 1,  4, 11, 13, 12,  3,  7, 14, 10, 15,  6,  8,  0,  5,  9,  2},
     { 6, 11, 13,  8,  1,  4, 10,  7,  9,  5,  0, 15, 14,  2,  3, 12}},
    {{13,  2,  8,  4,  6, 15, 11,  1, 10,  9,  3, 14,  5,  0, 12,  7},
     { 1, 15, 13,  8, 10,  3,  7,  4, 12,  5,  6, 11,  0, 14,  9,  2},
     { 7, 11,  4,  1,  9, 12, 14,  2,  0,  6, 10, 13, 15,  3,  5,  8},
     { 2,  1, 14,  7,  4, 10,  8, 13, 15, 12,  9,  0,  3,  5,  6, 11}}};
// clang-format on

Bits Select(const Bits& input, const std::vector<int>& table) {
  Bits output;
  for (int position : table) output.push_back(input.at(position - 1));
  return output;
}

Bits Xor(const Bits& a, const Bits& b) {
  Bits out(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) out[i] = a[i] ^ b[i];
  return out;
}

Bits Concat(Bits a, const Bits& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// KS: K_n for n = 1..16 from the 64 key bits.
std::vector<Bits> KeySchedule(const Bits& key) {
  Bits c = Select(key, PC_1_C), d = Select(key, PC_1_D);
  std::vector<Bits> k(17);
  for (int n = 1; n <= 16; ++n) {
    std::rotate(c.begin(), c.begin() + SHIFTS[n], c.end());
    std::rotate(d.begin(), d.begin() + SHIFTS[n], d.end());
    k[n] = Select(Concat(c, d), PC_2);
  }
  return k;
}

// The cipher function f(R, K).
Bits F(const Bits& r, const Bits& k, bool sboxOutputLsbFirst) {
  const Bits b = Xor(Select(r, E_BIT_SELECTION), k);
  Bits out;
  for (int j = 0; j < 8; ++j) {
    const int* bj = &b[6 * j];
    const int row = 2 * bj[0] + bj[5];
    const int column = 8 * bj[1] + 4 * bj[2] + 2 * bj[3] + bj[4];
    const int value = S[j][row][column];
    for (int i = 0; i < 4; ++i) {
      const int weight = sboxOutputLsbFirst ? i : 3 - i;
      out.push_back((value >> weight) & 1);
    }
  }
  return Select(out, P);
}

}  // namespace

Bits Unpack(const std::vector<std::uint8_t>& bytes, bool lsbFirstInEachByte) {
  Bits bits;
  for (std::uint8_t byte : bytes)
    for (int i = 0; i < 8; ++i) bits.push_back((byte >> (lsbFirstInEachByte ? i : 7 - i)) & 1);
  return bits;
}

std::vector<std::uint8_t> Pack(const Bits& bits, bool lsbFirstInEachByte) {
  std::vector<std::uint8_t> bytes(bits.size() / 8, 0);
  for (std::size_t i = 0; i < bits.size(); ++i) {
    const int shift = lsbFirstInEachByte ? static_cast<int>(i % 8) : 7 - static_cast<int>(i % 8);
    bytes[i / 8] = static_cast<std::uint8_t>(bytes[i / 8] | (bits[i] << shift));
  }
  return bytes;
}

Bits InitialPermutation(const Bits& block) { return Select(block, IP); }
Bits FinalPermutation(const Bits& block) { return Select(block, IP_INVERSE); }

std::vector<std::uint8_t> Encrypt(const std::vector<std::uint8_t>& key,
                                  const std::vector<std::uint8_t>& block, const Options& options) {
  const std::vector<Bits> k = KeySchedule(Unpack(key, options.lsbFirstInEachByte));
  const Bits permuted = InitialPermutation(Unpack(block, options.lsbFirstInEachByte));
  Bits l(permuted.begin(), permuted.begin() + 32), r(permuted.begin() + 32, permuted.end());
  for (int n = 1; n <= 16; ++n) {
    Bits next = Xor(l, F(r, k[n], options.sboxOutputLsbFirst));
    l = r;
    r = next;
  }
  const Bits preoutput = options.swapAfterRound16 ? Concat(r, l) : Concat(l, r);
  return Pack(FinalPermutation(preoutput), options.lsbFirstInEachByte);
}

// Walks the Feistel network back: with L_n = R_(n-1) and
// R_n = L_(n-1) xor f(R_(n-1), K_n), R_(n-1) = L_n and
// L_(n-1) = R_n xor f(L_n, K_n).
std::vector<std::uint8_t> Decrypt(const std::vector<std::uint8_t>& key,
                                  const std::vector<std::uint8_t>& block, const Options& options) {
  const std::vector<Bits> k = KeySchedule(Unpack(key, options.lsbFirstInEachByte));
  const Bits preoutput = InitialPermutation(Unpack(block, options.lsbFirstInEachByte));
  const Bits first(preoutput.begin(), preoutput.begin() + 32);
  const Bits second(preoutput.begin() + 32, preoutput.end());
  Bits l = options.swapAfterRound16 ? second : first;
  Bits r = options.swapAfterRound16 ? first : second;
  for (int n = 16; n >= 1; --n) {
    Bits previousL = Xor(r, F(l, k[n], options.sboxOutputLsbFirst));
    r = l;
    l = previousL;
  }
  return Pack(FinalPermutation(Concat(l, r)), options.lsbFirstInEachByte);
}

}  // namespace reference_des
