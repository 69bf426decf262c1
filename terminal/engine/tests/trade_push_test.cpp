#include <gtest/gtest.h>

#include <array>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "engine/testing/calculation_engine.h"

namespace {

using namespace engine_testing;
using engine::CombinationDetailRow;
using engine::FundRow;
using engine::OrderRow;
using engine::PositionDetailRow;
using engine::PositionSummaryRow;
using engine::SpecialOrderRow;
using engine::Table;
using engine::TableChangeRecord;
using engine::Text;
using engine::TradeRow;

constexpr std::string_view kOrderNo = "12";
constexpr std::string_view kOrderSeat = "OS1";

// The positions engine whose back end answers the query for one order as
// the test sets it.
class PushEngine : public CalculationEngine {
 public:
  using COperationEngineBase::AddOrder;
  using COperationEngineBase::OnTradePush;

  // The back end's order, or none that it knows.
  std::optional<TableChangeRecord> backEndOrder;
  std::vector<std::string> askedOrders;  // "order number,exchange,order seat,account"
  bool lockFreeWhileAsked = true;

 protected:
  bool QueryOrderRecord(const engine::OrderSelectors& order, std::string_view customer,
                        TableChangeRecord& record) override {
    askedOrders.push_back(std::string(order.orderNo) + "," + std::string(order.exchangeCode) + "," +
                          std::string(order.orderSeat) + "," + std::string(customer));
    std::thread other([&] {
      const bool free = lock_.try_lock();
      if (free) lock_.unlock();
      lockFreeWhileAsked = lockFreeWhileAsked && free;
    });
    other.join();
    if (!backEndOrder) return false;
    record = *backEndOrder;
    return true;
  }
};

// A trade push: fields 1 to 46, the fill's own and those of the usual
// account, exchange, seat and order; the rest empty.
class FillPush {
 public:
  FillPush(std::string_view dealNo, std::string_view buySell, std::string_view openClose, int lots,
           std::string_view price, std::string_view contract = "cu2609") {
    Set(4, "15005").Set(8, kAccount).Set(9, kExchange).Set(10, kToday).Set(11, kOrderNo).Set(14, contract);
    Set(16, buySell).Set(18, openClose).Set(20, "0").Set(22, std::to_string(lots)).Set(24, price);
    Set(27, kTradeCode).Set(28, "S" + std::string(kOrderNo)).Set(29, dealNo).Set(30, contract.substr(2));
    Set(31, "09:30:05").Set(32, kSeat).Set(37, kOrderSeat);
  }
  FillPush& Set(int field, std::string_view text) {
    fields_.at(static_cast<std::size_t>(field) - 1) = text;
    return *this;
  }
  // Fields 12, 23 and 35: the order's state and lots still open after the
  // fill, and its state sequence.
  FillPush& Order(std::string_view state, int lotsOpen, std::string_view sequence) {
    return Set(12, state).Set(23, std::to_string(lotsOpen)).Set(35, sequence);
  }
  std::string Line() const {
    std::string line;
    for (const std::string& field : fields_) line += field + "|";
    return line;
  }

