#include "backend/program_log.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "logfile/testing/log_files.h"
#include "platform/files.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/program_folder_fixture.h"

namespace backend {
namespace {

struct MaskCase {
  const char* line;
  const char* logged;
};

TEST(MaskPasswordFields, MasksThePasswordFieldsOfRequestsAndPushesOnly) {
  const MaskCase cases[] = {
      // A login request: field 8 is the password.
      {"R|00-11-22-33-44-55|600001|5001||Pellora|10001|pw123|x|",
       "R|00-11-22-33-44-55|600001|5001||Pellora|10001|********|x|"},
      // Password changes carry the new password in field 9 as well.
      {"R|m|600002|5013||Pellora|10001|old|new|", "R|m|600002|5013||Pellora|10001|********|********|"},
      {"R|m|600003|5014||Pellora|10001|old|new|", "R|m|600003|5014||Pellora|10001|********|********|"},
      {"R|m|600004|5301||Pellora|10001|old|new|", "R|m|600004|5301||Pellora|10001|********|********|"},
      {"R|m|600005|5050||Pellora|10001|pw|a|b|p1|p2|z|",
       "R|m|600005|5050||Pellora|10001|********|a|b|********|********|z|"},
      {"R|m|600006|5137||Pellora|10001|pw|a|b|p1|z|", "R|m|600006|5137||Pellora|10001|********|a|b|********|z|"},
      // An empty password and one holding an escaped separator are masked whole.
      {"R|m|1|5001||Pellora|10001||x|", "R|m|1|5001||Pellora|10001|********|x|"},
      {"R|m|1|5001||Pellora|10001|p\x01w|x|", "R|m|1|5001||Pellora|10001|********|x|"},
      // A last field without its separator is masked to the end of the line.
      {"R|m|1|5001||Pellora|10001|pw", "R|m|1|5001||Pellora|10001|********"},
      // Text before the request stays; fields count from the "R".
      {"send 3> R|m|1|5001||Pellora|10001|pw|", "send 3> R|m|1|5001||Pellora|10001|********|"},
      // Answers (field 4 "Y" or "N") and lines without a request stay as they are.
      {"R|m|600001|Y|3|ok|a|b|c|", "R|m|600001|Y|3|ok|a|b|c|"},
      {"R|m|600001|N|12|bad|a|b|c|", "R|m|600001|N|12|bad|a|b|c|"},
      {"connected to 127.0.0.1", "connected to 127.0.0.1"},
      // Pushes carry the account in field 8; quote pushes carry no password.
      {"R|sim|0|15005|10001|1843|2001|sfe|", "R|sim|0|15005|10001|1843|2001|********|"},
      {"R|sim|0|15001||||x|sfe|", "R|sim|0|15001||||x|sfe|"},
      {"R|sim|0|15001", "R|sim|0|15001"},
      {"log> R|sim|0|15001||||x|sfe|", "log> R|sim|0|15001||||x|sfe|"},
      // A code that only begins as the quote's is another push.
      {"R|sim|0|150011|10001|1|2|acct|", "R|sim|0|150011|10001|1|2|********|"},
      {"R|m|1|5001|", "R|m|1|5001|"},
  };
  for (const MaskCase& c : cases) EXPECT_EQ(MaskPasswordFields(c.line), c.logged) << c.line;
}

TEST(MaskAnswerPasswordFields, MasksThePasswordsThatAnswersCarry) {
  struct AnswerCase {
    int function;
    const char* line;
    const char* logged;
  };
  const AnswerCase cases[] = {
      // The quote server list's status line: the quote gateway's user and password.
      {5451, "A|m|600001|Y|1|quote|quote123|", "A|m|600001|Y|1|quote|********|"},
      {5451, "A|m|600001|Y|1|quote", "A|m|600001|Y|1|quote"},
      // The monitoring centre key: its password in three parts.
      {5406, "A|m|600002|Y|10001|C01|7|pa|rt|s|", "A|m|600002|Y|10001|C01|7|********|********|********|"},
      {5406, "A|m|600002|Y|10001|C01|7|pass", "A|m|600002|Y|10001|C01|7|********"},
      // The answers of other functions and the rows of follow-up requests
      // carry none.
      {5001, "A|m|600003|Y|name|a|b|c|d|", "A|m|600003|Y|name|a|b|c|d|"},
      {0, "A|m|600001|1|server|127.0.0.1|5100|", "A|m|600001|1|server|127.0.0.1|5100|"},
  };
  for (const AnswerCase& c : cases) EXPECT_EQ(MaskAnswerPasswordFields(c.function, c.line), c.logged) << c.line;
}

class ProgramLogTest : public platform_testing::ProgramFolderTest {
 protected:
  static std::vector<std::string> ReadTexts(const std::string& file) { return logfile_testing::TextsReadBack(file); }

