// What the terminal's engine downloads before any account, as a client sees
// it: the system date, exchange seats, trading parameters, close
// strategies, order types and contracts.
#include <gtest/gtest.h>

#include "download_test.h"
#include "simbackend/backend_data.h"

namespace simbackend_test {
namespace {

using ReferenceDownloadTest = DownloadTest;

TEST_F(ReferenceDownloadTest, TheSystemDateIsTheTradingDayAndTheTimeOfTheBackEndsClock) {
  ExpectFields(CallDemo(5122, {}), {{4, "Y"}, {5, "20261210"}, {6, "20261210"}, {10, "09:30:05"}});
}

struct ReferenceCase {
  const char* what;
  int function;
  std::vector<std::string> parameters;
  std::size_t rows;
  // The row to check: the first whose field `keyField` is `key`.
  std::size_t keyField;
  std::string key;
  std::vector<ExpectedField> fields;
};

TEST_F(ReferenceDownloadTest, EachReferenceTableComesAsRowsInTheLayoutTheEngineLoads) {
  simbackend::BackendData data;
  std::string error;
  ASSERT_TRUE(simbackend::LoadBackendData(SIMBACKEND_SOURCE_DATA_FOLDER, data, error)) << error;
  const auto parameter = [&](const std::string& name) { return std::vector<std::string>{"2", "", name, "0"}; };
  const ReferenceCase cases[] = {
      {"exchange seats", 5454, {""}, 4, 7, "D001", {{4, "D"}, {5, "大商所"}, {6, "dce"}, {8, "1"}, {9, "0,1,1"}}},
      {"seat with close today", 5454, {""}, 4, 7, "S001", {{4, "S"}, {6, "sfe"}, {9, "1,0,0"}}},
      {"floating profit", 5127, parameter("ACCFRZ"), 1, 5, "ACCFRZ", {{4, ""}, {6, "T1"}}},
      {"exercise instructions", 5127, parameter("ZXZL"), 4, 4, "J001", {{5, "ZXZL"}, {6, "2"}}},
      {"market states", 5127, parameter("STATUS"), 4, 4, "Z", {{6, "0"}, {7, "开市"}}},
      {"unknown parameter", 5127, parameter("NOSUCH"), 0, 4, "", {}},
      {"close strategies", 5131, {}, 4, 4, "J", {{5, "3"}, {6, "策略3"}}},
      {"order types", 5323, {"", "", ""}, 15, 4, "J", {{5, "0"}, {6, "0"}, {7, "1"}}},
      // clang-format off
      {"an option", 5008, {"", "", ""}, data.contracts.size(), 6, "cu2702C76000",
       {{4, "S"}, {5, "上期所"}, {7, "铜期权2702C76000"}, {8, "5"}, {11, "2702"}, {12, "1489"}, {13, "cu2702"},
        {14, "cu"}, {15, "铜期权"}, {16, "1"}, {17, "sfe"}, {22, "1"}, {23, "C"}, {24, "76000"}}},
      {"a future", 5008, {"", "", ""}, data.contracts.size(), 6, "T2703",
       {{4, "J"}, {8, "10000"}, {9, "110.620"}, {10, "106.290"}, {12, "108.455"}, {13, ""}, {16, "0.005"},
        {22, "0"}, {23, ""}, {24, ""}}},
      // clang-format on
  };
  for (const ReferenceCase& c : cases) {
    SCOPED_TRACE(c.what);
    const Reply reply = QueryDemo(c.function, c.parameters);
    EXPECT_EQ(Field(reply.status, 4), "Y") << reply.status;
    ASSERT_EQ(reply.rows.size(), c.rows);
    if (c.rows == 0) continue;
    const std::string row = LineWith(reply.rows, c.keyField, c.key);
    ASSERT_FALSE(row.empty());
    ExpectFields(row, c.fields);
  }
}

}  // namespace
}  // namespace simbackend_test
