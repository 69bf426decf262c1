#include "logfile/testing/log_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "logfile/bn_time.h"
#include "platform/files.h"
#include "platform/message.h"

namespace logfile_testing {

platform::LocalTime At(int year, int month, int day, int hour, int minute, int second) {
  return platform::LocalTime{year, month, day, platform::DayOfWeek({year, month, day}), hour, minute, second, 0};
}

st_LogHead TestLog::Head() const {
  st_LogHead head{};
  GetFileInfo(head);
  return head;
}

// --- LogFolderTest

LogFolderTest::LogFolderTest() {
  platform::SetMessageHandler([this](std::string_view text, std::string_view) { messages_.emplace_back(text); });
  SetNow(At(2026, 3, 5));
}

LogFolderTest::~LogFolderTest() { platform::SetMessageHandler({}); }

void LogFolderTest::SetNow(platform::LocalTime now, std::uint32_t tick) {
  tick_ = tick;
  clock_.Set(now, tick);
  GetBNTime().ReflushTime2();
}

void LogFolderTest::Advance(platform::LocalTime now, std::uint32_t milliseconds) {
  tick_ += milliseconds;
  clock_.Set(now, tick_);
}

void LogFolderTest::OpenWriter(TestLog& log, unsigned dateMode, int days) {
  ASSERT_EQ(log.SetFileMode(".\\Log", "Q_", ".wqz", dateMode, days), 1);
  ASSERT_EQ(log.OpenLogFile(""), 1);
}

void LogFolderTest::Touch(const std::string& name) {
  std::filesystem::create_directories(LogFolder());
  std::ofstream(PathOf(name)).flush();
}

// --- The file format

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t U16(const std::vector<std::uint8_t>& bytes, std::size_t at) { return bytes[at] | (bytes[at + 1] << 8); }
std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return U16(bytes, at) | (U16(bytes, at + 2) << 16);
}
void PutU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  PutU16(bytes, at, value & 0xFFFF);
  PutU16(bytes, at + 2, value >> 16);
}

std::string KeyOf(const std::vector<std::uint8_t>& file) {
  std::string key;
  for (std::size_t i = 0; i < 12; ++i) key += static_cast<char>(file[28 + i] ^ kHeadKeyMask[i % kHeadKeyMask.size()]);
  return key.substr(0, key.find('\0'));
}

void Xor(std::uint8_t* bytes, std::size_t size, const std::string& key) {
  for (std::size_t i = 0; i < size; ++i) bytes[i] ^= static_cast<std::uint8_t>(key[i % key.size()]);
}

std::vector<std::uint8_t> PlainHead(const std::vector<std::uint8_t>& file) {
  const std::string key = KeyOf(file);
  std::vector<std::uint8_t> head(file.begin(), file.begin() + kHeadSize);
  Xor(head.data(), head.size(), key);
  std::fill(head.begin() + 28, head.begin() + 40, 0);
  std::copy(key.begin(), key.end(), head.begin() + 28);
  return head;
}

void StorePlainHead(std::vector<std::uint8_t>& file, std::vector<std::uint8_t> head) {
  std::string key(reinterpret_cast<const char*>(&head[28]), 12);
  key = key.substr(0, key.find('\0'));
  Xor(head.data(), head.size(), key);
  for (std::size_t i = 0; i < 12; ++i) {
    const std::uint8_t plain = i < key.size() ? static_cast<std::uint8_t>(key[i]) : 0;
    head[28 + i] = plain ^ static_cast<std::uint8_t>(kHeadKeyMask[i % kHeadKeyMask.size()]);
  }
  std::copy(head.begin(), head.end(), file.begin());
}

RawRecord RecordAt(const std::vector<std::uint8_t>& file, std::size_t offset) {
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

std::vector<RawRecord> RecordsOf(const std::vector<std::uint8_t>& file) {
  const std::uint32_t end = U32(PlainHead(file), 44);
  std::vector<RawRecord> records;
  for (std::size_t offset = kHeadSize; offset < end; offset += 2 + records.back().length) {
    records.push_back(RecordAt(file, offset));
  }
  return records;
}

std::vector<std::string> TextsReadBack(const std::string& path) {
  CLog reader;
  std::vector<std::string> texts;
  if (reader.OpenLogFile(path.c_str()) != 1) return texts;
  std::uint32_t position = 0;
  short type = 0;
  short length = 0;
  char time[logfile::kTimeTextSize];
  std::vector<char> data(logfile::kReadBufferSize);
  while (reader.GetNextLog(position, type, time, data.data(), length) == 1) texts.emplace_back(data.data(), length);
  return texts;
}

}  // namespace logfile_testing
