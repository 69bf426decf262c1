#include "delimited_field.h"

#include <vector>

namespace gatelin {
namespace {

struct Span {
  std::size_t begin;
  std::size_t end;
};

// Where each field lies; a text ending in a separator has no empty field
// after it.
std::vector<Span> FieldSpans(std::string_view text, char separator) {
  std::vector<Span> spans;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find(separator, begin);
    if (end == std::string_view::npos) end = text.size();
    spans.push_back({begin, end});
    begin = end + 1;
  }
  return spans;
}

}  // namespace

std::optional<std::string_view> DelimitedField(std::string_view text, int n, char separator) {
  if (n < 0) return std::nullopt;
  const auto spans = FieldSpans(text, separator);
  if (static_cast<std::size_t>(n) >= spans.size()) return std::nullopt;
  return text.substr(spans[n].begin, spans[n].end - spans[n].begin);
}

std::string FieldOrEmpty(std::string_view text, int n, char separator) {
  return std::string(DelimitedField(text, n, separator).value_or(std::string_view()));
}

void SetDelimitedField(std::string& text, int n, std::string_view value, char separator) {
  if (n < 0) return;
  const auto spans = FieldSpans(text, separator);
  if (static_cast<std::size_t>(n) < spans.size()) {
    text.replace(spans[n].begin, spans[n].end - spans[n].begin, value);
    return;
  }
  if (!text.empty() && text.back() != separator) text.push_back(separator);
  text.append(static_cast<std::size_t>(n) - spans.size(), separator);
  text.append(value);
  text.push_back(separator);
}

void ReplaceExistingField(std::string& text, int n, std::string_view value, char separator) {
  if (DelimitedField(text, n, separator)) SetDelimitedField(text, n, value, separator);
}

}  // namespace gatelin
