// GBK (code page 936) text: where a fixed-width cut may fall.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// True for a byte that opens a two-byte GBK character.
constexpr bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The longest prefix of `text`, at most `maxBytes` long, that does not end in
// the first half of a two-byte character.
std::size_t GbkFitLength(std::string_view text, std::size_t maxBytes);

}  // namespace platform
