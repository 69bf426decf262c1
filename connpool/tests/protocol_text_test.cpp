// The texts of the protocol: request texts, their masked trace form, answer
// fields, pushed lines and the connect record made from a ServerInfo.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "answer_text.h"
#include "connect_record.h"
#include "request_text.h"
#include "test_support.h"

namespace connpool {
namespace {

PackedList Arguments(std::initializer_list<std::string_view> texts) {
  PackedList list;
  for (std::string_view text : texts) EXPECT_TRUE(list.AddText(text));
  return list;
}

std::vector<std::string> Texts(const PackedList& list) {
  std::vector<std::string> texts;
  for (int index = 0; index < list.Count(); ++index) texts.emplace_back(list.TextAt(index));
  return texts;
}

TEST(RequestText, CarriesTheMacTheNumbersAndEveryArgument) {
  const PackedList arguments = Arguments({"", "Pellora", "10001", "甲|乙"});
  EXPECT_EQ(RequestText("00-1A", 17, 5100, arguments.Block()), "R|00-1A|17|5100||Pellora|10001|甲|乙|");
  EXPECT_EQ(RequestText("00-1A", 17, 5100, nullptr), "R|00-1A|17|5100|");
  EXPECT_EQ(FollowUpText("00-1A", 17), "R|00-1A|17|0|");

  const PackedList change = Arguments({"", "Pellora", "10001", "old", "new"});
  EXPECT_EQ(ReloginText("m", change.Block()), "R|m|0|5001||Pellora|10001|new|1|1|");
  EXPECT_EQ(ReloginText("m", Arguments({"a"}).Block()), "R|m|0|5001|a||||1|1|") << "missing arguments stay empty";
}

TEST(RequestText, TraceLinesHideThePasswordsOfRequestsAndPushes) {
  const struct {
    const char* line;
    const char* traced;
  } cases[] = {
      {"R|m|1|5001||Pellora|10001|pw123|x|", "R|m|1|5001||Pellora|10001|********|x|"},
      {"R|m|2|5013||Pellora|10001|old|new|", "R|m|2|5013||Pellora|10001|********|********|"},
      {"R|m|3|5014||Pellora|10001|old|new|", "R|m|3|5014||Pellora|10001|********|********|"},
      {"R|m|4|5301||Pellora|10001|old|new|", "R|m|4|5301||Pellora|10001|********|********|"},
      {"R|m|5|5100||Pellora|10001|pw|keep|", "R|m|5|5100||Pellora|10001|********|keep|"},
      // An empty password, one holding an escaped separator, one at the end.
      {"R|m|1|5001||Pellora|10001||x|", "R|m|1|5001||Pellora|10001|********|x|"},
      {"R|m|1|5001||Pellora|10001|p\x01w|x|", "R|m|1|5001||Pellora|10001|********|x|"},
      {"R|m|1|5001||Pellora|10001|pw", "R|m|1|5001||Pellora|10001|********"},
      // The text before the request stays; fields count from the "R".
      {"请求(CID=2)：R|m|1|5001||Pellora|10001|pw|", "请求(CID=2)：R|m|1|5001||Pellora|10001|********|"},
      // Answers, follow-ups and lines without a request are not touched.
      {"R|m|1|Y|3|ok|a|b|c|", "R|m|1|Y|3|ok|a|b|c|"},
      {"R|m|1|0|", "R|m|1|0|"},
      {"R|m|1|5001|", "R|m|1|5001|"},
      {"连接已建立", "连接已建立"},
  };
  for (const auto& c : cases) EXPECT_EQ(MaskPasswordFields(c.line), c.traced) << c.line;
}

TEST(AnswerText, FieldsAreClosedBySeparatorsAndUnescaped) {
  const std::string answer = "R|m|7|Y|2|a\001b|tail";
  const struct {
    int n;
    const char* field;
  } cases[] = {{1, "R"}, {4, "Y"}, {5, "2"}, {6, "a|b"}, {7, ""}, {8, ""}, {0, ""}, {-1, ""}};
  for (const auto& c : cases) EXPECT_EQ(AnswerField(answer, c.n), c.field) << c.n;

  EXPECT_TRUE(IsAccepted("Y"));
  EXPECT_TRUE(IsAccepted("y"));
  for (const char* status : {"N", "", "YES", " Y"}) EXPECT_FALSE(IsAccepted(status)) << status;
}

TEST(AnswerText, PacketsTakeTheClosedFieldsAsTheyStand) {
  PackedList packet;
  ASSERT_TRUE(AppendFields("R|m|7|Y|2|a\001b||c|dropped", 5, packet));
  EXPECT_EQ(Texts(packet), (std::vector<std::string>{"2", "a\001b", "", "c"}));
  const testing::LayoutReader layout(packet.Block());
  for (int index = 0; index < packet.Count(); ++index) {
    EXPECT_EQ(layout.Type(index), kTextEntry);
    EXPECT_EQ(layout.Flag(index), 0);
    EXPECT_EQ(layout.Name(index), "");
  }

  PackedList none;
  ASSERT_TRUE(AppendFields("R|m|7|", 5, none));
  EXPECT_EQ(none.Count(), 0);

  PackedList tooLong;
  EXPECT_FALSE(AppendFields(std::string(kMaxValueLength, 'x') + "|", 1, tooLong));
}

TEST(AnswerText, PushedLinesAreReadWithinTheirLengthOnly) {
  // An exact-size heap copy: a read past the end is caught by the address
  // sanitizer.
  auto exact = [](std::string_view bytes) {
    auto copy = std::make_unique<char[]>(bytes.size());
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return copy;
  };
  const std::string data("R|a|\0\0R|b|\0R|c|", 16);
  const auto copy = exact(data);
  std::vector<std::string> lines;
  for (std::string_view line : PushLines(copy.get(), static_cast<int>(data.size()))) lines.emplace_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"R|a|", "R|b|", "R|c|"}));

  EXPECT_TRUE(PushLines(copy.get(), 0).empty());
  EXPECT_TRUE(PushLines(copy.get(), -3).empty());
  EXPECT_TRUE(PushLines(nullptr, 5).empty());
  EXPECT_EQ(PushLines(copy.get(), 3).front(), "R|a") << "a length inside a line cuts it";
}

