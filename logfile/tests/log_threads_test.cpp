// One log object written from several threads at once.
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "logfile/testing/log_files.h"

using namespace logfile_testing;

namespace {

class LogThreads : public LogFolderTest {};

TEST_F(LogThreads, ConcurrentWritersLoseNoRecord) {
  constexpr int kThreads = 4;
  constexpr int kRecordsEach = 300;
  TestLog log;
  OpenWriter(log);
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&log, t] {
      for (int i = 0; i < kRecordsEach; ++i) {
        log.WriteLog(0, "thread %d record %03d", t, i);
        if (i % 7 == 0) log.FlushSaveFileHead();
        if (i % 50 == 0) log.WritePack(&i, sizeof i, "pack");
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  const std::string path = log.GetFileName();
  log.CloseLogFile();

  const std::vector<std::string> texts = TextsReadBack(path);
  const std::size_t packs = kThreads * ((kRecordsEach + 49) / 50);
  ASSERT_EQ(texts.size(), 2 + kThreads * kRecordsEach + packs);
  // Each thread's records come in its own order.
  std::vector<int> next(kThreads, 0);
  for (const std::string& text : texts) {
    int thread = 0;
    int record = 0;
    if (std::sscanf(text.c_str(), "thread %d record %d", &thread, &record) != 2) continue;
    EXPECT_EQ(record, next[thread]++);
  }
  for (int count : next) EXPECT_EQ(count, kRecordsEach);
  EXPECT_EQ(U32(PlainHead(ReadBytes(path)), 52), texts.size());
  EXPECT_EQ(U32(PlainHead(ReadBytes(path)), 56), packs);
}

}  // namespace
