// Malformed answers and pushes fed to every parser of the engine: lines cut
// short, extra fields, words where numbers belong, empty lines, an 8 KB
// line, and 0x01 or "|" inside a value. None may crash or read past its
// line, and none may move the engine's tables beyond what the answer is
// about: each case says how the tables must look afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "backend/request_record.h"
#include "engine/testing/answers.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::Table;
using engine_testing::Answer;
using engine_testing::DataLine;

// --- Lines and their damage

backend::CxDataSet AnswerOf(const std::vector<std::string>& lines) {
  backend::CxDataSet answer;
  for (const std::string& line : lines) answer.AddText(line);
  return answer;
}

// Field n of a line replaced (the line grows to n fields when shorter).
std::string WithField(const std::string& line, int n, const std::string& text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t end = line.find('|'); end != std::string::npos; end = line.find('|', start)) {
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  if (fields.size() < static_cast<std::size_t>(n)) fields.resize(static_cast<std::size_t>(n));
  fields[static_cast<std::size_t>(n) - 1] = text;
  return engine_testing::Line(fields);
}

// Fields 1 to n of a line, the rest cut off mid-field.
std::string CutAfter(const std::string& line, int n) {
  std::size_t end = 0;
  for (int k = 0; k < n; ++k) end = line.find('|', end) + 1;
  return line.substr(0, end) + "trunc";
}

int FieldCount(const std::string& line) { return static_cast<int>(std::count(line.begin(), line.end(), '|')); }

enum class Damage { kHeadOnly, kCutShort, kExtraFields, kNotANumber, kEmptyLines, kLongLine, kEscapeByte, kSeparator };

constexpr std::size_t kDamageCount = 8;

const char* NameOf(Damage damage) {
  switch (damage) {
    case Damage::kHeadOnly: return "the four leading fields alone";
    case Damage::kCutShort: return "line cut short";
    case Damage::kExtraFields: return "extra fields";
    case Damage::kNotANumber: return "no number in a numeric field";
    case Damage::kEmptyLines: return "empty lines";
    case Damage::kLongLine: return "8 KB line";
    case Damage::kEscapeByte: return "0x01 inside a value";
    case Damage::kSeparator: return "| inside a value";
  }
  return "";
}

// How the tables must look after a damaged answer.
enum class Outcome {
  kUnchanged,     // as before it came
  kAsWellFormed,  // as the undamaged answer leaves them
  kOwnTables,     // only the tables the answer updates changed, by one row at most added
};

// The families of parsers and the one way each is fed. A fetch is the
// engine's query for one row it lacks, answered while it applies a cancel
// answer of an order or application it does not know.
enum class Family { kAnswer, kPush, kDownload, kFetch };

struct Parser {
  const char* name;
  Family family;
  int functionNo;
  // The undamaged answer: for answers and pushes its one line, for
  // downloads the status line and one data line. The damage goes to the
  // last line.
  std::vector<std::string> lines;
  int numericField;
  int textField;
  std::vector<Table> own;
  // The outcome of each damage, in the order of Damage.
  std::vector<Outcome> outcomes;
};

constexpr auto U = Outcome::kUnchanged;
constexpr auto G = Outcome::kAsWellFormed;
constexpr auto O = Outcome::kOwnTables;

// The damaged lines of an answer.
std::vector<std::string> Damaged(const Parser& parser, Damage damage) {
  std::vector<std::string> lines = parser.lines;
  std::string& last = lines.back();
  switch (damage) {
    case Damage::kHeadOnly: last = CutAfter(last, 4); break;
    case Damage::kCutShort: last = CutAfter(last, std::max(4, FieldCount(last) / 2)); break;
    case Damage::kExtraFields: last += "extra|9999|\x01|"; break;
    case Damage::kNotANumber: last = WithField(last, parser.numericField, "x1O0"); break;
    case Damage::kEmptyLines:
      last.clear();
      lines.emplace_back();
      break;
    case Damage::kLongLine: last = WithField(last, parser.textField, std::string(8192, 'L')); break;
    case Damage::kEscapeByte:
      last = WithField(last, parser.textField,
                       "a\x01"
                       "b\x01");
      break;
    case Damage::kSeparator: last = WithField(last, parser.textField, "a|b"); break;
  }
  return lines;
}

// --- The parsers: the engine's answer updates by function number, its push
// handlers by push code and its download loaders by the function number of
// the download.

