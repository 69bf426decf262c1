#include "request_text.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

#include "borrowed_list.h"
#include "text.h"

namespace connpool {
namespace {

constexpr std::string_view kMask = "********";
constexpr int kReloginFunction = 5001;
// Functions whose field 9 holds a second password.
constexpr int kSecondPasswordFunctions[] = {5013, 5014, 5301};

std::string Head(std::string_view mac, int requestNumber, int functionNumber) {
  std::string text = "R|";
  text += mac;
  text += kSeparator;
  text += std::to_string(requestNumber);
  text += kSeparator;
  text += std::to_string(functionNumber);
  text += kSeparator;
  return text;
}

void AppendField(std::string& text, std::string_view field) {
  text += field;
  text += kSeparator;
}

// Where field n (from 1) starts, or npos when the text has fewer than n - 1
// separators.
std::size_t FieldStart(std::string_view text, int n) {
  std::size_t start = 0;
  for (int field = 1; field < n; ++field) {
    const std::size_t separator = text.find(kSeparator, start);
    if (separator == std::string_view::npos) return std::string_view::npos;
    start = separator + 1;
  }
  return start;
}

// Field n up to its separator; empty when it has none.
std::string_view ClosedField(std::string_view text, int n) {
  const std::size_t start = FieldStart(text, n);
  if (start == std::string_view::npos) return {};
  const std::size_t end = text.find(kSeparator, start);
  if (end == std::string_view::npos) return {};
  return text.substr(start, end - start);
}

// Field n up to its separator, or to the end of a text that has none there.
void MaskField(std::string& text, int n) {
  const std::size_t start = FieldStart(text, n);
  if (start == std::string::npos) return;
  const std::size_t end = std::min(text.find(kSeparator, start), text.size());
  text.replace(start, end - start, kMask);
}

}  // namespace

std::string RequestText(std::string_view mac, int requestNumber, int functionNumber, const PackedBlock* arguments) {
  std::string text = Head(mac, requestNumber, functionNumber);
  if (arguments == nullptr) return text;
  const BorrowedList list(arguments);
  for (int index = 0; index < list->Count(); ++index) AppendField(text, list->TextAt(index));
  return text;
}

std::string FollowUpText(std::string_view mac, int requestNumber) { return Head(mac, requestNumber, 0); }

std::string ReloginText(std::string_view mac, const PackedBlock* changeArguments) {
  std::string text = Head(mac, 0, kReloginFunction);
  const BorrowedList list(changeArguments);
  for (int index : {0, 1, 2, 4}) AppendField(text, list->TextAt(index));
  AppendField(text, "1");
  AppendField(text, "1");
  return text;
}

std::string MaskPasswordFields(std::string_view line) {
  const std::size_t requestStart = line.find("R|");
  if (requestStart == std::string_view::npos) return std::string(line);
  std::string request(line.substr(requestStart));
  const long function = std::strtol(std::string(ClosedField(request, 4)).c_str(), nullptr, 10);
  if (function == 0) return std::string(line);  // an answer carries no password
  MaskField(request, 8);
  if (std::find(std::begin(kSecondPasswordFunctions), std::end(kSecondPasswordFunctions), function) !=
      std::end(kSecondPasswordFunctions))
    MaskField(request, 9);
  return std::string(line.substr(0, requestStart)) + request;
}

}  // namespace connpool