  platform::FakeClock clock_{{2026, 3, 5, 5, 9, 30, 0, 0}, 1000};
};

TEST_F(ProgramLogTest, WritesMaskedCommunicationLinesAndSkipsTypeZero) {
  ProgramLog log;
  ASSERT_TRUE(log.Open());
  EXPECT_EQ(log.FileName(), folder_ + "/Log/Quentara_20260305.wqz");
  const char request[] = "R|m|600001|5001||Pellora|10001|pw123|x|";
  log.WriteLine(kLogCommunication, request);
  log.WriteLine(kLogNote, request);
  log.WriteLine(kLogNothing, "never written");
  log.WriteLine(kLogCommunication, nullptr);
  EXPECT_STREQ(request, "R|m|600001|5001||Pellora|10001|pw123|x|") << "the caller's text stays as it was";

  // Once the held lines are written, a reader sees them while the writer
  // still has the file open.
  const std::string file = log.FileName();
  log.Flush();
  const auto texts = ReadTexts(file);
  log.Close();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts[1], "R|m|600001|5001||Pellora|10001|********|x|");
  EXPECT_EQ(texts[2], request) << "only communication lines are masked";
  EXPECT_EQ(texts.size(), 3u);

  // Only its owner reads the file, also one that an earlier run left open to all.
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
  ProgramLog again;
  ASSERT_TRUE(again.Open());
  again.Close();
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// A received block is logged in one go: every line in its order, each
// masked as it would be alone, the masked copies of one block kept apart.
TEST_F(ProgramLogTest, WritesABlockOfLinesInOrderEachMaskedAsAlone) {
  ProgramLog log;
  ASSERT_TRUE(log.Open());
  const std::vector<std::string_view> first = {"R|sim|0|15001||||x|sfe|", "R|sim|0|15002|10001|1|2|acct1|a|",
                                               "R|sim|0|15005|10001|1843|2001|acct2|", "note"};
  const std::vector<std::string_view> second = {"R|sim|0|15002|10001|1|2|acct3|"};
  log.WriteLines(kLogCommunication, first);
  log.WriteLines(kLogCommunication, second);
  log.WriteLines(kLogNote, second);
  log.WriteLines(kLogNothing, first);
  log.WriteLines(kLogCommunication, {});
  log.Flush();
  const std::vector<std::string> texts = ReadTexts(log.FileName());
  log.Close();
  const std::vector<std::string> expected = {"R|sim|0|15001||||x|sfe|",
                                             "R|sim|0|15002|10001|1|2|********|a|",
                                             "R|sim|0|15005|10001|1843|2001|********|",
                                             "note",
                                             "R|sim|0|15002|10001|1|2|********|",
                                             "R|sim|0|15002|10001|1|2|acct3|"};
  ASSERT_EQ(texts.size(), expected.size() + 1);
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 1, texts.end()), expected);
}

