#include "request.h"

#include <algorithm>
#include <charconv>

#include "simbackend/field_line.h"
#include "simbackend/server.h"

namespace simbackend {
namespace {

constexpr std::size_t kHeadFields = 4;

std::optional<int> ReadFunction(const std::string& text) {
  int value = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || failure != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

FieldLine AnswerHead(const Request* request) {
  FieldLine line("A");
  line.Add(request != nullptr ? request->Address() : "").Add(request != nullptr ? request->Sequence() : "");
  return line;
}

}  // namespace

const std::string& Request::Field(std::size_t n) const {
  static const std::string kEmpty;
  return n >= 1 && n <= fields.size() ? fields[n - 1] : kEmpty;
}

std::optional<Request> ParseRequest(std::string_view text) {
  // Counted before anything is split, so that a flood of separators costs
  // one pass over the text.
  if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '|')) > Server::kMaxRequestFields)
    return std::nullopt;
  Request request;
  request.fields = SplitFields(text);
  if (request.fields.size() < kHeadFields || request.fields[0] != "R") return std::nullopt;
  const std::optional<int> function = ReadFunction(request.fields[3]);
  if (!function) return std::nullopt;
  request.function = *function;
  return request;
}

int PeekFunction(std::string_view text) {
  const std::optional<Request> request = ParseRequest(text);
  return request ? request->function : -1;
}

std::string AcceptedLine(const Request& request, const std::vector<std::string>& values) {
  return AnswerHead(&request).Add("Y").AddAll(values).TakeText();
}

std::string RowLine(const Request& request, const std::vector<std::string>& values) {
  return AnswerHead(&request).AddAll(values).TakeText();
}

std::string RefusedLine(const Request* request, int code, std::string_view text) {
  return AnswerHead(request).Add("N").AddNumber(code).Add(text).TakeText();
}

}  // namespace simbackend
