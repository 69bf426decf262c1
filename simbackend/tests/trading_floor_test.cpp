// The trading floor in-process on the shipped data: the account's day that
// it keeps between reads, taking on only the trades since, is the day that
// a replay of the whole business gives at that moment.
#include "trading_floor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "account_book.h"
#include "data_folder.h"
#include "day_clock.h"
#include "quote_feed.h"

namespace simbackend {
namespace {

constexpr const char* kCustomer = "10001";

using DetailFields = std::tuple<std::size_t, std::string, std::string, std::string, std::string, std::string,
                                std::int64_t, std::int64_t, std::int64_t, std::int64_t, double, bool>;

std::vector<DetailFields> FieldsOf(const std::vector<HeldDetail>& details) {
  std::vector<DetailFields> fields;
  for (const HeldDetail& d : details)
    fields.emplace_back(d.contract, d.buySell, d.hedge, d.tradeCode, d.seat, d.openDate, d.dealNumber, d.lots,
                        d.positionPrice, d.openPrice, d.margin, d.today);
  return fields;
}

class TradingFloorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.CopyShipped();
    std::string error;
    ASSERT_TRUE(LoadBackendData(folder_.Path(), data_, error)) << error;
    quotes_ = std::make_unique<QuoteFeed>(data_, 1, std::chrono::milliseconds(0));
    accounts_ = std::make_unique<AccountBook>(data_);
    floor_ = std::make_unique<TradingFloor>(data_, *quotes_, *accounts_, FillBehaviour{}, nullptr);
  }

  std::size_t ContractOf(const char* exchange, const char* code) const {
    const std::size_t contract = data_.FindContract(exchange, code);
    EXPECT_NE(contract, BackendData::kNoContract) << code;
    return contract;
  }

  // A limit order of the demo account at its trade code and seat of the
  // exchange, taken by the exchange: at the other side's best price it
  // fills at once; else it waits ten ticks away.
  void Place(const char* exchange, const char* code, const char* tradeCode, const char* seat, const char* buySell,
             const char* openClose, std::int64_t lots, bool crossing) {
    TradingFloor::OrderRequest request;
    request.customer = kCustomer;
    request.contract = ContractOf(exchange, code);
    request.buySell = buySell;
    request.openClose = openClose;
    request.hedge = "0";
    request.lots = lots;
    const Quote quote = quotes_->QuoteOf(request.contract);
    const bool buy = request.buySell == "0";
    request.price = crossing ? (buy ? quote.asks[0].price : quote.bids[0].price)
                             : (buy ? quote.bids[0].price - 10 : quote.asks[0].price + 10);
    request.tradeCode = tradeCode;
    request.seat = seat;
    BookOrder entered;
    OrderProgress progress;
    const std::optional<Refused> refusal = floor_->Enter(request, entered, progress);
    ASSERT_FALSE(refusal) << code << ": " << refusal->text;
    floor_->Take(kCustomer, entered.order.number);
  }

  AccountDay Replayed() const {
    AccountDay day;
    std::string problem;
    EXPECT_TRUE(ReplayDay(data_, floor_->Business(), kCustomer, TodayText(), floor_->LastPrices(), day, problem))
        << problem;
    return day;
  }

  void ExpectTheKeptDayReplayed() const {
    const AccountDay kept = floor_->DayOf(kCustomer);
    const AccountDay replayed = Replayed();
    EXPECT_EQ(FieldsOf(kept.details), FieldsOf(replayed.details));
    EXPECT_EQ(kept.fees, replayed.fees);
    EXPECT_EQ(kept.closingProfit, replayed.closingProfit);
    EXPECT_EQ(kept.premiumIn, replayed.premiumIn);
    EXPECT_EQ(kept.premiumOut, replayed.premiumOut);
    ExpectTheFundsOf(replayed);
  }

  // The funds the floor answers with are those of `replayed`.
  void ExpectTheFundsOf(const AccountDay& replayed) const {
    const Account& account = *data_.FindAccount(kCustomer);
    const Funds kept = floor_->FundsOf(account);
    const Funds fresh = ComputeFunds(data_, account, floor_->Business(), replayed, floor_->LastPrices(),
                                     kept.depositsToday, kept.withdrawalsToday, data_.FloatingProfitAvailable());
    const auto fields = [](const Funds& f) {
      return std::vector<double>{f.buyFrozen,     f.sellFrozen, f.frozenFee,  f.frozenPremium, f.buyMargin,
                                 f.sellMargin,    f.available,  f.equity,     f.fees,          f.floatingProfit,
                                 f.closingProfit, f.premiumIn,  f.premiumOut, f.optionValue,   f.optionFloatingMargin};
    };
    EXPECT_EQ(fields(kept), fields(fresh));
  }

  simbackend_test::DataFolder folder_;
  BackendData data_;
  std::unique_ptr<QuoteFeed> quotes_;
  std::unique_ptr<AccountBook> accounts_;
  std::unique_ptr<TradingFloor> floor_;
};

TEST_F(TradingFloorTest, TheDayKeptBetweenReadsIsTheDayReplayedAfresh) {
  ExpectTheKeptDayReplayed();
  struct Step {
    const char* exchange;
    const char* code;
    const char* tradeCode;
    const char* seat;
    const char* buySell;
    const char* openClose;
    std::int64_t lots;
  };
  // Opens, a close of yesterday's lots and one of today's at the Shanghai
  // exchange, a close by the exchange's strategy at Dalian.
  const Step steps[] = {
      {"sfe", "cu2701", "81000101", "S001", "0", "0", 1}, {"sfe", "cu2701", "81000101", "S001", "1", "1", 2},
      {"sfe", "cu2701", "81000101", "S001", "1", "2", 1}, {"dce", "m2705", "01000101", "D001", "1", "0", 4},
      {"dce", "m2705", "01000101", "D001", "0", "1", 3},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.code) + " " + step.buySell + step.openClose);
    Place(step.exchange, step.code, step.tradeCode, step.seat, step.buySell, step.openClose, step.lots, true);
    ExpectTheKeptDayReplayed();
  }
}

TEST_F(TradingFloorTest, TheDayKeptIsReplayedAfreshWhenTheUnderlyingOfASoldOptionMoves) {
  const std::size_t underlying = ContractOf("dce", "m2705");
  Place("dce", "m2705-C-3000", "01000101", "D001", "1", "0", 2, true);
  // A buy that waits makes the market move the underlying.
  Place("dce", "m2705", "01000101", "D001", "0", "0", 1, false);
  const AccountDay before = floor_->DayOf(kCustomer);
  const std::int64_t last = quotes_->QuoteOf(underlying).last;
  for (int step = 0; step < 100 && quotes_->QuoteOf(underlying).last == last; ++step) quotes_->Advance();
  ASSERT_NE(quotes_->QuoteOf(underlying).last, last) << "the underlying did not move";
  // The sold option's margin follows the underlying: kept as it was, the
  // day would be apart from the replay.
  ASSERT_NE(FieldsOf(Replayed().details), FieldsOf(before.details));
  ExpectTheKeptDayReplayed();
}

}  // namespace
}  // namespace simbackend
