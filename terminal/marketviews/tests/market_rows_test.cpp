#include "marketviews/model/market_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/row_field.h"
#include "quote_records.h"

namespace {

using marketviews::ClickContext;
using marketviews::ContractCatalogue;
using marketviews::MarketRows;
using marketviews_testing::Quote;
namespace column = marketviews::market_column;

quotes::ContractGroup Group(const std::vector<std::string>& codes) {
  quotes::ContractGroup group;
  group.name = "上期所";
  for (const std::string& code : codes) group.keys.push_back(quotes::MakeContractKey("S", code));
  return group;
}

// What the grid store tells the window, counted.
class CountingListener : public ui::GridListener {
 public:
  void RowsInserting(int, int) override { ++structural; }
  void RowsInserted() override {}
  void RowsRemoving(int, int) override { ++structural; }
  void RowsRemoved() override {}
  void RowMoving(int, int) override { ++structural; }
  void RowMoved() override {}
  void RowChanged(ui::RowId id) override { changed.push_back(id); }
  void OrderChanging() override { ++structural; }
  void OrderChanged() override {}
  void ColumnsChanging() override { ++structural; }
  void ColumnsChanged() override {}
  void HeaderChanged() override {}
  void CellEdited(ui::RowId, int) override {}

  int structural = 0;
  std::vector<ui::RowId> changed;
};

class MarketRowsTest : public ::testing::Test {
 protected:
  MarketRowsTest() {
    catalogue.Add("cu2701", "沪铜2701", 10);
    catalogue.Add("au2702", "沪金2702", 0.02);
    catalogue.Add("sc2703", "原油2703", 0.0001);
    futures.Fill(Group({"cu2701", "au2702", "sc2703", "cu2701 "}), catalogue);
  }
  std::string Text(const MarketRows& rows, int shownRow, int column) const {
    return std::string(rows.Rows().ShownText(shownRow, column));
  }
  // The texts of an order record's fields a click fills.
  static std::vector<std::string> Fields(const std::optional<order_module::OrderRecord>& order) {
    if (!order) return {};
    return {std::string(engine::Text(order->contractCode)), std::string(engine::Text(order->buySell)),
            std::string(engine::Text(order->price)),        std::string(engine::Text(order->openClose)),
            std::string(engine::Text(order->hedge)),        std::string(engine::Text(order->customerNo))};
  }

