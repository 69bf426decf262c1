#include "marketviews/model/option_board.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/reference_rows.h"
#include "engine/row_field.h"

namespace {

using marketviews::OptionBoard;
using marketviews::OptionMap;
namespace option_column = marketviews::option_column;

engine::ExchangeSeatRow Seat(std::string_view id, std::string_view name, std::string_view abbreviation,
                             std::string_view groupFlag) {
  engine::ExchangeSeatRow row{};
  engine::SetText(row.szExchangeCode, id);
  engine::SetText(row.szExchangeName, name);
  engine::SetText(row.szExchangeAbbr, abbreviation);
  engine::SetText(row.szGroupFlag, groupFlag);
  return row;
}

// An option row of the variety and month; a futures row without a letter.
engine::ContractRow Contract(std::string_view exchange, std::string_view variety, std::string_view month,
                             std::string_view letter = {}, std::string_view strike = {}) {
  engine::ContractRow row{};
  engine::SetText(row.szExchangeCode, exchange);
  engine::SetText(row.szVarietyCode, variety);
  engine::SetText(row.szAccountDay, month);
  const std::string code = std::string(variety) + std::string(month) +
                           (letter.empty() ? "" : "-" + std::string(letter) + "-" + std::string(strike));
  engine::SetText(row.szContractCode, code);
  engine::SetText(row.szTradeClass, letter.empty() ? "0" : "1");
  engine::SetText(row.szOptionType, letter);
  engine::SetText(row.szStrikePrice, strike);
  return row;
}

// Two exchanges of the list (one of them twice), one off the list without
// options and one with options only, a futures row and an option without
// an exchange.
OptionMap SampleMap() {
  return OptionMap::Build(
      {Seat("D", "大商所", "dce", "1"), Seat("Z", "郑商所", "czce", "1"), Seat("D", "大商所", "dce", "1"),
       Seat("S", "上期所", "sfe", "0")},
      {Contract("D", "m", "2703"), Contract("D", "m", "2703", "C", "2900"), Contract("D", "m", "2703", "P", "2900"),
       Contract("D", "m", "2703", "C", "3000"), Contract("D", "m", "2703", "P", "3000"),
       Contract("D", "m", "2703", "C", "3100"), Contract("D", "m", "2703", "P", "3100"),
       Contract("Z", "SR", "703", "C", "6000"), Contract("D", "m", "2705", "C", "2900"),
       Contract("Z", "SR", "705", "C", "6000"), Contract("J", "IO", "2612", "C", "4000"),
       Contract("J", "IO", "2612", "P", "4000"), Contract("", "x", "2701", "C", "1")});
}

std::vector<std::string> SeriesNames(const marketviews::OptionExchange& exchange) {
  std::vector<std::string> names;
  for (const marketviews::OptionSeries& series : exchange.series) names.push_back(series.name);
  return names;
}

TEST(OptionMap, SeriesByExchangeInTheContractTablesOrderAndThePickersGroups) {
  const OptionMap map = SampleMap();
  // An exchange off the list without options is none of the board's.
  ASSERT_EQ(map.Exchanges().size(), 3u);
  EXPECT_EQ(map.Exchanges()[0].id, "D");
  EXPECT_TRUE(map.Exchanges()[0].listed);
  EXPECT_EQ(SeriesNames(map.Exchanges()[0]), (std::vector<std::string>{"m2703", "m2705"}));
  EXPECT_EQ(SeriesNames(map.Exchanges()[1]), (std::vector<std::string>{"SR703", "SR705"}));
  // Not in the exchange list, but its options are the board's all the same.
  EXPECT_EQ(map.Exchanges()[2].id, "J");
  EXPECT_FALSE(map.Exchanges()[2].listed);
  EXPECT_EQ(map.FindSeries("IO2612")->contracts.size(), 2u);
  EXPECT_EQ(map.FindSeries("m2703")->contracts.size(), 6u);
  EXPECT_EQ(map.FindSeries(""), nullptr);
  EXPECT_EQ(map.FindSeries("x2701"), nullptr);
  EXPECT_EQ(map.FirstSeries()->name, "m2703");

  const std::vector<marketviews::SeriesGroup> groups = marketviews::GroupSeries(map.Exchanges()[1]);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].name, "SR70");
  EXPECT_EQ(groups[0].series, (std::vector<std::string>{"SR703", "SR705"}));
  EXPECT_EQ(marketviews::FirstSeriesContaining(map, "05"), "m2705");
  EXPECT_EQ(marketviews::FirstSeriesContaining(map, "SR"), "SR703");
  // The picker lists only the exchanges of the list.
  EXPECT_EQ(marketviews::FirstSeriesContaining(map, "IO"), std::nullopt);
  EXPECT_TRUE(OptionMap::Build({}, {Contract("D", "m", "2703")}).Empty());
}

