#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "backend/field_text.h"
#include "engine/testing/answers.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::TableChangeRecord;
using engine_testing::Answer;
using engine_testing::DataLine;
using engine_testing::kStatusLine;
using engine_testing::SentRequest;

const std::string kHead = "R|00-11-22-33-44-55|7|";

backend::AccountKey Key(const char* customer, const char* password, int slot) {
  backend::AccountKey key;
  std::strcpy(key.customerNo, customer);
  std::strcpy(key.password, password);
  key.slot = slot;
  return key;
}

class RequestBuilders : public engine_testing::StartedEngine<> {
 protected:
  // Field 9 of the log-in answer is the trading date.
  RequestBuilders() : StartedEngine({.loginAnswer = "A|||Y|||||20261210|"}) {}

  // An option contract in the contract table.
  void LoadOptionContract() {
    engine.LoadContracts(Answer({kStatusLine, DataLine(24, {{4, "sfe"}, {6, "cu2702C76000"}, {22, "1"}})}).View());
  }
};

struct BuiltRequest {
  const char* name;
  std::function<backend::RequestPtr(engine_testing::OpenEngine&)> build;
  std::string title;
  int slot;
  bool singlePacket;
  std::string text;
};

TEST_F(RequestBuilders, EachRequestCarriesItsTitleSlotAnswerFormAndText) {
  LoadOptionContract();
  const backend::AccountKey subAccount = Key("20001", "999999", 2);
  const std::vector<BuiltRequest> cases = {
      {"system date", [](auto& e) { return e.BuildSystemDateRequest(); }, "查询系统日期", 0, true,
       kHead + "5122||Pellora|8001|secret|"},
      {"trading parameter", [](auto& e) { return e.BuildTradingParameterRequest("ACCFRZ"); }, "查询交易(结算)参数", 0,
       false, kHead + "5127||Pellora|8001|secret|2||ACCFRZ|0|"},
      {"order types", [](auto& e) { return e.BuildOrderTypeRequest(); }, "查询定单类型", 0, false,
       kHead + "5323||Pellora|8001|secret||||"},
      {"exchange seats", [](auto& e) { return e.BuildExchangeSeatRequest(); }, "查询交易所席位信息", 0, false,
       kHead + "5454||Pellora|8001|secret||"},
      {"funds", [&](auto& e) { return e.BuildFundRequest(subAccount); }, "查询资金", 2, true,
       kHead + "5002||Pellora|20001|999999|20261210||"},
      {"trades", [&](auto& e) { return e.BuildTradeRequest(subAccount); }, "查询成交", 2, false,
       kHead + "5003||Pellora|20001|999999|20261210|20261210||||||||"},
      {"one order",
       [&](auto& e) {
         return e.BuildOrderRequest(subAccount, {"1001", "sfe", "S001"});
       },
       "查询综合委托", 2, false, kHead + "5134||Pellora|20001|999999|1001|sfe|S001|"},
      {"position details", [&](auto& e) { return e.BuildPositionDetailRequest(subAccount); }, "查询持仓明细", 2, false,
       kHead + "5132||Pellora|20001|999999|"},
      {"fee rate of an option",
       [&](auto& e) { return e.BuildFeeRateRequest(subAccount, "sfe", "S001", "cu2702C76000"); }, "查询费率", 2, true,
       kHead + "5016||Pellora|20001|999999|sfe|S001|cu2702C76000|1|20261210|1|"},
      {"fee rate of an unknown contract",
       [&](auto& e) { return e.BuildFeeRateRequest(subAccount, "sfe", "S001", "xx"); }, "查询费率", 2, true,
       kHead + "5016||Pellora|20001|999999|sfe|S001|xx|1|20261210||"},
      {"exercisable quantity",
       [&](auto& e) {
         return e.BuildExercisableQuantityRequest(subAccount, {"sfe", "cu2702C76000", "", "", "0", "0"});
       },
       "查询期权可执行/放弃数量", 2, true, kHead + "5242||Pellora|20001|999999|sfe|cu2702C76000|||0|0|"},
      {"last prices", [](auto& e) { return e.BuildLastPriceRequest("sfe,cu2701;dce,m2705;"); }, "查询行情最新价", 0,
       true, kHead + "5128||Pellora|8001|secret|sfe,cu2701;dce,m2705;|"},
  };
  for (const BuiltRequest& expected : cases) {
    const backend::RequestPtr record = expected.build(engine);
    ASSERT_NE(record, nullptr) << expected.name;
    EXPECT_EQ(record->title, expected.title) << expected.name;
    EXPECT_EQ(record->connection, expected.slot) << expected.name;
    EXPECT_EQ(record->priority, 2) << expected.name;
    ASSERT_EQ(record->count, 1) << expected.name;
    EXPECT_EQ(record->At(0)->sequenceNo, 7) << expected.name;
    EXPECT_EQ(record->At(0)->singlePacket != 0, expected.singlePacket) << expected.name;
    EXPECT_EQ(record->At(0)->requestText, expected.text) << expected.name;
  }
}

