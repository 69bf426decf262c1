// What an account may still open and close in one contract, or in one
// combination strategy, before an order is sent: the order panels and the
// order module ask through GetClosableVolume.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

class COperationEngine;

// The caller fills the seven texts (zero-terminated, zero-filled record);
// the engine fills the results.
struct QuantityRecord {
  char szTradeAccount[32];
  char szExchangeCode[30];
  char szContractCode[30];
  char szFlagSH[30];   // hedge code
  char szPrice[30];    // empty or "0": the contract's last price
  char szMapCode[30];  // trade code; empty for any
  char szSeatCode[34];
  double usableMoney;  // the account's available funds
  std::int32_t openableBuy;
  std::int32_t openableSell;
  std::int32_t closableBuy;   // what a buy order may close (held sell lots)
  std::int32_t closableSell;  // what a sell order may close (held buy lots)
  std::int32_t closableTodayBuy;
  std::int32_t closableTodaySell;
  std::int32_t heldBuy;
  std::int32_t heldSell;
  std::int32_t heldTodayBuy;
  std::int32_t heldTodaySell;
};
static_assert(sizeof(QuantityRecord) == 264);
static_assert(offsetof(QuantityRecord, szExchangeCode) == 32);
static_assert(offsetof(QuantityRecord, szPrice) == 122);
static_assert(offsetof(QuantityRecord, szSeatCode) == 182);
static_assert(offsetof(QuantityRecord, usableMoney) == 216);
static_assert(offsetof(QuantityRecord, openableBuy) == 224);
static_assert(offsetof(QuantityRecord, heldTodaySell) == 260);

// An order on a combination strategy. The strategy is looked up among the
// order kinds with its exchange code, strategy code, key 3 and key 4, once
// for closing and once for opening.
struct CombinationQuantityQuery {
  std::string_view account{};
  std::string_view exchangeCode{};
  std::string_view strategyCode{};
  std::string_view key3{};
  std::string_view key4{};
  std::array<std::string_view, 4> legContracts{};  // the contract of each leg
  std::string_view hedge{};
  std::string_view tradeCode{};  // empty for any
  std::string_view seatCode{};
};

// Combinations an order may close and open: -1 where neither the funds nor
// the positions set a bound.
struct CombinationQuantities {
  double usableMoney = 0.0;
  int closable = 0;
  int openable = 0;
};

inline constexpr std::string_view kStrategyNotFoundText = "组合策略不存在|";

// Fills the record's results through the engine's busy-guarded position
// quantities; with `volumesOnly` the funds and openable volumes stay 0.
// False, with the reason in `error`, while the engine downloads.
bool GetClosableVolume(COperationEngine& engine, QuantityRecord& record, bool volumesOnly, std::string& error);

}  // namespace engine