 private:
  std::array<std::string, 46> fields_;
};

// The fund figures a fill moves.
struct FundFigures {
  std::string usable, equity, buyFrozen, sellFrozen, feeFrozen, totalFrozen, buyMargin, sellMargin, fees;
  bool operator==(const FundFigures&) const = default;
};

FundFigures FiguresOf(const FundRow& fund) {
  return {std::string(Text(fund.szUsableMoney)),
          std::string(Text(fund.szDynamicRights)),
          std::string(Text(fund.szBFreeze)),
          std::string(Text(fund.szSFreeze)),
          std::string(Text(fund.szFreezeCommissionCharge)),
          std::string(Text(fund.szTotalFreeze)),
          std::string(Text(fund.szBCautionMoney)),
          std::string(Text(fund.szSCautionMoney)),
          std::string(Text(fund.szCommissionCharge))};
}

[[maybe_unused]] std::ostream& operator<<(std::ostream& out, const FundFigures& f) {
  return out << "usable " << f.usable << ", equity " << f.equity << ", frozen " << f.buyFrozen << "/" << f.sellFrozen
             << "/" << f.feeFrozen << " of " << f.totalFrozen << ", margin " << f.buyMargin << "/" << f.sellMargin
             << ", fees " << f.fees;
}

// 100000.00 and nothing frozen, held or paid.
const FundFigures kFreshFund{"100000.00", "100000.00", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00"};

// A fund row of these figures; every other amount 0.00.
FundRow FundOf(const FundFigures& figures) {
  return Fund({.buyFrozen = figures.buyFrozen,
               .sellFrozen = figures.sellFrozen,
               .buyMargin = figures.buyMargin,
               .sellMargin = figures.sellMargin,
               .usable = figures.usable,
               .equity = figures.equity,
               .fees = figures.fees,
               .floatingProfit = "0.00",
               .closingProfit = "0.00",
               .feeFrozen = figures.feeFrozen,
               .totalFrozen = figures.totalFrozen,
               .totalMargin = "0.00",
               .premiumPaid = "0.00",
               .premiumReceived = "0.00",
               .premiumFrozen = "0.00"});
}

// An order of the usual keys with its frozen margin, fee and premium.
OrderRow KeyedOrder(std::string_view buySell, std::string_view openClose, std::string_view lots,
                    std::string_view traded, std::string_view margin, std::string_view fee) {
  return Order({.orderNo = kOrderNo,
                .buySell = buySell,
                .openClose = openClose,
                .lots = lots,
                .traded = traded,
                .seat = kSeat,
                .orderSeat = kOrderSeat,
                .frozenMargin = margin,
                .frozenFee = fee,
                .frozenPremium = "0.00"});
}

class TradePush : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::string_view contract : {"cu2609", "cu2612"}) {
      engine::ContractRow row = Contract({.code = contract, .multiplier = "10"});
      SetText(row.szVarietyCode, "cu");
      SetText(row.szAccountDay, contract.substr(2));
      engine.Add(Table::kContracts, row);
      engine.backEndFeeRates.push_back(FeeRates(contract));
    }
  }

  void Push(const FillPush& fill) { engine.OnTradePush(fill.Line()); }

  // "<table id><letter>" of each record told to the GUI since the last call.
  std::vector<std::string> Told() {
    std::vector<std::string> told;
    for (std::size_t index = toldBefore_; index < engine.notified.size(); ++index) {
      const TableChangeRecord& record = engine.notified[index].record;
      told.push_back(std::to_string(record.TableId()) + record.Operation());
    }
    toldBefore_ = engine.notified.size();
    return told;
  }

  FundFigures FundNow() { return FiguresOf(engine.Rows<FundRow>(Table::kFunds).at(0)); }
  OrderRow OrderNow() { return engine.Rows<OrderRow>(Table::kOrders).at(0); }

  PushEngine engine;

 private:
  std::size_t toldBefore_ = 0;
};

struct PartialFill {
  std::string_view dealNo;
  int lotsOpen;
  std::string_view state;
  std::string_view frozenMargin, frozenFee, traded;
  FundFigures fund;
  std::vector<std::string> told;
};