TEST(OptionBoardLayout, TheDetailPanelTakesTheRightAndTheGridTheRestLessTheToggle) {
  const marketviews::BoardLayout shown = marketviews::LayOutBoard({0, 0, 800, 400}, false);
  EXPECT_EQ(shown.centreButton, (marketviews::Rect{0, 0, 120, 21}));
  EXPECT_EQ(shown.seriesCombo, (marketviews::Rect{121, 0, 241, 21}));
  EXPECT_EQ(shown.detail, (marketviews::Rect{620, 22, 800, 400}));
  EXPECT_EQ(shown.detailToggle, (marketviews::Rect{615, 22, 620, 400}));
  EXPECT_EQ(shown.grid, (marketviews::Rect{0, 22, 615, 400}));
  const marketviews::BoardLayout hidden = marketviews::LayOutBoard({0, 0, 800, 400}, true);
  EXPECT_EQ(hidden.detail, marketviews::Rect{});
  EXPECT_EQ(hidden.grid.Width(), 795);
}

class OptionBoardTest : public ::testing::Test {
 protected:
  OptionBoard& Board() {
    if (!board) {
      board.emplace(
          quotes, [this](const marketviews::OptionContract&) { return indexPrice; },
          [this](const std::string& text) { notices.push_back(text); });
    }
    return *board;
  }
  static backend::QuoteRecord Quote(std::string_view exchange, std::string_view code, float last) {
    backend::QuoteRecord quote{};
    exchange.copy(quote.szExchange, 1);
    code.copy(quote.szCode, sizeof quote.szCode - 1);
    std::string_view("q").copy(quote.szName, 1);
    quote.fNewPrice = last;
    quote.fPreSettlementPrice = 2990;
    return quote;
  }
  int References(std::string_view code) const {
    for (const backend::QuoteSlot& slot : quotes.CopySlots()) {
      if (code == slot.quote.szCode) return slot.refCount;
    }
    return 0;
  }

  quotes::CtbOptionalContract quotes;
  std::optional<double> indexPrice;
  std::vector<std::string> notices;
  std::optional<OptionBoard> board;
};

TEST_F(OptionBoardTest, AnEmptyMapLeavesTheBoardUnloadedAndTheNextDownloadLoadsItOnce) {
  EXPECT_FALSE(Board().LoadOptionContracts(OptionMap::Build({}, {}), {}));
  EXPECT_FALSE(Board().Loaded());
  ASSERT_TRUE(Board().LoadOptionContracts(SampleMap(), {}));
  EXPECT_TRUE(Board().Loaded());
  EXPECT_EQ(Board().CurrentSeries(), "m2703");
  EXPECT_EQ(Board().Grid().Rows().ShownRowCount(), 3);
  EXPECT_EQ(Board().Detail().Contract(), "m2703-C-2900");
  // Later downloads change nothing.
  EXPECT_FALSE(Board().LoadOptionContracts(
      OptionMap::Build({Seat("Z", "郑商所", "czce", "1")}, {Contract("Z", "SR", "709", "C", "1")}), {}));
  EXPECT_EQ(Board().Map().FindSeries("SR709"), nullptr);
}

