// The settlement statements of a trading account, built from its book as it
// stands: the statement of the trading day and that of its month. Each is a
// list of text lines (GBK, columns padded with blanks), which the terminal
// shows one a row as they are.
//
// The book holds the trades of the trading day only, so the month's
// statement lists those; its opening balance is the previous day's balance
// less what came in and went out earlier in the month.
#pragma once

#include <string>
#include <vector>

#include "account_day.h"
#include "simbackend/account_view.h"
#include "simbackend/backend_data.h"

namespace simbackend {

enum class StatementPeriod { kDay, kMonth };

struct StatementBook {
  const Account& account;
  std::string tradingDay;         // "YYYYMMDD"
  Funds funds;                    // now
  AccountView view;               // the trades and positions now
  std::vector<MoneyEntry> money;  // the deposits and withdrawals of the period, in order
};

std::vector<std::string> StatementLines(StatementPeriod period, const StatementBook& book);

}  // namespace simbackend
