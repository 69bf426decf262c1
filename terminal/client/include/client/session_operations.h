// The customer's session: the password rules and the password change of the
// account logged in on slot 0, and the log-out of every logged-in account.
// Each runs synchronously through the engine on the GUI thread.
#pragma once

#include <string>
#include <string_view>

#include "backend/request_record.h"

namespace client {

inline constexpr std::string_view kPasswordChangedText = "修改成功";

// The back end's rules for passwords of the kind (function 5126), asked by
// the first trading account. The answered record, whose rows the caller
// reads; null with the reason.
backend::RequestPtr QueryPasswordRules(std::string_view passwordKind, std::string& message);

// Changes a password of the account on slot 0. A password kind other than 0
// (function 5013) signs the request with the old password in place of the
// stored one; kind 0 (function 5050) signs it with the stored password and
// names the customer twice before the old and the new password. True with
// "修改成功" in `message`; false with the reason.
bool ChangePassword(std::string_view oldPassword, int passwordKind, std::string_view newPassword, std::string& message);

// Logs every logged-in account out (function 5461), each on its own slot,
// after writing the time online to the program log. The answers are not
// read. True when the last account's request went out (also when no account
// is logged in); false when it did not, or when a request could not be
// built, which ends the log-out there.
bool Logout();

}  // namespace client
