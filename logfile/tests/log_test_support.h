// Shared by the log library's tests: a temporary program folder, a fake
// clock, captured messages, a CLog that opens its protected operations, and
// an independent reading of the on-disk format.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "logfile/bn_time.h"
#include "logfile/log.h"
#include "platform/files.h"
#include "platform/message.h"
#include "platform/testing/fake_clock.h"

namespace logtest {

inline constexpr std::uint32_t kHeadSize = 560;
inline constexpr std::uint32_t kStartRecordSize = 32;  // "启动日志。" is 10 bytes

// A calendar time with its day of the week.
inline platform::LocalTime At(int year, int month, int day, int hour = 10, int minute = 0, int second = 0) {
  return platform::LocalTime{year, month, day, platform::DayOfWeek({year, month, day}), hour, minute, second, 0};
}

class TestLog : public CLog {
 public:
  using CLog::CheckFileName;
  using CLog::GetFullPath;
  using CLog::ReadFileHead;
  using CLog::SaveFileHead;
  using CLog::SetRollOverSize;

  st_LogHead Head() const {
    st_LogHead head{};
    GetFileInfo(head);
    return head;
  }
};

// A program folder of its own, the clock at 5 March 2026 10:00:00 and
// every message kept.
class LogFolderTest : public testing::Test {
 protected:
  LogFolderTest() {
    std::string pattern = (std::filesystem::temp_directory_path() / "logfile-test-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data());
    platform::SetProgramFolder(folder_);
    platform::SetMessageHandler([this](std::string_view text, std::string_view) { messages_.emplace_back(text); });
    SetNow(At(2026, 3, 5));
  }
  ~LogFolderTest() override {
    platform::SetMessageHandler({});
    platform::SetProgramFolder({});
    std::filesystem::remove_all(folder_);
  }

  // Sets the calendar and brings the library's cached clock to it at once.
  void SetNow(platform::LocalTime now, std::uint32_t tick = 1000000) {
    tick_ = tick;
    clock_.Set(now, tick);
    GetBNTime().ReflushTime2();
  }
  // The tick counter moves on, the calendar with it.
  void Advance(platform::LocalTime now, std::uint32_t milliseconds) {
    tick_ += milliseconds;
    clock_.Set(now, tick_);
  }

  std::string LogFolder() const { return folder_ + "/Log/"; }
  std::string PathOf(const std::string& name) const { return LogFolder() + name; }

  // A writer of "Q_<date>.wqz" files in the Log folder.
  void OpenWriter(TestLog& log, unsigned dateMode = 7, int days = 30) {
    ASSERT_EQ(log.SetFileMode(".\\Log", "Q_", ".wqz", dateMode, days), 1);
    ASSERT_EQ(log.OpenLogFile(""), 1);
  }

  void Touch(const std::string& name) {
    std::filesystem::create_directories(LogFolder());
    std::ofstream(PathOf(name)).flush();
  }

  std::string folder_;
  std::vector<std::string> messages_;
  platform::FakeClock clock_{At(2026, 3, 5), 1000000};
  std::uint32_t tick_ = 1000000;
};

// --- The file format, read independently of the library -------------------

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::uint32_t U16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8);
}
inline std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return U16(bytes, at) | (U16(bytes, at + 2) << 16);
}
inline void PutU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
inline void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  PutU16(bytes, at, value & 0xFFFF);
  PutU16(bytes, at + 2, value >> 16);
}

inline constexpr std::string_view kHeadKeyMask = "pelmarost";

// The file key kept in a scrambled head.
inline std::string KeyOf(const std::vector<std::uint8_t>& file) {
  std::string key;
  for (std::size_t i = 0; i < 12; ++i) key += static_cast<char>(file[28 + i] ^ kHeadKeyMask[i % kHeadKeyMask.size()]);
  return key.substr(0, key.find('\0'));
}

inline void Xor(std::uint8_t* bytes, std::size_t size, const std::string& key) {
  for (std::size_t i = 0; i < size; ++i) bytes[i] ^= static_cast<std::uint8_t>(key[i % key.size()]);
}

// The head of a file in plain bytes (key field in plain).
inline std::vector<std::uint8_t> PlainHead(const std::vector<std::uint8_t>& file) {
  const std::string key = KeyOf(file);
  std::vector<std::uint8_t> head(file.begin(), file.begin() + kHeadSize);
  Xor(head.data(), head.size(), key);
  std::fill(head.begin() + 28, head.begin() + 40, 0);
  std::copy(key.begin(), key.end(), head.begin() + 28);
  return head;
}

// Puts a plain head back into the file, scrambled.
inline void StorePlainHead(std::vector<std::uint8_t>& file, std::vector<std::uint8_t> head) {
  std::string key(reinterpret_cast<const char*>(&head[28]), 12);
  key = key.substr(0, key.find('\0'));
  Xor(head.data(), head.size(), key);
  for (std::size_t i = 0; i < 12; ++i) {
    const std::uint8_t plain = i < key.size() ? static_cast<std::uint8_t>(key[i]) : 0;
    head[28 + i] = plain ^ static_cast<std::uint8_t>(kHeadKeyMask[i % kHeadKeyMask.size()]);
  }
  std::copy(head.begin(), head.end(), file.begin());
}

struct RawRecord {
  std::uint32_t length;  // the length field
  std::uint32_t type;
  std::string time;
  std::string data;
};

// The record at `offset`, unscrambled.
inline RawRecord RecordAt(const std::vector<std::uint8_t>& file, std::size_t offset) {
  RawRecord record;
  record.length = U16(file, offset);
  std::vector<std::uint8_t> body(file.begin() + static_cast<long>(offset) + 2,
                                 file.begin() + static_cast<long>(offset + 2 + record.length));
  Xor(body.data(), body.size(), KeyOf(file));
  record.type = U16(body, 0);
  record.time.assign(reinterpret_cast<const char*>(&body[2]), 17);
  record.data.assign(reinterpret_cast<const char*>(&body[20]), body.size() - 20);
  return record;
}

// Every record from the first up to the write position kept in the head.
inline std::vector<RawRecord> RecordsOf(const std::vector<std::uint8_t>& file) {
  const std::uint32_t end = U32(PlainHead(file), 44);
  std::vector<RawRecord> records;
  for (std::size_t offset = kHeadSize; offset < end; offset += 2 + records.back().length) {
    records.push_back(RecordAt(file, offset));
  }
  return records;
}

// The texts of every record a CLog reads back from the file.
inline std::vector<std::string> TextsReadBack(const std::string& path) {
  CLog reader;
  std::vector<std::string> texts;
  if (!reader.OpenLogFile(path.c_str())) return texts;
  std::uint32_t position = 0;
  short type = 0;
  short length = 0;
  char time[logfile::kTimeTextSize];
  std::vector<char> data(logfile::kReadBufferSize);
  while (reader.GetNextLog(position, type, time, data.data(), length)) texts.emplace_back(data.data(), length);
  return texts;
}

}  // namespace logtest
