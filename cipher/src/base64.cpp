#include "base64.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace cryptane {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPad = '=';
constexpr std::uint8_t kNotInAlphabet = 64;

constexpr std::array<std::uint8_t, 256> MakeIndexes() {
  std::array<std::uint8_t, 256> indexes{};
  indexes.fill(kNotInAlphabet);
  for (std::size_t i = 0; i < kAlphabet.size(); ++i)
    indexes[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
  return indexes;
}
constexpr std::array<std::uint8_t, 256> kIndexes = MakeIndexes();

std::uint8_t IndexOf(char c) { return kIndexes[static_cast<unsigned char>(c)]; }

// A group of four characters: the first two must be in the alphabet, the
// last two may also be padding. Padding in the third place voids the fourth.
std::optional<std::array<std::byte, 3>> DecodeGroup(std::string_view group) {
  const std::uint8_t a = IndexOf(group[0]), b = IndexOf(group[1]);
  const std::uint8_t c = IndexOf(group[2]), d = IndexOf(group[3]);
  const bool cIsPad = group[2] == kPad, dIsPad = group[3] == kPad;
  if (a == kNotInAlphabet || b == kNotInAlphabet) return std::nullopt;
  if ((c == kNotInAlphabet && !cIsPad) || (d == kNotInAlphabet && !dIsPad)) return std::nullopt;
  const unsigned cBits = cIsPad ? 0 : c;
  const unsigned dBits = (cIsPad || dIsPad) ? 0 : d;
  const auto ToByte = [](unsigned value) { return static_cast<std::byte>(value & 0xFF); };
  return std::array{ToByte(a << 2 | b >> 4), ToByte(b << 4 | cBits >> 2),
                    ToByte(cBits << 6 | dBits)};
}

}  // namespace

void Base64Encode(std::span<const std::byte> bytes, char* text) {
  for (std::size_t offset = 0; offset < bytes.size(); offset += 3, text += 4) {
    const std::size_t present = std::min<std::size_t>(3, bytes.size() - offset);
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < 3; ++i)
      group = group << 8 | (i < present ? std::to_integer<std::uint32_t>(bytes[offset + i]) : 0);
    for (std::size_t i = 0; i < 4; ++i)
      text[i] = i <= present ? kAlphabet[(group >> (18 - 6 * i)) & 0x3F] : kPad;
  }
}

std::optional<std::size_t> Base64Decode(std::string_view text, std::byte* output) {
  const std::size_t groups = text.size() / 4;
  for (std::size_t g = 0; g < groups; ++g) {
    const auto bytes = DecodeGroup(text.substr(4 * g, 4));
    if (!bytes) return std::nullopt;
    std::copy(bytes->begin(), bytes->end(), output + 3 * g);
  }
  if (groups == 0) return 0;
  const std::string_view last = text.substr(4 * (groups - 1), 4);
  return 3 * groups - static_cast<std::size_t>(std::count(last.begin(), last.end(), kPad));
}

}  // namespace cryptane