ServerInfo Info() {
  ServerInfo info{};
  std::strcpy(info.proxyHost, "10.0.0.9");
  WriteInt32(info.proxyPort, 1080);
  std::strcpy(info.proxyPassword, "secret");
  const char* hosts[] = {"10.0.0.1", "10.0.0.2", "10.0.0.3"};
  for (int place = 0; place < 3; ++place) {
    std::strcpy(info.servers[place].host, hosts[place]);
    WriteUint16(info.servers[place].port, static_cast<std::uint16_t>(7000 + place));
  }
  return info;
}

TEST(ConnectRecord, PacksTheEnabledServersInUseAndTheProxy) {
  ServerInfo info = Info();
  WriteInt32(info.serverCount, 2);
  WriteInt32(info.servers[1].enabled, 1);
  WriteInt32(info.servers[2].enabled, 1);  // beyond the places in use
  HalvostConnectRecord record = ConnectRecord(info);
  EXPECT_EQ(record.reserved, 0);
  EXPECT_STREQ(record.servers[0].host, "10.0.0.2");
  EXPECT_EQ(record.servers[0].port, 7001);
  EXPECT_STREQ(record.servers[1].host, "");
  EXPECT_EQ(record.servers[1].port, 0);
  EXPECT_EQ(record.proxyMode, 0) << "proxy kind 0: no proxy";
  EXPECT_STREQ(record.proxyHost, "10.0.0.9");
  EXPECT_EQ(record.proxyPort, 1080);
  EXPECT_STREQ(record.proxyPassword, "secret");

  WriteInt32(info.proxyKind, 1);
  EXPECT_EQ(ConnectRecord(info).proxyMode, 2) << "a proxy without user";
  std::strcpy(info.proxyUser, "someone");
  EXPECT_EQ(ConnectRecord(info).proxyMode, 3) << "a proxy with user";

  WriteInt32(info.serverCount, 99);
  record = ConnectRecord(info);
  EXPECT_STREQ(record.servers[1].host, "10.0.0.3") << "at most three places are read";

  // A host that fills its field without a terminator is read within it.
  std::memset(info.servers[1].host, '7', sizeof info.servers[1].host);
  EXPECT_EQ(std::string(ConnectRecord(info).servers[0].host), std::string(16, '7'));
}

TEST(ConnectRecord, TestRecordHoldsOnePlaceAlone) {
  ServerInfo info = Info();
  const HalvostConnectRecord record = TestRecord(info, 2);
  EXPECT_STREQ(record.servers[0].host, "10.0.0.3");
  EXPECT_EQ(record.servers[0].port, 7002);
  EXPECT_STREQ(record.servers[1].host, "");
  EXPECT_FALSE(IsServerEnabled(info, 0));
  WriteInt32(info.servers[0].enabled, -1);
  EXPECT_TRUE(IsServerEnabled(info, 0));
  EXPECT_FALSE(IsServerEnabled(info, 3));
}

}  // namespace
}  // namespace connpool
