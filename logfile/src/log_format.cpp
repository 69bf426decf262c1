#include "log_format.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace logfile {
namespace {

constexpr std::string_view kHeadKeyMask = "pelmarost";

void CopyText(std::uint8_t* to, const char* from, std::size_t size) { std::memcpy(to, from, size); }
void CopyText(char* to, const std::uint8_t* from, std::size_t size) { std::memcpy(to, from, size); }

}  // namespace

std::uint16_t LoadU16(const std::uint8_t* bytes) { return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8)); }

std::uint32_t LoadU32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

void StoreU16(std::uint8_t* bytes, std::uint16_t value) {
  bytes[0] = static_cast<std::uint8_t>(value);
  bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

void StoreU32(std::uint8_t* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

HeadBytes EncodeHead(const st_LogHead& head) {
  HeadBytes bytes{};
  StoreU16(&bytes[kHeadVersion], head.version);
  StoreU16(&bytes[kHeadAppCount], head.appCount);
  CopyText(&bytes[kHeadCompany], head.company, kHeadTextSize);
  CopyText(&bytes[kHeadTitle], head.title, kHeadTextSize);
  CopyText(&bytes[kHeadKey], head.key, kHeadTextSize);
  StoreU32(&bytes[kHeadFirstRecord], head.firstRecord);
  StoreU32(&bytes[kHeadWritePosition], head.writePosition);
  StoreU32(&bytes[kHeadFileSize], head.fileSize);
  StoreU32(&bytes[kHeadRecordCount], head.recordCount);
  StoreU32(&bytes[kHeadPackCount], head.packCount);
  for (int i = 0; i < kMaxApplications; ++i) {
    std::uint8_t* entry = &bytes[kHeadAppTable + i * kAppEntrySize];
    StoreU16(entry + kAppId, head.apps[i].id);
    CopyText(entry + kAppName, head.apps[i].name, kAppNameSize);
    StoreU16(entry + kAppEnabled, head.apps[i].enabled);
  }
  return bytes;
}

st_LogHead DecodeHead(const HeadBytes& bytes) {
  st_LogHead head{};
  head.version = LoadU16(&bytes[kHeadVersion]);
  head.appCount = LoadU16(&bytes[kHeadAppCount]);
  CopyText(head.company, &bytes[kHeadCompany], kHeadTextSize);
  CopyText(head.title, &bytes[kHeadTitle], kHeadTextSize);
  CopyText(head.key, &bytes[kHeadKey], kHeadTextSize);
  head.firstRecord = LoadU32(&bytes[kHeadFirstRecord]);
  head.writePosition = LoadU32(&bytes[kHeadWritePosition]);
  head.fileSize = LoadU32(&bytes[kHeadFileSize]);
  head.recordCount = LoadU32(&bytes[kHeadRecordCount]);
  head.packCount = LoadU32(&bytes[kHeadPackCount]);
  for (int i = 0; i < kMaxApplications; ++i) {
    const std::uint8_t* entry = &bytes[kHeadAppTable + i * kAppEntrySize];
    head.apps[i].id = LoadU16(entry + kAppId);
    CopyText(head.apps[i].name, entry + kAppName, kAppNameSize);
    head.apps[i].enabled = LoadU16(entry + kAppEnabled);
  }
  return head;
}

std::string_view KeyText(const st_LogHead& head) {
  return std::string_view(head.key, ::strnlen(head.key, kHeadTextSize));
}

void XorWithKey(std::uint8_t* data, std::size_t size, std::string_view key) { KeyRun(key).Apply(data, size); }

KeyRun::KeyRun(std::string_view key) : key_(key) {
  if (key.empty()) return;
  run_ = key.size() * (pattern_.size() / key.size());
  if (run_ == 0) return;
  // The key, then what is filled copied behind itself: whole keys each time.
  std::memcpy(pattern_.data(), key.data(), key.size());
  for (std::size_t filled = key.size(); filled < run_; filled *= 2)
    std::memcpy(pattern_.data() + filled, pattern_.data(), std::min(filled, run_ - filled));
}

void KeyRun::Apply(std::uint8_t* data, std::size_t size) const {
  if (key_.empty()) return;
  if (run_ == 0) {
    for (std::size_t i = 0; i < size; ++i) data[i] ^= static_cast<std::uint8_t>(key_[i % key_.size()]);
    return;
  }
  // A loop over a fixed run of whole keys vectorises.
  for (std::size_t done = 0; done < size; done += run_) {
    const std::size_t count = std::min(run_, size - done);
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= count; i += sizeof(std::uint64_t)) {
      std::uint64_t word;
      std::uint64_t mask;
      std::memcpy(&word, data + done + i, sizeof word);
      std::memcpy(&mask, pattern_.data() + i, sizeof mask);
      word ^= mask;
      std::memcpy(data + done + i, &word, sizeof word);
    }
    for (; i < count; ++i) data[done + i] ^= pattern_[i];
  }
}

void ScrambleHead(HeadBytes& bytes, std::string_view key) {
  std::uint8_t keyField[kHeadTextSize] = {};
  std::copy(key.begin(), key.end(), keyField);
  XorWithKey(keyField, kHeadTextSize, kHeadKeyMask);
  XorWithKey(bytes.data(), bytes.size(), key);
  std::copy(std::begin(keyField), std::end(keyField), &bytes[kHeadKey]);
}

void UnscrambleHead(HeadBytes& bytes) {
  std::uint8_t keyField[kHeadTextSize];
  std::copy_n(&bytes[kHeadKey], kHeadTextSize, keyField);
  XorWithKey(keyField, kHeadTextSize, kHeadKeyMask);
  const char* keyText = reinterpret_cast<const char*>(keyField);
  XorWithKey(bytes.data(), bytes.size(), std::string_view(keyText, ::strnlen(keyText, kHeadTextSize)));
  std::copy(std::begin(keyField), std::end(keyField), &bytes[kHeadKey]);
}

void FormatTimeStamp(char (&stamp)[kTimeTextSize], int month, int day, int hour, int minute, int second,
                     int millisecond) {
  const auto twoDigits = [](int value) { return value >= 0 && value < 100; };
  if (!twoDigits(month) || !twoDigits(day) || !twoDigits(hour) || !twoDigits(minute) || !twoDigits(second) ||
      millisecond < 0 || millisecond >= 1000) {
    std::snprintf(stamp, sizeof stamp, "%02d%02d %02d:%02d:%02d.%03d", month, day, hour, minute, second, millisecond);
    return;
  }
  // Every record is stamped: the common case without printf.
  char* at = stamp;
  const auto put = [&at](int value, int digits) {
    for (int divisor = digits == 3 ? 100 : 10; divisor > 0; divisor /= 10)
      *at++ = static_cast<char>('0' + value / divisor % 10);
  };
  put(month, 2);
  put(day, 2);
  *at++ = ' ';
  put(hour, 2);
  *at++ = ':';
  put(minute, 2);
  *at++ = ':';
  put(second, 2);
  *at++ = '.';
  put(millisecond, 3);
  *at = '\0';
}

}  // namespace logfile
