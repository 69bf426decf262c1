#include "marketviews/model/option_t_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/row_field.h"
#include "quote_records.h"

namespace {

using marketviews::ClickContext;
using marketviews::ContractCatalogue;
using marketviews::OptionContract;
using marketviews::OptionTRows;
namespace option_column = marketviews::option_column;

OptionContract Option(const std::string& letter, const std::string& strike) {
  return {.exchange = "S", .code = "cu2702" + letter + strike, .letter = letter, .strike = strike, .series = "cu2702"};
}

// A call and a put per strike, in the order given.
std::vector<OptionContract> Series(const std::vector<std::string>& strikes) {
  std::vector<OptionContract> options;
  for (const std::string& strike : strikes) {
    options.push_back(Option("C", strike));
    options.push_back(Option("P", strike));
  }
  return options;
}

// A quote of an option of the copper series, with the day's volume and the open interest.
backend::QuoteRecord OptionQuote(std::string_view code, float bid, float ask, float last) {
  backend::QuoteRecord quote = marketviews_testing::Quote(code, bid, ask, last, 100);
  std::string_view("cu").copy(quote.szName, 2);
  quote.dwVolume = 70;
  quote.dwOpenInterest = 80;
  return quote;
}

int References(const quotes::CtbQuotationCom& table, std::string_view code) {
  for (const backend::QuoteSlot& slot : table.CopySlots()) {
    if (code == slot.quote.szCode) return slot.refCount;
  }
  return 0;
}

class OptionTRowsTest : public ::testing::Test {
 protected:
  OptionTRowsTest() { catalogue.Add("cu2702P2900", "", 0.5); }

  std::string Cell(int row, int col) const { return std::string(rows->Rows().ShownText(row, col)); }
  std::vector<std::string> Strikes() const {
    std::vector<std::string> strikes;
    for (int row = 0; row < rows->Rows().ShownRowCount(); ++row) strikes.push_back(Cell(row, option_column::kStrike));
    return strikes;
  }
  void Show(const std::vector<std::string>& strikes) {
    ASSERT_TRUE(rows->SetContracts(Series(strikes)));
    ASSERT_TRUE(rows->RefillRows(catalogue));
  }

