// The fixed-field helpers of settings_records.h.
#pragma once

#include <cstring>

#include "platform/gbk.h"

namespace shell {

template <std::size_t N>
void SetField(char (&field)[N], std::string_view text) {
  const std::size_t length = platform::GbkFitLength(text, N - 1);
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), length);
}

}  // namespace shell
