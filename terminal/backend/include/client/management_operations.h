// The operations of a management account: the trading sub-accounts it
// serves, and the maintenance that the management views ask for.
#pragma once

#include <string>
#include <vector>

namespace client {

// The trading sub-accounts of the management account logged in on `slot`
// (function 5056), appended to `subAccounts` in answer order, each at most
// 131 bytes. Runs through the connection layer itself: the log-in asks
// before the engine runs. True also for an empty list; false with the
// reason.
bool QueryManagedTradingAccounts(std::vector<std::string>& subAccounts, std::string& message, int slot);

}  // namespace client
