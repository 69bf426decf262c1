// Rows of the engine's tables for tests and benchmarks: one builder for each
// kind of row, taking the fields a test sets, named in the row's order. A
// field the test leaves out takes its default below (the usual account,
// exchange, seat, trade code and contract, speculation, an order that works
// with nothing traded) or stays empty. A row goes into a table with AddRow
// and comes out with RowsOf.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/data_set_block.h"
#include "backend/exercise_order_row.h"
#include "engine/engine_table.h"
#include "engine/reference_rows.h"
#include "engine/row_field.h"
#include "engine/trading_rows.h"

namespace engine_testing {

using engine::SetText;

// The usual account and where it trades.
inline constexpr std::string_view kAccount = "8001";
inline constexpr std::string_view kExchange = "F1";
inline constexpr std::string_view kSeat = "S01";
inline constexpr std::string_view kTradeCode = "T01";
inline constexpr std::string_view kContract = "cu2609";
// Its trading day and the day before.
inline constexpr std::string_view kToday = "20260915";
inline constexpr std::string_view kYesterday = "20260914";

// False when the table cannot take the row.
template <engine::EngineRow Row>
bool AddRow(engine::EngineTable& table, const Row& row) {
  const auto bytes = engine::RowBytes(row);
  return table.AddEntry(bytes.data(), bytes.size(), backend::data_set_block::kRawType);
}
template <engine::EngineRow Row>
bool AddRow(backend::CxDataSet& table, const Row& row) {
  const auto bytes = engine::RowBytes(row);
  return table.AddEntry(nullptr, bytes.data(), bytes.size(), backend::data_set_block::kRawType);
}

// The rows of a table, each read from its entry; an entry that is no whole
// row fails the test.
template <engine::EngineRow Row, typename Table>
std::vector<Row> RowsOf(const Table& table) {
  std::vector<Row> rows;
  for (std::uint32_t index = 0; index < table.GetCount(); ++index) {
    const std::optional<Row> row = engine::RowFromBytes<Row>(table.GetValue(index));
    EXPECT_TRUE(row.has_value()) << "entry " << index;
    if (row) rows.push_back(*row);
  }
  return rows;
}

// --- Reference rows

struct ContractFields {
  std::string_view exchange = kExchange;
  std::string_view code = kContract;
  std::string_view name{};
  std::string_view multiplier{};
  std::string_view period{};  // the delivery period
  std::string_view variety{};
  std::string_view varietyName{};
  std::string_view tick{};
  std::string_view tradeClass = "0";  // "1" an option
  std::string_view optionType{};      // "C" a call
  std::string_view strike{};
};
engine::ContractRow Contract(const ContractFields& fields);
// An option of the usual exchange whose code names its underlying's variety
// and delivery period, "C" (call) or "P" (put) and the strike, the last two
// set off by "-" or not: "m2609C3000", "IO2609-P-3000".
engine::ContractRow Option(std::string_view code, std::string_view multiplier);

struct ExchangeSeatFields {
  std::string_view exchange = kExchange;
  std::string_view name{};
  std::string_view abbreviation{};
  std::string_view seat = kSeat;
  std::string_view closeToday{};    // "1": close-today orders taken
  std::string_view marketOrders{};  // "1": market orders taken
  std::string_view exerciseInstruction{};
};
engine::ExchangeSeatRow ExchangeSeat(const ExchangeSeatFields& fields);

void SetPair(engine::RatePair& pair, std::string_view byAmount, std::string_view perLot);

// The usual account's rates of a contract: open/close fees (0.0001, 0),
// (0, 2), (0, 0); close-today fees (0.0002, 0), (0, 1), (0, 0); every margin
// pair (0.1, 0).
engine::FeeRateRow FeeRates(std::string_view contract);

engine::PriceContractRow PriceRow(std::string_view contract, std::string_view price,
                                  std::string_view exchange = kExchange);

// An order kind's leg.
struct KindLeg {
  std::string_view buySell{};
  std::string_view openClose{};
  std::string_view ratio{};
  std::string_view priceSign{};
  std::string_view marginFactor{};
};

// An order kind; its leg count is that of its legs unless given.
struct OrderKindFields {
  std::string_view exchange = kExchange;
  std::string_view strategy{};
  std::string_view key3 = "0";
  std::string_view key4 = "0";
  std::string_view key5 = "0";
  std::string_view legCount{};
  std::vector<KindLeg> legs{};
};
engine::OrderKindRow OrderKind(const OrderKindFields& fields);

// --- Account rows

struct FundFields {
  std::string_view account = kAccount;
  std::string_view previousBalance{};
  std::string_view buyFrozen{};
  std::string_view sellFrozen{};
  std::string_view buyMargin{};
  std::string_view sellMargin{};
  std::string_view usable{};
  std::string_view equity{};
  std::string_view fees{};
  std::string_view floatingProfit{};
  std::string_view closingProfit{};
  std::string_view depositsToday{};  // deposits less withdrawals
  std::string_view feeFrozen{};
  std::string_view totalFrozen{};
  std::string_view totalMargin{};
  std::string_view credit{};
  std::string_view premiumPaid{};
  std::string_view premiumReceived{};
  std::string_view premiumFrozen{};
  std::string_view optionValue{};
  std::string_view optionFloatingMargin{};
};
engine::FundRow Fund(const FundFields& fields);

// The account's fund with 10000.00 of equity, all of it usable but for
// 200.00 frozen for a sell order; 300.00 deposited today.
engine::FundRow SellFrozenFund(std::string_view account = kAccount);

struct OrderFields {
  std::string_view account = kAccount;
  std::string_view exchange = kExchange;
  std::string_view orderNo{};
  std::string_view contract = kContract;
  std::string_view state = "a";
  std::string_view buySell = "0";
  std::string_view openClose = "0";
  std::string_view hedge = "0";
  std::string_view lots{};
  std::string_view price{};
  std::string_view traded = "0";
  std::string_view tradeCode = kTradeCode;
  std::string_view seat{};
  std::string_view sequence{};  // of the order's states
  std::string_view orderSeat{};
  std::string_view frozenMargin{};
  std::string_view frozenFee{};
  std::string_view frozenPremium{};
};
engine::OrderRow Order(const OrderFields& fields);

// An order on a strategy of up to four legs; a leg counts when its contract
// is given.
struct SpecialOrderFields {
  std::string_view account = kAccount;
  std::string_view orderNo{};
  std::string_view state{};
  std::string_view sequence{};
  std::string_view systemNo{};  // the legs' combination number
  std::string_view tradeCode{};
  std::string_view exchange = kExchange;
  std::string_view orderSeat{};
  std::string_view traded{};
  std::string_view lots{};
  std::string_view strategy{};
  std::string_view key3{};
  std::string_view key4{};
  std::string_view key5{};
  std::vector<std::string_view> legContracts{};
  std::vector<std::string_view> legFrozenMoney{};
  std::vector<std::string_view> legFrozenFees{};
};
engine::SpecialOrderRow SpecialOrder(const SpecialOrderFields& fields);

// A trade; its system number is "S" and the deal number.
struct TradeFields {
  std::string_view account = kAccount;
  std::string_view exchange = kExchange;
  std::string_view contract = kContract;
  std::string_view buySell = "0";
  std::string_view openClose = "0";
  std::string_view hedge = "0";
  std::string_view lots{};
  std::string_view price{};
  std::string_view tradeCode = kTradeCode;
  std::string_view dealNo{};
  std::string_view seat = kSeat;
};
engine::TradeRow Trade(const TradeFields& fields);

// A position detail, held at its open price.
struct DetailFields {
  std::string_view account = kAccount;
  std::string_view openDate = kYesterday;
  std::string_view dealNo = "1";  // of the opening trade
  std::string_view seat = kSeat;
  std::string_view exchange = kExchange;
  std::string_view tradeCode = kTradeCode;
  std::string_view buySell = "0";
  std::string_view hedge = "0";
  std::string_view lots{};
  std::string_view price{};
  std::string_view margin{};
  std::string_view kind = "ordinary";  // else the combination kind of a leg
  std::string_view contract = kContract;
};
engine::PositionDetailRow Detail(const DetailFields& fields);

struct SummaryFields {
  std::string_view account = kAccount;
  std::string_view exchange = kExchange;
  std::string_view contract = kContract;
  std::string_view hedge = "0";
  std::string_view lots{};
  std::string_view tradeCode = kTradeCode;
  std::string_view todayLots{};
  std::string_view positionPrice{};
  std::string_view buySell = "0";
  std::string_view seat = kSeat;
  std::string_view positionCost{};
  std::string_view openCost{};
  std::string_view tradeClass{};
};
engine::PositionSummaryRow Summary(const SummaryFields& fields);

// One leg of a combination position.
struct LegFields {
  std::string_view account = kAccount;
  std::string_view openDate{};
  std::string_view exchange = kExchange;
  std::string_view kind{};  // the combination kind, as its position detail's
  std::string_view legNumber{};
  std::string_view combinationNo{};
  std::string_view dealNo{};
  std::string_view contract{};  // the leg's contract code parts, when given
  std::string_view lots{};
  std::string_view buySell{};
  std::string_view price{};
  std::string_view margin{};
  std::string_view strategy{};
  std::string_view key4 = "0";
};
engine::CombinationDetailRow Leg(const LegFields& fields);

// --- Option applications

struct ApplicationFields {
  std::string_view account = kAccount;
  std::string_view applicationNo{};
  std::string_view exchange = kExchange;
  std::string_view contract{};
  std::string_view state{};
  std::string_view tradeCode{};
  std::string_view seat{};
  std::string_view lots{};
  std::string_view key{};
  std::string_view kind{};  // "1" takes the exercisable row's second frozen quantity
};
backend::ExerciseOrderRow Application(const ApplicationFields& fields);

struct ExercisableQuantityFields {
  std::string_view account = kAccount;
  std::string_view exchange = kExchange;
  std::string_view contract{};
  std::string_view key{};
  std::string_view frozenLots{};
  std::string_view frozenLotsOfKind1{};
};
engine::ExercisableQuantityRow ExercisableQuantity(const ExercisableQuantityFields& fields);

}  // namespace engine_testing