TEST_F(OptionBoardTest, TheUnderlyingsQuotePlacesTheMoneyAndQuotesReachTheGridAndTheDetail) {
  ASSERT_TRUE(Board().LoadOptionContracts(SampleMap(), {}));
  // The board holds the underlying futures contract, whose price is not
  // known yet: the middle row is at the money.
  EXPECT_EQ(References("m2703"), 1);
  EXPECT_EQ(Board().UnderlyingPrice(), -1);
  EXPECT_EQ(Board().Grid().ShadedRow(), 1);
  int refreshed = 0;
  Board().SetRefreshHandler([&] { ++refreshed; });

  EXPECT_TRUE(quotes.ApplyQuote(Quote("D", "m2703", 3080)));
  EXPECT_EQ(Board().Grid().ShadedRow(), 2);
  EXPECT_EQ(refreshed, 1);
  EXPECT_TRUE(quotes.ApplyQuote(Quote("D", "m2703-C-2900", 120)));
  EXPECT_EQ(Board().Grid().Rows().ShownText(0, option_column::kLast), "120");
  EXPECT_EQ(Board().Detail().Fields()[0].field.Value(), 120);
  EXPECT_EQ(refreshed, 2);

  Board().SelectOption("m2703-P-3100");
  EXPECT_EQ(Board().Detail().SideText(), "  看跌  ");
  EXPECT_TRUE(quotes.ApplyQuote(Quote("D", "m2703-P-3100", 9)));
  EXPECT_EQ(Board().Detail().Fields()[0].field.Value(), 9);

  // Another series: its own underlying, the earlier references let go.
  ASSERT_TRUE(Board().ShowSeries("SR705"));
  EXPECT_FALSE(Board().ShowSeries("SR799"));
  EXPECT_EQ(References("m2703"), 0);
  EXPECT_EQ(References("m2703-C-2900"), 0);
  EXPECT_EQ(References("SR705"), 1);
  EXPECT_EQ(References("SR705-C-6000"), 1);
  board.reset();
  EXPECT_TRUE(quotes.CopySlots().empty());
}

TEST_F(OptionBoardTest, AnIndexOptionTakesTheIndexPriceOnceTheBackgroundLookUpHasIt) {
  ASSERT_TRUE(Board().LoadOptionContracts(
      OptionMap::Build({Seat("J", "中金所", "cffex", "1")},
                       {Contract("J", "IO", "2612", "C", "3900"), Contract("J", "IO", "2612", "C", "4000"),
                        Contract("J", "IO", "2612", "C", "4100"), Contract("J", "IO", "2612", "C", "4200")}),
      {}));
  // No underlying contract is held for an index.
  EXPECT_TRUE(quotes.CopySlots().size() == 4u);
  EXPECT_EQ(Board().Grid().ShadedRow(), 2);
  indexPrice = 3920;
  EXPECT_EQ(Board().Reshade(), 0);
}

TEST_F(OptionBoardTest, TheRowsShownWinAFullQuoteTableAndWhatIsLeftWithoutQuotesIsTold) {
  std::vector<quotes::ContractKey> others;
  for (int index = 0; index < 35; ++index) others.push_back(quotes::MakeContractKey("S", "cu" + std::to_string(index)));
  quotes.MoveQuoteRefs({}, others);
  ASSERT_TRUE(Board().LoadOptionContracts(SampleMap(), {}));
  const std::string told = "期权T型报价：行情表已满40个合约，以下合约收不到行情：";
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], told + "m2703-C-3100,m2703-P-3100");

  // The last row shown: the first row, farthest from it, gives up its slots.
  Board().OnRowsShown(2, 2);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[1], told + "m2703-C-2900,m2703-P-2900");
  // Every row shown: the other holders' contracts made last give theirs.
  Board().OnRowsShown(0, 2);
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[2], told + "cu34,cu33");
  EXPECT_TRUE(Board().Grid().Unquoted().empty());
  EXPECT_EQ(References("m2703"), 1);
  // Told again only when what is left out changes.
  Board().OnRowsShown(0, 1);
  EXPECT_EQ(notices.size(), 3u);
}

}  // namespace