// Order 123 of 8001 on exchange S, seat S001: a buy of 2 lots freezing
// 1000.00 and a fee of 5.00.
std::string OrderAnswerLine(const std::string& orderNo) {
  return DataLine(47, {{4, "Y"},
                       {5, orderNo},
                       {6, "S"},
                       {8, "cu2701"},
                       {10, "a"},
                       {11, "已经报入"},
                       {12, "0"},
                       {14, "0"},
                       {16, "0"},
                       {18, "2"},
                       {19, "70000"},
                       {21, "70010.5"},
                       {34, "S001"},
                       {43, "1000"},
                       {44, "5"}});
}

// Two-leg order 321 of 8001 on strategy DS.
std::string SpecialOrderAnswerLine(const std::string& orderNo) {
  return DataLine(45, {{4, "Y"},         {5, "8001"},   {6, orderNo}, {7, "a"},    {8, "3"},  {11, "D"},   {13, "D01"},
                       {18, "09:30:01"}, {23, "0"},     {25, "2"},    {27, "DS"},  {30, "0"}, {31, "0"},   {32, "0"},
                       {34, "m2701"},    {35, "m2705"}, {38, "1000"}, {39, "800"}, {42, "3"}, {43, "3.00"}});
}

// Exercise application 77 of 8001 on exchange S for 3 lots.
std::string ExerciseAnswerLine(const std::string& applicationNo) {
  return DataLine(38, {{4, "Y"},
                       {5, "8001"},
                       {6, applicationNo},
                       {7, "S"},
                       {8, "cu2702C76000"},
                       {9, "a"},
                       {10, "81000101"},
                       {11, "S001"},
                       {12, "3"},
                       {25, "S001"},
                       {34, "12.345"},
                       {35, "1"},
                       {38, "1"}});
}

std::string StoredOrderAnswerLine(const std::string& storedNo) {
  return DataLine(22, {{4, "Y"},
                       {5, storedNo},
                       {6, "f6"},
                       {7, "f7"},
                       {8, "f8"},
                       {9, "f9"},
                       {10, "0"},
                       {12, "1"},
                       {14, "0"},
                       {16, "f16"},
                       {17, "f17"},
                       {18, "f18"},
                       {19, "f19"},
                       {20, "0"},
                       {21, "f21"},
                       {22, "f22"}});
}

std::string ProfitLossAnswerLine(const std::string& orderNo, const std::string& price) {
  return DataLine(36, {{4, "Y"}, {5, orderNo}, {9, "m2701"}, {10, "f9"}, {11, "f10"}, {12, price}, {36, "f35"}});
}

std::string ConditionAnswerLine(const std::string& orderNo, const std::string& price) {
  return DataLine(45, {{4, "Y"},    {5, orderNo}, {7, "f6"},   {8, "f7"},   {9, "f8"},   {11, "x"},   {12, "y"},
                       {13, "z"},   {14, price},  {15, "f14"}, {20, "f19"}, {23, "a"},   {27, "f26"}, {28, "f27"},
                       {29, "f28"}, {39, "0"},    {41, "f40"}, {42, "f41"}, {44, "f43"}, {45, "f44"}});
}

const std::string kStatus = "A|||Y|1|";

// A push of order 123 (15002 state, 15004 cancel) in a new state, its
// frozen amounts kept.
std::string OrderPushLine(const std::string& code, const std::string& state) {
  return DataLine(42, {{4, code},
                       {8, "8001"},
                       {9, "123"},
                       {10, "S"},
                       {14, state},
                       {15, "部分成交"},
                       {24, "1"},
                       {25, "70000"},
                       {31, "10:00:09"},
                       {34, "10:00:10"},
                       {39, "6"},
                       {41, "0"},
                       {42, "S001"}});
}

// A fill of 1 lot of order 123, opening a buy.
std::string TradePushLine() {
  return DataLine(
      46, {{4, "15005"}, {8, "8001"}, {9, "S"},     {10, "20261210"}, {11, "123"},  {12, "p"},     {14, "cu2701"},
           {16, "0"},    {18, "0"},   {20, "0"},    {22, "1"},        {23, "1"},    {24, "70000"}, {27, "M1"},
           {28, "S123"}, {29, "D1"},  {30, "2701"}, {31, "09:30:05"}, {32, "S001"}, {35, "7"},     {37, "S001"}});
}

// A push of two-leg order 321 (15008, 15009).
std::string SpecialPushLine(const std::string& code) {
  return DataLine(41, {{4, code},
                       {8, "8001"},
                       {9, "00321"},
                       {10, "c"},
                       {11, "5"},
                       {14, "D"},
                       {16, "D01"},
                       {21, "09:30:01"},
                       {22, "09:30:02"},
                       {23, "09:31:00"},
                       {26, "2"},
                       {27, "3650"},
                       {41, "0"}});
}

