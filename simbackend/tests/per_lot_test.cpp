// The per-lot margin, fee and premium the back end computes as the
// terminal's engine does, on the engine's own worked cases.
#include "per_lot.h"

#include <gtest/gtest.h>

#include "data_folder.h"

namespace simbackend {
namespace {

using simbackend_test::DataFolder;

class PerLotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DataFolder folder;
    folder.Write(kAccountsFile, "trader|10001|111111|张明|\n");
    folder.Write(kQuoteServersFile, "gateway|quote|quote123|\n");
    folder.Write(kContractsFile,
                 "exchange|D|dce|大商所|1|\nexchange|J|cffex|中金所|5|\n"
                 "variety|dce|a|豆一|10|1|5|\nfuture|dce|a|2705|3000|\n"
                 "variety|dce|m|豆粕|10|1|5|\nfuture|dce|m|2705|2100|\n"
                 "optionvariety|dce|m|豆粕期权|m|10|0.5|-|\noptions|dce|m|2705|100|3|6|\n"
                 "variety|cffex|IF|沪深300股指|100|0.2|10|\nfuture|cffex|IF|2612|3000|\n"
                 "optionvariety|cffex|IO|沪深300股指期权|IF|100|0.2|-|\noptions|cffex|IO|2612|100|2|4|\n");
    folder.Write(kTradingFile,
                 "parameter|ACCFRZ||T0||\n"
                 "fee|dce|0|a|开平|0.0001|0|0|2|0|0|\nfee|dce|0|a|平今|0|1|0|0|0|0|\n"
                 "margin|dce|0|a|0.1|0|0.12|0|0.08|0|0.09|0|\n"
                 "fee|dce|0|m|开平|0|1|0|0|0|0|\nfee|dce|0|m|平今|0|1|0|0|0|0|\n"
                 "margin|dce|0|m|0.1|0|0.1|0|0.1|0|0.1|0|\n"
                 "fee|dce|1|m|开平|0|1|0|0|0|0|\nfee|dce|1|m|平今|0|1|0|0|0|0|\n"
                 "margin|dce|1|m|0.1|0|0.1|0|0.1|0|0.1|0|\n"
                 "fee|cffex|0|IF|开平|0|1|0|0|0|0|\nfee|cffex|0|IF|平今|0|1|0|0|0|0|\n"
                 "margin|cffex|0|IF|0.1|0|0.1|0|0.1|0|0.1|0|\n"
                 "fee|cffex|1|IO|开平|0|1|0|0|0|0|\nfee|cffex|1|IO|平今|0|1|0|0|0|0|\n"
                 "margin|cffex|1|IO|0.1|0|0.1|0|0.1|0|0.1|0|\n"
                 "optionparams|cffex|IO|2900|1|2|0|\n");
    std::string error;
    ASSERT_TRUE(LoadBackendData(folder.Path(), data_, error)) << error;
  }

  std::size_t Contract(const char* exchange, const char* code) const {
    const std::size_t index = data_.FindContract(exchange, code);
    EXPECT_NE(index, BackendData::kNoContract) << code;
    return index;
  }

  BackendData data_;
};

struct PerLotCase {
  const char* what;
  const char* exchange;
  const char* contract;
  Side side;
  double price;
  double underlying;
  double margin;
  double fee;
  double premium;
};

TEST_F(PerLotTest, MarginFeeAndPremiumFollowTheContractSideAndExchange) {
  const PerLotCase cases[] = {
      {"futures bought to open", "dce", "a2705", {"0", "0", "0"}, 3000, 0, 3000, 5, 0},
      {"futures sold to open", "dce", "a2705", {"1", "0", "0"}, 3000, 0, 3600, 5, 0},
      {"futures bought to open as hedge", "dce", "a2705", {"0", "0", "1"}, 3000, 0, 2400, 5, 0},
      {"futures closed", "dce", "a2705", {"1", "1", "0"}, 3000, 0, 0, 5, 0},
      {"futures closed today", "dce", "a2705", {"1", "2", "0"}, 3000, 0, 0, 1, 0},
      {"option bought to open", "dce", "m2705-P-2000", {"0", "0", "0"}, 30, 2100, 0, 1, 300},
      // OTM 1000, N 2100, Q 1900 above M + N / 2 = 1350.
      {"option put sold, general rule", "dce", "m2705-P-2000", {"1", "0", "0"}, 30, 2100, 1900, 1, 300},
      // OTM 10000, A 19000, B 14500: O 19000, C 0.
      {"index call sold, guarantee rule", "cffex", "IO2612-C-3000", {"1", "0", "0"}, 50, 0, 24000, 1, 5000},
  };
  for (const PerLotCase& c : cases) {
    SCOPED_TRACE(c.what);
    const PerLot amounts = PerLotAmounts(data_, Contract(c.exchange, c.contract), c.side, c.price, c.underlying);
    EXPECT_DOUBLE_EQ(amounts.margin, c.margin);
    EXPECT_DOUBLE_EQ(amounts.fee, c.fee);
    EXPECT_DOUBLE_EQ(amounts.premium, c.premium);
  }
}

TEST(MoneyRulesTest, RoundAsTheEngineDoes) {
  EXPECT_EQ(MoneyText(RoundMoney(1.005)), "1.01");
  EXPECT_EQ(MoneyText(RoundMoney(2.344)), "2.34");
  EXPECT_EQ(MoneyText(RoundMoney(-12.34)), "-12.34");
  EXPECT_DOUBLE_EQ(RoundPerLot(27.01350), 27.0135);
  EXPECT_DOUBLE_EQ(Fixed2(140940.004), 140940.0);
}

}  // namespace
}  // namespace simbackend
