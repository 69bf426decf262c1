#include "tradeviews/model/query_rows.h"

#include <gtest/gtest.h>

namespace {

using tradeviews::Cells;

backend::CxDataSet Answer(std::initializer_list<const char*> lines) {
  backend::CxDataSet answer;
  for (const char* line : lines) answer.AddText(line);
  return answer;
}

TEST(StatementMonths, TheTwelveMonthsBeforeThisOneNewestFirst) {
  platform::LocalTime january;
  january.year = 2027;
  january.month = 1;
  january.day = 15;
  const std::vector<std::string> months = tradeviews::StatementMonths(january);
  ASSERT_EQ(months.size(), 12u);
  EXPECT_EQ(months.front(), "202612");  // January steps back to December
  EXPECT_EQ(months.back(), "202601");
  EXPECT_EQ(std::count(months.begin(), months.end(), "202701"), 0);
}

TEST(QueryCodes, StatusLevelAndDirectionCodes) {
  for (const auto& [text, code] : {std::pair{"4-只可平仓", "4"}, {"0-正常", "0"}, {"正常", ""}, {"1\x01x-y", "1|x"}}) {
    EXPECT_EQ(tradeviews::CustomerStatusCode(text), code) << text;
  }
  EXPECT_EQ(tradeviews::InOutDirectionCode(0), "");
  EXPECT_EQ(tradeviews::InOutDirectionCode(1), "0");
  EXPECT_EQ(tradeviews::InOutDirectionCode(2), "1");
  EXPECT_EQ(tradeviews::NoticeLevelCode(0), "");  // every level
  EXPECT_EQ(tradeviews::NoticeLevelCode(3), "3");
  EXPECT_EQ(tradeviews::DateText(2026, 3, 9), "20260309");
}

TEST(InOutMoneyRows, EachLineAWithdrawalDepositOrTheTotal) {
  const backend::CxDataSet answer = Answer({
      "A|1|2|Y|4|",
      "A|1|2|20261201|100002|50000.00|0.00|银期转账出金|10001|人民币|2|1|01|1|",
      "A|1|2|20261208|100003|0.00|200000.00|银期转账入金|10001|人民币|1|3|01|1|",
      // A withdrawal below one yuan is still a withdrawal.
      "A|1|2|20261209|100009|0.50|0.00|手续费|10001|人民币|2|Z||1|",
      "A|1|2|合计||50000.50|200000.00||||||||",
  });
  const std::vector<Cells> rows = tradeviews::InOutMoneyRows(answer, "10001");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0],
            (Cells{"10001", "20261201", "100002", "出金", "50000.00", "0.00", "人民币", "转帐", "01", "银期转账出金"}));
  EXPECT_EQ(rows[1][3], "入金");
  EXPECT_EQ(rows[1][7], "银行存款");
  EXPECT_EQ(rows[2][3], "出金");
  EXPECT_EQ(rows[2][7], "公司调整");
  EXPECT_EQ(rows[3][0], "");  // the total names no account
  EXPECT_EQ(rows[3][1], "合计");
  EXPECT_EQ(rows[3][3], "");  // and no direction
  EXPECT_TRUE(tradeviews::InOutMoneyRows(Answer({"A|1|2|Y|0|"}), "10001").empty());
}

TEST(InOutMoneyRows, ALongFieldIsCutOnACharacterBoundary) {
  const std::string summary(120, 'x');
  const std::string line = "A|1|2|20261201|1|0|1|" + summary + "|";
  const backend::CxDataSet answer = Answer({"A|1|2|Y|1|", line.c_str()});
  EXPECT_EQ(tradeviews::InOutMoneyRows(answer, "1")[0][9], std::string(99, 'x'));
}

TEST(NoticeRows, DateTimeLevelTextAndContent) {
  client::BulletinRecord notice;
  notice.level = "2";
  notice.sendDate = "20261208";
  notice.sendTime = "16:00:00";
  notice.text = "上期所铜期货合约涨跌停板幅度调整。";
  EXPECT_EQ(tradeviews::NoticeRows({notice}),
            std::vector<Cells>{Cells({"20261208", "16:00:00", "警告", "上期所铜期货合约涨跌停板幅度调整。"})});
}

TEST(CsvFileName, ByGridStateNameAndEmptyForTheOthers) {
  EXPECT_EQ(tradeviews::CsvFileName("OtherQryInOutMoneyGridState"), "InOutMoneyGrid");
  EXPECT_EQ(tradeviews::CsvFileName("OtherQryOptionsExerciseGridState"), "ExecQuitGrid");
  EXPECT_EQ(tradeviews::CsvFileName("AboutBoxQuentaraGridState"), "");
}

TEST(AboutRows, NamesAndValuesInOrderWithThePortsAsNumbers) {
  tradeviews::AboutFacts facts;
  facts.version = "1.0.20260001.1";
  facts.customerNo = "10001";
  facts.tradingServer = "127.0.0.1";
  facts.tradingPort = 7100;
  const auto rows = tradeviews::AboutRows(facts);
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[0], (std::pair<std::string, std::string>{"当前版本号", "1.0.20260001.1"}));
  EXPECT_EQ(rows[1].second, "10001");
  EXPECT_EQ(rows[6], (std::pair<std::string, std::string>{"交易服务器IP", "127.0.0.1"}));
  EXPECT_EQ(rows[7].second, "7100");
  EXPECT_EQ(rows[9], (std::pair<std::string, std::string>{"行情服务器端口", "0"}));
}

}  // namespace
