// Text helpers of the library: bounded copies into fixed fields and printf-style
// formatting of messages and trace lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace connpool {

// Copies `text` into a field of `size` bytes, NUL-terminated, cut on a GBK
// character boundary; the rest of the field is zeroed.
void CopyToField(char* field, std::size_t size, std::string_view text);

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace connpool
