// Rows of one account for engines loaded without a back end (the engine's
// tests and the benchmarks): the usual account, exchange, seat and trade
// code, builders of the rows its tables hold, and a row put straight into a
// stored table.
#pragma once

#include <string>
#include <string_view>

#include "backend/cx_data_set.h"
#include "backend/data_set_block.h"
#include "engine/reference_rows.h"
#include "engine/row_field.h"
#include "engine/trading_rows.h"

namespace engine_testing {

using engine::SetText;

inline constexpr std::string_view kAccount = "8001";
inline constexpr std::string_view kExchange = "F1";
inline constexpr std::string_view kSeat = "S01";
inline constexpr std::string_view kTradeCode = "T01";
inline constexpr std::string_view kToday = "20260915";
inline constexpr std::string_view kYesterday = "20260914";

// False when the table cannot take the row.
template <engine::EngineRow Row>
bool AddRow(backend::CxDataSet& table, const Row& row) {
  const auto bytes = engine::RowBytes(row);
  return table.AddEntry(nullptr, bytes.data(), bytes.size(), backend::data_set_block::kRawType);
}

inline engine::ContractRow Contract(std::string_view code, std::string_view multiplier,
                                    std::string_view tradeClass = "0", std::string_view exchange = kExchange) {
  engine::ContractRow row{};
  SetText(row.szExchangeCode, exchange);
  SetText(row.szContractCode, code);
  SetText(row.szVolumePerHand, multiplier);
  SetText(row.szTradeClass, tradeClass);
  return row;
}

inline void SetPair(engine::RatePair& pair, std::string_view byAmount, std::string_view perLot) {
  SetText(pair.szRateByAmount, byAmount);
  SetText(pair.szAmountPerLot, perLot);
}

// Open/close fees (0.0001, 0), (0, 2), (0, 0); close-today fees (0.0002, 0),
// (0, 1), (0, 0); every margin pair (0.1, 0).
inline engine::FeeRateRow FeeRates(std::string_view contract) {
  engine::FeeRateRow row{};
  SetText(row.szTradeAccount, kAccount);
  SetText(row.szExchangeCode, kExchange);
  SetText(row.szSeatCode, kSeat);
  SetText(row.szContractCode, contract);
  SetPair(row.openCloseFees[0], "0.0001", "0");
  SetPair(row.openCloseFees[1], "0", "2");
  SetPair(row.openCloseFees[2], "0", "0");
  SetPair(row.closeTodayFees[0], "0.0002", "0");
  SetPair(row.closeTodayFees[1], "0", "1");
  SetPair(row.closeTodayFees[2], "0", "0");
  for (engine::RatePair* pair :
       {&row.buySpeculationMargin, &row.sellSpeculationMargin, &row.buyHedgeMargin, &row.sellHedgeMargin}) {
    SetPair(*pair, "0.1", "0");
  }
  return row;
}

inline engine::FundRow Fund(std::string_view usable, std::string_view account = kAccount) {
  engine::FundRow row{};
  SetText(row.szTradeAccount, account);
  SetText(row.szUsableMoney, usable);
  return row;
}

// An order of the usual account, exchange, trade code and hedge.
inline engine::OrderRow Order(std::string_view contract, std::string_view buySell, std::string_view openClose,
                              std::string_view state, std::string_view lots, std::string_view traded = "0") {
  engine::OrderRow row{};
  SetText(row.szTradeAccount, kAccount);
  SetText(row.szExchangeCode, kExchange);
  SetText(row.szContractCode, contract);
  SetText(row.szNameBS, buySell);
  SetText(row.szNameEO, openClose);
  SetText(row.szNameSH, "0");
  SetText(row.szFlagOrderState, state);
  SetText(row.szOrderHands, lots);
  SetText(row.szDealHands, traded);
  SetText(row.szMapCode, kTradeCode);
  return row;
}

// A position detail of the usual account, exchange, seat and trade code.
inline engine::PositionDetailRow Detail(std::string_view buySell, std::string_view lots, std::string_view price,
                                        std::string_view margin, std::string_view openDate = kYesterday,
                                        std::string_view dealNo = "1", std::string_view kind = "ordinary",
                                        std::string_view contract = "cu2609") {
  engine::PositionDetailRow row{};
  SetText(row.szTradeAccount, kAccount);
  SetText(row.szOpenDate, openDate);
  SetText(row.szPosField6, dealNo);
  SetText(row.szSeatCode, kSeat);
  SetText(row.szExchangeCode, kExchange);
  SetText(row.szMapCode, kTradeCode);
  SetText(row.szPosField13, contract.substr(0, 2));
  SetText(row.szPosField14, contract.substr(2));
  SetText(row.szFlagBS, buySell);
  SetText(row.szFlagSH, "0");
  SetText(row.szPositionVolume, lots);
  SetText(row.szPositionPrice, price);
  SetText(row.szOpenPrice, price);
  SetText(row.szEngrossCautionMoney, margin);
  SetText(row.szPosKind, kind);
  SetText(row.szContractCode, contract);
  return row;
}

}  // namespace engine_testing
