#include "engine/answer_fields.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "backend/field_text.h"

namespace engine {

LineFields::LineFields(std::string_view line) {
  // A line of 4 GiB and more is no line the back end sends: the fields that
  // end beyond what 32 bits count are left out.
  const std::size_t closed = line.rfind(backend::kFieldSeparator);
  if (closed == std::string_view::npos || closed >= std::numeric_limits<std::uint32_t>::max()) return;
  text_.assign(line.substr(0, closed));
  const auto separators = std::count(text_.begin(), text_.end(), backend::kFieldSeparator);
  ends_.reserve(static_cast<std::size_t>(separators) + 1);
  for (std::size_t end = text_.find(backend::kFieldSeparator); end != std::string::npos;
       end = text_.find(backend::kFieldSeparator, end + 1)) {
    ends_.push_back(static_cast<std::uint32_t>(end));
  }
  ends_.push_back(static_cast<std::uint32_t>(closed));
  std::replace(text_.begin(), text_.end(), backend::kEscapedSeparator, backend::kFieldSeparator);
}

std::string_view LineFields::Field(int n) const {
  if (n < 1 || static_cast<std::size_t>(n) > ends_.size()) return {};
  const auto index = static_cast<std::size_t>(n) - 1;
  const std::size_t start = index == 0 ? 0 : ends_[index - 1] + 1;
  return std::string_view(text_).substr(start, ends_[index] - start);
}

std::string_view LineFields::Trimmed(int n) const { return backend::TrimBlanks(Field(n)); }

std::string_view AnswerLineAt(const backend::CxDataSetView& answer, std::size_t index) {
  const std::span<const std::uint8_t> value = answer.GetValue(index);
  if (value.empty()) return {};
  const char* text = reinterpret_cast<const char*>(value.data());
  return {text, strnlen(text, value.size())};
}

}  // namespace engine