TEST_F(TradePush, PartialFillsFreeTheirShareOfTheFrozenAmountsAndTheLastFillFreesTheRest) {
  // A buy of 3 lots froze 9000.00 of margin and 16.00 of fee. Each lot fills
  // at 3000 and costs 3000.00 of margin and 5.00 of fee (0.0001 of 30000
  // and 2 a lot); the frozen fee scales 16.00 -> 10.67 -> 5.34 -> 0.
  engine.Add(Table::kFunds, FundOf(kFreshFund));
  ASSERT_TRUE(engine.AddOrder(KeyedOrder("0", "0", "3", "0", "9000.00", "16.00"), true));
  EXPECT_EQ(FundNow(),
            (FundFigures{"90984.00", "100000.00", "9000.00", "0.00", "16.00", "9016.00", "0.00", "0.00", "0.00"}));
  Told();

  const PartialFill fills[] = {
      {"101",
       2,
       "p",
       "6000.00",
       "10.67",
       "1",
       {"90984.33", "99995.00", "6000.00", "0.00", "10.67", "6010.67", "3000.00", "0.00", "5.00"},
       {"2u", "5i", "1u", "4i"}},
      {"102",
       1,
       "p",
       "3000.00",
       "5.34",
       "2",
       {"90984.66", "99990.00", "3000.00", "0.00", "5.34", "3005.34", "6000.00", "0.00", "10.00"},
       {"2u", "5u", "1u", "4i"}},
      {"103",
       0,
       "c",
       "0.00",
       "0.00",
       "3",
       {"90985.00", "99985.00", "0.00", "0.00", "0.00", "0.00", "9000.00", "0.00", "15.00"},
       {"2u", "5u", "1u", "4i"}},
  };
  for (const PartialFill& fill : fills) {
    SCOPED_TRACE(fill.dealNo);
    Push(FillPush(fill.dealNo, "0", "0", 1, "3000").Order(fill.state, fill.lotsOpen, fill.dealNo));
    const OrderRow order = OrderNow();
    EXPECT_EQ(Text(order.szFrozenCautionMoney), fill.frozenMargin);
    EXPECT_EQ(Text(order.szFrozenCharge), fill.frozenFee);
    EXPECT_EQ(Text(order.szFrozenPremium), "0.00");
    EXPECT_EQ(Text(order.szDealHands), fill.traded);
    EXPECT_EQ(Text(order.szFlagOrderState), fill.state);
    EXPECT_EQ(Text(order.szStateSequence), fill.dealNo);
    EXPECT_EQ(Text(order.szSysNo), "S12");
    EXPECT_EQ(FundNow(), fill.fund);
    EXPECT_EQ(Told(), fill.told);
  }

  const std::vector<TradeRow> trades = engine.Rows<TradeRow>(Table::kTrades);
  ASSERT_EQ(trades.size(), 3u);
  const TradeRow& first = trades[0];
  EXPECT_EQ(Text(first.szTradeAccount), kAccount);
  EXPECT_EQ(Text(first.szOrderNo), kOrderNo);
  EXPECT_EQ(Text(first.szContractCode), "cu2609");
  EXPECT_EQ(Text(first.szDealNo), "101");
  EXPECT_EQ(Text(first.szDealHands), "1");
  EXPECT_EQ(Text(first.szDealPrice), "3000");
  EXPECT_EQ(Text(first.szAccountDay), "2609");
  EXPECT_EQ(Text(first.szSeatCode), kSeat);
  EXPECT_EQ(Text(first.szMargin), "3000.00");
  EXPECT_EQ(Text(first.szCommission), "5.00");
  EXPECT_EQ(Text(first.szRoyalty), "");
  EXPECT_EQ(Text(engine.Rows<PositionSummaryRow>(Table::kPositionSummary).at(0).szPositionVolume), "3");
}

struct RepeatedFill {
  std::string_view name;
  std::string_view dealNo;
  std::string_view buySell;
  bool booked;
};

TEST_F(TradePush, AFillPushedAgainIsBookedOnce) {
  const RepeatedFill cases[] = {
      {"the same push again", "101", "0", false},
      {"its fill number with leading zeros", "000101", "0", false},
      {"the other side of the same fill number", "101", "1", true},
  };
  for (const RepeatedFill& test : cases) {
    SCOPED_TRACE(test.name);
    PushEngine fresh;
    fresh.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
    fresh.backEndFeeRates.push_back(FeeRates("cu2609"));
    fresh.Add(Table::kFunds, FundOf(kFreshFund));
    fresh.OnTradePush(FillPush("101", "0", "0", 1, "3000").Line());
    const FundFigures once = FiguresOf(fresh.Rows<FundRow>(Table::kFunds).at(0));
    const std::size_t toldOnce = fresh.notified.size();

    fresh.OnTradePush(FillPush(test.dealNo, test.buySell, "0", 1, "3000").Line());
    EXPECT_EQ(fresh.Rows<TradeRow>(Table::kTrades).size(), test.booked ? 2u : 1u);
    EXPECT_EQ(fresh.Rows<PositionDetailRow>(Table::kPositionDetails).size(), test.booked ? 2u : 1u);
    EXPECT_EQ(fresh.notified.size() == toldOnce, !test.booked);
    EXPECT_EQ(FiguresOf(fresh.Rows<FundRow>(Table::kFunds).at(0)) == once, !test.booked);
  }
}