TEST_F(ProgramLogTest, TheViewerShowsTheProgramLogWithPasswordsMasked) {
  ProgramLog log;
  ASSERT_TRUE(log.Open());
  log.WriteLine(kLogCommunication, "R|m|600002|5013||Pellora|10001|oldpw|newpw|");
  const std::string file = log.FileName();
  log.Close();

  std::string printed;
  FILE* viewer = ::popen((std::string(SCRIVANE_PATH) + " '" + file + "'").c_str(), "r");
  ASSERT_NE(viewer, nullptr);
  char chunk[4096];
  while (std::size_t n = std::fread(chunk, 1, sizeof chunk, viewer)) printed.append(chunk, n);
  EXPECT_EQ(::pclose(viewer), 0);
  EXPECT_NE(printed.find("R|m|600002|5013||Pellora|10001|********|********|"), std::string::npos) << printed;
  EXPECT_EQ(printed.find("oldpw"), std::string::npos);
  EXPECT_EQ(printed.find("newpw"), std::string::npos);
}

// A writer killed without warning: the file it leaves reads whole, with every
// line it held longer than the flush interval.
TEST_F(ProgramLogTest, AKilledWriterLeavesAReadableFileMissingOnlyItsLastMomentsLines) {
  constexpr int kSettledLines = 500;
  constexpr int kLastLines = 50;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    ::close(ready[0]);
    ProgramLog log;
    if (!log.Open()) ::_exit(2);
    for (int line = 0; line < kSettledLines; ++line)
      log.WriteLine(kLogCommunication, ("R|m|" + std::to_string(line) + "|5001||Pellora|10001|pw|").c_str());
    // The flusher writes these on its own.
    std::this_thread::sleep_for(ProgramLog::kFlushInterval * 4);
    for (int line = 0; line < kLastLines; ++line) log.WriteLine(kLogNote, ("last " + std::to_string(line)).c_str());
    const std::string file = log.FileName();
    if (::write(ready[1], file.data(), file.size()) != static_cast<ssize_t>(file.size())) ::_exit(3);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  std::string file(4096, '\0');
  const ssize_t length = ::read(ready[0], file.data(), file.size());
  ::close(ready[0]);
  ASSERT_EQ(::kill(writer, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(writer, &status, 0), writer);
  ASSERT_GT(length, 0) << "the writer did not start";
  file.resize(static_cast<std::size_t>(length));

  const std::vector<std::string> texts = ReadTexts(file);
  ASSERT_GE(texts.size(), 1u + kSettledLines);
  EXPECT_EQ(texts[0], "启动日志。");
  for (int line = 0; line < kSettledLines; ++line)
    ASSERT_EQ(texts[1 + line], "R|m|" + std::to_string(line) + "|5001||Pellora|10001|********|");
  // Of the last lines, those written before the kill, in order.
  for (std::size_t index = 1 + kSettledLines; index < texts.size(); ++index)
    EXPECT_EQ(texts[index], "last " + std::to_string(index - 1 - kSettledLines));

  // The viewer reads the file too.
  FILE* viewer = ::popen((std::string(SCRIVANE_PATH) + " '" + file + "' >/dev/null").c_str(), "r");
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(::pclose(viewer), 0);
}

TEST_F(ProgramLogTest, InstancesAreNumberedAndAFreedNumberIsTakenAgain) {
  ProgramLog first, second, third;
  ASSERT_TRUE(first.Open());
  ASSERT_TRUE(second.Open());
  ASSERT_TRUE(third.Open());
  EXPECT_EQ(first.FileName(), folder_ + "/Log/Quentara_20260305.wqz");
  EXPECT_EQ(second.FileName(), folder_ + "/Log/Quentara_1_20260305.wqz");
  EXPECT_EQ(third.FileName(), folder_ + "/Log/Quentara_2_20260305.wqz");

  // An instance that ends (or dies: the kernel drops its lock) frees its number.
  first.Close();
  ProgramLog next;
  ASSERT_TRUE(next.Open());
  EXPECT_EQ(next.FileName(), folder_ + "/Log/Quentara_20260305.wqz");
  next.Close();
  second.Close();
  third.Close();
}

}  // namespace

}  // namespace backend
