#include "marketviews/model/market_tabs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/testing/temporary_folder.h"

namespace {

using marketviews::MarketTabs;
using marketviews::ScrollMovesQuoteWindow;
using marketviews::ScrollPosition;
namespace column = marketviews::market_column;
using Strings = std::vector<std::string>;

std::string Copper(int n) {
  char code[16];
  std::snprintf(code, sizeof code, "cu27%02d", n + 1);
  return code;
}

// 上期所: 15 copper futures and an option; 大商所: a future and an option.
quotes::GroupTables Tables() {
  quotes::GroupTables tables;
  tables.exchanges = {{"上期所", true, false}, {"大商所", true, false}};
  for (int n = 0; n < 15; ++n) tables.contracts.push_back({"上期所", quotes::MakeContractKey("S", Copper(n)), false});
  tables.contracts.push_back({"上期所", quotes::MakeContractKey("S", "cu2701-C-80000"), true});
  tables.contracts.push_back({"大商所", quotes::MakeContractKey("D", "m2701"), false});
  tables.contracts.push_back({"大商所", quotes::MakeContractKey("D", "m2701-C-3000"), true});
  return tables;
}

backend::QuoteRecord Quote(std::string_view exchange, std::string_view code, float last) {
  backend::QuoteRecord quote;
  exchange.copy(quote.szExchange, 1);
  code.copy(quote.szCode, sizeof quote.szCode - 1);
  std::string("名").copy(quote.szName, 2);
  quote.fNewPrice = last;
  quote.fPreSettlementPrice = 1;
  return quote;
}

class MarketTabsTest : public ::testing::Test {
 protected:
  MarketTabsTest() {
    groups.Load(folder.Path(), Tables());
    groups.StartWatching();
  }
  std::unique_ptr<MarketTabs> Tabs(int kind) {
    auto tabs = std::make_unique<MarketTabs>(groups, kind, [] {
      marketviews::ContractCatalogue catalogue;
      catalogue.Add("cu2701", "沪铜2701", 10);
      catalogue.Add("m2701", "豆粕2701", 1);
      return catalogue;
    });
    tabs->Refresh();
    return tabs;
  }
  std::string Shown(MarketTabs& tabs, int tab, int row, int col) {
    return std::string(tabs.Tab(tab).Rows().ShownText(row, col));
  }
  Strings Held() const {
    Strings codes;
    for (const backend::QuoteSlot& slot : groups.CopySlots()) codes.emplace_back(slot.quote.szCode);
    return codes;
  }

