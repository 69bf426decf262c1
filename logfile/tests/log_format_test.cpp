// The bytes a writer leaves on disk, read without the library.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "logfile/testing/log_files.h"

using namespace logfile_testing;

namespace {

class LogFormat : public LogFolderTest {
 protected:
  std::vector<std::uint8_t> FileOf(TestLog& log) {
    log.FlushSaveFileHead();
    return ReadBytes(log.GetFileName());
  }
};

TEST_F(LogFormat, NewFileIsOneBlockWithTheStartRecordAfterTheHead) {
  SetNow(At(2026, 3, 5, 10, 0, 0), 4000123);
  TestLog log;
  OpenWriter(log);
  const std::vector<std::uint8_t> file = FileOf(log);

  ASSERT_EQ(file.size(), 10240u);
  const std::vector<std::uint8_t> head = PlainHead(file);
  EXPECT_EQ(U16(head, 0), 100u);
  EXPECT_EQ(U16(head, 2), 3u);  // the default applications 0, 1 and 11
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&head[4])), "Brennark");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&head[16])), "Log file");
  EXPECT_EQ(U32(head, 40), 560u);
  EXPECT_EQ(U32(head, 44), 592u);
  EXPECT_EQ(U32(head, 48), 10240u);
  EXPECT_EQ(U32(head, 52), 1u);
  EXPECT_EQ(U32(head, 56), 0u);
  const std::string key = KeyOf(file);
  ASSERT_EQ(key.size(), 11u);
  for (char c : key) EXPECT_TRUE(c >= 32 && c <= 121) << static_cast<int>(c);
  EXPECT_EQ(U16(head, 60 + 25), 1u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&head[60 + 25 + 2])), "TRAVO包日志");
  EXPECT_EQ(U16(head, 60 + 25 + 23), 1u);

  const RawRecord start = RecordAt(file, 560);
  EXPECT_EQ(start.length, 30u);
  EXPECT_EQ(start.type, 0u);
  EXPECT_EQ(start.time, "0305 10:00:00.123");  // the millisecond is the tick counter's
  EXPECT_EQ(start.data, "启动日志。");
  EXPECT_TRUE(std::all_of(file.begin() + 592, file.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(LogFormat, RecordTakesItsDataPlusTwentyTwoBytes) {
  TestLog log;
  OpenWriter(log);
  const std::string text(100, 'x');
  ASSERT_EQ(log.WriteLog(0, "%s", text.c_str()), 1);
  const std::vector<std::uint8_t> file = FileOf(log);
  EXPECT_EQ(U32(PlainHead(file), 44), 592u + 122u);
  const RawRecord record = RecordAt(file, 592);
  EXPECT_EQ(record.length, 120u);
  EXPECT_EQ(record.data, text);
}

TEST_F(LogFormat, LongDataIsCutToTheRecordLimitBeforeItsLengthIsNarrowed) {
  struct Case {
    int length;
    std::uint32_t lengthField;
  };
  // 40000 bytes would wrap a 16-bit length to 7232; 70000 to 4464.
  for (const Case c : {Case{10240, 10260}, Case{10241, 10260}, Case{40000, 10260}, Case{70000, 10260}}) {
    SCOPED_TRACE(c.length);
    TestLog log;
    OpenWriter(log);
    const std::vector<char> data(static_cast<std::size_t>(c.length), 'd');
    ASSERT_EQ(log.WriteRawLog(0, data.data(), c.length), 1);
    const std::vector<std::uint8_t> file = FileOf(log);
    EXPECT_EQ(RecordAt(file, 592).length, c.lengthField);
    EXPECT_EQ(U32(PlainHead(file), 44), 592u + c.lengthField + 2);
    log.CloseLogFile();
    std::filesystem::remove(PathOf("Q_20260305.wqz"));
  }
}

TEST_F(LogFormat, TextIsCutAt10140BytesOnACharacterBoundary) {
  TestLog log;
  OpenWriter(log);
  const std::string ascii(10200, 'a');
  ASSERT_EQ(log.WriteLog(0, "%s", ascii.c_str()), 1);
  // 10139 ASCII bytes and a two-byte character: the character would end at 10141.
  const std::string mixed = std::string(10139, 'b') + "中文";
  ASSERT_EQ(log.WriteLog(0, "%s", mixed.c_str()), 1);
  const std::vector<RawRecord> records = RecordsOf(FileOf(log));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[1].data, std::string(10140, 'a'));
  EXPECT_EQ(records[2].data, std::string(10139, 'b'));
}

TEST_F(LogFormat, FileGrowsWhenFreeSpaceIsNotLargerThanTheRecord) {
  // After the start record 10240 - 592 = 9648 bytes are free.
  struct Case {
    int dataLength;
    std::uint32_t fileSize;
  };
  for (const Case c : {Case{9625, 10240}, Case{9626, 20480}}) {
    SCOPED_TRACE(c.dataLength);
    TestLog log;
    OpenWriter(log);
    const std::vector<char> data(static_cast<std::size_t>(c.dataLength), 'e');
    ASSERT_EQ(log.WriteRawLog(0, data.data(), c.dataLength), 1);
    const std::vector<std::uint8_t> file = FileOf(log);
    EXPECT_EQ(file.size(), c.fileSize);
    EXPECT_EQ(U32(PlainHead(file), 48), c.fileSize);
    EXPECT_EQ(RecordAt(file, 592).data, std::string(data.begin(), data.end()));
    log.CloseLogFile();
    std::filesystem::remove(PathOf("Q_20260305.wqz"));
  }
}

TEST_F(LogFormat, PackRecordCarriesItsNameInAFiftyByteField) {
  TestLog log;
  OpenWriter(log);
  const std::string longName(60, 'n');
  ASSERT_EQ(log.WritePack("\x01\x02", 2, "quote"), 1);
  ASSERT_EQ(log.WritePack("\x03", 1, longName.c_str()), 1);
  const std::vector<std::uint8_t> file = FileOf(log);
  EXPECT_EQ(U32(PlainHead(file), 56), 2u);
  const std::vector<RawRecord> records = RecordsOf(file);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[1].type, 1u);
  EXPECT_EQ(records[1].data, std::string("quote") + std::string(45, '\0') + "\x01\x02");
  EXPECT_EQ(records[2].data, std::string(50, 'n') + "\x03");
}

TEST_F(LogFormat, HeadReadBackEqualsTheSavedHeadKeyIncluded) {
  TestLog log;
  OpenWriter(log);
  ASSERT_EQ(log.AddAppName(7, "行情"), 1);
  log.WriteLog(7, "line %d", 1);
  log.WritePack("p", 1, "name");
  const st_LogHead saved = log.Head();
  ASSERT_EQ(log.SaveFileHead(1), 1);
  ASSERT_EQ(log.ReadFileHead(), 1);
  EXPECT_EQ(log.Head(), saved);
  EXPECT_EQ(std::string(saved.key), KeyOf(ReadBytes(log.GetFileName())));
}

TEST_F(LogFormat, HeadOnDiskIsWrittenOnEveryTenthUnforcedSave) {
  TestLog log;
  OpenWriter(log);  // the forced save of the new file, then one unforced save
  for (int i = 0; i < 7; ++i) log.WriteLog(0, "r%d", i);
  EXPECT_EQ(U32(PlainHead(ReadBytes(log.GetFileName())), 52), 0u);
  log.WriteLog(0, "tenth");
  EXPECT_EQ(U32(PlainHead(ReadBytes(log.GetFileName())), 52), 9u);
}

}  // namespace