TEST_F(RequestBuilders, LastPricesGoToTheQuoteConnectionWhenThereIsOne) {
  engine.SetQuoteConnectionIndex(1);
  EXPECT_EQ(engine.BuildLastPriceRequest("sfe,cu2701;")->connection, 1);
  EXPECT_EQ(engine.BuildSystemDateRequest()->connection, 0);
}

// --- The last-price query

// The contract codes of a last-price request's list.
std::vector<std::string> ListedCodes(const std::string& requestText) {
  const std::string list = backend::GetSeparatedFieldText(9, requestText);
  std::vector<std::string> codes;
  for (std::size_t start = 0, end; (end = list.find(';', start)) != std::string::npos; start = end + 1) {
    const std::size_t comma = list.find(',', start);
    codes.push_back(list.substr(comma + 1, end - comma - 1));
  }
  return codes;
}

// Answers a last-price request with the first `count` contract codes as
// their prices.
std::string PriceAnswer(const std::vector<std::string>& codes, std::size_t count) {
  std::string prices;
  for (std::size_t k = 0; k < count && k < codes.size(); ++k) prices += (k == 0 ? "" : ";") + codes[k];
  return "A|||Y|" + prices + "|";
}

std::vector<std::string> EchoPrices(const SentRequest& request) {
  const std::vector<std::string> codes = ListedCodes(request.text);
  return {PriceAnswer(codes, codes.size())};
}

// `count` contracts of exchange "x" whose codes are one character each
// (the shortest list items), or `codeLength` characters.
std::vector<std::string> Codes(int count, std::size_t codeLength = 1) {
  static constexpr std::string_view kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::vector<std::string> codes;
  for (int k = 0; k < count; ++k) codes.emplace_back(codeLength, kDigits[static_cast<std::size_t>(k) % kDigits.size()]);
  return codes;
}

std::string ContractList(const std::vector<std::string>& codes) {
  std::string list;
  for (const std::string& code : codes) list += "x," + code + ";";
  return list;
}

std::string ExpectedPrices(const std::vector<std::string>& codes) {
  std::string prices;
  for (const std::string& code : codes) prices += code + ";";
  return prices;
}

std::vector<std::size_t> ListedCounts(const std::vector<SentRequest>& requests) {
  std::vector<std::size_t> counts;
  for (const SentRequest& request : requests) {
    EXPECT_LE(request.text.size(), engine::kMaxRequestTextLength) << request.text;
    counts.push_back(ListedCodes(request.text).size());
  }
  return counts;
}

TEST_F(RequestBuilders, LastPricesOfALongListComeInRequestsOfAtMostAHundredContracts) {
  backEnd.Otherwise(EchoPrices);
  const std::vector<std::string> codes = Codes(250);
  std::string prices;
  ASSERT_TRUE(engine.QueryLastPrice(ContractList(codes), prices));
  EXPECT_EQ(prices, ExpectedPrices(codes));
  EXPECT_EQ(ListedCounts(backEnd.Sent()), (std::vector<std::size_t>{100, 100, 50}));
}

TEST_F(RequestBuilders, LastPricesOfLongContractCodesComeInRequestsThatFitTheirText) {
  backEnd.Otherwise(EchoPrices);
  const std::vector<std::string> codes = Codes(40, 30);
  std::string prices;
  ASSERT_TRUE(engine.QueryLastPrice(ContractList(codes), prices));
  EXPECT_EQ(prices, ExpectedPrices(codes));
  // "x," and 30 characters and ";" each: 14 of them would pass 511 bytes.
  EXPECT_EQ(ListedCounts(backEnd.Sent()), (std::vector<std::size_t>{13, 13, 13, 1}));
}

TEST_F(RequestBuilders, AShortPriceAnswerKeepsTheLaterPricesInTheirPlaces) {
  // The first request's answer lacks its last price.
  backEnd.Otherwise([](const SentRequest& request) {
    const std::vector<std::string> codes = ListedCodes(request.text);
    return std::vector<std::string>{PriceAnswer(codes, codes.size() == 100 ? 99 : codes.size())};
  });
  std::vector<std::string> codes = Codes(101);
  std::string prices;
  ASSERT_TRUE(engine.QueryLastPrice(ContractList(codes), prices));
  codes[99].clear();
  EXPECT_EQ(prices, ExpectedPrices(codes));
}

TEST_F(RequestBuilders, AFailedPriceRequestFailsTheQuery) {
  backEnd.Otherwise([](const SentRequest&) { return std::vector<std::string>{"A|||N|2001|合约不存在！|"}; });
  std::string prices = "kept";
  EXPECT_FALSE(engine.QueryLastPrice("sfe,cu2701;", prices));
  EXPECT_EQ(prices, "kept");
}

// --- Single-row queries

TEST_F(RequestBuilders, AnOrderQueryAnsweredWithItsStatusLineAloneFindsNothing) {
  backEnd.Otherwise([](const SentRequest&) { return std::vector<std::string>{kStatusLine}; });
  TableChangeRecord record;
  EXPECT_FALSE(engine.QueryOrderRecord({"1001", "sfe", "S001"}, "8001", record));
  ASSERT_EQ(backEnd.Sent().size(), 1u);
  EXPECT_FALSE(backEnd.Sent()[0].singlePacket);
}

