// After the login and before the main window: the customer's login
// information with the important notices, and the settlement statement that
// the customer must look at and, where the back end demands it, confirm. No
// toolkit: the dialogs and queries are functions.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "backend/account_table.h"

namespace shell {

// The nine texts of the customer information dialog, in control order
// 1175..1183: name, customer number, risk level, risk degree, last login
// address, date, time and channel, notices.
using CustomerInformation = std::array<std::string, 9>;

// Fills the texts from the account record; for a trading role (2) whose
// field 16 is "1" the notices come from `queryNotices` (empty when it fails).
CustomerInformation DescribeCustomer(const backend::AccountRecord& account, int role,
                                     const std::function<bool(std::string& notices)>& queryNotices);

struct StatementServices {
  // Function 5472 with an empty date and type "1": the statement's lines.
  std::function<bool(std::vector<std::string>& lines, std::string& message)> query;
  // The statement dialog; true for "确认".
  std::function<bool(const std::vector<std::string>& lines)> showReport;
  // Function 5471.
  std::function<bool(std::string& message)> confirm;
  std::function<void(int type, const std::string& text)> log;
  std::function<void(const std::string& text, const std::string& caption)> message;
};

// True to go on with start-up: role 1, mode 0 and a statement already
// confirmed pass at once; a failed query is reported and passes; under
// mode 2 a refused or failed confirmation ends start-up.
bool ConfirmSettlementStatementAtLogin(const backend::AccountRecord& account, int role,
                                       const StatementServices& services);

}  // namespace shell
