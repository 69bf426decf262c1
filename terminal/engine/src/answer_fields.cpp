#include "engine/answer_fields.h"

#include <algorithm>
#include <cstring>

#include "backend/field_text.h"

namespace engine {

LineFields::LineFields(std::string_view line) {
  for (std::size_t end = line.find(backend::kFieldSeparator); end != std::string_view::npos;
       end = line.find(backend::kFieldSeparator)) {
    std::string field(line.substr(0, end));
    std::replace(field.begin(), field.end(), backend::kEscapedSeparator, backend::kFieldSeparator);
    fields_.push_back(std::move(field));
    line.remove_prefix(end + 1);
  }
}

std::string_view LineFields::Field(int n) const {
  if (n < 1 || static_cast<std::size_t>(n) > fields_.size()) return {};
  return fields_[static_cast<std::size_t>(n) - 1];
}

std::string_view LineFields::Trimmed(int n) const { return backend::TrimBlanks(Field(n)); }

std::string_view AnswerLineAt(const backend::CxDataSetView& answer, std::size_t index) {
  const std::span<const std::uint8_t> value = answer.GetValue(index);
  if (value.empty()) return {};
  const char* text = reinterpret_cast<const char*>(value.data());
  return {text, strnlen(text, value.size())};
}

}  // namespace engine