// A push of exercise application 77 (15012, 15013).
std::string ExercisePushLine(const std::string& code, const std::string& state) {
  return DataLine(42, {{4, code},
                       {8, "8001"},
                       {9, "77"},
                       {10, "S"},
                       {12, state},
                       {15, "3"},
                       {16, "x16"},
                       {20, "x20"},
                       {28, "9"},
                       {31, "S001"},
                       {42, "1"}});
}

// The fee rates of 8001 for a contract on exchange S, seat S001: 0.5 per
// lot everywhere.
std::string FeeRateAnswerLine(const std::string& contract) {
  std::string line = "A|||Y||8001|S|S001|" + contract + "|";
  for (int rate = 0; rate < 22; ++rate) line += "0.5|";
  return line;
}

// The tables a fill may change.
// clang-format off
const std::vector<Table> kPositionTables{Table::kTrades,           Table::kOrders,          Table::kFunds,
                                         Table::kPositionDetails,  Table::kPositionSummary, Table::kCombinationDetails,
                                         Table::kExercisableQuantities, Table::kPriceContracts};

// Each parser: its name, family and function number (or push code), its
// undamaged lines, the fields that take a word and the long or escaped
// values, the tables it updates, and the outcome of each damage in the order
// head alone, cut short, extra fields, no number, empty lines, 8 KB, 0x01,
// "|". An answer that names no row (the head alone, a missing key) changes
// nothing; a download replaces or extends its own table only.
const std::vector<Parser>& Parsers() {
  // clang-format off
  static const std::vector<Parser> parsers = {
      // --- Answers of the requests that change the account
      {"fund answer", Family::kAnswer, 5002,
       {DataLine(30, {{4, "Y"}, {15, "0.5"}, {16, "100"}, {22, "1000.00"}, {28, "0.00"}, {30, "0.6"}})},
       22, 15, {Table::kFunds}, {U, U, G, U, U, O, O, O}},
      {"order answer", Family::kAnswer, 5011, {OrderAnswerLine("124")}, 43, 11,
       {Table::kOrders, Table::kFunds}, {U, O, G, O, U, O, O, O}},
      {"cancel answer", Family::kAnswer, 5012,
       {DataLine(16, {{4, "Y"}, {6, "123"}, {8, "d"}, {9, "已经撤销"}, {12, "0"}, {13, "0"}, {14, "10:00:01"},
                      {15, "S"}, {16, "S001"}})},
       6, 9, {Table::kOrders, Table::kFunds}, {U, U, G, U, U, O, O, O}},
      {"exercise order answer", Family::kAnswer, 5240, {ExerciseAnswerLine("78")}, 12, 8,
       {Table::kExerciseOrders, Table::kExercisableQuantities}, {U, O, G, O, U, O, O, O}},
      {"exercise cancel answer", Family::kAnswer, 5241,
       {DataLine(25, {{4, "Y"}, {6, "77"}, {7, "S"}, {9, "d"}, {12, "3"}, {16, "10:00:01"}, {17, "x17"},
                      {20, "S001"}, {25, "1"}})},
       12, 17, {Table::kExerciseOrders, Table::kExercisableQuantities}, {U, U, G, O, U, O, O, O}},
      {"special order answer", Family::kAnswer, 5321, {SpecialOrderAnswerLine("322")}, 38, 27,
       {Table::kSpecialOrders, Table::kFunds}, {U, O, G, O, U, O, O, O}},
      {"special cancel answer", Family::kAnswer, 5322,
       {DataLine(24, {{4, "Y"}, {6, "321"}, {7, "d"}, {8, "4"}, {11, "D"}, {13, "D01"}, {20, "10:00:00"}})}, 8, 20,
       {Table::kSpecialOrders, Table::kFunds}, {U, U, G, O, U, O, O, O}},
      {"stored order add answer", Family::kAnswer, 5464, {StoredOrderAnswerLine("S2")}, 10, 6,
       {Table::kStoredOrders}, {U, O, G, O, U, O, O, O}},
      {"profit/loss order add answer", Family::kAnswer, 5473, {ProfitLossAnswerLine("P2", "3600")}, 12, 10,
       {Table::kProfitLossOrders}, {U, O, G, O, U, O, O, O}},
      {"profit/loss order list", Family::kAnswer, 5474, {kStatus, DataLine(35, {{4, "P1"}, {8, "m2701"}, {11, "3650"}})},
       11, 9, {Table::kProfitLossOrders}, {O, O, G, O, O, O, O, O}},
      {"profit/loss order change answer", Family::kAnswer, 5475, {ProfitLossAnswerLine("P1", "3650")}, 12, 10,
       {Table::kProfitLossOrders}, {O, O, G, O, U, O, O, O}},
      {"profit/loss order delete answer", Family::kAnswer, 5476, {DataLine(5, {{4, "Y"}, {5, "P1"}})}, 5, 5,
       {Table::kProfitLossOrders}, {U, U, G, U, U, O, O, O}},
      {"condition order add answer", Family::kAnswer, 5477, {ConditionAnswerLine("C2", "f13")}, 14, 7,
       {Table::kConditionOrders}, {U, O, G, O, U, O, O, O}},
      {"condition order list", Family::kAnswer, 5478,
       {kStatus, DataLine(44, {{4, "C1"}, {6, "f6"}, {13, "3650"}, {22, "a"}})}, 13, 6, {Table::kConditionOrders},
       {O, O, G, O, O, O, O, O}},
      {"condition order change answer", Family::kAnswer, 5479, {ConditionAnswerLine("C1", "3650")}, 14, 7,
       {Table::kConditionOrders}, {O, O, G, O, U, O, O, O}},
      {"condition order cancel answer", Family::kAnswer, 5480, {DataLine(5, {{4, "Y"}, {5, "C1"}})}, 5, 5,
       {Table::kConditionOrders}, {U, U, G, U, U, O, O, O}},
      {"condition order state answer", Family::kAnswer, 5481, {DataLine(23, {{4, "Y"}, {5, "C1"}, {23, "t"}})}, 5, 23,
       {Table::kConditionOrders}, {U, U, G, U, U, O, O, O}},
      // --- Pushes
      {"order-state push", Family::kPush, 15002, {OrderPushLine("15002", "p")}, 39, 15,
       {Table::kOrders, Table::kFunds}, {U, O, G, O, U, O, O, O}},
      {"condition-order push", Family::kPush, 15003,
       {DataLine(14, {{4, "15003"}, {9, "3"}, {10, "C1"}, {12, "2"}, {14, "已撤销"}})}, 9, 14,
       {Table::kProfitLossOrders, Table::kConditionOrders}, {U, O, G, U, U, O, O, O}},
      {"cancel push", Family::kPush, 15004, {OrderPushLine("15004", "d")}, 39, 15, {Table::kOrders, Table::kFunds},
       {U, O, G, O, U, O, O, O}},
      {"trade push", Family::kPush, 15005, {TradePushLine()}, 22, 31, kPositionTables, {U, O, G, O, U, O, O, O}},
      {"message push", Family::kPush, 15006, {DataLine(9, {{4, "15006"}, {5, "通知"}, {9, "0"}})}, 9, 5, {},
       {U, U, U, U, U, U, U, U}},
      {"special-order push", Family::kPush, 15008, {SpecialPushLine("15008")}, 11, 23,
       {Table::kSpecialOrders, Table::kFunds}, {U, O, G, O, U, O, O, O}},
      {"special-order state push", Family::kPush, 15009, {SpecialPushLine("15009")}, 11, 23,
       {Table::kSpecialOrders, Table::kFunds}, {U, O, G, O, U, O, O, O}},
      {"exercise-order push", Family::kPush, 15012, {ExercisePushLine("15012", "a")}, 28, 16,
       {Table::kExerciseOrders, Table::kExercisableQuantities}, {U, O, G, O, U, O, O, O}},
      {"exercise cancel push", Family::kPush, 15013, {ExercisePushLine("15013", "d")}, 28, 16,
       {Table::kExerciseOrders, Table::kExercisableQuantities}, {U, O, G, O, U, O, O, O}},
      // --- Downloads: a status line and one data line
      {"exchange seats", Family::kDownload, 5454,
       {kStatus, DataLine(9, {{4, "D"}, {5, "大商所"}, {6, "dce"}, {7, "D01"}, {9, "1"}})}, 9, 5,
       {Table::kExchangeSeats}, {O, O, G, O, O, O, O, O}},
      {"close strategies", Family::kDownload, 5131, {kStatus, "A|||D|1|策略1|"}, 5, 6, {Table::kCloseStrategies},
       {O, O, G, O, O, O, O, O}},
      {"order types", Family::kDownload, 5323, {kStatus, DataLine(7, {{4, "D"}, {5, "0"}, {6, "限价"}})}, 5, 6,
       {Table::kOrderTypes}, {O, O, G, O, O, O, O, O}},
      {"contracts", Family::kDownload, 5008, {kStatus, DataLine(24, {{4, "D"}, {6, "m2701"}, {7, "豆粕"}, {22, "0"}})},
       22, 7, {Table::kContracts}, {O, O, G, O, O, O, O, O}},
      {"trade codes", Family::kDownload, 5300,
       {kStatus, DataLine(9, {{4, "8001"}, {5, "D"}, {6, "M1"}, {7, "0"}, {8, "D01"}})}, 7, 6, {Table::kTradeCodes},
       {O, O, G, O, O, O, O, O}},
      {"funds", Family::kDownload, 5002, {kStatus, DataLine(35, {{13, "5000.00"}, {14, "5000.00"}})}, 13, 15,
       {Table::kFunds}, {O, O, G, O, O, O, O, O}},
      {"orders", Family::kDownload, 5134,
       {kStatus, DataLine(56, {{5, "00125"}, {6, "S"}, {8, "cu2701"}, {9, "a"}, {12, "0"}, {18, "2"}, {32, "S001"}})},
       18, 8, {Table::kOrders, Table::kSpecialOrders}, {O, O, G, O, O, O, O, O}},
      {"exercise orders", Family::kDownload, 5246,
       {kStatus, DataLine(35, {{4, "8001"}, {5, "79"}, {6, "S"}, {8, "a"}, {11, "3"}, {24, "note"}, {26, "S001"}})},
       11, 24, {Table::kExerciseOrders}, {O, O, G, O, O, O, O, O}},
      {"position details", Family::kDownload, 5132,
       {kStatus, DataLine(27, {{8, "8001"}, {10, "S"}, {15, "0"}, {17, "2"}, {18, "70000"}, {27, "cu2701"}})}, 17,
       27, {Table::kPositionDetails, Table::kDownloadedPositionDetails}, {O, O, G, O, O, O, O, O}},
      {"combination details", Family::kDownload, 5133, {kStatus, DataLine(38, {{5, "D"}, {7, "8001"}, {10, "2"}})},
       10, 12, {Table::kCombinationDetails, Table::kDownloadedCombinationDetails}, {O, O, G, O, O, O, O, O}},
      {"trades", Family::kDownload, 5003,
       {kStatus, DataLine(24, {{4, "S"}, {6, "123"}, {7, "cu2701"}, {15, "1"}, {16, "70000"}, {20, "12"}})}, 20, 7,
       {Table::kTrades}, {O, O, G, O, O, O, O, O}},
      // --- Single rows fetched
      {"one order", Family::kFetch, 5134,
       {kStatus, DataLine(56, {{5, "00999"}, {6, "S"}, {8, "cu2701"}, {9, "a"}, {12, "0"}, {18, "2"}, {32, "S001"}})},
       18, 8, {Table::kOrders, Table::kFunds}, {U, O, G, O, U, O, O, O}},
      {"one fee rate", Family::kFetch, 5016, {FeeRateAnswerLine("cu2701")}, 10, 9, {Table::kFeeRates},
       {O, O, G, O, U, O, O, O}},
      {"one exercise application", Family::kFetch, 5246,
       {kStatus, DataLine(35, {{4, "8001"}, {5, "99"}, {6, "S"}, {8, "a"}, {11, "3"}, {24, "note"}, {26, "S001"},
                               {35, "1"}})},
       11, 24, {Table::kExerciseOrders, Table::kExercisableQuantities}, {U, O, G, O, U, O, O, O}},
  };
  // clang-format on
  return parsers;
}

