#include "text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/gbk.h"

namespace connpool {

void CopyToField(char* field, std::size_t size, std::string_view text) {
  if (size == 0) return;
  const std::size_t length = platform::GbkFitLength(text, size - 1);
  if (length > 0) std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, size - length);
}

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  return text;
}

}  // namespace connpool