  platform_testing::TemporaryFolder folder{"market_tabs"};
  quotes::CtbOptionalContract groups;
  std::string error;
};

TEST_F(MarketTabsTest, ATabPerGroupOfTheKindFilledWithItsContractsAndRebuiltAfterEachLoad) {
  std::unique_ptr<MarketTabs> futures = Tabs(quotes::kFutureKind);
  ASSERT_EQ(futures->TabCount(), 3);
  EXPECT_EQ(futures->Tab(0).Title(), "上期所");
  EXPECT_EQ(futures->Tab(1).Title(), "大商所");
  EXPECT_EQ(futures->Tab(2).Title(), "自选");
  EXPECT_EQ(futures->Tab(0).Rows().ShownRowCount(), 15);
  EXPECT_EQ(Shown(*futures, 0, 0, column::kName), "沪铜2701");
  EXPECT_FALSE(futures->Tab(0).IsOptionGrid());
  std::unique_ptr<MarketTabs> options = Tabs(quotes::kOptionKind);
  EXPECT_TRUE(options->Tab(0).IsOptionGrid());
  EXPECT_EQ(Shown(*options, 1, 0, column::kCode), "m2701-C-3000");
  std::unique_ptr<MarketTabs> combinations = Tabs(quotes::kCombinationKind);
  EXPECT_EQ(combinations->TabCount(), 1);

  EXPECT_FALSE(futures->Refresh());
  groups.Load(folder.Path(), quotes::GroupTables{});
  EXPECT_TRUE(futures->Refresh());
  EXPECT_EQ(futures->TabCount(), 1);
}

TEST_F(MarketTabsTest, QuotesReachTheRowsOfTheShownTabOnly) {
  std::unique_ptr<MarketTabs> futures = Tabs(quotes::kFutureKind);
  ASSERT_EQ(groups.AddContracts(
                [] {
                  quotes::ContractGroup record;
                  record.name = "自选";
                  record.keys = {quotes::MakeContractKey("S", "cu2701")};
                  return record;
                }(),
                error, quotes::kFutureKind),
            1);
  futures->OnTabActivated(2);
  ASSERT_TRUE(groups.ApplyQuote(Quote("S", "cu2701", 3001)));
  EXPECT_EQ(Shown(*futures, 2, 0, column::kLast), "3001");
  EXPECT_EQ(Shown(*futures, 0, 0, column::kLast), "");  // shown by the tab in the background too
}

TEST_F(MarketTabsTest, TheViewInFrontHoldsTheQuoteWindowOfItsShownTab) {
  std::unique_ptr<MarketTabs> futures = Tabs(quotes::kFutureKind);
  std::unique_ptr<MarketTabs> options = Tabs(quotes::kOptionKind);
  // The futures are in front after a load.
  futures->OnTabActivated(0);
  options->OnTabActivated(1);  // in the background: only the quotes follow
  EXPECT_EQ(groups.CurrentKind(), quotes::kFutureKind);
  EXPECT_EQ(Held().size(), 10u);

  EXPECT_EQ(options->OnViewActivated(), 0);
  options->OnTabActivated(1);
  EXPECT_EQ(groups.CurrentKind(), quotes::kOptionKind);
  EXPECT_EQ(Held(), Strings{"m2701-C-3000"});
  ASSERT_TRUE(groups.ApplyQuote(Quote("D", "m2701-C-3000", 12.75f)));
  EXPECT_EQ(Shown(*options, 1, 0, column::kLast), "13");  // an unknown contract's tick is 1

  futures->OnTabActivated(1);  // in the background now
  EXPECT_EQ(groups.Groups(quotes::kFutureKind)->currentIndex, 0);
  EXPECT_EQ(futures->OnViewActivated(), 0);
  futures->OnTabActivated(1);
  EXPECT_EQ(Held(), Strings{"m2701"});
}

TEST_F(MarketTabsTest, ScrollingPastTheQuoteWindowMovesIt) {
  const struct {
    ScrollPosition scroll;
    int windowTop;
    bool moves;
  } cases[] = {
      {{3, 3, 20}, 0, false},                         // no scroll
      {{1, 0, 5}, 0, false},                          // rows 1 to 5 lie in the window at 0
      {{6, 5, 10}, 0, true},                          // the last row shown reaches row 10
      {{2, 6, 8}, 6, true},                           // above the window
      {{7, 6, -1}, 0, true},                          // no row at the bottom: taken as row 10
      {{7, 6, -1}, 1, false}, {{1, 0, 3}, -1, true},  // no window yet
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScrollMovesQuoteWindow(c.scroll, c.windowTop), c.moves)
        << c.scroll.newTop << " " << c.scroll.lastVisibleRow << " " << c.windowTop;
  }

  std::unique_ptr<MarketTabs> futures = Tabs(quotes::kFutureKind);
  futures->OnTabActivated(0);
  futures->OnTabScrolled(0, {2, 0, 6});
  EXPECT_EQ(groups.GetTopRow(), 0);
  futures->OnTabScrolled(0, {5, 2, 14});
  EXPECT_EQ(groups.GetTopRow(), 5);
  EXPECT_EQ(Held().size(), 10u);
  EXPECT_EQ(Held().back(), "cu2715");
}

TEST_F(MarketTabsTest, ContractsAddedToTheUsersGroupShowInItsTab) {
  std::unique_ptr<MarketTabs> futures = Tabs(quotes::kFutureKind);
  std::unique_ptr<MarketTabs> options = Tabs(quotes::kOptionKind);
  std::vector<int> refilled;
  futures->SetRefilledHandler([&](int index, int windowTop) {
    refilled.push_back(index);
    EXPECT_EQ(windowTop, 0);
  });
  futures->OnTabActivated(2);
  quotes::ContractGroup record;
  record.name = "自选";
  record.keys = {quotes::MakeContractKey("D", "m2701"), quotes::MakeContractKey("S", "cu2703")};
  ASSERT_EQ(groups.AddContracts(record, error, quotes::kFutureKind), 2) << error;
  EXPECT_EQ(refilled, std::vector<int>{2});
  ASSERT_EQ(futures->Tab(2).Rows().ShownRowCount(), 2);
  EXPECT_EQ(Shown(*futures, 2, 0, column::kName), "豆粕2701");
  EXPECT_EQ(options->Tab(2).Rows().ShownRowCount(), 0);

  ASSERT_EQ(groups.RemoveContracts(quotes::kFutureKind, "自选", 0, 0, error), 1);
  EXPECT_EQ(futures->Tab(2).Rows().ShownRowCount(), 1);
  EXPECT_EQ(refilled.size(), 2u);

  // A model that is gone hears nothing more.
  futures.reset();
  record.keys = {quotes::MakeContractKey("S", "cu2704")};
  ASSERT_EQ(groups.AddContracts(record, error, quotes::kFutureKind), 1);
}

}  // namespace