TEST_F(RequestBuilders, AnOrderQueryGivesAnOrderOrASpecialOrderByTheStrategyCode) {
  for (const auto& [strategyCode, tableId] : {std::pair{"", 2}, std::pair{"SP", 3}}) {
    backEnd.Otherwise([&](const SentRequest&) {
      return std::vector<std::string>{"A|||Y|1|",
                                      DataLine(57, {{5, "1001"}, {6, "sfe"}, {7, "cu2701"}, {34, strategyCode}})};
    });
    TableChangeRecord record;
    ASSERT_TRUE(engine.QueryOrderRecord({"1001", "sfe", ""}, "8001", record));
    EXPECT_EQ(record.TableId(), tableId);
    if (tableId == 2) {
      const engine::OrderRow row = *engine::RowFromBytes<engine::OrderRow>(record.Row());
      EXPECT_EQ(engine::Text(row.szTradeAccount), "8001");
      EXPECT_EQ(engine::Text(row.szContractCode), "cu2701");
    } else {
      const engine::SpecialOrderRow row = *engine::RowFromBytes<engine::SpecialOrderRow>(record.Row());
      EXPECT_EQ(engine::Text(row.szStrategyCode), "SP");
    }
  }
}

TEST_F(RequestBuilders, AQueryForAnAccountNotLoggedInSendsNothing) {
  TableChangeRecord record;
  EXPECT_FALSE(engine.QueryOrderRecord({}, "9999", record));
  EXPECT_TRUE(backEnd.Sent().empty());
  const std::vector<std::string> log = gui.LogTexts();
  EXPECT_NE(std::find(log.begin(), log.end(), "计算引擎：查询综合委托时，账号9999没有登录！"), log.end());
}

TEST_F(RequestBuilders, AFeeRateRowTakesItsKeysAndTwentyTwoRates) {
  backEnd.Otherwise([](const SentRequest&) {
    std::vector<std::string> fields = {"A", "", "", "Y", "", "8001", "sfe", "S001", "cu2701"};
    for (int rate = 1; rate <= 22; ++rate) fields.push_back("0." + std::to_string(rate));
    return std::vector<std::string>{engine_testing::Line(fields)};
  });
  engine::FeeRateRow row{};
  ASSERT_TRUE(engine.QueryFeeRate("sfe", "S001", "cu2701", "8001", row));
  EXPECT_EQ(engine::Text(row.szTradeAccount), "8001");
  EXPECT_EQ(engine::Text(row.szExchangeCode), "sfe");
  EXPECT_EQ(engine::Text(row.szSeatCode), "S001");
  EXPECT_EQ(engine::Text(row.szContractCode), "cu2701");
  EXPECT_EQ(engine::Text(row.openCloseFees[0].szRateByAmount), "0.1");
  EXPECT_EQ(engine::Text(row.closeTodayFees[0].szRateByAmount), "0.7");
  EXPECT_EQ(engine::Text(row.szFeeRateField[1]), "0.14");
  EXPECT_EQ(engine::Text(row.sellHedgeMargin.szAmountPerLot), "0.22");
}

TEST_F(RequestBuilders, AnExercisableQuantityIsAddedOnceAndThenUpdated) {
  int held = 3;
  backEnd.Otherwise([&](const SentRequest&) {
    return std::vector<std::string>{
        engine_testing::Line({"A", "", "", "Y", "8001", "sfe", "铜期权", "cu2702C76000", "81000101", "S001",
                              std::to_string(held), "1", "cu2702", "2"})};
  });
  engine::PositionSummaryRow position{};
  engine::SetText(position.szTradeAccount, "8001");
  engine::SetText(position.szExchangeCode, "sfe");
  engine::SetText(position.szContractCode, "cu2702C76000");
  engine.UpsertExercisableQuantity(&position);
  held = 5;
  engine.UpsertExercisableQuantity(&position);
  engine.UpsertExercisableQuantity(nullptr);

  EXPECT_EQ(backEnd.Sent().size(), 2u);
  EXPECT_EQ(backEnd.Sent()[0].text, kHead + "5242||Pellora|8001|secret|sfe|cu2702C76000|||||");
  const std::vector<engine::ExercisableQuantityRow> rows =
      engine.Rows<engine::ExercisableQuantityRow>(engine::Table::kExercisableQuantities);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(engine::Text(rows[0].szExerciseKey), "铜期权");
  EXPECT_EQ(engine::Text(rows[0].szFrozenHands), "5");
  EXPECT_EQ(engine::Text(rows[0].szFrozenHandsKind1), "1");
  EXPECT_EQ(engine::Text(rows[0].szAnswerField13), "cu2702");
  EXPECT_EQ(engine::Text(rows[0].szAnswerField14), "2");
  ASSERT_EQ(gui.changes.size(), 2u);
  for (const TableChangeRecord& change : gui.changes) {
    EXPECT_EQ(change.TableId(), 20);
    EXPECT_EQ(change.Operation(), 'u');
    EXPECT_EQ(change.RowCount(), 1);
    EXPECT_EQ(change.RowIndex(), 0);
  }
}

}  // namespace