TEST_F(TradePush, AFillTheEngineHoldsAlreadyStillBringsItsOrderForward) {
  // A download asked for the orders before the fill and for the trades
  // after it: the order has 3 lots open, and the fill is booked.
  engine.Add(Table::kFunds, FundOf(kFreshFund));
  ASSERT_TRUE(engine.AddOrder(KeyedOrder("0", "0", "3", "0", "9000.00", "16.00"), true));
  TradeRow booked{};
  SetText(booked.szTradeAccount, kAccount);
  SetText(booked.szExchangeCode, kExchange);
  SetText(booked.szNameBS, "0");
  SetText(booked.szDealNo, "101");
  engine.Add(Table::kTrades, booked);

  Push(FillPush("101", "0", "0", 1, "3000").Order("p", 2, "101"));
  const OrderRow order = OrderNow();
  EXPECT_EQ(Text(order.szDealHands), "1");
  EXPECT_EQ(Text(order.szFlagOrderState), "p");
  EXPECT_EQ(Text(order.szFrozenCautionMoney), "6000.00");
  EXPECT_EQ(Text(order.szFrozenCharge), "10.67");
  // What the fill used of the frozen amounts goes back; its margin and fee
  // are not booked a second time.
  EXPECT_EQ(FundNow(),
            (FundFigures{"93989.33", "100000.00", "6000.00", "0.00", "10.67", "6010.67", "0.00", "0.00", "0.00"}));
  EXPECT_EQ(engine.Rows<TradeRow>(Table::kTrades).size(), 1u);
  EXPECT_TRUE(engine.Rows<PositionDetailRow>(Table::kPositionDetails).empty());

  // The same fill once more changes nothing.
  Push(FillPush("101", "0", "0", 1, "3000").Order("p", 2, "101"));
  EXPECT_EQ(Text(OrderNow().szFrozenCautionMoney), "6000.00");
  EXPECT_EQ(FundNow().usable, "93989.33");
}

// The day's trades the booked fills are told from, however their rows moved
// between the pushes.
TEST_F(TradePush, AFillIsToldFromTheTradesAsTheyAreNow) {
  PushEngine engine;
  engine.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
  engine.backEndFeeRates.push_back(FeeRates("cu2609"));
  engine.Add(Table::kFunds, FundOf(kFreshFund));
  const auto push = [&](std::string_view dealNo) {
    engine.OnTradePush(FillPush(dealNo, "0", "0", 1, "3000").Line());
    std::vector<std::string> numbers;
    for (const TradeRow& trade : engine.Rows<TradeRow>(Table::kTrades)) numbers.emplace_back(Text(trade.szDealNo));
    return numbers;
  };
  const auto removeTrade = [&](std::uint32_t index) {
    std::lock_guard guard(engine.lock_);
    ASSERT_TRUE(engine.TableAt(Table::kTrades).RemoveEntry(index));
  };
  push("101");
  push("102");
  EXPECT_EQ(push("103"), (std::vector<std::string>{"101", "102", "103"}));

  removeTrade(0);  // the later trades move up
  EXPECT_EQ(push("0102"), (std::vector<std::string>{"102", "103"}));
  EXPECT_EQ(push("101"), (std::vector<std::string>{"102", "103", "101"})) << "no longer among the trades";

  removeTrade(2);  // the last trade, and another in its place
  EXPECT_EQ(push("104"), (std::vector<std::string>{"102", "103", "104"}));
  EXPECT_EQ(push("104"), (std::vector<std::string>{"102", "103", "104"}));
  EXPECT_EQ(push("101"), (std::vector<std::string>{"102", "103", "104", "101"}));
}

struct StaleFill {
  std::string_view name;
  std::string_view lots, traded;
  int lotsOpen;
  std::string_view frozenMargin;  // afterwards
};

TEST_F(TradePush, AFillThatLeavesNoFewerLotsOpenAdvancesNothingAndDividesByNothing) {
  const StaleFill cases[] = {
      {"the order is filled already", "3", "3", -1, "90.00"},
      {"the order has no lots", "", "", -2, "90.00"},
      {"as many lots as before stay open", "3", "1", 2, "90.00"},
      {"a negative count of lots open is none", "3", "1", -1, "0.00"},
  };
  for (const StaleFill& test : cases) {
    SCOPED_TRACE(test.name);
    PushEngine fresh;
    fresh.Add(Table::kOrders, KeyedOrder("0", "0", test.lots, test.traded, "90.00", "6.00"));
    fresh.OnTradePush(FillPush("101", "0", "0", 1, "3000").Order("c", test.lotsOpen, "9").Line());
    const OrderRow order = fresh.Rows<OrderRow>(Table::kOrders).at(0);
    EXPECT_EQ(Text(order.szFrozenCautionMoney), test.frozenMargin);
    EXPECT_EQ(Text(order.szFrozenCharge), test.frozenMargin == "0.00" ? "0.00" : "6.00");
    EXPECT_EQ(fresh.Rows<TradeRow>(Table::kTrades).size(), 1u);
  }
}