  quotes::CtbQuotationCom table;
  ContractCatalogue catalogue;
  std::unique_ptr<OptionTRows> rows = std::make_unique<OptionTRows>(table);
};

TEST_F(OptionTRowsTest, OneRowPerStrikeInTheSeriesOrderWithTheCallLeftAndThePutMirroredRight) {
  Show({"3000", "2900", "3100"});
  EXPECT_EQ(Strikes(), (std::vector<std::string>{"3000", "2900", "3100"}));
  // Without a quote every cell of both sides shows "-".
  for (int col = 0; col < option_column::kCount; ++col) {
    if (col != option_column::kStrike) {
      EXPECT_EQ(Cell(1, col), "-") << col;
    }
  }

  ASSERT_TRUE(rows->OnQuote(OptionQuote("cu2702C2900", 101, 102, 103), catalogue));
  ASSERT_TRUE(rows->OnQuote(OptionQuote("cu2702P2900", 11, 12.5, 13), catalogue));
  const std::vector<std::string> call = {"70", "80", "3", "102", "6", "101", "5", "103"};
  const std::vector<std::string> put = {"70", "80", "-87.0", "12.5", "6", "11.0", "5", "13.0"};
  for (int col = 0; col < option_column::kStrike; ++col) {
    EXPECT_EQ(Cell(1, col), call[static_cast<std::size_t>(col)]) << col;
    EXPECT_EQ(Cell(1, option_column::Mirrored(col)), put[static_cast<std::size_t>(col)]) << col;
  }
  // Rising prices in the up colour, falling ones in the down colour.
  const ui::GridRow& row = *rows->Rows().Row(rows->Rows().ShownRow(1));
  EXPECT_EQ(row.Colour(option_column::kLast), 255u);
  EXPECT_EQ(row.Colour(option_column::Mirrored(option_column::kLast)), 61440u);
  EXPECT_EQ(Cell(0, option_column::kLast), "-");

  // A refill shows the quotes kept.
  ASSERT_TRUE(rows->RefillRows(catalogue));
  EXPECT_EQ(Cell(1, option_column::kBid), "101");
}

TEST_F(OptionTRowsTest, QuotesOfOtherContractsAreNeitherShownNorKept) {
  Show({"3000"});
  EXPECT_FALSE(rows->OnQuote(OptionQuote("cu2703C3000", 1, 2, 3), catalogue));
  EXPECT_EQ(rows->GetStoredQuote("cu2703C3000").fNewPrice, 0);
  EXPECT_EQ(quotes::FieldText(rows->GetStoredQuote("cu2703C3000").szCode), "cu2703C3000");
  EXPECT_EQ(Cell(0, option_column::kLast), "-");
}

TEST_F(OptionTRowsTest, TheRowAtTheMoneyIsTheStrikeNearestTheUnderlyingTheFirstOfEqualDistances) {
  struct Case {
    std::vector<std::string> strikes;
    double price;
    int row;
  };
  const std::vector<Case> cases = {
      {{"2900", "3000"}, 2950, 0},
      {{"3000", "2900"}, 2950, 0},
      {{"2800", "2900", "3000", "3100"}, 3090, 3},
      {{"2800", "2900", "3000", "3100", "3200"}, -1, 2},
  };
  for (const Case& c : cases) {
    Show(c.strikes);
    EXPECT_EQ(rows->AtTheMoneyRow(c.price), c.row) << c.price;
  }

  // Above the money the calls lie in the first shade and the puts in the
  // second, below it the other way round; the strike keeps its own.
  rows->Shade(2);
  const marketviews::OptionShades shades;
  EXPECT_EQ(rows->Background(1, 0), shades.first);
  EXPECT_EQ(rows->Background(1, 16), shades.second);
  EXPECT_EQ(rows->Background(2, 3), shades.atTheMoney);
  EXPECT_EQ(rows->Background(3, 0), shades.second);
  EXPECT_EQ(rows->Background(3, 16), shades.first);
  EXPECT_EQ(rows->Background(2, option_column::kStrike), shades.strike);
}

TEST_F(OptionTRowsTest, AClickSelectsItsSideShowsItsOptionAndOrdersAtThePriceMovedByThePriceLevel) {
  Show({"3000", "2900"});
  rows->OnQuote(OptionQuote("cu2702P2900", 11, 12.5, 13), catalogue);
  rows->OnQuote(OptionQuote("cu2702C2900", 101, 102, 103), catalogue);
  const ClickContext trader{.priceLevel = 2, .role = 2, .customerNo = "10001"};
  const auto fields = [](const order_module::OrderRecord& order) {
    return std::vector<std::string>{std::string(engine::Text(order.contractCode)),
                                    std::string(engine::Text(order.buySell)), std::string(engine::Text(order.price)),
                                    std::string(engine::Text(order.customerNo))};
  };

  // The put's bid sells at the bid less two ticks of 0.5.
  auto click = rows->Click(1, option_column::Mirrored(option_column::kBid), catalogue, trader);
  ASSERT_TRUE(click && click->order);
  EXPECT_EQ(click->code, "cu2702P2900");
  EXPECT_EQ(std::pair(click->firstColumn, click->lastColumn),
            std::pair(option_column::kStrike, option_column::kCount - 1));
  EXPECT_EQ(fields(*click->order), (std::vector<std::string>{"cu2702P2900", "1", "10.00", "10001"}));
  // The call's ask volume buys at the ask plus two ticks of 1; its volume at
  // the last price.
  click = rows->Click(1, option_column::kAskVolume, catalogue, trader);
  ASSERT_TRUE(click && click->order);
  EXPECT_EQ(std::pair(click->firstColumn, click->lastColumn), std::pair(0, option_column::kStrike));
  EXPECT_EQ(fields(*click->order), (std::vector<std::string>{"cu2702C2900", "0", "104.00", "10001"}));
  click = rows->Click(1, option_column::kVolume, catalogue, {.priceLevel = 0, .role = 1, .customerNo = "9"});
  EXPECT_EQ(fields(*click->order), (std::vector<std::string>{"cu2702C2900", "0", "103.00", ""}));
  // Without a bid the order carries no price.
  click = rows->Click(0, option_column::kBid, catalogue, trader);
  EXPECT_EQ(fields(*click->order), (std::vector<std::string>{"cu2702C3000", "1", "", "10001"}));

  // The strike selects only itself; off the grid nothing.
  click = rows->Click(0, option_column::kStrike, catalogue, trader);
  ASSERT_TRUE(click);
  EXPECT_TRUE(click->code.empty());
  EXPECT_FALSE(click->order);
  EXPECT_FALSE(rows->Click(2, 0, catalogue, trader));
  EXPECT_FALSE(rows->Click(0, option_column::kCount, catalogue, trader));

  // A side the series lacks gives no order.
  ASSERT_TRUE(rows->SetContracts({Option("C", "3000")}));
  ASSERT_TRUE(rows->RefillRows(catalogue));
  click = rows->Click(0, option_column::Mirrored(option_column::kBid), catalogue, trader);
  ASSERT_TRUE(click);
  EXPECT_TRUE(click->code.empty());
  EXPECT_FALSE(click->order);
}

TEST_F(OptionTRowsTest, TheSeriesHoldsAQuoteReferencePerContractMovedWithTheSeriesAndLetGoAtTheEnd) {
  Show({"3000", "2900"});
  EXPECT_EQ(References(table, "cu2702C3000"), 1);
  EXPECT_EQ(References(table, "cu2702P2900"), 1);
  rows->OnQuote(OptionQuote("cu2702C3000", 1, 2, 3), catalogue);

  // An empty series changes nothing.
  EXPECT_FALSE(rows->SetContracts({}));
  EXPECT_EQ(References(table, "cu2702C3000"), 1);

  // Another series takes the references; a contract in both keeps its quote.
  Show({"3000", "3100"});
  EXPECT_EQ(References(table, "cu2702C2900"), 0);
  EXPECT_EQ(References(table, "cu2702C3100"), 1);
  EXPECT_EQ(rows->GetStoredQuote("cu2702C3000").fNewPrice, 3);
  rows->OnQuote(OptionQuote("cu2702C3100", 1, 2, 3), catalogue);
  Show({"2800"});
  // The quotes of contracts no longer shown are not kept.
  EXPECT_EQ(rows->GetStoredQuote("cu2702C3100").fNewPrice, 0);

  rows.reset();
  EXPECT_TRUE(table.CopySlots().empty());
}

TEST_F(OptionTRowsTest, WithTheQuoteTableFullTheRowsShownTakeTheSlotsOfTheRowsFarthestAway) {
  std::vector<quotes::ContractKey> others;
  for (int index = 0; index < 36; ++index) others.push_back(quotes::MakeContractKey("D", "m" + std::to_string(index)));
  table.MoveQuoteRefs({}, others);
  Show({"2800", "2900", "3000", "3100", "3200"});
  // The first four of the list found a slot.
  EXPECT_EQ(rows->Unquoted(), (std::vector<std::string>{"cu2702C3000", "cu2702P3000", "cu2702C3100", "cu2702P3100",
                                                        "cu2702C3200", "cu2702P3200"}));

  const std::vector<std::string> left = rows->PreferRows(3, 4, {});
  EXPECT_EQ(left, (std::vector<std::string>{"cu2702C2800", "cu2702P2800", "cu2702C2900", "cu2702P2900", "cu2702C3000",
                                            "cu2702P3000"}));
  EXPECT_EQ(rows->Unquoted(), left);
  EXPECT_EQ(References(table, "cu2702C3200"), 1);

  // Every reference the rows took goes with them, with or without a slot.
  rows.reset();
  table.MoveQuoteRefs(others, {});
  EXPECT_TRUE(table.CopySlots().empty());
  const quotes::ContractKey again = quotes::MakeContractKey("S", "cu2702C2800");
  table.MoveQuoteRefs({}, {&again, 1});
  EXPECT_EQ(References(table, "cu2702C2800"), 1);
}

}  // namespace
