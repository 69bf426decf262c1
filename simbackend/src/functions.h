// The back end's answers to the terminal's functions, by function number.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "request.h"
#include "session.h"
#include "simbackend/backend_data.h"

namespace simbackend {

// Error codes of refused requests; the terminal shows their texts.
enum ErrorCode : int {
  kNoSuchCustomer = 1001,
  kWrongPassword = 1002,
  kWrongRole = 1003,
  kNotManaged = 1004,
  kCredentialsMismatch = 1005,
  kNotManagement = 1006,
  kUnknownFunction = 9001,
  kNotLoggedIn = 9002,
  kMalformedRequest = 9003,
  kNoMoreRows = 9004,
};

struct Answer {
  std::string line;               // the status line, with the data of a single-packet answer
  std::vector<std::string> rows;  // a multi-row answer's rows, one per follow-up request
};

class Functions {
 public:
  // `ownPort` replaces the port of quote servers listed as this back end itself.
  Functions(const BackendData& data, std::uint16_t ownPort);

  // Answers one request (not a follow-up) of the connection numbered
  // `connection`, whose session a login or logout changes.
  Answer Handle(const Request& request, Session& session, std::uint64_t connection);

 private:
  struct LastLogin {
    std::string address;
    std::string date;
    std::string time;
    std::string channel;
  };
  using Handler = Answer (Functions::*)(const Request&, Session&);

  Answer Login(const Request& request, Session& session, std::uint64_t connection);
  Answer QuoteServers(const Request& request, Session& session);
  Answer ManagedAccounts(const Request& request, Session& session);
  Answer Logout(const Request& request, Session& session);

  // The login's kind, or a refusal line.
  SessionKind CheckLogin(const Request& request, std::string& refusal) const;
  std::vector<std::string> AccountValues(const Account& account, SessionKind kind, const Request& request,
                                         std::uint64_t connection);
  // True when the request's customer number and password may act on this
  // session: its own account, signed by the account's password or, for a
  // sub-account, by its manager's.
  bool Authorized(const Request& request, const Session& session) const;
  bool SignsFor(const std::string& customer, const std::string& password) const;

  const BackendData& data_;
  const std::uint16_t ownPort_;
  const std::map<int, Handler> handlers_;
  std::mutex lastLoginsMutex_;  // guards lastLogins_
  std::map<std::string, LastLogin> lastLogins_;
};

}  // namespace simbackend