struct ClosingCase {
  std::string_view name;
  std::string_view strategyText;  // the exchange's close strategy
  std::string_view openClose;
  std::string_view frozenFee;           // of the 2-lot close order
  std::vector<std::string> detailLots;  // of the details opened yesterday and today, afterwards
  FundFigures before, after;
  std::string_view closingProfit, floating;
};

TEST_F(TradePush, AClosingFillTakesLotsByItsStrategyAndCloseTodayTakesTheNewest) {
  // 2 lots bought yesterday at 2900 (margin 5800.00) and 2 today at 3000
  // (6000.00), all floating at the last price 3100: 6000.00. One lot is sold
  // at 3100. Close today takes today's lot: profit 1000.00, 3000.00 of
  // margin freed, fee 7.20 (0.0002 of 31000 and 1). The oldest-first
  // strategy takes yesterday's: profit 2000.00, 2900.00 freed, fee 5.10.
  // The close order froze 10.00 of margin besides its fee; the fill frees
  // half of both.
  const ClosingCase cases[] = {
      {"close today under the oldest-first strategy",
       "策略1",
       "2",
       "14.40",
       {"2", "1"},
       {"88175.60", "106000.00", "0.00", "10.00", "14.40", "24.40", "11800.00", "0.00", "0.00"},
       {"92180.60", "105992.80", "0.00", "5.00", "7.20", "12.20", "8800.00", "0.00", "7.20"},
       "1000.00",
       "5000.00"},
      {"a close under the oldest-first strategy",
       "策略1",
       "1",
       "10.20",
       {"1", "2"},
       {"88179.80", "106000.00", "0.00", "10.00", "10.20", "20.20", "11800.00", "0.00", "0.00"},
       {"93084.80", "105994.90", "0.00", "5.00", "5.10", "10.10", "8900.00", "0.00", "5.10"},
       "2000.00",
       "4000.00"},
  };
  for (const ClosingCase& test : cases) {
    SCOPED_TRACE(test.name);
    PushEngine fresh;
    fresh.Add(Table::kContracts, Contract({.code = "cu2609", .multiplier = "10"}));
    fresh.backEndFeeRates.push_back(FeeRates("cu2609"));
    engine::CloseStrategyRow strategy{};
    SetText(strategy.szExchangeCode, kExchange);
    SetText(strategy.szCloseStrategy, test.strategyText);
    fresh.Add(Table::kCloseStrategies, strategy);
    fresh.Add(Table::kPositionDetails, Detail({.lots = "2", .price = "2900", .margin = "5800.00"}));
    fresh.Add(Table::kPositionDetails,
              Detail({.openDate = kToday, .dealNo = "5", .lots = "2", .price = "3000", .margin = "6000.00"}));
    PositionSummaryRow position = fresh.ApplyTradeToPositions(Position("0"));
    SetText(position.szNewPrice, "3100.00");
    SetText(position.szProfitAndLoss_CC, "6000.00");
    fresh.Add(Table::kPositionSummary, position);
    fresh.Add(Table::kPriceContracts, PriceRow("cu2609", "3100"));
    FundRow fund = FundOf(test.before);
    SetText(fund.szProfitAndLoss, "6000.00");
    SetText(fund.szTotalCautionMoney, "11800.00");
    fresh.Add(Table::kFunds, fund);
    fresh.Add(Table::kOrders, KeyedOrder("1", test.openClose, "2", "0", "10.00", test.frozenFee));

    fresh.OnTradePush(FillPush("101", "1", test.openClose, 1, "3100").Order("p", 1, "3").Line());

    std::vector<std::string> detailLots;
    for (const PositionDetailRow& detail : fresh.Rows<PositionDetailRow>(Table::kPositionDetails)) {
      detailLots.emplace_back(Text(detail.szPositionVolume));
    }
    EXPECT_EQ(detailLots, test.detailLots);
    const FundRow after = fresh.Rows<FundRow>(Table::kFunds).at(0);
    EXPECT_EQ(FiguresOf(after), test.after);
    EXPECT_EQ(Text(after.szOffsetProfitAndLoss), test.closingProfit);
    EXPECT_EQ(Text(after.szProfitAndLoss), test.floating);
    EXPECT_EQ(Text(after.szTotalCautionMoney), test.after.buyMargin);
    EXPECT_EQ(Text(fresh.Rows<OrderRow>(Table::kOrders).at(0).szDealHands), "1");
    const TradeRow trade = fresh.Rows<TradeRow>(Table::kTrades).at(0);
    EXPECT_EQ(Text(trade.szCommission), test.after.fees);
    EXPECT_EQ(Text(trade.szMargin), "");
  }
}

