// A request as the back end reads it, and the answer lines it writes back.
//
// Request text: "R|<machine address>|<sequence number>|<function>|" and the
// parameters, each closed by "|". The terminal's own functions start their
// parameters with a reserved empty text, the application tag, the customer
// number and the password, so parameter k is field k + 4.
//
// Answer status line: "A|<address>|<sequence number>|" echoed from the
// request, then "Y" and the data, or "N", an error code and its text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simbackend {

// Fields of the business frame.
inline constexpr std::size_t kCustomerField = 7;
inline constexpr std::size_t kPasswordField = 8;

// The function number of a follow-up request, which fetches the next row of
// the multi-row answer named by its sequence number.
inline constexpr int kFollowUpFunction = 0;
// The function number of every login (trading, management, sub-account and
// quote gateway).
inline constexpr int kLoginFunction = 5001;

struct Request {
  std::vector<std::string> fields;  // "|" read back from 0x01
  int function = 0;

  // Field n, counted from 1; empty when the request has fewer fields.
  const std::string& Field(std::size_t n) const;
  const std::string& Address() const { return Field(2); }
  const std::string& Sequence() const { return Field(3); }
};

// Null when the text is not "R|...|...|<number>|" with at least these four
// fields closed, or when it has more fields than Server::kMaxRequestFields.
std::optional<Request> ParseRequest(std::string_view text);

// The function number of a text as far as it can be read; -1 when it cannot.
int PeekFunction(std::string_view text);

// "A|addr|seq|Y|" followed by `values`.
std::string AcceptedLine(const Request& request, const std::vector<std::string>& values);
// A row of a multi-row answer: "A|addr|seq|" followed by `values`.
std::string RowLine(const Request& request, const std::vector<std::string>& values);
// "A|addr|seq|N|code|text|"; without a request, address and sequence are empty.
std::string RefusedLine(const Request* request, int code, std::string_view text);

}  // namespace simbackend
