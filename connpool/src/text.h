// Bounded copies of texts into the library's fixed fields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace connpool {

// What closes every field of a request, an answer and a pushed line.
inline constexpr char kSeparator = '|';

// Copies `text` into a field of `size` bytes, NUL-terminated, cut on a GBK
// character boundary; the rest of the field is zeroed.
void CopyToField(char* field, std::size_t size, std::string_view text);

}  // namespace connpool
