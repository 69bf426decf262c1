#include "simbackend/field_line.h"

#include <algorithm>

namespace simbackend {
namespace {

constexpr char kSeparator = '|';
constexpr char kEscapedSeparator = '\x01';

}  // namespace

FieldLine& FieldLine::Add(std::string_view value) {
  const std::size_t start = text_.size();
  text_.append(value);
  std::replace(text_.begin() + static_cast<std::ptrdiff_t>(start), text_.end(), kSeparator, kEscapedSeparator);
  text_.push_back(kSeparator);
  return *this;
}

FieldLine& FieldLine::AddNumber(long long value) { return Add(std::to_string(value)); }

FieldLine& FieldLine::AddAll(const std::vector<std::string>& values) {
  // Room for every value and its separator at once: a long line grows once,
  // to its very length.
  std::size_t length = text_.size() + values.size();
  for (const std::string& value : values) length += value.size();
  text_.reserve(length);
  for (const std::string& value : values) Add(value);
  return *this;
}

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields;
  for (std::size_t end = line.find(kSeparator); end != std::string_view::npos; end = line.find(kSeparator)) {
    std::string& field = fields.emplace_back(line.substr(0, end));
    std::replace(field.begin(), field.end(), kEscapedSeparator, kSeparator);
    line.remove_prefix(end + 1);
  }
  return fields;
}

}  // namespace simbackend