TEST_F(TradePush, ASoldOptionsMarginIsReckonedWithTheLockFreeForTheQuoteTable) {
  // One call sold at 50 against the underlying's quote of 3100: margin
  // max(0.1 * 31000 + 500, 500 + 0.5 * 3100) = 3600.00, fee 0.0001 * 500 +
  // 2 = 2.05, and the premium of 500.00 comes in.
  engine.Add(Table::kContracts, Option("m2609C3000", "10"));
  engine.backEndFeeRates.push_back(FeeRates("m2609C3000"));
  engine.quotes["F1,m2609"] = 3100;
  engine.Add(Table::kFunds, FundOf(kFreshFund));

  Push(FillPush("101", "1", "0", 1, "50", "m2609C3000"));

  EXPECT_EQ(engine.quoteAsks, 1);
  EXPECT_TRUE(engine.lockFreeDuringQuote);
  const TradeRow trade = engine.Rows<TradeRow>(Table::kTrades).at(0);
  EXPECT_EQ(Text(trade.szMargin), "3600.00");
  EXPECT_EQ(Text(trade.szCommission), "2.05");
  EXPECT_EQ(Text(trade.szRoyalty), "500.00");
  EXPECT_EQ(FundNow(),
            (FundFigures{"96897.95", "100497.95", "0.00", "0.00", "0.00", "0.00", "0.00", "3600.00", "2.05"}));
  EXPECT_EQ(Text(engine.Rows<FundRow>(Table::kFunds).at(0).szRoyaltyIn), "500.00");
}

// A two-leg kind of the table: leg 1 buys cu2609 and holds its whole
// margin, leg 2 sells cu2612 and holds half of it; one lot of each a
// combination.
engine::OrderKindRow TwoLegKind() {
  return OrderKind({.strategy = "SP",
                    .legs = {{.buySell = "0", .openClose = "0", .ratio = "1", .marginFactor = "1"},
                             {.buySell = "1", .openClose = "0", .ratio = "1", .marginFactor = "0.5"}}});
}

// A special order of 2 combinations on the two-leg kind, as its answer
// froze them: leg 1 6000.00 and 10.00, leg 2 3000.00 and 10.00.
SpecialOrderRow TwoLegOrder(std::string_view strategy = "SP") {
  return SpecialOrder({.orderNo = "30",
                       .state = "a",
                       .sequence = "1",
                       .orderSeat = kOrderSeat,
                       .traded = "0",
                       .lots = "2",
                       .strategy = strategy,
                       .key3 = "0",
                       .key4 = "0",
                       .key5 = "0",
                       .legContracts = {"cu2609", "cu2612"},
                       .legFrozenMoney = {"6000.00", "3000.00"},
                       .legFrozenFees = {"10.00", "10.00"}});
}

// The push of one leg's fill of special order 30: the combinations filled
// and still open after it.
FillPush LegFill(std::string_view dealNo, int leg, int filled, int open) {
  FillPush fill(dealNo, leg == 1 ? "0" : "1", "0", 1, "3000", leg == 1 ? "cu2609" : "cu2612");
  return fill.Set(11, "30")
      .Set(28, "S30")
      .Set(35, std::to_string(filled + 1))
      .Set(23, std::to_string(open))
      .Set(44, std::to_string(filled))
      .Set(45, std::to_string(open))
      .Set(46, "0");
}

struct CombinationFill {
  std::string_view name;
  std::string_view firstDeal, secondDeal;
  int filled, open;
  std::string_view state;
  std::string_view legFrozen1, legFrozen2, legFee;
  FundFigures fund;
};