// --- The engine

// The tables as bytes, the change queue left out.
using Snapshot = std::vector<std::vector<std::vector<std::uint8_t>>>;

class BadAnswers : public engine_testing::StartedEngine<> {
 protected:
  BadAnswers() : StartedEngine({.customers = {"8001", "8002"}, .scriptedUser = true}) {}

  void SetUp() override {
    StartedEngine::SetUp();
    engine.SetDownloadState(engine::DownloadState::kDone);
    engine.OnPushBatchDone();
    ASSERT_EQ(engine.GetEngineState(), engine::EngineState::kReady);
  }

  // Tables that hold one row of every kind the answers update: the funds
  // of both accounts, order 123, two-leg order 321, exercise application
  // 77, stored order S1, profit/loss order P1 and condition order C1.
  void Seed() {
    Reset();
    engine.ClearPerAccountDownloadTables();
    engine.Add(Table::kFunds, engine_testing::SellFrozenFund("8001"));
    engine.Add(Table::kFunds, engine_testing::SellFrozenFund("8002"));
    engine.LoadContracts(Answer({"A|||Y|", DataLine(24, {{4, "S"}, {6, "cu2701"}, {22, "0"}})}).View());
    engine.LoadExchangeSeats(
        Answer({"A|||Y|", DataLine(9, {{4, "S"}, {5, "上期所"}, {6, "sfe"}, {7, "S001"}})}).View());
    for (const auto& [functionNo, line] :
         std::vector<std::pair<int, std::string>>{{5011, OrderAnswerLine("123")},
                                                  {5321, SpecialOrderAnswerLine("321")},
                                                  {5240, ExerciseAnswerLine("77")},
                                                  {5464, StoredOrderAnswerLine("S1")},
                                                  {5473, ProfitLossAnswerLine("P1", "3600")},
                                                  {5477, ConditionAnswerLine("C1", "f13")}}) {
      FeedAnswer(functionNo, {line});
    }
    gui.changes.clear();
    engine.TakeChangeQueue();
  }

