#include "shell/settings_pages_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/testing/temporary_folder.h"
#include "quotes/optional_contract.h"

namespace {

using shell::GatewayFields;
using Strings = std::vector<std::string>;

TEST(GatewayFields, TheFirstWrongFieldIsToldAndAPortOutsideItsRangeIsRefused) {
  const struct {
    GatewayFields fields;
    const char* problem;  // null: accepted
  } cases[] = {
      {{"  ", "10.0.0.1", "17001"}, "网关名称不能为空"},
      {{"", "", ""}, "网关名称不能为空"},
      {{"主站", " 0.0.0.0 ", "17001"}, "IP地址不正确"},
      {{"主站", "", "17001"}, "IP地址不正确"},
      {{"主站", "10.0.0.1", " "}, "端口不能为空"},
      {{"主站", "10.0.0.1", "0"}, "端口必须是1到65535之间的数字"},
      {{"主站", "10.0.0.1", "65536"}, "端口必须是1到65535之间的数字"},
      {{"主站", "10.0.0.1", "70001"}, "端口必须是1到65535之间的数字"},
      {{"主站", "10.0.0.1", "99999999999"}, "端口必须是1到65535之间的数字"},
      {{" 主站 ", "10.0.0.1", " 65535 "}, nullptr},
      {{"主站", "10.0.0.1", "1"}, nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> problem = shell::GatewayFieldsProblem(c.fields);
    if (c.problem == nullptr) {
      EXPECT_FALSE(problem) << c.fields.port << ": " << problem.value_or("");
    } else {
      EXPECT_EQ(problem.value_or("<none>"), c.problem) << c.fields.name << "|" << c.fields.port;
    }
  }
}

Strings Sorted(const Strings& cells, bool descending) {
  Strings sorted;
  for (const int row : shell::SortedRows(cells, descending)) sorted.push_back(cells[static_cast<std::size_t>(row)]);
  return sorted;
}

TEST(GatewayListSort, NoValueCellsComeLastEitherWayAndTextsCompareWithoutCase) {
  const Strings cells{"b", "--", "A", "--", "c", "a"};
  EXPECT_EQ(Sorted(cells, false), (Strings{"A", "a", "b", "c", "--", "--"}));
  EXPECT_EQ(Sorted(cells, true), (Strings{"c", "b", "A", "a", "--", "--"}));
  // Equal texts keep the order they had (stable), in both directions.
  EXPECT_EQ(shell::SortedRows({"x", "X", "x"}, false), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(shell::SortedRows({"x", "X", "x"}, true), (std::vector<int>{0, 1, 2}));
  // A strict ordering: no text comes before itself, "--" never before any.
  for (const char* text : {"--", "a", ""}) {
    EXPECT_FALSE(shell::GatewayCellBefore(text, text, false));
    EXPECT_FALSE(shell::GatewayCellBefore(text, text, true));
    EXPECT_FALSE(shell::GatewayCellBefore("--", text, true));
  }
}

TEST(GatewayListSort, TheFirstClickOnTheLastColumnTurnsItAndAnotherColumnStartsAscending) {
  shell::ListSort sort;
  sort.Click(0);
  EXPECT_TRUE(sort.descending);
  sort.Click(3);
  EXPECT_EQ(sort.column, 3);
  EXPECT_FALSE(sort.descending);
  sort.Click(3);
  EXPECT_TRUE(sort.descending);
}

TEST(ProxyTypes, StoredTypesShowTheirItemAndItemsStoreByTheVerifyBox) {
  const std::pair<int, std::optional<int>> shown[] = {{0, 0}, {1, 1}, {2, 2},  {3, 2},
                                                      {4, 3}, {5, 3}, {6, {}}, {-1, {}}};
  for (const auto& [type, item] : shown) EXPECT_EQ(shell::ProxyItemOfType(type), item) << type;
  EXPECT_EQ(shell::ProxyTypeOfItem(0, true), 0);
  EXPECT_EQ(shell::ProxyTypeOfItem(1, true), 1);
  EXPECT_EQ(shell::ProxyTypeOfItem(2, false), 2);
  EXPECT_EQ(shell::ProxyTypeOfItem(2, true), 3);
  EXPECT_EQ(shell::ProxyTypeOfItem(3, false), 4);
  EXPECT_EQ(shell::ProxyTypeOfItem(3, true), 5);

  const shell::ProxyEnabling none = shell::ProxyEnablingOf(0);
  EXPECT_FALSE(none.address || none.port || none.verifyBox);
  EXPECT_TRUE(none.uncheckBox);
  const shell::ProxyEnabling sock4 = shell::ProxyEnablingOf(1);
  EXPECT_TRUE(sock4.address && sock4.port && sock4.uncheckBox);
  EXPECT_FALSE(sock4.verifyBox);
  const shell::ProxyEnabling http = shell::ProxyEnablingOf(3);
  EXPECT_TRUE(http.address && http.port && http.verifyBox);
  EXPECT_FALSE(http.uncheckBox);
}

TEST(HotKeyText, ModifiersComeFromTheNamesInTheText) {
  EXPECT_EQ(shell::HotKeyModifiersOfText("Ctrl+Alt+H"), 3);
  EXPECT_EQ(shell::HotKeyModifiersOfText("Ctrl+Shift+Alt+F5"), 7);
  EXPECT_EQ(shell::HotKeyModifiersOfText("Shift+Q"), 4);
  EXPECT_EQ(shell::HotKeyModifiersOfText("F12"), 0);
}

client::VarietyParamRow Row(const char* exchange, const char* varietyCode, const char* varietyName,
                            const char* contract, const char* tick) {
  client::VarietyParamRow row;
  shell::SetField(row.exchangeName, exchange);
  shell::SetField(row.varietyCode, varietyCode);
  shell::SetField(row.varietyName, varietyName);
  shell::SetField(row.contractCode, contract);
  shell::SetField(row.priceTick, tick);
  return row;
}

class VarietyPage : public ::testing::Test {
 protected:
  void SetUp() override {
    shell::PageTables tables;
    tables.exchanges = {"上期所", "大商所"};
    tables.contracts = {{"上期所", "S", "cu2701", "铜2701", "cu", "铜", false},
                        {"上期所", "S", "au2702", "黄金2702", "au", "黄金", false},
                        {"大商所", "D", "m2701", "豆粕2701", "m", "豆粕", false},
                        {"上期所", "S", "cu2702", "铜2702", "cu", "铜", false}};
    model.SetTables(tables);
    model.SetRows({Row("上期所", "cu", "铜", "cu2701", "10"), Row("上期所", "au", "黄金", "au2702", "0.02"),
                   Row("大商所", "m", "豆粕", "m2701", "1"), Row("上期所", "cu", "铜", "cu2702", "10")});
  }
  // Offsets on a tick of 0.2.
  std::optional<shell::VarietyPageModel::Edit> Edit(int column, const char* text) {
    return model.ApplyEdit("au2702", column, text, [](std::string_view code, std::string_view price) {
      EXPECT_EQ(code, "au2702");
      const double value = std::stod(std::string(price));
      return std::abs(value / 0.2 - std::round(value / 0.2)) < 1e-9;
    });
  }
  const client::VarietyParamRow& Gold() const { return model.Rows()[1]; }

  shell::VarietyPageModel model;
};

TEST_F(VarietyPage, TheListsFollowTheExchangeAndTheGridTheFilters) {
  EXPECT_EQ(model.ExchangeItems(), (Strings{"全部", "上期所", "大商所"}));
  EXPECT_EQ(model.VarietyItems("全部"), (Strings{"全部", "au", "cu", "m"}));
  EXPECT_EQ(model.VarietyItems("上期所"), (Strings{"全部", "au", "cu"}));
  EXPECT_EQ(model.VarietyName("cu"), "铜");
  EXPECT_EQ(model.VarietyName("全部"), "全部");
  EXPECT_EQ(model.VarietyCodeOfName("豆粕"), "m");
  EXPECT_EQ(model.VarietyCodeOfName("全部"), "全部");
  EXPECT_EQ(model.ShownRows("全部", "全部"), (std::vector<std::size_t>{0, 1, 2, 3}));
  EXPECT_EQ(model.ShownRows("上期所", "全部"), (std::vector<std::size_t>{0, 1, 3}));
  EXPECT_EQ(model.ShownRows("上期所", "铜"), (std::vector<std::size_t>{0, 3}));
  EXPECT_EQ(model.ShownRows("大商所", "铜"), (std::vector<std::size_t>{}));
}

TEST_F(VarietyPage, OffsetsOffTheTickAreRefusedAndStoredAsZeroAndZeroShowsEmpty) {
  auto edit = Edit(6, "0.4");
  ASSERT_TRUE(edit);
  EXPECT_FALSE(edit->refused);
  EXPECT_EQ(edit->cellText, "0.40");
  EXPECT_DOUBLE_EQ(Gold().takeProfitOffset, 0.4);

  // A refused offset stores 0, which the cell shows as empty: screen and
  // file agree.
  edit = Edit(6, "0.3");
  ASSERT_TRUE(edit);
  EXPECT_TRUE(edit->refused);
  EXPECT_EQ(edit->cellText, "");
  EXPECT_DOUBLE_EQ(Gold().takeProfitOffset, 0);

  edit = Edit(8, "");
  ASSERT_TRUE(edit);
  EXPECT_FALSE(edit->refused);
  EXPECT_EQ(Gold().closeOffset, 0);

  edit = Edit(3, "0");
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->cellText, "");
  EXPECT_EQ(Gold().defaultLots, 0);
  edit = Edit(5, "12");
  EXPECT_EQ(edit->cellText, "12");
  EXPECT_EQ(Gold().maxMarketLots, 12);

  EXPECT_FALSE(Edit(2, "x"));
  EXPECT_FALSE(model.ApplyEdit("zz9999", 3, "1", {}));
}

TEST_F(VarietyPage, TheBatchAsksForTheSelectionsAndKeepsTheGridsEdits) {
  using M = shell::VarietyPageModel;
  EXPECT_EQ(M::BatchQuestion("", "上期所", "cu", "铜"), "是否确认要清空所选合约的默认手数？");
  EXPECT_EQ(M::BatchQuestion("0", "全部", "全部", "全部"), "是否确认要清空所选合约的默认手数？");
  EXPECT_EQ(M::BatchQuestion("5", "全部", "全部", "全部"), "是否确认对所有品种设置默认手数为5手？");
  EXPECT_EQ(M::BatchQuestion("5", "上期所", "全部", "全部"), "是否确认对上期所交易所所有品种设置默认手数为5手？");
  EXPECT_EQ(M::BatchQuestion("5", "上期所", "cu", "铜"), "是否确认对铜品种设置默认手数为5手？");

  ASSERT_TRUE(Edit(7, "0.6"));
  model.ApplyBatch("上期所", "全部", "5");
  EXPECT_EQ(model.Rows()[0].defaultLots, 5);
  EXPECT_EQ(model.Rows()[1].defaultLots, 5);
  EXPECT_EQ(model.Rows()[2].defaultLots, 0);
  EXPECT_EQ(model.Rows()[3].defaultLots, 5);
  // The grid's edit made before the batch is still there.
  EXPECT_DOUBLE_EQ(Gold().stopLossOffset, 0.6);

  model.ApplyBatch("全部", "cu", "");
  EXPECT_EQ(model.Rows()[0].defaultLots, 0);
  EXPECT_EQ(model.Rows()[1].defaultLots, 5);
  EXPECT_EQ(model.Rows()[3].defaultLots, 0);
}

// The quote object's groups over two exchanges' contracts.
class WatchList : public ::testing::Test {
 protected:
  void SetUp() override {
    tables.exchanges = {"上期所", "大商所"};
    tables.contracts = {{"上期所", "S", "cu2701", "铜2701", "cu", "铜", false},
                        {"上期所", "S", "cu2701C60000", "铜期权", "cu", "铜", true},
                        {"大商所", "D", "m2701", "豆粕2701", "m", "豆粕", false},
                        {"大商所", "D", "m2705", "豆粕2705", "m", "豆粕", false},
                        {"大商所", "D", "m2709", "豆粕2709", "m", "豆粕", false}};
    quotes::GroupTables groupTables;
    groupTables.exchanges = {{"上期所", true, false}, {"大商所", true, false}};
    for (const shell::PageContract& contract : tables.contracts) {
      groupTables.contracts.push_back(
          {contract.exchangeName, quotes::MakeContractKey(contract.exchangeCode, contract.code), contract.option});
    }
    groups.Load(folder.Path(), groupTables);
  }
  Strings Codes(const std::vector<shell::WatchRow>& rows) const {
    Strings codes;
    for (const shell::WatchRow& row : rows) codes.push_back(row.code);
    return codes;
  }
  Strings GroupCodes(int kind) const {
    Strings codes;
    for (const quotes::ContractKey& key : groups.FindOptionalGroup(kind)->keys) codes.emplace_back(key.Code());
    return codes;
  }
  static quotes::ContractKey Key(const char* exchange, const char* code) {
    return quotes::MakeContractKey(exchange, code);
  }

  platform_testing::TemporaryFolder folder{"watch_list"};
  shell::PageTables tables;
  quotes::CtbOptionalContract groups;
};

TEST_F(WatchList, TheGridsSplitTheContractsByTheUsersGroup) {
  EXPECT_EQ(shell::OwnGroupNames(groups), (Strings{"自选"}));
  ASSERT_TRUE(shell::AddWatchContracts(groups, "自选", {Key("D", "m2705"), Key("S", "cu2701C60000")}).empty());
  EXPECT_EQ(GroupCodes(quotes::kOptionKind), (Strings{"m2705", "cu2701C60000"}));
  EXPECT_EQ(GroupCodes(quotes::kFutureKind), (Strings{"m2705", "cu2701C60000"}));

  const std::vector<quotes::ContractKey> chosen = shell::OptionalGroupKeys(groups);
  EXPECT_EQ(Codes(shell::UnchosenRows(tables, "全部", chosen)), (Strings{"cu2701", "m2701", "m2709"}));
  const std::vector<shell::WatchRow> left = shell::UnchosenRows(tables, "上期所", chosen);
  ASSERT_EQ(Codes(left), (Strings{"cu2701"}));
  EXPECT_EQ(left[0].kind, "期货");
  const std::vector<shell::WatchRow> right = shell::ChosenRows(tables, chosen);
  ASSERT_EQ(right.size(), 2u);
  EXPECT_EQ(right[1].name, "铜期权");
  EXPECT_EQ(right[1].kind, "期权");
  EXPECT_EQ(right[1].exchangeCode, "S");
}

TEST_F(WatchList, AddingWhatTheGroupHoldsIsToldAndRemovingTakesOnlyTheSelectedContracts) {
  ASSERT_TRUE(shell::AddWatchContracts(groups, "自选",
                                       {Key("D", "m2701"), Key("D", "m2705"), Key("D", "m2709"), Key("S", "cu2701")})
                  .empty());
  const Strings problems = shell::AddWatchContracts(groups, "自选", {Key("D", "m2705")});
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[0].find("m2705"), std::string::npos);
  EXPECT_EQ(GroupCodes(quotes::kOptionKind).size(), 4u);

  // Rows 0 and 2 selected: the one between stays.
  shell::RemoveWatchContracts(groups, "自选", {Key("D", "m2701"), Key("D", "m2709")});
  EXPECT_EQ(GroupCodes(quotes::kOptionKind), (Strings{"m2705", "cu2701"}));
  EXPECT_EQ(GroupCodes(quotes::kFutureKind), (Strings{"m2705", "cu2701"}));

  // A group name the lists do not have changes nothing.
  shell::RemoveWatchContracts(groups, "", {Key("D", "m2705")});
  EXPECT_TRUE(shell::AddWatchContracts(groups, "", {Key("D", "m2701")}).empty());
  EXPECT_EQ(GroupCodes(quotes::kOptionKind), (Strings{"m2705", "cu2701"}));
}

}  // namespace
