#include "text.h"

#include <cstring>

#include "platform/gbk.h"

namespace connpool {

void CopyToField(char* field, std::size_t size, std::string_view text) {
  if (size == 0) return;
  const std::size_t length = platform::GbkFitLength(text, size - 1);
  if (length > 0) std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, size - length);
}

}  // namespace connpool