  // An answer of account 8001 (slot 0) as the result-queue pump hands it
  // to the engine.
  void FeedAnswer(int functionNo, const std::vector<std::string>& lines) {
    backend::CxDataSet parameters;
    for (const char* parameter : {"", "Pellora", "8001", "secret"}) parameters.AddText(parameter);
    std::string message;
    backend::RequestPtr record = backend::BuildRequestCommand("请求", 1, 0, 2, "", engine_testing::kMachineAddress, 1,
                                                              functionNo, true, parameters, message);
    ASSERT_NE(record, nullptr) << message;
    for (const std::string& line : lines) record->At(0)->answer.AddText(line);
    record->done = record->count;
    engine.OnAsyncAnswer(*record);
  }

  void Feed(const Parser& parser, const std::vector<std::string>& lines) {
    switch (parser.family) {
      case Family::kAnswer: FeedAnswer(parser.functionNo, lines); break;
      case Family::kPush:
        for (const std::string& line : lines) engine.OnPushLine(line);
        break;
      case Family::kDownload: Load(parser.functionNo, AnswerOf(lines)); break;
      case Family::kFetch: Fetch(parser.functionNo, lines); break;
    }
  }

  // The back end answers the query with the lines while the engine applies
  // the cancel answer of order 999 or application 99, which it does not know.
  void Fetch(int functionNo, const std::vector<std::string>& lines) {
    backEnd.Answer(functionNo, lines);
    if (functionNo == 5016) {
      localFeeRateAnswer = AskLocalFeeRate("cu2701");
    } else if (functionNo == 5134) {
      FeedAnswer(5012, {DataLine(16, {{4, "Y"}, {6, "999"}, {8, "d"}, {12, "0"}, {15, "S"}, {16, "S001"}})});
    } else {
      FeedAnswer(5241, {DataLine(25, {{4, "Y"}, {6, "99"}, {7, "S"}, {9, "d"}, {20, "S001"}, {25, "1"}})});
    }
    backEnd.Forget(functionNo);
  }

