// The error codes of refused requests; the terminal shows their texts.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>

namespace simbackend {

enum ErrorCode : int {
  kNoSuchCustomer = 1001,
  kWrongPassword = 1002,
  kWrongRole = 1003,
  kNotManaged = 1004,
  kCredentialsMismatch = 1005,
  kNotManagement = 1006,
  kNoSuchContract = 2001,
  kBadParameter = 2002,
  kNoSuchEntry = 2003,
  kAlreadyDone = 2004,
  kNoPosition = 2005,
  kCtpLoginFailed = 2006,
  kNotEnoughFunds = 2007,
  kPriceBeyondLimits = 2008,
  kNotTaken = 2009,  // an order type, instruction or opening the exchange or account does not take
  kUnknownFunction = 9001,
  kNotLoggedIn = 9002,
  kMalformedRequest = 9003,
  kNoMoreRows = 9004,
};

// A request refused: its code and the text the terminal shows.
struct Refused {
  int code = 0;
  std::string text;
};

// A code of a request that must be one of `codes`: none, or its refusal.
inline std::optional<Refused> BadCode(const std::string& what, const std::string& code,
                                      std::initializer_list<const char*> codes) {
  if (std::any_of(codes.begin(), codes.end(), [&](const char* c) { return code == c; })) return std::nullopt;
  return Refused{kBadParameter, what + "'" + code + "'无效！"};
}

}  // namespace simbackend
