// One log object written from several threads at once, and writers that go
// on while a flush writes to the disk.
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "logfile/testing/log_files.h"

using namespace logfile_testing;

namespace {

class LogThreads : public LogFolderTest {
 protected:
  // Several threads write records and packs and flush, the records held
  // (`hold` above 0) or not.
  void WriteConcurrently(int hold);
};

// A log whose writes to the disk stop at a gate while it is closed, and fail
// while told to.
class GatedLog : public TestLog {
 public:
  void CloseGate() { SetGate(false); }
  void OpenGate() { SetGate(true); }
  void FailWrites(bool fail) {
    std::lock_guard lock(mutex_);
    failing_ = fail;
  }
  // Returns once a write stands at the closed gate.
  void AwaitWriteAtGate() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_ > 0; });
  }

 protected:
  bool WriteAt(logfile::LogFileHandle& file, std::uint64_t offset, const void* data, std::size_t size) override {
    {
      std::unique_lock lock(mutex_);
      ++waiting_;
      changed_.notify_all();
      changed_.wait(lock, [this] { return open_; });
      --waiting_;
      if (failing_) return false;
    }
    return TestLog::WriteAt(file, offset, data, size);
  }

 private:
  void SetGate(bool open) {
    std::lock_guard lock(mutex_);
    open_ = open;
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = true;
  bool failing_ = false;
  int waiting_ = 0;
};

void LogThreads::WriteConcurrently(int hold) {
  constexpr int kThreads = 4;
  constexpr int kRecordsEach = 300;
  TestLog log;
  OpenWriter(log);
  ASSERT_EQ(log.HoldWrites(hold), 1);
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
  std::filesystem::remove(path);
}

// Far beyond any wait the test expects: only a writer stuck behind the disk
// write takes this long.
constexpr auto kStuck = std::chrono::seconds(60);

TEST_F(LogThreads, WritersGoOnWhileAFlushWritesToTheDisk) {
  GatedLog log;
  OpenWriter(log);
  const std::string path = log.GetFileName();
  ASSERT_EQ(log.FlushSaveFileHead(), 1);
  ASSERT_EQ(log.HoldWrites(1 << 20), 1);
  ASSERT_EQ(log.WriteLog(0, "flushed"), 1);

  log.CloseGate();
  std::thread flusher([&log] { log.FlushSaveFileHead(); });
  log.AwaitWriteAtGate();
  // The flush stands at the disk: records and their head saves go on.
  std::future<void> writer = std::async(std::launch::async, [&log] {
    for (int i = 0; i < 100; ++i) EXPECT_EQ(log.WriteLog(0, "meanwhile %d", i), 1);
  });
  const bool wroteMeanwhile = writer.wait_for(kStuck) == std::future_status::ready;
  // Read meanwhile, the file holds what its head on disk counts.
  EXPECT_EQ(TextsReadBack(path), std::vector<std::string>{"启动日志。"});
  log.OpenGate();
  flusher.join();
  writer.get();
  ASSERT_TRUE(wroteMeanwhile) << "a writer waited for the flush's disk write";

  EXPECT_EQ(TextsReadBack(path), (std::vector<std::string>{"启动日志。", "flushed"}));
  ASSERT_EQ(log.FlushSaveFileHead(), 1);
  const std::vector<std::string> texts = TextsReadBack(path);
  ASSERT_EQ(texts.size(), 102u);
  EXPECT_EQ(texts.back(), "meanwhile 99");
  EXPECT_EQ(U32(PlainHead(ReadBytes(path)), 52), 102u);
}

TEST_F(LogThreads, AFailedFlushForgetsItsRecordsAndThoseHeldBehindThem) {
  GatedLog log;
  OpenWriter(log);
  const std::string path = log.GetFileName();
  ASSERT_EQ(log.HoldWrites(1 << 20), 1);
  ASSERT_EQ(log.FlushSaveFileHead(), 1);
  const st_LogHead before = log.Head();

  ASSERT_EQ(log.WriteLog(0, "lost with the flush"), 1);
  log.CloseGate();
  log.FailWrites(true);
  std::thread flusher([&log] { log.FlushSaveFileHead(); });
  log.AwaitWriteAtGate();
  // Placed after the records that are about to fail.
  ASSERT_EQ(log.WriteLog(0, "lost behind it"), 1);
  log.OpenGate();
  flusher.join();

  EXPECT_EQ(log.Head().writePosition, before.writePosition);
  EXPECT_EQ(log.Head().recordCount, before.recordCount);
  log.FailWrites(false);
  ASSERT_EQ(log.WriteLog(0, "after"), 1);
  ASSERT_EQ(log.FlushSaveFileHead(), 1);
  EXPECT_EQ(TextsReadBack(path), (std::vector<std::string>{"启动日志。", "after"}));
}

// Flushes of several threads reach the disk in the order they took their
// records, also while held records go out on their own past the limit.
TEST_F(LogThreads, ConcurrentWritersLoseNoRecord) {
  for (const int hold : {0, 4096}) {
    SCOPED_TRACE(hold);
    WriteConcurrently(hold);
  }
}

}  // namespace