  // The loader of a download as its download step calls it, for account
  // 8001.
  void Load(int functionNo, const backend::CxDataSet& answer) {
    const backend::CxDataSetView view = answer.View();
    switch (functionNo) {
      case 5454: engine.LoadExchangeSeats(view); break;
      case 5131: engine.LoadCloseStrategies(view); break;
      case 5323: engine.LoadOrderTypes(view); break;
      case 5008: engine.LoadContracts(view); break;
      case 5300: engine.LoadTradeCodes(view); break;
      case 5002: engine.LoadFunds(view, "8001", false); break;
      case 5134:
        engine.LoadOrders("8001", view);
        engine.LoadSpecialOrders("8001", view);
        break;
      case 5246: engine.LoadExerciseOrders(view); break;
      case 5132: engine.LoadPositionDetails(view); break;
      case 5133: engine.LoadCombinationDetails(view); break;
      case 5003: engine.LoadTrades("8001", view); break;
      default: FAIL() << "no loader for " << functionNo;
    }
  }

  // The engine's own answer to a fee-rate query (5016) of 8001 for the
  // contract on exchange S, seat S001: its first line.
  std::string AskLocalFeeRate(const std::string& contract) {
    backend::CxDataSet parameters;
    for (const char* parameter : {"", "Pellora", "8001", "secret", "S", "S001", contract.c_str()}) {
      parameters.AddText(parameter);
    }
    std::string message;
    backend::RequestPtr record = backend::BuildRequestCommand("查询费率", 1, 0, 2, "", engine_testing::kMachineAddress,
                                                              1, 5016, true, parameters, message);
    if (!record || !engine.SendRequest(*record, message)) return {};
    return std::string(backend::AnswerLine(*record->At(0), 0));
  }

