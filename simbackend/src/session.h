// Who is logged in on one connection.
#pragma once

#include <string>

namespace simbackend {

enum class SessionKind { kNone, kTrading, kManagement, kSubAccount, kQuote };

struct Session {
  SessionKind kind = SessionKind::kNone;
  std::string customer;  // for a quote session, the quote user
};

}  // namespace simbackend
