// File names, the switch to a new day or part, the clean-up of old files and
// the viewer.
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "logfile/testing/log_files.h"

using namespace logfile_testing;

namespace {

class LogNaming : public LogFolderTest {
 protected:
  std::string NameAfterSetFileMode(unsigned dateMode = 7) {
    TestLog log;
    EXPECT_EQ(log.SetFileMode(".\\Log", "Q_", ".wqz", dateMode, 30), 1);
    return log.GetFileName();
  }
  std::vector<std::string> FilesInLogFolder() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(LogFolder())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(LogNaming, NameIsTheAbsoluteFolderPrefixDateAndExtension) {
  EXPECT_EQ(NameAfterSetFileMode(), PathOf("Q_20260305.wqz"));
  EXPECT_TRUE(std::filesystem::is_directory(LogFolder()));
  EXPECT_EQ(NameAfterSetFileMode(6), PathOf("Q_202603.wqz"));
  EXPECT_EQ(NameAfterSetFileMode(1), PathOf("Q_05.wqz"));
  EXPECT_EQ(NameAfterSetFileMode(0), PathOf("Q_.wqz"));

  TestLog absolute;
  ASSERT_EQ(absolute.SetFileMode((folder_ + "/a/b/").c_str(), "", ".log", 7, 0), 1);
  EXPECT_EQ(absolute.GetFileName(), folder_ + "/a/b/20260305.log");
  EXPECT_TRUE(std::filesystem::is_directory(folder_ + "/a/b"));
}

TEST_F(LogNaming, TheDaysHighestExistingPartIsContinued) {
  struct Case {
    std::vector<std::string> files;
    std::string name;
  };
  const Case cases[] = {
      {{}, "Q_20260305.wqz"},
      {{"Q_20260305-000.wqz", "Q_20260305-003.wqz"}, "Q_20260305-003.wqz"},
      {{"Q_20260305.wqz", "Q_20260305-012.wqz", "Q_20260304-500.wqz"}, "Q_20260305-012.wqz"},
      // Not a part number: too few or many digits, letters, a missing dash.
      {{"Q_20260305-3.wqz", "Q_20260305-0042.wqz", "Q_20260305-04x.wqz", "Q_20260305007.wqz"}, "Q_20260305.wqz"},
      // The extension is cut where it first occurs.
      {{"Q_20260305-007.wqz.bak.wqz"}, "Q_20260305-007.wqz"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(LogFolder());
    for (const std::string& file : c.files) Touch(file);
    EXPECT_EQ(NameAfterSetFileMode(), PathOf(c.name));
  }
  std::filesystem::remove_all(LogFolder());
  std::filesystem::create_directories(PathOf("Q_20260305-009.wqz"));  // folders do not count
  EXPECT_EQ(NameAfterSetFileMode(), PathOf("Q_20260305.wqz"));
}

TEST_F(LogNaming, OverlongSettingsAreRefused) {
  TestLog log;
  EXPECT_EQ(log.SetFileMode(std::string(260, 'd').c_str(), "Q_", ".wqz", 7, 30), 0);
  EXPECT_EQ(log.SetFileMode(".\\Log", std::string(50, 'p').c_str(), ".wqz", 7, 30), 0);
  EXPECT_EQ(log.SetFileMode(".\\Log", "Q_", std::string(20, 'e').c_str(), 7, 30), 0);
  EXPECT_EQ(log.SetFileMode(".\\Log", std::string(49, 'p').c_str(), std::string(19, 'e').c_str(), 7, 30), 1);
}

TEST_F(LogNaming, NewSettingsOnTheSameDayNameANewFile) {
  TestLog log;
  ASSERT_EQ(log.SetFileMode(".\\Log", "Q_", ".wqz", 7, 30), 1);
  ASSERT_EQ(log.SetFileMode(".\\Other", "R_", ".wqz", 7, 30), 1);
  EXPECT_EQ(log.GetFileName(), folder_ + "/Other/R_20260305.wqz");
}

TEST_F(LogNaming, NewDaySwitchesAtTheNextWrite) {
  SetNow(At(2026, 3, 5, 23, 59, 59), 5000990);
  TestLog log;
  OpenWriter(log);
  log.WriteLog(0, "before midnight");
  Advance(At(2026, 3, 6, 0, 0, 0), 20);
  log.WriteLog(0, "after midnight");
  EXPECT_EQ(log.GetFileName(), PathOf("Q_20260306.wqz"));
  log.CloseLogFile();

  EXPECT_EQ(TextsReadBack(PathOf("Q_20260305.wqz")), (std::vector<std::string>{"启动日志。", "before midnight"}));
  EXPECT_EQ(TextsReadBack(PathOf("Q_20260306.wqz")), (std::vector<std::string>{"after midnight", "关闭日志。"}));
  const std::vector<std::uint8_t> next = ReadBytes(PathOf("Q_20260306.wqz"));
  EXPECT_EQ(next.size(), 10240u);
  EXPECT_EQ(KeyOf(next), KeyOf(ReadBytes(PathOf("Q_20260305.wqz"))));  // the key stays with the object
}

TEST_F(LogNaming, SwitchToAnExistingFileGoesOnWithItsRecords) {
  SetNow(At(2026, 3, 6), 7000000);
  {
    TestLog earlier;  // another session already wrote the 6th
    OpenWriter(earlier);
    earlier.WriteLog(0, "kept");
  }
  SetNow(At(2026, 3, 5, 23, 59, 59), 5000990);
  TestLog log;
  OpenWriter(log);
  ASSERT_EQ(log.AddAppName(9, "会话"), 1);
  ASSERT_EQ(log.EnableWrite(11, 0), 1);
  Advance(At(2026, 3, 6, 0, 0, 0), 20);
  ASSERT_EQ(log.WriteLog(0, "continued"), 1);
  EXPECT_EQ(log.GetFileName(), PathOf("Q_20260306.wqz"));
  EXPECT_EQ(log.WriteLog(9, "own application"), 1);
  EXPECT_EQ(log.WriteData("off", 3), 1);  // still disabled: not written
  log.CloseLogFile();

  EXPECT_EQ(
      TextsReadBack(PathOf("Q_20260306.wqz")),
      (std::vector<std::string>{"启动日志。", "kept", "关闭日志。", "continued", "own application", "关闭日志。"}));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(LogNaming, SwitchToAnUnreadableFileStopsWritingWithItsMessage) {
  Touch("Q_20260306.wqz");
  WriteBytes(PathOf("Q_20260306.wqz"), std::vector<std::uint8_t>(600, 0x55));
  SetNow(At(2026, 3, 5, 23, 59, 59), 5000990);
  TestLog log;
  OpenWriter(log);
  Advance(At(2026, 3, 6, 0, 0, 0), 20);
  EXPECT_EQ(log.WriteLog(0, "lost"), 0);
  EXPECT_EQ(messages_, std::vector<std::string>{"日志文件数据错误！"});
  EXPECT_EQ(ReadBytes(PathOf("Q_20260306.wqz")), std::vector<std::uint8_t>(600, 0x55));
  EXPECT_EQ(TextsReadBack(PathOf("Q_20260305.wqz")), std::vector<std::string>{"启动日志。"});
}

TEST_F(LogNaming, FileBeyondTheRollOverSizeGoesOnInTheNextPart) {
  struct Case {
    std::string existing;  // the day's highest part before opening
    std::string first;
    std::string next;
  };
  const Case cases[] = {
      {"", "Q_20260305.wqz", "Q_20260305-000.wqz"},
      {"Q_20260305-041.wqz", "Q_20260305-041.wqz", "Q_20260305-042.wqz"},
      {"Q_20260305-999.wqz", "Q_20260305-999.wqz", "Q_20260305-999.wqz"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    std::filesystem::remove_all(LogFolder());
    if (!c.existing.empty()) Touch(c.existing);
    TestLog log;
    log.SetRollOverSize(20000);
    OpenWriter(log);
    ASSERT_EQ(log.GetFileName(), PathOf(c.first));
    const std::string block(9000, 'b');
    log.WriteLog(0, "%s", block.c_str());
    log.WriteLog(0, "%s", block.c_str());  // the file grows to 20480 bytes
    EXPECT_EQ(log.GetFileName(), PathOf(c.first));
    log.WriteLog(0, "next");
    EXPECT_EQ(log.GetFileName(), PathOf(c.next));
    const st_LogHead head = log.Head();
    log.CloseLogFile();
    if (c.first != c.next) {
      EXPECT_EQ(head.recordCount, 1u);
      EXPECT_EQ(head.fileSize, 10240u);
      EXPECT_EQ(TextsReadBack(PathOf(c.next)), (std::vector<std::string>{"next", "关闭日志。"}));
      EXPECT_EQ(TextsReadBack(PathOf(c.first)).size(), 3u);
    } else {
      EXPECT_EQ(TextsReadBack(PathOf(c.first)).size(), 5u);
    }
  }
}

TEST_F(LogNaming, FilesOlderThanTheDaysToKeepAreDeleted) {
  SetNow(At(2026, 3, 31));
  const std::vector<std::string> old = {"Q_20260228.wqz", "Q_20260228-004.wqz", "Q_20251231.wqz"};
  const std::vector<std::string> kept = {"Q_20260301.wqz",    // the cut-off day itself
                                         "Q_2026030x.wqz",    // a letter among the digits
                                         "Q_1_20200101.wqz",  // another instance's files
                                         "R_20200101.wqz",   "Q_20200101.txt", "Q_2020.wqz"};
  for (const std::string& name : old) Touch(name);
  for (const std::string& name : kept) Touch(name);
  std::filesystem::create_directories(PathOf("Q_20200102.wqz"));

  TestLog log;
  OpenWriter(log);  // creating the day's file cleans up

  std::vector<std::string> expected = kept;
  expected.push_back("Q_20200102.wqz");
  expected.push_back("Q_20260331.wqz");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FilesInLogFolder(), expected);
}

TEST_F(LogNaming, CleanUpNeedsAFullDateAndAWriter) {
  SetNow(At(2026, 3, 31));
  Touch("Q_20200101.wqz");
  TestLog log;
  ASSERT_EQ(log.SetFileMode(".\\Log", "Q_", ".wqz", 7, 0), 1);  // keeps every file when it opens
  EXPECT_EQ(log.DeleteOutOfDateFiles(30), 0);                   // not open
  ASSERT_EQ(log.OpenLogFile(""), 1);
  EXPECT_EQ(log.DeleteOutOfDateFiles(0), 0);
  EXPECT_TRUE(std::filesystem::exists(PathOf("Q_20200101.wqz")));

  TestLog monthly;
  ASSERT_EQ(monthly.SetFileMode(".\\Log", "M_", ".wqz", 6, 30), 1);
  Touch("M_20200101.wqz");
  ASSERT_EQ(monthly.OpenLogFile(""), 1);
  EXPECT_EQ(monthly.DeleteOutOfDateFiles(30), 0);
  EXPECT_TRUE(std::filesystem::exists(PathOf("M_20200101.wqz")));
  EXPECT_EQ(log.DeleteOutOfDateFiles(30), 1);
  EXPECT_FALSE(std::filesystem::exists(PathOf("Q_20200101.wqz")));
}

TEST_F(LogNaming, ViewerFromTheProgramFolderGetsTheFileName) {
  const std::string viewer = folder_ + "/scrivane";
  std::ofstream(viewer) << "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.args\"\n";
  ::chmod(viewer.c_str(), 0755);
  TestLog log;
  OpenWriter(log);
  ASSERT_EQ(log.ViewLogFile(), 1);
  // Bounded wait for the started program to finish.
  for (int i = 0; i < 500 && !std::filesystem::exists(viewer + ".args"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::ifstream args(viewer + ".args");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(args), {}), log.GetFileName());
}

TEST_F(LogNaming, ViewerThatCannotBeStartedIsReported) {
  const std::string emptyPath = folder_ + "/empty";
  std::filesystem::create_directories(emptyPath);
  const std::string savedPath = ::getenv("PATH") ? ::getenv("PATH") : "";
  ::setenv("PATH", emptyPath.c_str(), 1);
  TestLog log;
  OpenWriter(log);
  EXPECT_EQ(log.ViewLogFile(), 0);
  ::setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(messages_, std::vector<std::string>{"执行命令失败: scrivane \"" + log.GetFileName() + "\""});
}

}  // namespace