  std::string localFeeRateAnswer;

  Snapshot Tables() {
    std::lock_guard guard(engine.lock_);
    Snapshot tables;
    for (std::size_t table = 0; table < engine::kTableCount; ++table) {
      std::vector<std::vector<std::uint8_t>> rows;
      if (static_cast<Table>(table) != Table::kChangeQueue) {
        const engine::EngineTable& set = engine.TableAt(static_cast<Table>(table));
        for (std::uint32_t index = 0; index < set.GetCount(); ++index) {
          const auto value = set.GetValue(index);
          rows.emplace_back(value.begin(), value.end());
        }
      }
      tables.push_back(std::move(rows));
    }
    return tables;
  }

  // Where two sets of tables differ: "table <n>: <rows> rows, not <rows>" or
  // "table <n> row <i>"; empty when they are the same. Tables of `skip` are
  // only held to growing by one row at most.
  static std::string Differences(const Snapshot& after, const Snapshot& expected, const std::vector<Table>& skip = {}) {
    std::string differences;
    for (std::size_t table = 0; table < after.size(); ++table) {
      const bool own = std::find(skip.begin(), skip.end(), static_cast<Table>(table)) != skip.end();
      const std::size_t rows = after[table].size();
      const std::size_t expectedRows = expected[table].size();
      if (own ? rows > expectedRows + 1 : rows != expectedRows) {
        differences += "table " + std::to_string(table) + ": " + std::to_string(rows) + " rows, not " +
                       std::to_string(expectedRows) + "; ";
        continue;
      }
      if (own) continue;
      for (std::size_t row = 0; row < rows; ++row) {
        if (after[table][row] != expected[table][row]) {
          differences += "table " + std::to_string(table) + " row " + std::to_string(row) + "; ";
        }
      }
    }
    return differences;
  }

  // The tables after the answer, from seeded tables.
  Snapshot After(const Parser& parser, const std::vector<std::string>& lines) {
    Seed();
    Feed(parser, lines);
    return Tables();
  }

  void Check(const Parser& parser) {
    const std::string name = std::string(parser.name) + " (" + std::to_string(parser.functionNo) + ")";
    ASSERT_EQ(parser.outcomes.size(), kDamageCount) << name;
    Seed();
    const Snapshot before = Tables();
    const Snapshot wellFormed = After(parser, parser.lines);
    if (!parser.own.empty()) {
      ASSERT_NE(Differences(wellFormed, before), "") << name << ": the undamaged answer must change something";
    }
    for (std::size_t d = 0; d < parser.outcomes.size(); ++d) {
      const Damage damage = static_cast<Damage>(d);
      const std::string trace = name + ", " + NameOf(damage);
      const Snapshot after = After(parser, Damaged(parser, damage));
      switch (parser.outcomes[d]) {
        case Outcome::kUnchanged: EXPECT_EQ(Differences(after, before), "") << trace; break;
        case Outcome::kAsWellFormed: EXPECT_EQ(Differences(after, wellFormed), "") << trace; break;
        case Outcome::kOwnTables: EXPECT_EQ(Differences(after, before, parser.own), "") << trace; break;
      }
      // No damaged line asks for everything again.
      EXPECT_EQ(engine.GetEngineState(), engine::EngineState::kReady) << trace;
    }
  }
};
// clang-format on

TEST_F(BadAnswers, EveryParserKeepsTheTablesWhole) {
  for (const Parser& parser : Parsers()) Check(parser);
}

