// The calculation engine end to end: orders placed at the simulated back end
// through the terminal's transport, filled there as its market moves, their
// pushes applied by the engine as the GUI thread drains them, and the
// engine's orders, trades, positions and funds compared with the back end's
// book to the cent.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "backend/account_table.h"
#include "backend/field_text.h"
#include "backend/request_queue.h"
#include "backend/request_record.h"
#include "backend/sequence_number.h"
#include "backend/testing/request_texts.h"
#include "backend/testing/transport_calls.h"
#include "backend/testing/transport_fixture.h"
#include "backend/transport.h"
#include "engine/operation_engine.h"
#include "engine/row_field.h"
#include "engine/testing/over_transport.h"
#include "engine/testing/started_engine.h"
#include "engine_e2e.h"
#include "platform/files.h"
#include "platform/testing/temporary_folder.h"
#include "simbackend/server.h"

namespace {

using engine::Table;
using engine::Text;

constexpr const char* kCustomer = "10001";
constexpr const char* kPassword = "111111";
constexpr auto kBound = std::chrono::seconds(20);

class EngineFills : public backend_testing::TransportFixture {
 protected:
  EngineFills() : TransportFixture("1.0.0.1") {}

  // The contract cache goes there, and the back end takes the demo's data.
  platform_testing::ScopedProgramFolder programFolder_{"engine-fills"};

  void SetUp() override {
    TransportFixture::SetUp();
    simbackend::ServerOptions options;
    // The market moves only when the test moves it.
    options.quoteInterval = std::chrono::milliseconds(0);
    std::string error;
    server_ = simbackend::Server::Start(std::move(options), error);
    ASSERT_NE(server_, nullptr) << error;
    server_->SetFillBehaviour({simbackend::FillBehaviour::Mode::kPieces, 7});
    ASSERT_NO_FATAL_FAILURE(LogIn());
    ASSERT_NO_FATAL_FAILURE(StartEngine());
    ASSERT_TRUE(ApplyPushesUntil([this] { return engine_.GetEngineState() == engine::EngineState::kReady; }));
  }

  // The engine stops asking before the transport goes, and the back end
  // outlives the transport; no push is left for the next test.
  void TearDown() override {
    engine_.Stop();
    TransportFixture::TearDown();
    while (backend::TheResultQueue().TakeNext()) {
    }
    server_.reset();
  }

  void LogIn() {
    std::string error;
    ASSERT_TRUE(backend_testing::LogInTrader(accounts_, server_->Port(), kCustomer, kPassword, error)) << error;
  }

  // Started as start-up starts it: its download thread downloads the day.
  void StartEngine() {
    ASSERT_TRUE(engine_testing::StartEngine(engine_, accounts_, backend::kTradingLogin,
                                            engine_testing::TransportCallbacks(), backend::LocalMachineAddress()));
  }

  // The best bid and offer of a contract, as the back end quotes it.
  std::pair<std::string, std::string> BestPrices(std::string_view exchange, std::string_view contract) {
    backend::CxDataSet parameters = backend_testing::BusinessFrame(kCustomer, kPassword);
    parameters.AddText(exchange);
    parameters.AddText(contract);
    backend::RequestPtr record = backend_testing::BuildRequest("查询行情", 5007, 2, 0, true, parameters);
    std::string error;
    EXPECT_TRUE(backend::ExecuteRequest(*record, error)) << error;
    const std::string_view line = backend::AnswerLine(*record->At(0), 0);
    return {backend::GetSeparatedFieldText(17, line), backend::GetSeparatedFieldText(18, line)};
  }

  // A day order sent through the engine, which applies its answer; its
  // number.
  std::string PlaceOrder(const std::vector<std::string>& order) {
    backend::CxDataSet parameters = backend_testing::BusinessFrame(kCustomer, kPassword);
    for (const std::string& parameter : order) parameters.AddText(parameter);
    backend::RequestPtr record = backend_testing::BuildRequest("下单", 5011, 2, 0, true, parameters);
    std::string error;
    EXPECT_TRUE(engine_.SendRequest(*record, error)) << error;
    engine_.OnPushBatchDone();
    return backend::GetSeparatedFieldText(5, backend::AnswerLine(*record->At(0), 0));
  }

  // Drains the result queue as the GUI thread's timer does, the engine
  // seeing every push and answer first and closing each drain, until `done`
  // holds; false past the bound.
  bool ApplyPushesUntil(const std::function<bool()>& done) {
    return engine_e2e::PumpUntil([this] { engine_testing::DrainIntoEngine(engine_); }, done, kBound);
  }

  simbackend::AccountView Book() const { return *server_->Book(kCustomer); }

  static std::optional<simbackend::OrderView> OrderIn(const simbackend::AccountView& book, std::string_view number) {
    for (const simbackend::OrderView& order : book.orders) {
      if (order.number == number) return order;
    }
    return std::nullopt;
  }

