#include "platform/gbk.h"

namespace platform {

std::size_t GbkFitLength(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  std::size_t position = 0;
  while (position < maxBytes) {
    const std::size_t width = IsGbkLeadByte(static_cast<unsigned char>(text[position])) ? 2 : 1;
    if (position + width > maxBytes) break;
    position += width;
  }
  return position;
}

}  // namespace platform
