// The options whose exercise the customer can give up: the fourteen-field
// records of the abandonable-option query's answer, the abandon view's rows
// made from them and back, and the quantity the abandon confirmation takes.
// Texts are GBK. No toolkit.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "backend/request_record.h"
#include "client/option_operations.h"
#include "tradeviews/model/query_rows.h"

namespace tradeviews {

// One abandonable option: fields 4 to 17 of an answer row, the record that
// the abandon application sends and refreshes.
using AbandonableOptionRecord = client::OptionsAbandonApplication;

// The members by meaning (0-based); the first three and member 5 are not
// shown.
namespace abandon_member {
inline constexpr std::size_t kTradingCode = 3;
inline constexpr std::size_t kExchange = 4;
inline constexpr std::size_t kContract = 6;
inline constexpr std::size_t kBuyPosition = 7;
inline constexpr std::size_t kSellPosition = 8;
inline constexpr std::size_t kForecastProfit = 9;
inline constexpr std::size_t kSuggested = 10;
inline constexpr std::size_t kLargest = 11;
inline constexpr std::size_t kApplied = 12;
inline constexpr std::size_t kSettlementPrice = 13;
}  // namespace abandon_member

// The widths of the members, terminator included: each holds one byte less.
inline constexpr std::array<std::size_t, AbandonableOptionRecord::kMemberCount> kAbandonMemberWidths{
    9, 16, 16, 16, 2, 8, 32, 8, 8, 16, 8, 8, 8, 16};

// The records of the answer's rows (sub-request 0, every line after its
// status line), in order; none for an answer of its status line alone.
std::vector<AbandonableOptionRecord> BuildOptionExerciseRows(const backend::RequestRecord& answer);

// The decimals of the forecast settlement price: those of the contract's
// tick, at least 2.
int SettlementPriceDecimals(double priceTick);

// The abandon view's cells: "合约", "买持仓量", "卖持仓量", "建议放弃量",
// "最大可放弃量", "已申请放弃量", "预测执行盈亏" ("%.02f"), "预测交割结算价"
// (with `priceDecimals`), "交易编码", "交易所".
Cells AbandonableCells(const AbandonableOptionRecord& record, int priceDecimals);
// The record behind a row's cells, each cut to its member; the members the
// row does not show stay empty.
AbandonableOptionRecord AbandonableRecordFromCells(const Cells& cells);

// What the abandon confirmation makes of its quantity text: taken (a digit
// string from 0 to the largest abandonable quantity), not yet a quantity
// (empty), or refused (anything else).
enum class QuantityEntry { kTaken, kEmpty, kRefused };
QuantityEntry CheckAbandonQuantity(std::string_view text, std::string_view largest);

inline constexpr std::string_view kAbandonQuantityRefusedText = "输入数值无效，请输入0-最大放弃量之间的数值";
inline constexpr std::string_view kNoAbandonableOptionsText = "查询可放弃执行期权，没有结果集返回。";

}  // namespace tradeviews