TEST_F(TradePush, ASpecialOrdersLegsFreeTheirFrozenAmountsByLegAndHoldTheirKindsShareOfTheMargin) {
  engine.Add(Table::kOrderKinds, TwoLegKind());
  engine.Add(Table::kSpecialOrders, TwoLegOrder());
  engine.Add(Table::kFunds,
             FundOf({"90980.00", "100000.00", "6000.00", "3000.00", "20.00", "9020.00", "0.00", "0.00", "0.00"}));

  // Each leg costs 5.00 of fee and 3000.00 of margin, of which leg 2 holds
  // half; the first leg's push frees both legs' share of the combination.
  const CombinationFill fills[] = {
      {"one of two combinations",
       "201",
       "202",
       1,
       1,
       "p",
       "3000.00",
       "1500.00",
       "5.00",
       {"90980.00", "99990.00", "3000.00", "1500.00", "10.00", "4510.00", "3000.00", "1500.00", "10.00"}},
      {"the last combination",
       "203",
       "204",
       2,
       0,
       "c",
       "0.00",
       "0.00",
       "0.00",
       {"90980.00", "99980.00", "0.00", "0.00", "0.00", "0.00", "6000.00", "3000.00", "20.00"}},
  };
  for (const CombinationFill& fill : fills) {
    SCOPED_TRACE(fill.name);
    Push(LegFill(fill.firstDeal, 1, fill.filled, fill.open));
    EXPECT_EQ(Told(), (std::vector<std::string>{"3u", "1u", fill.filled == 1 ? "5i" : "5u", "1u", "4i"}));
    Push(LegFill(fill.secondDeal, 2, fill.filled, fill.open));
    EXPECT_EQ(Told(), (std::vector<std::string>{fill.filled == 1 ? "5i" : "5u", "1u", "4i"}));

    const SpecialOrderRow order = engine.Rows<SpecialOrderRow>(Table::kSpecialOrders).at(0);
    EXPECT_EQ(Text(order.szDealHands), std::to_string(fill.filled));
    EXPECT_EQ(Text(order.szFlagOrderState), fill.state);
    EXPECT_EQ(Text(order.szStateSequence), std::to_string(fill.filled + 1));
    EXPECT_EQ(Text(order.szSysNo), "S30");
    EXPECT_EQ(Text(order.szLegFrozenMoney1), fill.legFrozen1);
    EXPECT_EQ(Text(order.szLegFrozenMoney2), fill.legFrozen2);
    EXPECT_EQ(Text(order.szLegFrozenCharge1), fill.legFee);
    EXPECT_EQ(Text(order.szLegFrozenCharge2), fill.legFee);
    EXPECT_EQ(FundNow(), fill.fund);
  }

  const std::vector<CombinationDetailRow> legs = engine.Rows<CombinationDetailRow>(Table::kCombinationDetails);
  ASSERT_EQ(legs.size(), 4u);
  const std::string_view legNumbers[] = {"1", "2", "1", "2"};
  const std::string_view margins[] = {"3000.00", "1500.00", "3000.00", "1500.00"};
  for (std::size_t index = 0; index < legs.size(); ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(Text(legs[index].szLegNo), legNumbers[index]);
    EXPECT_EQ(Text(legs[index].szCombinationNo), "S30");
    EXPECT_EQ(Text(legs[index].szOpenDate), kToday);
    EXPECT_EQ(Text(legs[index].szPosKind), "0");
    EXPECT_EQ(Text(legs[index].szPositionVolume), "1");
    EXPECT_EQ(Text(legs[index].szEngrossCautionMoney), margins[index]);
    EXPECT_EQ(Text(legs[index].szStrategyCode), "SP");
  }
  const std::vector<PositionDetailRow> details = engine.Rows<PositionDetailRow>(Table::kPositionDetails);
  ASSERT_EQ(details.size(), 4u);
  EXPECT_EQ(Text(details[1].szPosKind), "0");
  EXPECT_EQ(Text(details[1].szEngrossCautionMoney), "1500.00");
  EXPECT_EQ(Text(engine.Rows<TradeRow>(Table::kTrades).at(1).szMargin), "1500.00");
}

TEST_F(TradePush, ASpecialOrderOfAnUnknownKindIsLeftAndItsFillBookedAsASingleContractOne) {
  engine.Add(Table::kSpecialOrders, TwoLegOrder("XX"));
  Push(LegFill("201", 2, 1, 1));
  EXPECT_EQ(Told(), (std::vector<std::string>{"5i", "4i"}));
  EXPECT_EQ(Text(engine.Rows<SpecialOrderRow>(Table::kSpecialOrders).at(0).szDealHands), "0");
  EXPECT_TRUE(engine.Rows<CombinationDetailRow>(Table::kCombinationDetails).empty());
  const PositionDetailRow detail = engine.Rows<PositionDetailRow>(Table::kPositionDetails).at(0);
  EXPECT_EQ(Text(detail.szPosKind), "ordinary");
  EXPECT_EQ(Text(detail.szEngrossCautionMoney), "3000.00");
}

