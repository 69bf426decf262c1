// What the tests of the log library and of its users share: a log with its
// protected operations opened, a fixture with a program folder and a clock
// of its own, and a reading of the file format independent of the library.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logfile/log.h"
#include "platform/clock.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/temporary_folder.h"

namespace logfile_testing {

inline constexpr std::uint32_t kHeadSize = 560;
inline constexpr std::uint32_t kStartRecordSize = 32;  // "启动日志。" is 10 bytes

// A calendar time with its day of the week.
platform::LocalTime At(int year, int month, int day, int hour = 10, int minute = 0, int second = 0);

class TestLog : public CLog {
 public:
  using CLog::CheckFileName;
  using CLog::GetFullPath;
  using CLog::ReadFileHead;
  using CLog::SaveFileHead;
  using CLog::SetRollOverSize;

  st_LogHead Head() const;
};

// A program folder of its own, the clock at 5 March 2026 10:00:00 and
// every message kept.
class LogFolderTest : public testing::Test {
 protected:
  LogFolderTest();
  ~LogFolderTest() override;

  // Sets the calendar and brings the library's cached clock to it at once.
  void SetNow(platform::LocalTime now, std::uint32_t tick = 1000000);
  // The tick counter moves on, the calendar with it.
  void Advance(platform::LocalTime now, std::uint32_t milliseconds);

  std::string LogFolder() const { return folder_ + "/Log/"; }
  std::string PathOf(const std::string& name) const { return LogFolder() + name; }

  // A writer of "Q_<date>.wqz" files in the Log folder.
  void OpenWriter(TestLog& log, unsigned dateMode = 7, int days = 30);

  void Touch(const std::string& name);

  platform_testing::ScopedProgramFolder programFolder_{"logfile-test"};
  const std::string folder_ = programFolder_.Path();
  std::vector<std::string> messages_;
  platform::FakeClock clock_{At(2026, 3, 5), 1000000};
  std::uint32_t tick_ = 1000000;
};

// --- The file format, read independently of the library

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

std::uint32_t U16(const std::vector<std::uint8_t>& bytes, std::size_t at);
std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t at);
void PutU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value);
void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value);

inline constexpr std::string_view kHeadKeyMask = "pelmarost";

// The file key kept in a scrambled head.
std::string KeyOf(const std::vector<std::uint8_t>& file);

void Xor(std::uint8_t* bytes, std::size_t size, const std::string& key);

// The head of a file in plain bytes (key field in plain).
std::vector<std::uint8_t> PlainHead(const std::vector<std::uint8_t>& file);

// Puts a plain head back into the file, scrambled.
void StorePlainHead(std::vector<std::uint8_t>& file, std::vector<std::uint8_t> head);

struct RawRecord {
  std::uint32_t length;  // the length field
  std::uint32_t type;
  std::string time;
  std::string data;
};

// The record at `offset`, unscrambled.
RawRecord RecordAt(const std::vector<std::uint8_t>& file, std::size_t offset);

// Every record from the first up to the write position kept in the head.
std::vector<RawRecord> RecordsOf(const std::vector<std::uint8_t>& file);

// The texts of every record a CLog reads back from the file, in order.
std::vector<std::string> TextsReadBack(const std::string& path);

}  // namespace logfile_testing