  ContractCatalogue catalogue;
  MarketRows futures{"上期所", quotes::kFutureKind, 0, false};
  MarketRows options{"上期所", quotes::kOptionKind, 0, true};
};

TEST_F(MarketRowsTest, AGroupGivesOneNamedRowPerContractInItsOrder) {
  const ui::GridModel& rows = futures.Rows();
  ASSERT_EQ(rows.ColumnCount(), 20);
  EXPECT_EQ(rows.Column(0).caption, "合约");
  EXPECT_EQ(rows.Column(0).width, 140);
  EXPECT_EQ(rows.Column(7).caption, "涨跌幅");
  EXPECT_EQ(rows.Column(19).caption, "合约名称");
  EXPECT_EQ(rows.Column(19).key, "szContractName");
  ASSERT_EQ(rows.ShownRowCount(), 4);
  EXPECT_EQ(Text(futures, 0, column::kCode), "cu2701");
  EXPECT_EQ(Text(futures, 0, column::kName), "沪铜2701");
  EXPECT_EQ(Text(futures, 1, column::kName), "沪金2702");
  EXPECT_EQ(Text(futures, 3, column::kName), "");  // unknown: a code with a trailing blank
  EXPECT_EQ(Text(futures, 0, column::kLast), "");

  futures.AddContractRow("zn2701", "沪锌2701");
  EXPECT_EQ(Text(futures, 4, column::kCode), "zn2701");
  futures.Fill(Group({"au2702"}), catalogue);
  EXPECT_EQ(rows.ShownRowCount(), 1);
}

TEST_F(MarketRowsTest, AQuoteUpdatesOnlyItsRowWhereItStands) {
  CountingListener listener;
  futures.Rows().SetListener(&listener);
  ASSERT_TRUE(futures.ShowQuote(Quote("sc2703", 512.1234f, 512.1236f, 512.1235f), catalogue));
  ASSERT_TRUE(futures.ShowQuote(Quote("cu2701", 76430, 76440, 76430), catalogue));
  EXPECT_FALSE(futures.ShowQuote(Quote("zn2701", 1, 2, 3), catalogue));
  EXPECT_EQ(listener.structural, 0);
  EXPECT_EQ(listener.changed.size(), 2u);

  EXPECT_EQ(Text(futures, 0, column::kCode), "cu2701");
  EXPECT_EQ(Text(futures, 0, column::kBid), "76430");
  EXPECT_EQ(Text(futures, 0, column::kAskVolume), "6");
  EXPECT_EQ(futures.Rows().Row(futures.Rows().ShownRow(0))->Colour(column::kLast), 0x0000FFu);
  EXPECT_EQ(Text(futures, 2, column::kLast), "512.1235");  // a tick of four decimals
  // The code with a trailing blank is another contract.
  EXPECT_EQ(Text(futures, 3, column::kBid), "");
  futures.Rows().SetListener(nullptr);
}

TEST_F(MarketRowsTest, AClickOnAPriceCellOrdersAgainstThatSide) {
  ASSERT_TRUE(futures.ShowQuote(Quote("cu2701", 3000, 3010, 3005), catalogue));
  ASSERT_TRUE(futures.ShowQuote(Quote("au2702", 512.5f, 512.6f, 0), catalogue));
  ASSERT_TRUE(futures.ShowQuote(Quote("sc2703", 512.1234f, 512.1236f, 512.1235f), catalogue));
  options.Fill(Group({"cu2701", "au2702"}), catalogue);
  ASSERT_TRUE(options.ShowQuote(Quote("cu2701", 3000, 3010, 3005), catalogue));
  backend::QuoteRecord noBid = Quote("au2702", 0, 3, 0);
  noBid.dwBuyVolume1 = 0;
  ASSERT_TRUE(options.ShowQuote(noBid, catalogue));

  const ClickContext trader{.priceLevel = 2, .role = 2, .customerNo = "10001"};
  using Order = std::vector<std::string>;
  // The bid sells two ticks lower, the ask buys two ticks higher; any other
  // cell buys at the bid (the last price in an option grid).
  EXPECT_EQ(Fields(futures.ClickOrder(0, column::kBidVolume, catalogue, trader)),
            (Order{"cu2701", "1", "2980.000", "0", "0", "10001"}));
  EXPECT_EQ(Fields(futures.ClickOrder(0, column::kAsk, catalogue, trader)),
            (Order{"cu2701", "0", "3030.000", "0", "0", "10001"}));
  EXPECT_EQ(Fields(futures.ClickOrder(0, column::kVolume, catalogue, trader)),
            (Order{"cu2701", "0", "3020.000", "0", "0", "10001"}));
  EXPECT_EQ(Fields(futures.ClickOrder(1, column::kCode, catalogue, trader)),
            (Order{"au2702", "0", "512.540", "0", "0", "10001"}));
  EXPECT_EQ(Fields(futures.ClickOrder(2, column::kBid, catalogue, trader)),
            (Order{"sc2703", "1", "512.1232", "0", "0", "10001"}));
  EXPECT_EQ(Fields(options.ClickOrder(0, column::kName, catalogue, trader)),
            (Order{"cu2701", "0", "3025.00", "0", "0", "10001"}));
  // No bid: no price; an institution's click names no account.
  EXPECT_EQ(Fields(options.ClickOrder(1, column::kBid, catalogue, {.priceLevel = 0, .role = 1, .customerNo = "9"})),
            (Order{"au2702", "1", "", "0", "0", ""}));
  // A last price of 0 in a market of both sides is clicked as it shows.
  backend::QuoteRecord zero = Quote("au2702", 1, 2, 0);
  ASSERT_TRUE(options.ShowQuote(zero, catalogue));
  EXPECT_EQ(Fields(options.ClickOrder(1, column::kLast, catalogue, trader))[2], "0.00");

  EXPECT_FALSE(futures.ClickOrder(4, column::kBid, catalogue, trader));
  EXPECT_FALSE(futures.ClickOrder(-1, column::kBid, catalogue, trader));
  EXPECT_FALSE(futures.ClickOrder(0, 20, catalogue, trader));
  futures.AddContractRow("", "");
  EXPECT_FALSE(futures.ClickOrder(4, column::kBid, catalogue, trader));
}

}  // namespace
