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

inline constexpr std::string_view kNoTradeCodeText = "交易编码不存在！";

// Where a customer trades a contract.
struct ContractTradingCode {
  std::string exchangeCode;
  std::string seat;
  std::string tradeCode;
};

// The first of the engine's trade codes of the customer at the contract's
// exchange whose kind fits the hedge flag ("0" speculation, "1" hedge): kind
// "1" serves hedge orders only, "3" speculative orders only, "2" none, any
// other kind every order. Asks the engine's tables, not the back end. False
// with the engine's message while it downloads, else with "交易编码不存在！"
// (also for a contract the engine does not know).
bool GetContractTradingCode(std::string_view customerNo, std::string_view contractCode, std::string_view hedge,
                            ContractTradingCode& code, std::string& message);

}  // namespace client
