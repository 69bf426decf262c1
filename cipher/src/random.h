// Random numbers from the system's cryptographic random source, in the range
// the peers of this library expect (that of the C runtime's rand()).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "des.h"

namespace cryptane {

inline constexpr int kRandomMax = 32767;

// Only its first 11 characters key the cipher, so K2 is characters 9 to 11
// followed by zero bytes; peers do not depend on this text.
inline constexpr std::string_view kRandomBytesKeyText = "v3k8q1m6z4t9w2";
inline constexpr std::size_t kRandomBytesKeyLength = 11;

// 0 to kRandomMax, or nothing when the random source fails.
std::optional<int> DrawRandomNumber();

// A drawn number's decimal text, enciphered as one zero-filled block under
// the fixed key text; or nothing when the random source fails.
std::optional<DesBlock> DrawRandomBlock();

}  // namespace cryptane