// A batch cancel (5012, one sub-request per order) whose middle answer is
// damaged still applies the answers around it.
TEST_F(BadAnswers, ADamagedAnswerInABatchCancelLeavesItsNeighboursApplied) {
  const auto cancelOf = [](const std::string& orderNo) {
    return DataLine(16, {{4, "Y"}, {6, orderNo}, {8, "d"}, {12, "0"}, {15, "S"}, {16, "S001"}});
  };
  for (const std::string& damaged : {std::string(), std::string("A|||Y|"), std::string("A|||N|1002|"),
                                     CutAfter(cancelOf("123"), 6), std::string(8192, '|')}) {
    Seed();
    FeedAnswer(5011, {OrderAnswerLine("124")});
    backend::CxDataSet parameters;
    for (const char* parameter : {"", "Pellora", "8001", "secret"}) parameters.AddText(parameter);
    std::string message;
    backend::RequestPtr record = backend::BuildRequestCommand("批量撤单", 3, 0, 2, "", engine_testing::kMachineAddress,
                                                              1, 5012, true, parameters, message);
    ASSERT_NE(record, nullptr) << message;
    for (int index = 1; index < 3; ++index) {
      ASSERT_TRUE(backend::AddCancelSubRequest(*record, parameters, engine_testing::kMachineAddress, 1 + index, index));
    }
    record->At(0)->answer.AddText(cancelOf("123"));
    record->At(1)->answer.AddText(damaged);
    record->At(2)->answer.AddText(cancelOf("124"));
    record->done = record->count;
    engine.OnAsyncAnswer(*record);
    const std::vector<engine::OrderRow> orders = engine.Rows<engine::OrderRow>(Table::kOrders);
    ASSERT_EQ(orders.size(), 2u) << damaged.substr(0, 20);
    for (const engine::OrderRow& order : orders) {
      EXPECT_EQ(engine::Text(order.szFlagOrderState), "d") << engine::Text(order.szOrderNo);
    }
  }
}

// The download reads the trading day from the system date (5122) itself: a
// damaged answer never leaves the engine without the day it held, and the
// day it takes stays within its width.
TEST_F(BadAnswers, TheDownloadKeepsItsTradingDayWhenTheSystemDateIsDamaged) {
  const std::string held = "20261210";
  const Parser parser{"system date",
                      Family::kDownload,
                      5122,
                      {DataLine(10, {{4, "Y"}, {5, "20261211"}, {6, "2026-12-11"}, {10, "09:00:00"}})},
                      5,
                      5,
                      {},
                      {}};
  struct Case {
    Damage damage;
    std::string tradingDay;  // empty: any day within the width
  };
  const Case cases[] = {
      {Damage::kHeadOnly, held},     {Damage::kCutShort, "20261211"}, {Damage::kExtraFields, "20261211"},
      {Damage::kNotANumber, "x1O0"}, {Damage::kEmptyLines, held},     {Damage::kLongLine, ""},
      {Damage::kEscapeByte, "a|b|"}, {Damage::kSeparator, "a"},
  };
  for (const Case& c : cases) {
    backEnd.Answer(5122, {WithField(parser.lines.front(), 5, held)});
    engine.RunInitialDownload();
    ASSERT_EQ(engine.GetLoginTexts().tradingDate, held);
    backEnd.Answer(5122, Damaged(parser, c.damage));
    engine.RunInitialDownload();
    const std::string tradingDay = engine.GetLoginTexts().tradingDate;
    if (c.tradingDay.empty()) {
      EXPECT_LT(tradingDay.size(), engine::COperationEngineBase::kTradingDateSize) << NameOf(c.damage);
    } else {
      EXPECT_EQ(tradingDay, c.tradingDay) << NameOf(c.damage);
    }
  }
}

// The engine answers a fee-rate query itself, from the rates it fetched, in
// the text of a back-end answer: whatever the rates hold, the answer keeps
// its 31 fields in their places.
TEST_F(BadAnswers, TheLocalFeeRateAnswerKeepsItsFieldsWhateverTheRatesHold) {
  struct Case {
    const char* name;
    std::string contract;
    std::string backEndLine;  // the rates fetched
    std::string lastRate;
  };
  const std::string wellFormed = FeeRateAnswerLine("cu2701");
  const Case cases[] = {
      {"well formed", "cu2701", wellFormed, "0.5"},
      {"| inside the contract code", "cu|2701",
       FeeRateAnswerLine("cu\x01"
                         "2701"),
       "0.5"},
      {"| inside a rate", "cu2701",
       WithField(wellFormed, 10,
                 "0\x01"
                 "5"),
       "0.5"},
      {"8 KB rate", "cu2701", WithField(wellFormed, 10, std::string(8192, '9')), "0.5"},
      {"the head alone", "cu2701", "A|||Y||", ""},
  };
  for (const Case& c : cases) {
    Seed();
    backEnd.Answer(5016, {c.backEndLine});
    const engine::LineFields answer(AskLocalFeeRate(c.contract));
    backEnd.Forget(5016);
    EXPECT_EQ(answer.Count(), 31u) << c.name;
    EXPECT_EQ(answer.Field(4), "Y") << c.name;
    EXPECT_LE(answer.Field(10).size(), 15u) << c.name;
    EXPECT_EQ(answer.Field(31), c.lastRate) << c.name;
  }
}

}  // namespace
