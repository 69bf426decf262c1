#include "backend/request_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/data_set_block.h"

namespace {

using backend::CheckReplyResult;
using backend::CxDataSet;
using backend::CxDataSetView;
using backend::kReplyFailureCode;
using backend::RequestPtr;

CxDataSet Parameters(const std::vector<std::string>& texts) {
  CxDataSet list;
  for (const std::string& text : texts) EXPECT_TRUE(list.AddText(text));
  return list;
}

// A record of one sub-request whose answer holds `lines`.
RequestPtr Answered(const std::vector<std::string>& lines, bool singlePacket = false) {
  RequestPtr record = backend::CreateRequest("查询", 0, 2, "", 1);
  record->subRequests[0].singlePacket = singlePacket ? 1 : 0;
  for (const std::string& line : lines) EXPECT_TRUE(record->subRequests[0].answer.AddText(line));
  return record;
}

std::vector<std::string> Texts(const CxDataSetView& list) {
  std::vector<std::string> texts;
  for (std::size_t index = 0; index < list.GetCount(); ++index) {
    texts.emplace_back(reinterpret_cast<const char*>(list.GetDataPtr(index)));
  }
  return texts;
}

}  // namespace

TEST(RequestText, WritesAddressSequenceFunctionAndEveryParameter) {
  EXPECT_EQ(backend::FormatRequestText("00-11-22-33-44-55", 7, 5010, Parameters({"a", "", "b"})),
            "R|00-11-22-33-44-55|7|5010|a||b|");
  // A "|" inside a value, also as the second byte of a GBK character, travels as 0x01.
  EXPECT_EQ(backend::FormatRequestText("m", 1, 5011, Parameters({"x|y", "亅"})), "R|m|1|5011|x\x01y|\x81\x01|");
  // Nothing is cut, however long the text.
  const std::string longValue(3000, 'v');
  EXPECT_EQ(backend::FormatRequestText("m", 1, 5011, Parameters({longValue})), "R|m|1|5011|" + longValue + "|");
}

TEST(RequestRecord, BuildWritesSubRequestZeroAndReportsFailuresWithTheTitle) {
  std::string message;
  RequestPtr record =
      backend::BuildRequestCommand("委托", 2, 1, 2, "_DeleteOrder", "mac", 9, 5012, true, Parameters({"p"}), message);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->connection, 1);
  EXPECT_EQ(record->priority, 2);
  EXPECT_STREQ(record->title, "委托");
  EXPECT_STREQ(record->handlerTag, "_DeleteOrder");
  EXPECT_EQ(record->count, 2);
  EXPECT_EQ(record->subRequests[0].sequenceNo, 9);
  EXPECT_EQ(record->subRequests[0].functionNo, 5012);
  EXPECT_EQ(record->subRequests[0].singlePacket, 1);
  EXPECT_EQ(record->subRequests[0].requestText, "R|mac|9|5012|p|");

  EXPECT_TRUE(backend::AddCancelSubRequest(*record, Parameters({"q"}), "mac", 10, 1));
  EXPECT_EQ(record->subRequests[1].requestText, "R|mac|10|5012|q|");
  EXPECT_EQ(record->subRequests[1].singlePacket, 1);
  EXPECT_FALSE(backend::AddCancelSubRequest(*record, Parameters({"q"}), "mac", 11, 2));
  EXPECT_FALSE(backend::SetRequestCommand(-1, *record, "R|", 1, 1, true));

  EXPECT_FALSE(backend::BuildRequestCommand("下单", 0, 0, 2, "", "mac", 1, 5011, false, Parameters({}), message));
  EXPECT_EQ(message, "下单时，增加请求命令失败！");
  EXPECT_FALSE(backend::BuildRequestCommand("下单", -1, 0, 2, "", "mac", 1, 5011, false, Parameters({}), message));
  EXPECT_EQ(message, "下单时，创建请求命令失败！");
}

TEST(RequestRecord, TitleAndTagAreCutOnACharacterBoundary) {
  std::string chinese = "a";
  for (int i = 0; i < 30; ++i) chinese += "中";  // 61 bytes
  RequestPtr record = backend::CreateRequest(chinese, 0, 0, chinese, 0);
  ASSERT_TRUE(record);
  EXPECT_EQ(std::string(record->title), chinese.substr(0, 47));  // "a" and 23 whole characters
  EXPECT_EQ(std::string(record->handlerTag), chinese.substr(0, 47));
  EXPECT_EQ(record->At(0), nullptr);
  EXPECT_TRUE(backend::FreeRequest(record));
  EXPECT_FALSE(backend::FreeRequest(record));
}

