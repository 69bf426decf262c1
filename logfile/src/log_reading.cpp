// CLog: reading a log file back record by record.
#include <cstring>
#include <vector>

#include "log_file_handle.h"
#include "log_format.h"
#include "log_scope.h"
#include "logfile/log.h"

using namespace logfile;

namespace {

constexpr int kPackType = 1;
constexpr std::uint16_t kMaxRecordLength = kRecordFixedLength + kMaxRecordData + kPackNameSize;

// Moves the name field of a pack record's data to `name` and the rest to
// `data`, each followed by a zero byte; the length of the rest, or -1 when
// the data is too short to hold the name field.
int SplitPack(const char* record, int size, char* name, char* data) {
  if (size < kPackNameSize) return -1;
  std::memcpy(name, record, kPackNameSize);
  name[kPackNameSize] = '\0';
  const int rest = size - kPackNameSize;
  std::memmove(data, record + kPackNameSize, static_cast<std::size_t>(rest));
  data[rest] = '\0';
  return rest;
}

}  // namespace

bool CLog::ReadRecordLength(std::uint64_t offset, std::uint16_t& length) const {
  std::uint8_t field[2];
  if (offset + sizeof field > head_.writePosition || !file_->ReadAt(offset, field, sizeof field)) return false;
  length = LoadU16(field);
  return length >= kRecordFixedLength && length <= kMaxRecordLength &&
         offset + sizeof field + length <= head_.writePosition;
}

bool CLog::ReadRecord(std::uint64_t offset, std::uint16_t length, short& type, char* timeText, char* data) const {
  std::vector<std::uint8_t> record(length);
  if (!file_->ReadAt(offset + kRecordType, record.data(), record.size())) return false;
  Crypt(record.data(), length);
  const short recordType = static_cast<short>(LoadU16(&record[0]));
  const int dataLength = length - static_cast<int>(kRecordFixedLength);
  if (dataLength > kMaxRecordData + (IsPackRecordType(recordType) ? kPackNameSize : 0)) return false;
  constexpr std::size_t kTimeOffset = kRecordTime - kRecordType;
  std::memcpy(timeText, &record[kTimeOffset], kTimeTextSize - 1);
  timeText[kTimeTextSize - 1] = '\0';
  std::memcpy(data, &record[kRecordFixedLength], static_cast<std::size_t>(dataLength));
  data[dataLength] = '\0';
  type = recordType;
  return true;
}

int CLog::GetNextLog(std::uint32_t& position, short& type, char* timeText, char* data, short& dataLength) {
  Scope scope(*this);
  if (!file_ || !timeText || !data) return 0;
  const std::uint64_t offset = std::uint64_t{head_.firstRecord} + position;
  std::uint16_t length = 0;
  if (!ReadRecordLength(offset, length) || !ReadRecord(offset, length, type, timeText, data)) return 0;
  dataLength = static_cast<short>(length - kRecordFixedLength);
  position += static_cast<std::uint32_t>(kRecordType + length);
  return 1;
}

int CLog::GetNextPack(std::uint32_t& position, char* name, char* timeText, char* data, short& dataLength) {
  Scope scope(*this);
  if (!name || !data) return 0;
  std::uint32_t next = position;
  short type = 0;
  short length = 0;
  std::vector<char> record(kReadBufferSize);
  do {
    if (!GetNextLog(next, type, timeText, record.data(), length)) return 0;
  } while (type != kPackType);
  const int rest = SplitPack(record.data(), length, name, data);
  if (rest < 0) return 0;
  dataLength = static_cast<short>(rest);
  position = next;
  return 1;
}

int CLog::GetLog(std::uint32_t ordinal, short& type, char* timeText, char* name, char* data, short& dataLength) {
  Scope scope(*this);
  if (!file_ || !timeText || !name || !data) return 0;
  std::uint64_t offset = head_.firstRecord;
  std::uint16_t length = 0;
  for (std::uint32_t index = 0;; ++index) {
    if (!ReadRecordLength(offset, length)) return 0;
    if (index == ordinal) break;
    offset += kRecordType + length;
  }
  short recordType = 0;
  std::vector<char> record(kReadBufferSize);
  if (!ReadRecord(offset, length, recordType, timeText, record.data())) return 0;
  int size = length - static_cast<int>(kRecordFixedLength);
  if (IsPackRecordType(recordType)) {
    size = SplitPack(record.data(), size, name, data);
    if (size < 0) return 0;
  } else {
    name[0] = '\0';
    std::memcpy(data, record.data(), static_cast<std::size_t>(size) + 1);
  }
  type = recordType;
  dataLength = static_cast<short>(size);
  return 1;
}

int CLog::GetFileInfo(st_LogHead& head) const {
  Scope scope(*this);
  head = head_;
  return 1;
}
