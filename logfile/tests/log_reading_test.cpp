// Reading log files back, malformed ones included, and the scrivane viewer.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "logfile/testing/log_files.h"

using namespace logfile_testing;

namespace {

struct ReadRecord {
  short type = 0;
  std::string time;
  std::string name;
  std::string data;
};

class LogReading : public LogFolderTest {
 protected:
  // A closed file of: start record, "first", pack "quote" 01 02 03,
  // a raw record of type 11, pack "depth" ff, close record.
  std::string WriteSample() {
    TestLog log;
    OpenWriter(log);
    log.WriteLog(0, "first");
    log.WritePack("\x01\x02\x03", 3, "quote");
    log.WriteData("raw", 3);
    log.WritePack("\xff", 1, "depth");
    const std::string path = log.GetFileName();
    log.CloseLogFile();
    return path;
  }

  static bool Next(CLog& log, std::uint32_t& position, ReadRecord& record) {
    char time[logfile::kTimeTextSize];
    std::vector<char> data(logfile::kReadBufferSize);
    short length = 0;
    if (!log.GetNextLog(position, record.type, time, data.data(), length)) return false;
    record.time = time;
    record.data.assign(data.data(), static_cast<std::size_t>(length));
    return true;
  }
  static bool NextPack(CLog& log, std::uint32_t& position, ReadRecord& record) {
    char time[logfile::kTimeTextSize];
    char name[logfile::kPackNameBufferSize];
    std::vector<char> data(logfile::kReadBufferSize);
    short length = 0;
    if (!log.GetNextPack(position, name, time, data.data(), length)) return false;
    record = {1, time, name, std::string(data.data(), static_cast<std::size_t>(length))};
    return true;
  }
  static bool Get(CLog& log, std::uint32_t ordinal, ReadRecord& record) {
    char time[logfile::kTimeTextSize];
    char name[logfile::kPackNameBufferSize];
    std::vector<char> data(logfile::kReadBufferSize);
    short length = 0;
    if (!log.GetLog(ordinal, record.type, time, name, data.data(), length)) return false;
    record.time = time;
    record.name = name;
    record.data.assign(data.data(), static_cast<std::size_t>(length));
    return true;
  }

