// The initial and the reconnect download against a scripted back end: the
// steps in their order, what each loads, which failures end a download, the
// contract cache, and the download thread around a connection that drops.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "backend/field_text.h"
#include "engine/contract_cache.h"
#include "engine/testing/answers.h"
#include "engine/testing/started_engine.h"
#include "platform/files.h"
#include "platform/testing/temporary_folder.h"

namespace {

using engine::DownloadState;
using engine::EngineState;
using engine::Table;
using engine::Text;
using engine_testing::DataLine;
using engine_testing::SentRequest;

constexpr int kSystemDate = 5122;
constexpr int kExchangeSeats = 5454;
constexpr int kTradingParameter = 5127;
constexpr int kCloseStrategies = 5131;
constexpr int kOrderTypes = 5323;
constexpr int kContracts = 5008;
constexpr int kTradeCodes = 5300;
constexpr int kFunds = 5002;
constexpr int kOrders = 5134;
constexpr int kExerciseOrders = 5246;
constexpr int kPositionDetails = 5132;
constexpr int kCombinationDetails = 5133;
constexpr int kTrades = 5003;
// What the recalculation after a download asks for.
constexpr int kFeeRate = 5016;
constexpr int kLastPrices = 5128;

const std::vector<int> kReferenceSteps{kSystemDate,      kExchangeSeats, kTradingParameter, kTradingParameter,
                                       kCloseStrategies, kOrderTypes,    kContracts};
// The same, with the contracts read from the cache file.
const std::vector<int> kCachedReferenceSteps{kSystemDate,       kExchangeSeats,   kTradingParameter,
                                             kTradingParameter, kCloseStrategies, kOrderTypes};
const std::vector<int> kInitialAccountSteps{kTradeCodes,         kFunds, kOrders, kExerciseOrders, kPositionDetails,
                                            kCombinationDetails, kTrades};
const std::vector<int> kReconnectAccountSteps{kFunds, kOrders, kExerciseOrders, kTrades};

std::vector<int> Concat(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> all;
  for (const std::vector<int>& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The back end's answers of one trading day, by function number (and, for
// the trading parameters, by name), for whichever customer asks.
std::vector<std::string> DayAnswer(int function, const std::string& customer, const std::string& parameter) {
  switch (function) {
    case kSystemDate: return {"A|||Y|20261211|20261211||||09:30:00|"};
    case kExchangeSeats: return {"A|||Y|2|", "A|a|1|S|上期所|sfe|S001|0|1,0,0|", "A|a|1|D|大商所|dce|D001|0|1,1,1|"};
    case kTradingParameter:
      if (parameter == "ACCFRZ") return {"A|||Y|1|", "A|a|1||ACCFRZ|T1|浮动盈利不计入可用资金|"};
      return {"A|||Y|1|", "A|a|1|D001|ZXZL|2|大商所：只能放弃|"};
    case kCloseStrategies: return {"A|||Y|1|", "A|a|1|S|1|策略1|"};
    case kOrderTypes: return {"A|||Y|1|", "A|a|1|S|0|0|1|"};
    case kContracts:
      return {"A|||Y|2|", DataLine(24, {{4, "S"}, {6, "cu2701"}, {8, "5"}}),
              DataLine(24, {{4, "D"}, {6, "m2705-C-3000"}, {22, "1"}, {23, "C"}, {24, "3000"}})};
    case kTradeCodes: return {"A|||Y|1|", "A|a|1|" + customer + "|S|81" + customer + "|0|S001|0|"};
    case kFunds: return {"A|||Y||1000.00|"};
    case kOrders: return {"A|||Y|1|", DataLine(57, {{4, customer}, {5, "1"}, {6, "S"}, {7, "cu2701"}})};
    case kExerciseOrders: return {"A|||Y|0|"};
    case kPositionDetails: return {"A|||Y|1|", DataLine(25, {{8, customer}, {10, "S"}, {17, "3"}, {25, "cu2701"}})};
    case kCombinationDetails: return {"A|||Y|1|", DataLine(38, {{5, "D"}, {7, customer}})};
    case kTrades: return {"A|||Y|1|", DataLine(24, {{4, "S"}, {7, "cu2701"}, {20, "9"}})};
    default: return {};
  }
}

constexpr std::string_view kLogPrefix = "计算引擎：";

// The day's answer to a request.
std::vector<std::string> DayAnswerTo(const SentRequest& request) {
  return DayAnswer(request.function, request.Field(7), request.Field(11));
}

// Accounts logged in, an engine started for them against a back end with
// the day's answers, and a fresh program folder for the contract cache.
class Downloads : public engine_testing::StartedEngine<> {
 protected:
  explicit Downloads(bool runsOwnDownloads = false) : StartedEngine({}, runsOwnDownloads) {}

  void SetUp() override { backEnd.Otherwise(DayAnswerTo); }
  void TearDown() override { engine.Stop(); }

  // Logs in 8001 alone, or (management) 9001 managing 8001 and 8002.
  void Start(int loginType = backend::kTradingLogin) {
    // Field 9 of the log-in answer is the trading date, field 24 the
    // contract-cache tag.
    start_ = {.customers = loginType == backend::kTradingLogin ? std::vector<std::string>{"8001"}
                                                               : std::vector<std::string>{"9001", "8001", "8002"},
              .loginAnswer = DataLine(24, {{4, "Y"}, {9, "20261210"}, {24, "TAG-1"}}),
              .loginType = loginType};
    StartEngine();
  }

  // The day's answers again, and nothing scripted or sent.
  void ResetBackEnd() {
    backEnd.Reset();
    backEnd.Otherwise(DayAnswerTo);
  }
  // Answers the trading parameter ACCFRZ with these lines.
  void ScriptAccfrz(std::vector<std::string> lines) {
    backEnd.Answer(kTradingParameter, [lines = std::move(lines)](const SentRequest& request) {
      return request.Field(11) == "ACCFRZ" ? lines : DayAnswerTo(request);
    });
  }
  // Refuses `function` as the back end refuses a request.
  void Refuse(int function) { backEnd.Answer(function, {"A|||N|-1|拒绝|"}); }

  // The functions of the download's own requests, in order (the
  // recalculation's lookups left out).
  std::vector<int> Functions() const {
    std::vector<int> functions;
    for (const int function : backEnd.SentFunctions()) {
      if (function != kFeeRate && function != kLastPrices) functions.push_back(function);
    }
    return functions;
  }
  std::vector<std::string> CustomersOf(int function) const {
    std::vector<std::string> customers;
    for (const SentRequest& request : backEnd.Sent()) {
      if (request.function == function) customers.push_back(request.Field(7));
    }
    return customers;
  }

  std::size_t CountOf(Table table) {
    std::lock_guard guard(engine.lock_);
    return engine.TableAt(table).GetCount();
  }
  template <engine::EngineRow Row>
  std::vector<std::string> AccountsOf(Table table) {
    std::vector<std::string> accountsSeen;
    for (const Row& row : engine.Rows<Row>(table)) accountsSeen.emplace_back(Text(row.szTradeAccount));
    return accountsSeen;
  }

  // The downloads' own log lines, level and text: those at level 1 and the
  // initial download's first and last line (the thread and the
  // recalculation log at level 3 too).
  std::vector<std::pair<int, std::string>> StepLines() const {
    std::vector<std::pair<int, std::string>> lines;
    for (const auto& [level, text] : gui.LogLines()) {
      const std::string step = text.substr(kLogPrefix.size());
      if (level == 1 || step == "初始化下载。" || step == "初始化下载完成。") lines.emplace_back(level, step);
    }
    return lines;
  }
  int LinesSaying(std::string_view text) const {
    const std::vector<std::string> texts = gui.LogTexts();
    return static_cast<int>(std::ranges::count(texts, std::string(kLogPrefix) + std::string(text)));
  }

  platform_testing::ScopedProgramFolder programFolder_{"downloads"};
};

TEST_F(Downloads, TheInitialDownloadLoadsTheDayStepByStep) {
  Start();
  ASSERT_TRUE(engine.RunInitialDownload());

  EXPECT_EQ(Functions(), Concat({kReferenceSteps, kInitialAccountSteps}));
  const std::vector<SentRequest> sent = backEnd.Sent();
  EXPECT_EQ(sent[2].Field(11), "ACCFRZ");
  EXPECT_EQ(sent[3].Field(11), "ZXZL");
  const std::vector<std::pair<int, std::string>> expectedLines{
      {3, "初始化下载。"},
      {1, "下载系统日期。"},
      {1, "下载交易所席位信息。"},
      {1, "下载交易参数-浮动盈利是否记入交易可用。"},
      {1, "下载交易参数- 交易所是否支持执行或放弃指令"},
      {1, "下载平仓策略。"},
      {1, "下载定单类型。"},
      {1, "下载合约。"},
      {1, "下载交易编码:8001。"},
      {1, "下载资金:8001。"},
      {1, "下载综合委托:8001。"},
      {1, "下载期权执行/放弃委托:8001。"},
      {1, "下载昨日持仓明细:8001。"},
      {1, "下载昨日组合持仓明细:8001。"},
      {1, "下载成交明细:8001。"},
      {3, "初始化下载完成。"},
  };
  EXPECT_EQ(StepLines(), expectedLines);

  // The back end's trading day replaces the log-in's, in the engine and in
  // every later request that names the day.
  EXPECT_EQ(engine.GetLoginTexts().tradingDate, "20261211");
  EXPECT_EQ(backend::GetSeparatedFieldText(9, sent[8].text), "20261211") << "funds";
  EXPECT_EQ(backend::GetSeparatedFieldText(9, sent[13].text), "20261211") << "trades";

  for (const auto& [table, count] :
       std::vector<std::pair<Table, std::size_t>>{{Table::kExchangeSeats, 2},
                                                  {Table::kCloseStrategies, 1},
                                                  {Table::kOrderTypes, 1},
                                                  {Table::kContracts, 2},
                                                  {Table::kTradeCodes, 1},
                                                  {Table::kFunds, 1},
                                                  {Table::kOrders, 1},
                                                  {Table::kPositionDetails, 1},
                                                  {Table::kDownloadedPositionDetails, 1},
                                                  {Table::kCombinationDetails, 1},
                                                  {Table::kDownloadedCombinationDetails, 1},
                                                  {Table::kTrades, 1}}) {
    EXPECT_EQ(CountOf(table), count) << "table " << static_cast<int>(table);
  }
  // The exercise instructions a seat takes ("ZXZL") replace those of its
  // exchange's abbreviation.
  const std::vector<engine::ExchangeSeatRow> seats = engine.Rows<engine::ExchangeSeatRow>(Table::kExchangeSeats);
  ASSERT_EQ(seats.size(), 2u);
  EXPECT_EQ(Text(seats[0].szExerciseInstruction), "1");
  EXPECT_EQ(Text(seats[1].szExerciseInstruction), "2");
}

TEST_F(Downloads, TheFloatingProfitFlagFollowsTheAccfrzParameter) {
  Start();
  for (const auto& [value, counts] : std::vector<std::pair<std::string, bool>>{{"T0", true}, {"T1", false}}) {
    SCOPED_TRACE(value);
    ScriptAccfrz({"A|||Y|1|", "A|a|1||ACCFRZ|" + value + "|说明|"});
    ASSERT_TRUE(engine.RunInitialDownload());
    EXPECT_EQ(engine.FloatingProfitCounts(), counts);
  }
}

TEST_F(Downloads, AnAccfrzAnswerWithoutItsRowEndsTheDownloadUntilItIsThere) {
  Start();
  ScriptAccfrz({"A|||Y|0|"});
  EXPECT_FALSE(engine.RunInitialDownload());
  EXPECT_EQ(Functions(), (std::vector<int>{kSystemDate, kExchangeSeats, kTradingParameter}));

  ResetBackEnd();
  EXPECT_TRUE(engine.RunInitialDownload());
  EXPECT_EQ(Functions(), Concat({kReferenceSteps, kInitialAccountSteps})) << "again from the first step";
}

TEST_F(Downloads, AFailedStepEndsTheDownloadButARefusedExerciseOrderQueryDoesNot) {
  Start();
  struct Case {
    const char* name;
    std::function<void()> script;
    bool succeeds;
    int lastFunction;
  };
  const std::vector<Case> cases{
      {"refused position details", [&] { Refuse(kPositionDetails); }, false, kPositionDetails},
      {"lost funds", [&] { backEnd.Lose(kFunds); }, false, kFunds},
      {"refused exercise orders", [&] { Refuse(kExerciseOrders); }, true, kTrades},
      // A lost connection is no refusal: the rest would come from a
      // connection that had a gap.
      {"lost exercise orders", [&] { backEnd.Lose(kExerciseOrders); }, false, kExerciseOrders},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    ResetBackEnd();
    test.script();
    EXPECT_EQ(engine.RunInitialDownload(), test.succeeds);
    EXPECT_EQ(Functions().back(), test.lastFunction);
  }

  // The reconnect download passes over the same refusal.
  ResetBackEnd();
  Refuse(kExerciseOrders);
  EXPECT_TRUE(engine.RunReconnectDownload());
  EXPECT_EQ(Functions(), kReconnectAccountSteps);
}

TEST_F(Downloads, AManagementLoginDownloadsEachSubAccountAndKeepsAllTheirRowsOnce) {
  Start(backend::kManagementLogin);
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    ResetBackEnd();
    ASSERT_TRUE(engine.RunInitialDownload());

    EXPECT_EQ(Functions(),
              Concat({run == 1 ? kReferenceSteps : kCachedReferenceSteps, kInitialAccountSteps, kInitialAccountSteps}));
    for (const int function : kInitialAccountSteps) {
      EXPECT_EQ(CustomersOf(function), (std::vector<std::string>{"8001", "8002"})) << function;
    }
    const std::vector<std::string> both{"8001", "8002"};
    EXPECT_EQ(AccountsOf<engine::FundRow>(Table::kFunds), both);
    EXPECT_EQ(AccountsOf<engine::OrderRow>(Table::kOrders), both);
    EXPECT_EQ(AccountsOf<engine::TradeCodeRow>(Table::kTradeCodes), both);
    EXPECT_EQ(AccountsOf<engine::PositionDetailRow>(Table::kPositionDetails), both);
    EXPECT_EQ(AccountsOf<engine::PositionDetailRow>(Table::kDownloadedPositionDetails), both);
    EXPECT_EQ(AccountsOf<engine::CombinationDetailRow>(Table::kCombinationDetails), both);
    EXPECT_EQ(AccountsOf<engine::CombinationDetailRow>(Table::kDownloadedCombinationDetails), both);
  }
}

TEST_F(Downloads, AReconnectDownloadReloadsTheBusinessOverThePositionsAsDownloaded) {
  Start();
  ASSERT_TRUE(engine.RunInitialDownload());
  {
    // The day went on: the current positions changed and were summed up.
    std::lock_guard guard(engine.lock_);
    engine.TableAt(Table::kPositionDetails).Clear();
    engine.TableAt(Table::kPositionSummary).AddText("a summary row");
  }
  ResetBackEnd();
  gui.Clear();
  ASSERT_TRUE(engine.RunReconnectDownload());

  EXPECT_EQ(Functions(), kReconnectAccountSteps);
  const std::vector<std::pair<int, std::string>> expectedLines{
      {1, "断线重连处理。"},          {1, "重新下载资金:8001。"},
      {1, "重新下载综合委托:8001。"}, {1, "重新下载期权执行/放弃委托:8001。"},
      {1, "重新下载成交明细:8001。"}, {1, "断线重连处理完成。"},
  };
  EXPECT_EQ(StepLines(), expectedLines);
  EXPECT_EQ(AccountsOf<engine::PositionDetailRow>(Table::kPositionDetails), (std::vector<std::string>{"8001"}));
  EXPECT_EQ(CountOf(Table::kPositionSummary), 1u) << "summed up again from those positions alone";
  EXPECT_EQ(AccountsOf<engine::PositionSummaryRow>(Table::kPositionSummary), (std::vector<std::string>{"8001"}));
  for (const Table table : {Table::kFunds, Table::kOrders, Table::kTrades, Table::kTradeCodes}) {
    EXPECT_EQ(CountOf(table), 1u) << "table " << static_cast<int>(table);
  }
  EXPECT_EQ(CountOf(Table::kContracts), 2u) << "the reference tables stay";
}

TEST_F(Downloads, ADownloadOverAConnectionThatDroppedFailsUntilItRunsAgain) {
  Start();
  for (const bool initial : {true, false}) {
    SCOPED_TRACE(initial ? "initial" : "reconnect");
    const auto run = [&] { return initial ? engine.RunInitialDownload() : engine.RunReconnectDownload(); };
    ResetBackEnd();
    // The trades' answer comes after the connection was lost and back.
    backEnd.OnRequest(kTrades, [&] {
      engine.OnConnectionState(2, 1, 0);
      engine.OnConnectionState(1, 2, 0);
    });
    EXPECT_FALSE(run());
    EXPECT_EQ(CountOf(Table::kTrades), 0u) << "the answer after the gap is not loaded";

    ResetBackEnd();
    EXPECT_TRUE(run());
    EXPECT_EQ(CountOf(Table::kTrades), 1u);
  }
}

TEST_F(Downloads, ContractsComeFromTheCacheFileOfTheSameDayAndTag) {
  Start();
  const std::string path = engine::ContractCachePath();
  ASSERT_TRUE(engine.RunInitialDownload());
  const std::vector<engine::ContractRow> asked = engine.Rows<engine::ContractRow>(Table::kContracts);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_TRUE(engine::ReadContractCache(path, {"20261211", "TAG-1"}).has_value()) << "written for the day";

  ResetBackEnd();
  ASSERT_TRUE(engine.RunInitialDownload());
  EXPECT_EQ(std::ranges::count(Functions(), kContracts), 0);
  const std::vector<engine::ContractRow> cached = engine.Rows<engine::ContractRow>(Table::kContracts);
  ASSERT_EQ(cached.size(), asked.size());
  for (std::size_t index = 0; index < cached.size(); ++index) {
    EXPECT_EQ(std::memcmp(&cached[index], &asked[index], sizeof(engine::ContractRow)), 0) << index;
  }

  // A damaged file, and then another day, make the engine ask again.
  std::filesystem::resize_file(path, std::filesystem::file_size(path) - 1);
  ResetBackEnd();
  ASSERT_TRUE(engine.RunInitialDownload());
  EXPECT_EQ(std::ranges::count(Functions(), kContracts), 1);
  EXPECT_TRUE(engine::ReadContractCache(path, {"20261211", "TAG-1"}).has_value()) << "written again";

  ResetBackEnd();
  backEnd.Answer(kSystemDate, {"A|||Y|20261214|20261214|"});
  ASSERT_TRUE(engine.RunInitialDownload());
  EXPECT_EQ(std::ranges::count(Functions(), kContracts), 1);
  EXPECT_EQ(CountOf(Table::kContracts), 2u);
}

// The same, with the downloads run by the engine's own thread.
class DownloadsOnTheirThread : public Downloads {
 protected:
  DownloadsOnTheirThread() : Downloads(true) {}

  bool DownloadDone() {
    return engine_testing::Eventually([&] { return engine.GetDownloadState() == DownloadState::kDone; });
  }
};

TEST_F(DownloadsOnTheirThread, ADropDuringTheDownloadMakesItRunAgainWhenTheConnectionIsBack) {
  std::atomic<bool> dropped{false};
  backEnd.OnRequest(kPositionDetails, [&] {
    backEnd.OnRequest(kPositionDetails, {});
    engine.OnConnectionState(2, 1, 0);
    dropped = true;
  });
  Start();
  ASSERT_TRUE(engine_testing::Eventually([&] { return dropped.load(); }));
  engine.OnConnectionState(1, 2, 0);
  ASSERT_TRUE(DownloadDone());

  EXPECT_EQ(LinesSaying("初始化下载。"), 2);
  EXPECT_EQ(LinesSaying("初始化下载完成。"), 1);
  EXPECT_EQ(CountOf(Table::kPositionDetails), 1u);
  EXPECT_EQ(CountOf(Table::kTradeCodes), 1u);
  engine.OnPushBatchDone();
  EXPECT_EQ(engine.GetEngineState(), EngineState::kReady);
}

TEST_F(DownloadsOnTheirThread, AFinishedDownloadADropMadeOutOfDateRunsAgainBeforeItIsClosed) {
  Start();
  ASSERT_TRUE(DownloadDone());
  engine.OnConnectionState(2, 1, 0);
  EXPECT_EQ(engine.GetDownloadState(), DownloadState::kScheduled);
  engine.OnPushBatchDone();
  EXPECT_EQ(engine.GetEngineState(), EngineState::kInitialDownload) << "not ended by the close";

  engine.OnConnectionState(1, 2, 0);
  ASSERT_TRUE(DownloadDone());
  EXPECT_EQ(LinesSaying("初始化下载完成。"), 2);
  engine.OnPushBatchDone();
  EXPECT_EQ(engine.GetEngineState(), EngineState::kReady);
}

TEST_F(DownloadsOnTheirThread, StoppingTheEngineEndsARunningDownloadAtItsNextStep) {
  // The position details' answer comes only once the engine is stopping.
  backEnd.OnRequest(kPositionDetails,
                    [&] { engine_testing::Eventually([&] { return engine.ConnectionIndex() < 0; }); });
  Start();
  ASSERT_TRUE(engine_testing::Eventually([&] { return LinesSaying("下载昨日持仓明细:8001。") == 1; }));
  engine.Stop();

  EXPECT_EQ(Functions().back(), kPositionDetails);
  EXPECT_EQ(LinesSaying("初始化下载完成。"), 0);
  EXPECT_EQ(LinesSaying("下载线程退出。"), 1);
}

}  // namespace
