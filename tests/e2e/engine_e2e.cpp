#include "engine_e2e.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <thread>
#include <tuple>

#include "backend/exercise_order_row.h"
#include "engine/money.h"

namespace engine_e2e {
namespace {

using engine::Table;
using engine::Text;

std::string Str(std::string_view text) { return std::string(text); }

std::string Joined(const Key& key) {
  std::string text;
  for (const std::string& field : key) text += field + " ";
  return text;
}

// The rows only one side holds, for a failure message: long lists that
// differ in a row or two are unreadable whole.
std::string Difference(const std::vector<Key>& engineKeys, const std::vector<Key>& bookKeys) {
  std::vector<Key> engineOnly;
  std::vector<Key> bookOnly;
  std::ranges::set_difference(engineKeys, bookKeys, std::back_inserter(engineOnly));
  std::ranges::set_difference(bookKeys, engineKeys, std::back_inserter(bookOnly));
  std::string text;
  for (const Key& key : engineOnly) text += "\n  the engine's only: " + Joined(key);
  for (const Key& key : bookOnly) text += "\n  the book's only:   " + Joined(key);
  return text;
}

void ExpectSameRows(const std::vector<Key>& engineKeys, const std::vector<Key>& bookKeys, std::string_view what) {
  EXPECT_TRUE(engineKeys == bookKeys) << what << " apart:" << Difference(engineKeys, bookKeys);
}

}  // namespace

bool PumpUntil(const std::function<void()>& drain, const std::function<bool()>& done, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::vector<Key> Sorted(std::vector<Key> keys) {
  std::ranges::sort(keys);
  return keys;
}

std::vector<KeyedRows> KeyedBusiness(const VisibleEngine& engine, const simbackend::AccountView& book,
                                     std::string_view customer) {
  std::vector<Key> bookOrders;
  std::vector<Key> bookSpecialOrders;
  for (const simbackend::OrderView& order : book.orders) {
    if (order.strategy.empty()) {
      bookOrders.push_back({order.number, order.exchange, order.contract, order.buySell, order.openClose, order.hedge,
                            std::to_string(order.lots), std::to_string(order.filled), order.state, order.frozenMargin,
                            order.frozenFee, order.frozenPremium});
    } else {
      bookSpecialOrders.push_back({order.number, order.exchange, std::to_string(order.lots),
                                   std::to_string(order.filled), order.state, order.frozenMargin, order.frozenFee});
    }
  }
  std::vector<Key> bookTrades;
  for (const simbackend::TradeView& trade : book.trades) {
    bookTrades.push_back({trade.fillNumber, trade.orderNumber, trade.exchange, trade.contract, trade.buySell,
                          trade.openClose, trade.hedge, std::to_string(trade.lots), trade.price});
  }
  std::vector<Key> bookApplications;
  for (const simbackend::ApplicationView& application : book.applications) {
    bookApplications.push_back({application.number, application.exchange, application.contract, application.state,
                                std::to_string(application.lots)});
  }

  std::vector<Key> engineApplications;
  for (const backend::ExerciseOrderRow& row : engine.Rows<backend::ExerciseOrderRow>(Table::kExerciseOrders)) {
    if (Text(row.szAccount) != customer) continue;
    engineApplications.push_back({Str(Text(row.szApplicationNo)), Str(Text(row.szExchangeCode)),
                                  Str(Text(row.szContractCode)), Str(Text(row.szStateCode)), Str(Text(row.szLots))});
  }

  using engine::ReadMoney;
  return {
      {"orders",
       OfAccount<engine::OrderRow>(engine.Rows<engine::OrderRow>(Table::kOrders), customer,
                                   [](const engine::OrderRow& row) -> Key {
                                     return {Str(Text(row.szOrderNo)),        Str(Text(row.szExchangeCode)),
                                             Str(Text(row.szContractCode)),   Str(Text(row.szNameBS)),
                                             Str(Text(row.szNameEO)),         Str(Text(row.szNameSH)),
                                             Str(Text(row.szOrderHands)),     Str(Text(row.szDealHands)),
                                             Str(Text(row.szFlagOrderState)), Str(Text(row.szFrozenCautionMoney)),
                                             Str(Text(row.szFrozenCharge)),   Str(Text(row.szFrozenPremium))};
                                   }),
       Sorted(std::move(bookOrders))},
      {"special orders",
       OfAccount<engine::SpecialOrderRow>(
           engine.Rows<engine::SpecialOrderRow>(Table::kSpecialOrders), customer,
           [](const engine::SpecialOrderRow& row) -> Key {
             // The book's amounts are both legs'.
             return {Str(Text(row.szOrderNo)),
                     Str(Text(row.szExchangeCode)),
                     Str(Text(row.szOrderHands)),
                     Str(Text(row.szDealHands)),
                     Str(Text(row.szFlagOrderState)),
                     engine::MoneyText(ReadMoney(row.szLegFrozenMoney1) + ReadMoney(row.szLegFrozenMoney2)),
                     engine::MoneyText(ReadMoney(row.szLegFrozenCharge1) + ReadMoney(row.szLegFrozenCharge2))};
           }),
       Sorted(std::move(bookSpecialOrders))},
      {"trades",
       OfAccount<engine::TradeRow>(engine.Rows<engine::TradeRow>(Table::kTrades), customer,
                                   [](const engine::TradeRow& row) -> Key {
                                     return {Str(Text(row.szDealNo)),       Str(Text(row.szOrderNo)),
                                             Str(Text(row.szExchangeCode)), Str(Text(row.szContractCode)),
                                             Str(Text(row.szNameBS)),       Str(Text(row.szNameEO)),
                                             Str(Text(row.szNameSH)),       Str(Text(row.szDealHands)),
                                             Str(Text(row.szDealPrice))};
                                   }),
       Sorted(std::move(bookTrades))},
      {"applications", Sorted(std::move(engineApplications)), Sorted(std::move(bookApplications))},
  };
}

void ExpectDayAsTheBookHasIt(const VisibleEngine& engine, const simbackend::AccountView& book,
                             std::string_view customer, const std::set<std::string_view>& apart) {
  for (const KeyedRows& rows : KeyedBusiness(engine, book, customer)) ExpectSameRows(rows.engine, rows.book, rows.what);

  std::vector<Key> bookPositions;
  for (const simbackend::PositionView& position : book.positions) {
    bookPositions.push_back({position.exchange, position.contract, position.buySell, position.hedge, position.tradeCode,
                             position.seat, std::to_string(position.lots), std::to_string(position.todayLots),
                             position.margin, position.cost});
  }
  ExpectSameRows(
      OfAccount<engine::PositionSummaryRow>(engine.Rows<engine::PositionSummaryRow>(Table::kPositionSummary), customer,
                                            [](const engine::PositionSummaryRow& row) -> Key {
                                              return {Str(Text(row.szExchangeCode)),
                                                      Str(Text(row.szContractCode)),
                                                      Str(Text(row.szFlagBS)),
                                                      Str(Text(row.szFlagSH)),
                                                      Str(Text(row.szMapCode)),
                                                      Str(Text(row.szSeatCode)),
                                                      std::to_string(engine::ReadInt(row.szPositionVolume)),
                                                      std::to_string(engine::ReadInt(row.szTodayVolume)),
                                                      Str(Text(row.szEngrossCautionMoney)),
                                                      Str(Text(row.szPositionCost))};
                                            }),
      Sorted(bookPositions), "positions");

  const std::vector<engine::FundRow> funds = engine.Rows<engine::FundRow>(Table::kFunds);
  const auto fund =
      std::ranges::find_if(funds, [&](const engine::FundRow& row) { return Text(row.szTradeAccount) == customer; });
  ASSERT_NE(fund, funds.end());
  EXPECT_EQ(
      std::ranges::count_if(funds, [&](const engine::FundRow& row) { return Text(row.szTradeAccount) == customer; }),
      1);
  const simbackend::FundsView& money = book.funds;
  const std::vector<std::tuple<std::string_view, std::string_view, std::string>> figures{
      {"previous balance", Text(fund->szDepositYesterday), money.previousBalance},
      {"deposits", Text(fund->szAnswerField11), money.deposits},
      {"withdrawals", Text(fund->szAnswerField12), money.withdrawals},
      {"buy frozen", Text(fund->szBFreeze), money.buyFrozen},
      {"sell frozen", Text(fund->szSFreeze), money.sellFrozen},
      {"frozen fee", Text(fund->szFreezeCommissionCharge), money.frozenFee},
      {"frozen premium", Text(fund->szFrozenRoyalty), money.frozenPremium},
      {"buy margin", Text(fund->szBCautionMoney), money.buyMargin},
      {"sell margin", Text(fund->szSCautionMoney), money.sellMargin},
      {"fees", Text(fund->szCommissionCharge), money.fees},
      {"closing profit", Text(fund->szOffsetProfitAndLoss), money.closingProfit},
      {"floating profit", Text(fund->szProfitAndLoss), money.floatingProfit},
      {"premium paid", Text(fund->szRoyaltyOut), money.premiumPaid},
      {"premium received", Text(fund->szRoyaltyIn), money.premiumReceived},
      {"option value", Text(fund->szOptionMarketValue), money.optionValue},
      {"credit", Text(fund->szCreditMoney), money.credit},
      {"available", Text(fund->szUsableMoney), money.available},
      {"equity", Text(fund->szDynamicRights), money.equity},
  };
  for (const auto& [name, engineFigure, bookFigure] : figures) {
    if (!apart.contains(name)) {
      EXPECT_EQ(engineFigure, bookFigure) << name;
    }
  }
}

}  // namespace engine_e2e