  // Rewrites the plain head of a file through `edit`.
  void EditHead(const std::string& path, const std::function<void(std::vector<std::uint8_t>&)>& edit) {
    std::vector<std::uint8_t> file = ReadBytes(path);
    std::vector<std::uint8_t> head = PlainHead(file);
    edit(head);
    StorePlainHead(file, head);
    WriteBytes(path, file);
  }
};

TEST_F(LogReading, NextLogWalksTheRecordsByTheirSize) {
  const std::string path = WriteSample();
  TestLog log;
  ASSERT_EQ(log.OpenLogFile(path.c_str()), 1);
  std::uint32_t position = 0;
  ReadRecord record;
  ASSERT_TRUE(Next(log, position, record));
  EXPECT_EQ(position, kStartRecordSize);
  EXPECT_EQ(record.type, 0);
  EXPECT_EQ(record.time, "0305 10:00:00.000");
  EXPECT_EQ(record.data, "启动日志。");

  std::vector<short> types;
  while (Next(log, position, record)) types.push_back(record.type);
  EXPECT_EQ(types, (std::vector<short>{0, 1, 11, 1, 0}));
  const std::uint32_t end = position;
  EXPECT_FALSE(Next(log, position, record));
  EXPECT_EQ(position, end);
  EXPECT_EQ(end + kHeadSize, log.Head().writePosition);
}

TEST_F(LogReading, NextPackSkipsToPackRecordsAndSplitsTheName) {
  const std::string path = WriteSample();
  TestLog log;
  ASSERT_EQ(log.OpenLogFile(path.c_str()), 1);
  std::uint32_t position = 0;
  ReadRecord pack;
  ASSERT_TRUE(NextPack(log, position, pack));
  EXPECT_EQ(pack.name, "quote");
  EXPECT_EQ(pack.data, "\x01\x02\x03");
  ASSERT_TRUE(NextPack(log, position, pack));
  EXPECT_EQ(pack.name, "depth");
  EXPECT_EQ(pack.data, "\xff");
  const std::uint32_t after = position;
  EXPECT_FALSE(NextPack(log, position, pack));
  EXPECT_EQ(position, after);
}

TEST_F(LogReading, GetLogFindsARecordByOrdinal) {
  const std::string path = WriteSample();
  TestLog log;
  ASSERT_EQ(log.OpenLogFile(path.c_str()), 1);
  ReadRecord record;
  ASSERT_TRUE(Get(log, 1, record));
  EXPECT_EQ(record.type, 0);
  EXPECT_EQ(record.name, "");
  EXPECT_EQ(record.data, "first");
  ASSERT_TRUE(Get(log, 2, record));
  EXPECT_EQ(record.type, 1);
  EXPECT_EQ(record.name, "quote");
  EXPECT_EQ(record.data, "\x01\x02\x03");
  ASSERT_TRUE(Get(log, 5, record));
  EXPECT_EQ(record.data, "关闭日志。");
  EXPECT_FALSE(Get(log, 6, record));
  EXPECT_FALSE(Get(log, 0xFFFFFFFF, record));
}

TEST_F(LogReading, WriterReadsItsOwnRecords) {
  TestLog log;
  OpenWriter(log);
  log.WriteLog(0, "live");
  ReadRecord record;
  ASSERT_TRUE(Get(log, 1, record));
  EXPECT_EQ(record.data, "live");
  log.CloseLogFile();
  EXPECT_FALSE(Get(log, 0, record));
}

TEST_F(LogReading, FileThatIsNotALogIsRefusedWithItsMessage) {
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> edit;
    const char* message;
  };
  const Case cases[] = {
      {"version", [](auto& head) { PutU16(head, 0, 99); }, "日志文件数据错误！"},
      {"first record", [](auto& head) { PutU32(head, 40, 600); }, "日志文件数据错误！"},
      {"write position past the size", [](auto& head) { PutU32(head, 44, 20000); }, "日志文件数据错误！"},
      {"write position inside the head", [](auto& head) { PutU32(head, 44, 100); }, "日志文件数据错误！"},
      {"application count", [](auto& head) { PutU16(head, 2, 21); }, "日志文件数据错误！"},
      {"company", [](auto& head) { head[4] = 'X'; }, "不是布伦纳克公司的日志文件！"},
      {"title", [](auto& head) { head[16] = 'X'; }, "不是布伦纳克公司的日志文件！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = WriteSample();
    EditHead(path, c.edit);
    messages_.clear();
    TestLog reader;
    EXPECT_EQ(reader.OpenLogFile(path.c_str()), 0);
    EXPECT_EQ(messages_, std::vector<std::string>{c.message});

    const std::vector<std::uint8_t> before = ReadBytes(path);
    TestLog writer;
    ASSERT_EQ(writer.SetFileMode(".\\Log", "Q_", ".wqz", 7, 0), 1);
    EXPECT_EQ(writer.OpenLogFile(""), 0);
    EXPECT_EQ(writer.GetFileName(), "");  // the object is reset
    EXPECT_EQ(ReadBytes(path), before);
    std::filesystem::remove(path);
  }
}

TEST_F(LogReading, ShortOrMissingFilesAreRefused) {
  Touch("short.wqz");
  WriteBytes(PathOf("short.wqz"), std::vector<std::uint8_t>(100, 0));
  Touch("empty.wqz");
  for (const char* name : {"short.wqz", "empty.wqz"}) {
    messages_.clear();
    TestLog reader;
    EXPECT_EQ(reader.OpenLogFile(PathOf(name).c_str()), 0);
    EXPECT_EQ(messages_, std::vector<std::string>{"日志文件数据错误！"});
  }
  messages_.clear();
  TestLog reader;
  EXPECT_EQ(reader.OpenLogFile(PathOf("missing.wqz").c_str()), 0);
  EXPECT_EQ(messages_, std::vector<std::string>{"无法打开日志文件！"});
  EXPECT_FALSE(std::filesystem::exists(PathOf("missing.wqz")));
}

TEST_F(LogReading, MalformedRecordEndsTheReading) {
  // The sample's second record ("first") starts at 592.
  struct Case {
    const char* what;
    std::uint32_t length;
    bool roomyHead;  // the head claims room enough for the record
  };
  const Case cases[] = {
      {"shorter than a record head", 19, false},      {"zero length", 0, false},
      {"past the write position", 5000, false},       {"longer than a text record may be", 10261, true},
      {"longer than any record may be", 10311, true}, {"largest length field", 0xFFFF, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = WriteSample();
    std::vector<std::uint8_t> file = ReadBytes(path);
    PutU16(file, 592, c.length);
    if (c.roomyHead) {
      std::vector<std::uint8_t> head = PlainHead(file);
      PutU32(head, 44, 80000);
      PutU32(head, 48, 81920);
      StorePlainHead(file, head);
      file.resize(81920);
    }
    WriteBytes(path, file);
    TestLog log;
    ASSERT_EQ(log.OpenLogFile(path.c_str()), 1);
    std::uint32_t position = 0;
    ReadRecord record;
    EXPECT_TRUE(Next(log, position, record));
    EXPECT_FALSE(Next(log, position, record));
    EXPECT_EQ(position, kStartRecordSize);
    EXPECT_FALSE(Get(log, 1, record));
    EXPECT_FALSE(Get(log, 2, record));
    EXPECT_FALSE(NextPack(log, position, record));
    std::filesystem::remove(path);
  }
}

TEST_F(LogReading, PackRecordWithoutRoomForItsNameEndsTheReading) {
  TestLog writer;
  OpenWriter(writer);
  ASSERT_EQ(writer.AddAppName(12, "行情包"), 1);
  ASSERT_EQ(writer.WriteRawLog(12, "too short for a name", 20), 1);  // pack kinds written raw
  ASSERT_EQ(writer.WriteRawLog(1, "short", 5), 1);
  writer.WritePack("ok", 2, "after");
  const std::string path = writer.GetFileName();
  writer.CloseLogFile();

  TestLog log;
  ASSERT_EQ(log.OpenLogFile(path.c_str()), 1);
  ReadRecord record;
  EXPECT_FALSE(Get(log, 1, record));
  EXPECT_FALSE(Get(log, 2, record));
  ASSERT_TRUE(Get(log, 3, record));
  EXPECT_EQ(record.name, "after");
  std::uint32_t position = 0;
  EXPECT_FALSE(NextPack(log, position, record));
  EXPECT_EQ(position, 0u);
}

TEST_F(LogReading, TruncatedFileEndsTheReading) {
  const std::string path = WriteSample();
  std::vector<std::uint8_t> file = ReadBytes(path);
  file.resize(600);  // inside the second record
  WriteBytes(path, file);
  TestLog log;
  ASSERT_EQ(log.OpenLogFile(path.c_str()), 1);
  std::uint32_t position = 0;
  ReadRecord record;
  EXPECT_TRUE(Next(log, position, record));
  EXPECT_FALSE(Next(log, position, record));
  EXPECT_FALSE(Get(log, 1, record));
}

TEST_F(LogReading, ScrivanePrintsEveryRecord) {
  const std::string path = WriteSample();
  const std::string command = std::string(SCRIVANE_PATH) + " '" + path + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0);
  EXPECT_EQ(output,
            "0305 10:00:00.000     0 启动日志。\n"
            "0305 10:00:00.000     0 first\n"
            "0305 10:00:00.000     1 [quote] 01 02 03\n"
            "0305 10:00:00.000    11 raw\n"
            "0305 10:00:00.000     1 [depth] ff\n"
            "0305 10:00:00.000     0 关闭日志。\n");
}

}  // namespace
