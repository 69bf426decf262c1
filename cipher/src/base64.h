// Base64 (RFC 4648 alphabet, "=" padding, no line breaks) as the peers of this
// library write and read it.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace cryptane {

constexpr std::size_t Base64EncodedLength(std::size_t byteCount) { return (byteCount + 2) / 3 * 4; }

// Writes Base64EncodedLength(bytes.size()) characters, no terminator.
void Base64Encode(std::span<const std::byte> bytes, char* text);

// Decodes the whole groups of four characters of `text` (a shorter tail is
// ignored), writing three bytes per group, also for a padded group. Gives the
// decoded length: three per group, less one per "=" of the last group; or
// nothing at the first group that is not base64, whose earlier groups stay
// written.
std::optional<std::size_t> Base64Decode(std::string_view text, std::byte* output);

}  // namespace cryptane
