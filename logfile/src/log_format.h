// The on-disk layout of log files: the 560-byte head, its 25-byte
// application entries and the 22-byte record head, read and written
// byte by byte in little-endian order, and the scrambling of both.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "logfile/log_head.h"

namespace logfile {

// Head fields.
inline constexpr std::size_t kHeadVersion = 0;
inline constexpr std::size_t kHeadAppCount = 2;
inline constexpr std::size_t kHeadCompany = 4;
inline constexpr std::size_t kHeadTitle = 16;
inline constexpr std::size_t kHeadKey = 28;
inline constexpr std::size_t kHeadFirstRecord = 40;
inline constexpr std::size_t kHeadWritePosition = 44;
inline constexpr std::size_t kHeadFileSize = 48;
inline constexpr std::size_t kHeadRecordCount = 52;
inline constexpr std::size_t kHeadPackCount = 56;
inline constexpr std::size_t kHeadAppTable = 60;
inline constexpr std::size_t kHeadSize = 560;

// Application entry fields.
inline constexpr std::size_t kAppId = 0;
inline constexpr std::size_t kAppName = 2;
inline constexpr std::size_t kAppEnabled = 23;
inline constexpr std::size_t kAppEntrySize = 25;

// Record fields; the length counts the bytes after its own field.
inline constexpr std::size_t kRecordLength = 0;
inline constexpr std::size_t kRecordType = 2;
inline constexpr std::size_t kRecordTime = 4;
inline constexpr std::size_t kRecordHeadSize = 22;
inline constexpr std::size_t kRecordFixedLength = kRecordHeadSize - kRecordType;

static_assert(kHeadTitle == kHeadCompany + kHeadTextSize && kHeadKey == kHeadTitle + kHeadTextSize &&
              kHeadFirstRecord == kHeadKey + kHeadTextSize);
static_assert(kHeadAppTable == kHeadPackCount + 4);
static_assert(kAppEnabled == kAppName + kAppNameSize && kAppEntrySize == kAppEnabled + 2);
static_assert(kHeadAppTable + kMaxApplications * kAppEntrySize == kHeadSize);
static_assert(kRecordHeadSize == kRecordTime + kTimeTextSize && kRecordFixedLength == 20);

inline constexpr std::uint16_t kHeadVersionValue = 100;
inline constexpr std::uint32_t kFirstRecordOffset = kHeadSize;
inline constexpr std::uint32_t kFileGrowth = 10240;

using HeadBytes = std::array<std::uint8_t, kHeadSize>;

std::uint16_t LoadU16(const std::uint8_t* bytes);
std::uint32_t LoadU32(const std::uint8_t* bytes);
void StoreU16(std::uint8_t* bytes, std::uint16_t value);
void StoreU32(std::uint8_t* bytes, std::uint32_t value);

HeadBytes EncodeHead(const st_LogHead& head);
st_LogHead DecodeHead(const HeadBytes& bytes);

// The key text of a head: up to its zero byte, at most 12 bytes.
std::string_view KeyText(const st_LogHead& head);

// byte i ^= key[i mod key length]; an empty key changes nothing.
void XorWithKey(std::uint8_t* data, std::size_t size, std::string_view key);

// The key repeated into a run of whole keys, made once for the many records
// that one key scrambles, which the data then takes run by run.
class KeyRun {
 public:
  explicit KeyRun(std::string_view key);
  std::string_view Key() const { return key_; }
  // XorWithKey with the key of the run.
  void Apply(std::uint8_t* data, std::size_t size) const;

 private:
  std::string key_;
  std::array<std::uint8_t, 16 * kHeadTextSize> pattern_{};
  std::size_t run_ = 0;  // whole keys; 0 for an empty key or one longer than the pattern
};

// On disk the head is XORed with the file key, and its key field holds the
// key XORed with a fixed text instead.
void ScrambleHead(HeadBytes& bytes, std::string_view key);
void UnscrambleHead(HeadBytes& bytes);

// "MMDD hh:mm:ss.mmm" in an 18-byte field.
void FormatTimeStamp(char (&stamp)[kTimeTextSize], int month, int day, int hour, int minute, int second,
                     int millisecond);

}  // namespace logfile
