// Opening, closing and the writing operations.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "logfile/testing/log_files.h"

using namespace logfile_testing;

namespace {

class LogWriting : public LogFolderTest {};

TEST_F(LogWriting, WriteLogAcceptsOnlyEnabledRegisteredTextApplications) {
  TestLog log;
  OpenWriter(log);
  ASSERT_EQ(log.EnableWrite(11, 0), 1);
  ASSERT_EQ(log.AddAppName(12, "行情包"), 1);
  struct Case {
    short id;
    int result;
    bool written;
  };
  const Case cases[] = {
      {0, 1, true},    // registered
      {1, 0, false},   // the pack types carry a name field
      {12, 0, false},  // even when registered
      {13, 0, false},  // pack type
      {15, 0, false},  // pack type
      {-1, 0, false},  // bit 15 set
      {7, 0, false},   // not registered
      {11, 1, false},  // disabled
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const std::uint32_t before = log.Head().recordCount;
    EXPECT_EQ(log.WriteLog(c.id, "text"), c.result);
    EXPECT_EQ(log.Head().recordCount, before + (c.written ? 1 : 0));
  }
  EXPECT_EQ(log.WriteRawLog(12, "raw", 3), 1);  // raw records take every registered id
}

TEST_F(LogWriting, NothingIsWrittenWithoutAFileOrWhileReading) {
  TestLog log;
  EXPECT_EQ(log.WriteLog(0, "closed"), 0);
  EXPECT_EQ(log.WriteRawLog(0, "x", 1), 0);
  EXPECT_EQ(log.WritePack("x", 1, "n"), 0);
  OpenWriter(log);
  const std::string path = log.GetFileName();
  log.CloseLogFile();

  TestLog reader;
  ASSERT_EQ(reader.OpenLogFile(path.c_str()), 1);
  EXPECT_EQ(reader.WriteLog(0, "reading"), 1);
  EXPECT_EQ(reader.WritePack("x", 1, "n"), 1);
  reader.CloseLogFile();
  EXPECT_EQ(TextsReadBack(path), (std::vector<std::string>{"启动日志。", "关闭日志。"}));
}

TEST_F(LogWriting, RawAndPackLengthsAreBounded) {
  TestLog log;
  OpenWriter(log);
  const std::vector<char> data(10189, 'p');
  EXPECT_EQ(log.WriteRawLog(0, data.data(), 0), 0);
  EXPECT_EQ(log.WriteRawLog(0, data.data(), -5), 0);
  EXPECT_EQ(log.WriteRawLog(0, nullptr, 5), 0);
  EXPECT_EQ(log.WritePack(data.data(), 10189, "big"), 0);
  EXPECT_EQ(log.WritePack(data.data(), -1, "neg"), 0);
  EXPECT_EQ(log.WritePack(data.data(), 10188, "max"), 1);
  EXPECT_EQ(log.WriteData("dd", 2), 1);
  EXPECT_EQ(log.Head().packCount, 1u);
  ASSERT_EQ(log.EnableWrite(1, 0), 1);
  EXPECT_EQ(log.WritePack("x", 1, "off"), 1);
  EXPECT_EQ(log.Head().packCount, 1u);
}

TEST_F(LogWriting, ApplicationTableHoldsTwentyEntries) {
  TestLog log;
  EXPECT_EQ(log.AddAppName(-2, "neg"), 0);
  EXPECT_EQ(log.AddAppName(2, "123456789012345678901"), 0);  // 21 bytes
  EXPECT_EQ(log.AddAppName(1, "TRAVO包日志"), 1);            // same name: enabled again
  EXPECT_EQ(log.AddAppName(1, "other"), 0);
  for (short id = 100; id < 117; ++id) EXPECT_EQ(log.AddAppName(id, "12345678901234567890"), 1);
  EXPECT_EQ(log.Head().appCount, 20u);
  EXPECT_EQ(log.AddAppName(200, "late"), 0);
  EXPECT_EQ(log.AddAppName(116, "12345678901234567890"), 1);
  EXPECT_EQ(log.EnableWrite(0, 0), 0);
  EXPECT_EQ(log.EnableWrite(999, 0), 1);
}

TEST_F(LogWriting, RegisteredApplicationIsSavedInTheHeadAndEnablingIsNot) {
  TestLog log;
  OpenWriter(log);
  ASSERT_EQ(log.AddAppName(5, "成交"), 1);
  ASSERT_EQ(log.EnableWrite(5, 0), 1);
  const std::string path = log.GetFileName();
  log.CloseLogFile();

  TestLog reader;
  ASSERT_EQ(reader.OpenLogFile(path.c_str()), 1);
  const st_LogHead head = reader.Head();
  ASSERT_EQ(head.appCount, 4u);
  EXPECT_EQ(head.apps[3].id, 5u);
  EXPECT_STREQ(head.apps[3].name, "成交");
  EXPECT_EQ(head.apps[3].enabled, 1u);
}

TEST_F(LogWriting, EachObjectCountsItsOwnHeadSaves) {
  TestLog first;
  OpenWriter(first);
  TestLog second;
  ASSERT_EQ(second.SetFileMode(".\\Log", "R_", ".wqz", 7, 30), 1);
  ASSERT_EQ(second.OpenLogFile(""), 1);
  for (int i = 0; i < 7; ++i) first.WriteLog(0, "first %d", i);  // saves 3..9 of the first
  for (int i = 0; i < 5; ++i) second.WriteLog(0, "second %d", i);
  first.WriteLog(0, "tenth save");
  EXPECT_EQ(U32(PlainHead(ReadBytes(first.GetFileName())), 44), first.Head().writePosition);

  // The first object's last save wrote; the second's did not, so its flush must.
  ASSERT_EQ(second.FlushSaveFileHead(), 1);
  EXPECT_EQ(U32(PlainHead(ReadBytes(second.GetFileName())), 44), second.Head().writePosition);
}

TEST_F(LogWriting, CloseWritesItsRecordAndTheHeadAndRenewsTheKey) {
  TestLog log;
  OpenWriter(log);
  log.WriteLog(0, "%s=%d", "value", 42);
  const std::string key = log.Head().key;
  const std::string path = log.GetFileName();
  log.CloseLogFile();
  EXPECT_NE(std::string(log.Head().key), key);
  EXPECT_EQ(log.GetFileName(), "");
  EXPECT_EQ(U32(PlainHead(ReadBytes(path)), 52), 3u);
  EXPECT_EQ(TextsReadBack(path), (std::vector<std::string>{"启动日志。", "value=42", "关闭日志。"}));
}

TEST_F(LogWriting, ReopeningGoesOnAtTheWritePosition) {
  std::string path;
  {
    TestLog log;
    OpenWriter(log);
    log.WriteLog(0, "one");
    path = log.GetFileName();
  }  // the destructor closes
  TestLog log;
  OpenWriter(log);
  EXPECT_EQ(log.GetFileName(), path);
  log.WriteLog(0, "two");
  log.CloseLogFile();
  EXPECT_EQ(TextsReadBack(path),
            (std::vector<std::string>{"启动日志。", "one", "关闭日志。", "启动日志。", "two", "关闭日志。"}));
}

TEST_F(LogWriting, SecondWriterOfAFileIsRefused) {
  TestLog first;
  OpenWriter(first);
  TestLog second;
  ASSERT_EQ(second.SetFileMode(".\\Log", "Q_", ".wqz", 7, 30), 1);
  EXPECT_EQ(second.OpenLogFile(""), 0);
  EXPECT_EQ(messages_, std::vector<std::string>{"无法打开日志文件！"});
  EXPECT_EQ(first.OpenLogFile(""), 0);  // already open: refused without a message
  EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(LogWriting, FolderThatCannotBeMadeGivesTheCreateMessage) {
  std::ofstream(folder_ + "/Blocked").flush();  // a file where the folder should go
  TestLog log;
  ASSERT_EQ(log.SetFileMode(".\\Blocked\\Log", "Q_", ".wqz", 7, 30), 1);
  EXPECT_EQ(log.OpenLogFile(""), 0);
  EXPECT_EQ(messages_, std::vector<std::string>{"无法创建日志文件！"});
  EXPECT_EQ(log.OpenLogFile(nullptr), 0);
}

TEST_F(LogWriting, WriteThatWouldPassThe32BitLimitIsRefused) {
  // A sparse file whose head says it is nearly 4 GiB long.
  constexpr std::uint32_t kFileSize = 0xFFFFF000;
  constexpr std::uint32_t kWritePosition = 0xFFFFE000;
  std::string path;
  {
    TestLog log;
    OpenWriter(log, 0);  // no date: never rolled over
    path = log.GetFileName();
  }
  std::vector<std::uint8_t> file = ReadBytes(path);
  std::vector<std::uint8_t> head = PlainHead(file);
  PutU32(head, 44, kWritePosition);
  PutU32(head, 48, kFileSize);
  StorePlainHead(file, head);
  WriteBytes(path, file);
  ASSERT_EQ(::truncate(path.c_str(), kFileSize), 0);

  TestLog log;
  OpenWriter(log, 0);
  const std::uint32_t start = log.Head().writePosition;
  ASSERT_EQ(start, kWritePosition + kStartRecordSize);
  const std::vector<char> data(5000, 'z');
  EXPECT_EQ(log.WriteRawLog(0, data.data(), 5000), 0);  // would need the file to grow
  EXPECT_EQ(log.WriteRawLog(0, data.data(), 4000), 1);  // fits the space left
  EXPECT_EQ(log.WriteRawLog(0, data.data(), 100), 0);
  EXPECT_EQ(log.Head().writePosition, start + 4022);
  EXPECT_EQ(log.Head().fileSize, kFileSize);
  EXPECT_EQ(std::filesystem::file_size(path), kFileSize);
}

TEST_F(LogWriting, HeldRecordsReachTheFileWithTheHeadThatCountsThem) {
  TestLog log;
  OpenWriter(log);
  const std::string path = log.GetFileName();
  log.FlushSaveFileHead();
  ASSERT_EQ(log.HoldWrites(1000), 1);
  EXPECT_EQ(log.WriteLog(0, "first"), 1);
  EXPECT_EQ(log.WriteText(0, "second", 6), 1);
  EXPECT_EQ(log.Head().recordCount, 3u);
  // Read meanwhile, the file holds what its head on disk counts, nothing held.
  EXPECT_EQ(TextsReadBack(path), (std::vector<std::string>{"启动日志。"}));

  EXPECT_EQ(log.FlushSaveFileHead(), 1);
  EXPECT_EQ(TextsReadBack(path), (std::vector<std::string>{"启动日志。", "first", "second"}));

  // Past the limit the held records go out on their own, the head after them.
  const std::string line(120, 'x');
  std::size_t written = 0;
  while (TextsReadBack(path).size() == 3 && written < 20) {
    ASSERT_EQ(log.WriteText(0, line.data(), line.size()), 1);
    ++written;
  }
  EXPECT_EQ(written, 8u) << "8 records of 142 bytes pass 1000";
  EXPECT_EQ(TextsReadBack(path).size(), 3 + written);

  // Holding ends with what is held written; closing writes the rest.
  EXPECT_EQ(log.WriteText(0, "held", 4), 1);
  ASSERT_EQ(log.HoldWrites(0), 1);
  EXPECT_EQ(TextsReadBack(path).back(), "held");
  ASSERT_EQ(log.HoldWrites(1 << 20), 1);
  EXPECT_EQ(log.WriteText(0, "last", 4), 1);
  log.CloseLogFile();
  const std::vector<std::string> texts = TextsReadBack(path);
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts[texts.size() - 2], "last");
  EXPECT_EQ(texts.back(), "关闭日志。");
}

TEST_F(LogWriting, AWriterThatFillsTheHeldRoomAsksForAFlushAndWritesOnlyFarBeyondIt) {
  TestLog log;
  OpenWriter(log);
  const std::string path = log.GetFileName();
  ASSERT_EQ(log.FlushSaveFileHead(), 1);
  int asked = 0;
  ASSERT_EQ(log.HoldWrites(1000, [&asked] { ++asked; }), 1);
  const std::string line(120, 'x');  // records of 142 bytes
  const auto write = [&](int records) {
    for (int record = 0; record < records; ++record) ASSERT_EQ(log.WriteText(0, line.data(), line.size()), 1);
  };

  write(7);
  EXPECT_EQ(asked, 0);
  write(1);  // 1136 bytes held
  EXPECT_EQ(asked, 1);
  write(20);  // 3976 bytes held: asked once, nothing written yet
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(TextsReadBack(path).size(), 1u);
  ASSERT_EQ(log.FlushSaveFileHead(), 1);
  EXPECT_EQ(TextsReadBack(path).size(), 29u);

  write(8);  // asked again after the flush
  EXPECT_EQ(asked, 2);
  write(20);
  EXPECT_EQ(TextsReadBack(path).size(), 29u);
  write(1);  // 4118 bytes held, beyond four times the limit: written at once
  EXPECT_EQ(TextsReadBack(path).size(), 58u);
  EXPECT_EQ(asked, 2);
}

TEST_F(LogWriting, TheFileOnDiskIsAsLongAsItsHeadSaysOnceWritten) {
  // Records, held or not, that take the file through several growth steps:
  // the zeros of each step reach the disk with the records.
  for (const int hold : {0, 64 * 1024}) {
    TestLog log;
    OpenWriter(log);
    const std::string path = log.GetFileName();
    ASSERT_EQ(log.HoldWrites(hold), 1);
    const std::string line(3000, 'y');
    for (int record = 0; record < 20; ++record) ASSERT_EQ(log.WriteText(0, line.data(), line.size()), 1);
    ASSERT_EQ(log.FlushSaveFileHead(), 1);
    EXPECT_GT(log.Head().fileSize, 5u * 10240) << hold;
    EXPECT_EQ(std::filesystem::file_size(path), log.Head().fileSize) << hold;
    EXPECT_EQ(TextsReadBack(path).size(), 21u) << hold;

    std::ifstream file(path, std::ios::binary);
    std::vector<char> tail(log.Head().fileSize - log.Head().writePosition);
    file.seekg(log.Head().writePosition);
    ASSERT_TRUE(file.read(tail.data(), static_cast<std::streamsize>(tail.size()))) << hold;
    EXPECT_EQ(std::count(tail.begin(), tail.end(), '\0'), static_cast<std::ptrdiff_t>(tail.size())) << hold;
    log.CloseLogFile();
    std::filesystem::remove(path);
  }
}

}  // namespace
