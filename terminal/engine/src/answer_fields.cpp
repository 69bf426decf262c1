#include "engine/answer_fields.h"

#include <cstddef>
#include <cstring>
#include <limits>

#include "backend/field_text.h"

namespace engine {
namespace {

// Room for the fields of the longest lines the back end sends (its pushes
// run to some fifty), so that a line's field ends are placed once.
constexpr std::size_t kUsualFieldCount = 64;

}  // namespace

LineFields::LineFields(std::string_view line) {
  // A line of 4 GiB and more is no line the back end sends: the fields that
  // end beyond what 32 bits count are left out.
  const std::size_t closed = line.rfind(backend::kFieldSeparator);
  if (closed == std::string_view::npos || closed >= std::numeric_limits<std::uint32_t>::max()) return;
  text_.assign(line.substr(0, closed));
  // One pass notes the separators and restores the escaped ones, which are
  // no separators.
  ends_.reserve(kUsualFieldCount);
  for (std::size_t at = 0; at < text_.size(); ++at) {
    char& byte = text_[at];
    if (byte == backend::kFieldSeparator) {
      ends_.push_back(static_cast<std::uint32_t>(at));
    } else if (byte == backend::kEscapedSeparator) {
      byte = backend::kFieldSeparator;
    }
  }
  ends_.push_back(static_cast<std::uint32_t>(closed));
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
