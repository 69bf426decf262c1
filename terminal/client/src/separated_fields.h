// The fields of one separated-field line, found in one walk along it, for a
// reader of many fields: field n is then taken where it stands rather than
// searched for from the line's start.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

#include "backend/field_text.h"

namespace client {

// Holds views into the line, which must outlive it; fields beyond
// kMaxFields read as absent.
class SeparatedFields {
 public:
  static constexpr int kMaxFields = 64;

  explicit SeparatedFields(std::string_view line, char separator = backend::kFieldSeparator) : line_(line) {
    // Offsets are 32-bit: fields beyond 4 GiB read as absent. One byte walk,
    // since the fields are a few bytes each and a search call per field
    // would cost more than the bytes it skips.
    const std::size_t end = std::min<std::size_t>(line.size(), std::numeric_limits<std::uint32_t>::max());
    for (std::size_t at = 0; at < end && count_ < kMaxFields; ++at) {
      if (line[at] == separator) starts_[++count_] = static_cast<std::uint32_t>(at + 1);
    }
  }

  // Field n as it stands in the line (0x01 not turned); empty when field n
  // does not exist, as for backend::GetSeparatedField.
  std::string_view Raw(int n) const {
    return n >= 1 && n <= count_ ? line_.substr(starts_[n - 1], starts_[n] - starts_[n - 1] - 1) : std::string_view();
  }

 private:
  std::string_view line_;
  int count_ = 0;
  // Field n runs from starts_[n - 1] to its separator at starts_[n] - 1.
  std::uint32_t starts_[kMaxFields + 1] = {};
};

}  // namespace client
