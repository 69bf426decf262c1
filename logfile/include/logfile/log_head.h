// The head of a log file as the library holds it in memory, and the limits
// of the file format that callers size their buffers by.
//
// On disk the head is 560 bytes: version, application count, company,
// title and key texts, five 32-bit counters and a table of 20 application
// entries of 25 bytes, all little-endian and scrambled with the file key.
#pragma once

#include <cstdint>

namespace logfile {

inline constexpr int kMaxApplications = 20;
inline constexpr int kAppNameSize = 21;       // 20 characters and a zero byte
inline constexpr int kHeadTextSize = 12;      // company, title and key fields
inline constexpr int kMaxRecordData = 10240;  // data bytes of one record
inline constexpr int kPackNameSize = 50;      // name field leading a pack record's data
inline constexpr int kMaxPackData = 10188;    // caller's bytes of one pack record
inline constexpr int kTimeTextSize = 18;      // "MMDD hh:mm:ss.mmm" and a zero byte

// Buffers for record data read back hold this many bytes: a pack record's
// name field may come on top of the record's data, and a zero byte follows.
inline constexpr int kReadBufferSize = kMaxRecordData + kPackNameSize + 1;
// Buffers for a pack name read back.
inline constexpr int kPackNameBufferSize = kPackNameSize + 1;

// Record types whose data starts with the 50-byte name field.
constexpr bool IsPackRecordType(int type) { return type == 1 || type == 12 || type == 13 || type == 15; }

}  // namespace logfile

struct st_LogAppEntry {
  std::uint16_t id;
  char name[logfile::kAppNameSize];
  std::uint16_t enabled;  // not kept in files: every entry read from disk is enabled

  friend bool operator==(const st_LogAppEntry&, const st_LogAppEntry&) = default;
};

struct st_LogHead {
  std::uint16_t version;  // 100
  std::uint16_t appCount;
  char company[logfile::kHeadTextSize];  // "Brennark"
  char title[logfile::kHeadTextSize];    // "Log file"
  char key[logfile::kHeadTextSize];      // the file key, in plain text
  std::uint32_t firstRecord;             // 560
  std::uint32_t writePosition;           // file offset after the last record
  std::uint32_t fileSize;                // bytes allocated in the file
  std::uint32_t recordCount;
  std::uint32_t packCount;
  st_LogAppEntry apps[logfile::kMaxApplications];

  friend bool operator==(const st_LogHead&, const st_LogHead&) = default;
};