  static std::size_t FillsIn(const simbackend::AccountView& book, std::string_view number) {
    return static_cast<std::size_t>(
        std::count_if(book.trades.begin(), book.trades.end(),
                      [&](const simbackend::TradeView& fill) { return fill.orderNumber == number; }));
  }

  // Whether the exchange took the order (and filled what crossed the
  // market then) within the bound.
  bool TakenByTheExchange(std::string_view number) const {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    for (;;) {
      const std::optional<simbackend::OrderView> order = OrderIn(Book(), number);
      if (order && order->state != "n") return true;
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  template <engine::EngineRow Row>
  std::optional<Row> EngineOrder(Table table, std::string_view number) {
    for (const Row& order : engine_.Rows<Row>(table)) {
      if (Text(order.szOrderNo) == number) return order;
    }
    return std::nullopt;
  }

  std::size_t EngineTradesOf(std::string_view number) {
    const std::vector<engine::TradeRow> trades = engine_.Rows<engine::TradeRow>(Table::kTrades);
    return static_cast<std::size_t>(std::count_if(
        trades.begin(), trades.end(), [&](const engine::TradeRow& trade) { return Text(trade.szOrderNo) == number; }));
  }

  // Moves the market until the book's order (of `table`) is filled, and
  // after each move lets the engine take every push the move brought and
  // holds it against the book.
  template <engine::EngineRow Row>
  void FillStepByStep(Table table, std::string_view number) {
    ASSERT_TRUE(TakenByTheExchange(number));
    // The book changes only when the test moves the market.
    constexpr int kMaxSteps = 2000;
    for (int step = 0; step < kMaxSteps; ++step) {
      const simbackend::AccountView book = Book();
      const simbackend::OrderView booked = *OrderIn(book, number);
      const std::size_t fills = FillsIn(book, number);
      ASSERT_TRUE(ApplyPushesUntil([&] {
        const std::optional<Row> order = EngineOrder<Row>(table, number);
        return order && Text(order->szFlagOrderState) == booked.state && EngineTradesOf(number) == fills;
      })) << "the engine did not follow the book's "
          << fills << " fills and state " << booked.state;
      SCOPED_TRACE("after " + std::to_string(fills) + " fills");
      ASSERT_NO_FATAL_FAILURE(ExpectOrderAgrees(*EngineOrder<Row>(table, number), booked));
      ASSERT_NO_FATAL_FAILURE(ExpectAccountAgrees());
      if (booked.state == "c") return;
      server_->AdvanceQuotes();
    }
    FAIL() << "order " << number << " was not filled";
  }

  void ExpectOrderAgrees(const engine::OrderRow& order, const simbackend::OrderView& booked) {
    EXPECT_EQ(Text(order.szFlagOrderState), booked.state);
    EXPECT_EQ(engine::ReadInt(order.szDealHands), booked.filled);
    EXPECT_EQ(Text(order.szDealPrice), booked.averagePrice);
    EXPECT_EQ(Text(order.szFrozenCautionMoney), booked.frozenMargin);
    EXPECT_EQ(Text(order.szFrozenCharge), booked.frozenFee);
    EXPECT_EQ(Text(order.szFrozenPremium), booked.frozenPremium);
    ExpectFillsAgree(booked.number);
  }

  // The book's amounts of a special order are both legs'.
  void ExpectOrderAgrees(const engine::SpecialOrderRow& order, const simbackend::OrderView& booked) {
    EXPECT_EQ(Text(order.szFlagOrderState), booked.state);
    EXPECT_EQ(engine::ReadInt(order.szDealHands), booked.filled);
    EXPECT_EQ(Text(order.szDealPrice), booked.averagePrice);
    EXPECT_EQ(
        engine::MoneyText(engine::ReadMoney(order.szLegFrozenMoney1) + engine::ReadMoney(order.szLegFrozenMoney2)),
        booked.frozenMargin);
    EXPECT_EQ(
        engine::MoneyText(engine::ReadMoney(order.szLegFrozenCharge1) + engine::ReadMoney(order.szLegFrozenCharge2)),
        booked.frozenFee);
    ExpectFillsAgree(booked.number);
  }

  void ExpectFillsAgree(std::string_view number) {
    const std::vector<engine::TradeRow> trades = engine_.Rows<engine::TradeRow>(Table::kTrades);
    for (const simbackend::TradeView& fill : Book().trades) {
      if (fill.orderNumber != number) continue;
      SCOPED_TRACE("fill " + fill.fillNumber);
      const auto trade = std::find_if(trades.begin(), trades.end(), [&](const engine::TradeRow& row) {
        return Text(row.szDealNo) == fill.fillNumber;
      });
      ASSERT_NE(trade, trades.end());
      EXPECT_EQ(Text(trade->szContractCode), fill.contract);
      EXPECT_EQ(Text(trade->szNameBS), fill.buySell);
      EXPECT_EQ(Text(trade->szNameEO), fill.openClose);
      EXPECT_EQ(engine::ReadInt(trade->szDealHands), fill.lots);
      EXPECT_EQ(Text(trade->szDealPrice), fill.price);
    }
  }

  // Every position and the funds as the book shows them, at the market's
  // prices of now.
  void ExpectAccountAgrees() {
    engine_.RefreshPrices();
    const simbackend::AccountView book = Book();
    const std::vector<engine::PositionSummaryRow> summary =
        engine_.Rows<engine::PositionSummaryRow>(Table::kPositionSummary);
    EXPECT_EQ(summary.size(), book.positions.size());
    for (const simbackend::PositionView& position : book.positions) {
      SCOPED_TRACE("position " + position.contract + " " + position.buySell);
      const auto row = std::find_if(summary.begin(), summary.end(), [&](const engine::PositionSummaryRow& held) {
        return Text(held.szExchangeCode) == position.exchange && Text(held.szContractCode) == position.contract &&
               Text(held.szFlagBS) == position.buySell && Text(held.szFlagSH) == position.hedge &&
               Text(held.szMapCode) == position.tradeCode && Text(held.szSeatCode) == position.seat;
      });
      ASSERT_NE(row, summary.end());
      EXPECT_EQ(engine::ReadInt(row->szPositionVolume), position.lots);
      EXPECT_EQ(engine::ReadInt(row->szTodayVolume), position.todayLots);
      EXPECT_EQ(Text(row->szEngrossCautionMoney), position.margin);
    }

    const std::vector<engine::FundRow> funds = engine_.Rows<engine::FundRow>(Table::kFunds);
    ASSERT_EQ(funds.size(), 1u);
    const engine::FundRow& fund = funds[0];
    const simbackend::FundsView& booked = book.funds;
    EXPECT_EQ(Text(fund.szBFreeze), booked.buyFrozen);
    EXPECT_EQ(Text(fund.szSFreeze), booked.sellFrozen);
    EXPECT_EQ(Text(fund.szFreezeCommissionCharge), booked.frozenFee);
    EXPECT_EQ(Text(fund.szFrozenRoyalty), booked.frozenPremium);
    EXPECT_EQ(Text(fund.szTotalFreeze), engine::MoneyText(Money(booked.buyFrozen) + Money(booked.sellFrozen) +
                                                          Money(booked.frozenFee) + Money(booked.frozenPremium)));
    EXPECT_EQ(Text(fund.szBCautionMoney), booked.buyMargin);
    EXPECT_EQ(Text(fund.szSCautionMoney), booked.sellMargin);
    EXPECT_EQ(Text(fund.szCommissionCharge), booked.fees);
    EXPECT_EQ(Text(fund.szOffsetProfitAndLoss), booked.closingProfit);
    EXPECT_EQ(Text(fund.szRoyaltyOut), booked.premiumPaid);
    EXPECT_EQ(Text(fund.szRoyaltyIn), booked.premiumReceived);
    EXPECT_EQ(Text(fund.szProfitAndLoss), booked.floatingProfit);
    EXPECT_EQ(Text(fund.szUsableMoney), booked.available);
    EXPECT_EQ(Text(fund.szDynamicRights), booked.equity);
  }

  static double Money(const std::string& text) { return engine::RoundMoney(std::stod(text)); }

  std::unique_ptr<simbackend::Server> server_;
  backend::AccountTable accounts_;
  engine_e2e::VisibleEngine engine_;
};

TEST_F(EngineFills, TheDownloadedAccountAgreesWithTheBook) { ASSERT_NO_FATAL_FAILURE(ExpectAccountAgrees()); }

TEST_F(EngineFills, AnOrderFilledInPiecesLeavesTheEngineAgreeingWithTheBook) {
  const std::string ask = BestPrices("D", "m2705").second;
  const std::string number = PlaceOrder({"D", "m2705", "0", "0", "0", "7", ask, "", "", "0", "0"});
  ASSERT_NE(EngineOrder<engine::OrderRow>(Table::kOrders, number), std::nullopt);
  FillStepByStep<engine::OrderRow>(Table::kOrders, number);
}

TEST_F(EngineFills, ASpecialOrderFilledInPiecesLeavesTheEngineAgreeingWithTheBook) {
  // A spread of m2701 bought against m2705 sold, priced to cross the market.
  const int spread = std::stoi(BestPrices("D", "m2701").second) - std::stoi(BestPrices("D", "m2705").first);
  std::string refusal;
  const std::optional<std::string> number = server_->PlaceSpecialOrder(
      kCustomer, {"D", "SPD", "m2701", "m2705", "0", "0", "0", "5", std::to_string(spread + 2)}, refusal);
  ASSERT_TRUE(number) << refusal;
  FillStepByStep<engine::SpecialOrderRow>(Table::kSpecialOrders, *number);
}

}  // namespace