TEST_F(TradePush, AFillOnNoneOfASpecialOrdersLegsAdvancesItAndIsBookedAsASingleContractOne) {
  engine.Add(Table::kOrderKinds, TwoLegKind());
  engine.Add(Table::kSpecialOrders, TwoLegOrder());
  engine.Add(Table::kContracts, Contract({.code = "cu2701", .multiplier = "10"}));
  engine.backEndFeeRates.push_back(FeeRates("cu2701"));
  Push(LegFill("201", 1, 1, 1).Set(14, "cu2701"));
  EXPECT_EQ(Text(engine.Rows<SpecialOrderRow>(Table::kSpecialOrders).at(0).szDealHands), "1");
  EXPECT_TRUE(engine.Rows<CombinationDetailRow>(Table::kCombinationDetails).empty());
  const PositionDetailRow detail = engine.Rows<PositionDetailRow>(Table::kPositionDetails).at(0);
  EXPECT_EQ(Text(detail.szPosKind), "ordinary");
  EXPECT_EQ(Text(detail.szEngrossCautionMoney), "3000.00");
}

TEST_F(TradePush, AFillOfAnOrderTheEngineLacksAsksTheBackEndWithoutTheLock) {
  // The back end's order: a buy of 2 lots that froze 6000.00 and 10.00.
  engine.Add(Table::kFunds, FundOf(kFreshFund));
  OrderRow backEnd = KeyedOrder("0", "0", "2", "0", "6000.00", "10.00");
  SetText(backEnd.szOrderNo, "00012");
  engine.backEndOrder = TableChangeRecord::RowChange(engine::table_id::kOrders, TableChangeRecord::kInsert, 1, 0,
                                                     engine::RowBytes(backEnd));

  Push(FillPush("101", "0", "0", 1, "3000").Order("p", 1, "3"));

  EXPECT_EQ(engine.askedOrders, (std::vector<std::string>{"12,F1,OS1,8001"}));
  EXPECT_TRUE(engine.lockFreeWhileAsked);
  EXPECT_EQ(Told(), (std::vector<std::string>{"2i", "1u", "2u", "5i", "1u", "4i"}));
  const OrderRow order = OrderNow();
  EXPECT_EQ(Text(order.szDealHands), "1");
  EXPECT_EQ(Text(order.szFrozenCautionMoney), "3000.00");
  EXPECT_EQ(Text(order.szFrozenCharge), "5.00");
  EXPECT_EQ(FundNow(),
            (FundFigures{"93990.00", "99995.00", "3000.00", "0.00", "5.00", "3005.00", "3000.00", "0.00", "5.00"}));
}

TEST_F(TradePush, AFillOfASpecialOrderTheEngineLacksAddsItWithItsLegsFrozenFirst) {
  engine.Add(Table::kOrderKinds, TwoLegKind());
  engine.Add(Table::kFunds, FundOf(kFreshFund));
  engine.backEndOrder = TableChangeRecord::RowChange(engine::table_id::kSpecialOrders, TableChangeRecord::kInsert, 1, 0,
                                                     engine::RowBytes(TwoLegOrder()));

  Push(LegFill("201", 1, 1, 1));

  EXPECT_EQ(engine.askedOrders, (std::vector<std::string>{"30,F1,OS1,8001"}));
  EXPECT_EQ(Told(), (std::vector<std::string>{"3i", "1u", "3u", "1u", "5i", "1u", "4i"}));
  EXPECT_EQ(Text(engine.Rows<SpecialOrderRow>(Table::kSpecialOrders).at(0).szDealHands), "1");
  EXPECT_EQ(FundNow(),
            (FundFigures{"92485.00", "99995.00", "3000.00", "1500.00", "10.00", "4510.00", "3000.00", "0.00", "5.00"}));
}

TEST_F(TradePush, AFillOfAnOrderNobodyKnowsIsStillBooked) {
  engine.Add(Table::kFunds, FundOf(kFreshFund));
  Push(FillPush("101", "0", "0", 1, "3000").Order("p", 1, "3"));
  EXPECT_EQ(engine.askedOrders.size(), 1u);
  EXPECT_TRUE(engine.Rows<OrderRow>(Table::kOrders).empty());
  EXPECT_EQ(Told(), (std::vector<std::string>{"5i", "1u", "4i"}));
  EXPECT_EQ(FundNow(),
            (FundFigures{"96995.00", "99995.00", "0.00", "0.00", "0.00", "0.00", "3000.00", "0.00", "5.00"}));
}

}  // namespace
