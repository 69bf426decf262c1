// The operations of a management account: the trading sub-accounts it
// serves, the check-in to the outside CTP trading system, and the account
// status and deposit/withdrawal maintenance of the management views. Their
// caller texts are the views' own and pass through in the order given.
//
// Except for the list of sub-accounts they are signed by the account on
// slot 0 and sent on slot 0, synchronously through the engine; each returns
// false with the reason in `message`.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace client {

// The trading sub-accounts of the management account logged in on `slot`
// (function 5056), appended to `subAccounts` in answer order, each at most
// 131 bytes. Runs through the connection layer itself: the log-in asks
// before the engine runs. True also for an empty list.
bool QueryManagedTradingAccounts(std::vector<std::string>& subAccounts, std::string& message, int slot);

// Checks in to the CTP system (function 5137). On success `result` takes
// field 7 of the answer and `message` field 8.
bool CheckInToCTP(std::string_view first, std::string_view second, std::string_view third, std::string& result,
                  std::string& message);

// Changes a customer's status (function 5057).
bool MaintainCustomerStatus(std::string_view first, std::string_view second, std::string& message);

// Adds, changes or deletes a deposit or withdrawal (function 5058), the six
// texts in the view's order. On success `entryNo` takes the entry's number
// (field 5 of the answer), which the review names.
bool EditCustomerIOMoney(std::string_view first, std::string_view second, std::string_view third,
                         std::string_view fourth, std::string_view fifth, std::string_view sixth, std::string& entryNo,
                         std::string& message);

// Reviews the deposit or withdrawal entry (function 5059).
bool ReviewCustomerIOMoney(std::string_view entryNo, std::string& message);

}  // namespace client
