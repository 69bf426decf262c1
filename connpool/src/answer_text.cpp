#include "answer_text.h"

#include <algorithm>
#include <cstring>

#include "text.h"

namespace connpool {
namespace {

constexpr char kEscapedSeparator = '\x01';

// The closed fields from field n on, in order; `each` gets every one.
template <typename Each>
bool ForEachClosedField(std::string_view answer, int n, Each each) {
  std::size_t start = 0;
  for (int field = 1;; ++field) {
    const std::size_t end = answer.find(kSeparator, start);
    if (end == std::string_view::npos) return true;
    if (field >= n && !each(answer.substr(start, end - start))) return false;
    start = end + 1;
  }
}

}  // namespace

std::string AnswerField(std::string_view answer, int n) {
  if (n < 1) return {};
  std::string found;
  ForEachClosedField(answer, n, [&](std::string_view field) {
    found.assign(field);
    return false;  // the first closed field from n on is field n
  });
  std::replace(found.begin(), found.end(), kEscapedSeparator, kSeparator);
  return found;
}

bool IsAccepted(std::string_view status) { return status == "Y" || status == "y"; }

bool AppendFields(std::string_view answer, int n, PackedList& packet) {
  return ForEachClosedField(answer, std::max(n, 1), [&](std::string_view field) { return packet.AddText(field); });
}

std::vector<std::string_view> PushLines(const char* data, int length) {
  std::vector<std::string_view> lines;
  if (data == nullptr || length <= 0) return lines;
  std::string_view rest(data, static_cast<std::size_t>(length));
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\0'), rest.size());
    if (end > 0) lines.push_back(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return lines;
}

}  // namespace connpool