TEST(RequestRecord, AnEmptyViewWithoutDataGivesAnEmptyTag) {
  RequestPtr record = backend::CreateRequest("查询", 0, 0, std::string_view{}, 1);
  ASSERT_TRUE(record);
  EXPECT_STREQ(record->handlerTag, "");
}

TEST(CheckReplyResult, ReadsTheStatusLine) {
  struct Case {
    std::string line;
    int result;
    std::string message;
  };
  const Case cases[] = {
      {"R|x|1|Y|3|", 0, "before"},
      {"R|x|1|y|", 0, "before"},
      {"R|x|1|N|1002|资金不足|", 1002, "资金不足"},
      {"R|x|1|n|-7|失败|", -7, "失败"},
      // A refusal never passes for success, whatever its code says.
      {"R|x|1|N|0|拒绝|", kReplyFailureCode, "拒绝"},
      {"R|x|1|N|abc|拒绝|", kReplyFailureCode, "拒绝"},
      {"R|x|1|N||拒绝|", kReplyFailureCode, "拒绝"},
      // A refusal without its text says that the answer was broken.
      {"R|x|1|N|", kReplyFailureCode, "IO返回数据格式错误：R|x|1|N|"},
      {"R|x|1|N|1002| |", 1002, "IO返回数据格式错误：R|x|1|N|1002| |"},
      // Neither done nor refused.
      {"R|x|1|X|0|", kReplyFailureCode, "IO返回数据格式错误：R|x|1|X|0|"},
      {"R|x|1|", kReplyFailureCode, "IO返回数据格式错误：R|x|1|"},
      {"", kReplyFailureCode, "IO返回数据格式错误："},
  };
  for (const Case& c : cases) {
    RequestPtr record = Answered({c.line});
    std::string message = "before";
    EXPECT_EQ(CheckReplyResult(0, message, record.get()), c.result) << c.line;
    EXPECT_EQ(message, c.message) << c.line;
  }
}

TEST(CheckReplyResult, MissingRecordTransportErrorAndMissingAnswerGive99999) {
  std::string message;
  EXPECT_EQ(CheckReplyResult(0, message, nullptr), kReplyFailureCode);
  EXPECT_EQ(message, "IO数据包没有创建！");

  RequestPtr record = Answered({});
  EXPECT_EQ(CheckReplyResult(0, message, record.get()), kReplyFailureCode);
  EXPECT_EQ(message, "IO返回数据为空！");
  EXPECT_EQ(CheckReplyResult(1, message, record.get()), kReplyFailureCode);
  EXPECT_EQ(message, "IO返回数据为空！");

  RequestPtr failed = Answered({"R|x|1|Y|0|"});
  failed->errorFlag = 1;
  failed->errorText = "通讯连接中断！";
  EXPECT_EQ(CheckReplyResult(0, message, failed.get()), kReplyFailureCode);
  EXPECT_EQ(message, "通讯连接中断！");
}

TEST(SplitReplyRows, SinglePacketGivesTheStatusLineFields) {
  RequestPtr record = Answered({"R|x|1|Y| a |b\t|"}, true);
  CxDataSet rows;
  ASSERT_TRUE(backend::SplitReplyRows(0, *record, 5, 3, rows));
  EXPECT_EQ(Texts(rows.View()), (std::vector<std::string>{"a", "b", ""}));
  EXPECT_FALSE(backend::SplitReplyRows(1, *record, 5, 3, rows));
}

TEST(SplitReplyRows, MultiPacketGivesOneRowPerFollowUpLine) {
  RequestPtr record = Answered({"R|x|1|Y|2|", "R|x|1|r1a|r1b|", "R|x|1|r2a|"});
  CxDataSet rows;
  ASSERT_TRUE(backend::SplitReplyRows(0, *record, 4, 2, rows));
  ASSERT_EQ(rows.GetCount(), 2u);
  const std::vector<std::vector<std::string>> expected = {{"r1a", "r1b"}, {"r2a", ""}};
  for (std::size_t index = 0; index < 2; ++index) {
    const std::span<const std::uint8_t> row = rows.GetValue(index);
    EXPECT_EQ(backend::data_set_block::EntryType(backend::data_set_block::Entry(rows.Block(), index)),
              backend::data_set_block::kRawType);
    EXPECT_EQ(Texts(CxDataSetView(row)), expected[index]);
  }

  RequestPtr statusOnly = Answered({"R|x|1|Y|0|"});
  CxDataSet none;
  EXPECT_TRUE(backend::SplitReplyRows(0, *statusOnly, 4, 2, none));
  EXPECT_EQ(none.GetCount(), 0u);
}
