// Queries of the account and the back end: funds, the back end's date and
// time, the seats' time differences, and the trade code under which a
// customer trades a contract. Each runs synchronously on the GUI thread and
// returns false with the reason in `message`.
#pragma once

#include <string>
#include <string_view>

#include "backend/request_record.h"

namespace client {

// Asks for the customer's funds (function 5002). The engine applies the
// answer to its fund table; nothing of it is kept here.
bool QueryFunds(std::string_view customerNo, std::string& message);

// The back end's clock as its answer to function 5122 gives it.
struct SystemDate {
  std::string date;         // field 6, "YYYYMMDD"
  std::string time;         // field 10, "HH:MM:SS"
  std::string tradingDate;  // field 5, "YYYYMMDD"
};

// Asked by the first trading account.
bool QuerySystemDate(SystemDate& systemDate, std::string& message);

// The seats' time differences (function 5125), asked by the first trading
// account. The answered record, whose rows the caller reads; null with the
// reason.
backend::RequestPtr QuerySeatTimeDifference(std::string& message);

}  // namespace client
