// The record files of the data folder: GBK text, one record a line, a key
// and its values each closed by "|". Splitting follows GBK characters, so a
// second byte 0x7C inside a name never splits a field. Blanks and tabs
// around a value are not part of it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace simbackend {

struct DataRecord {
  std::size_t line = 0;             // 1-based line number in its file
  std::string key;                  // the first field
  std::vector<std::string> values;  // the fields after the key
};

// Room for an account's day of a few hundred thousand orders and trades.
inline constexpr std::size_t kMaxDataFileSize = std::size_t{32} << 20;
inline constexpr std::size_t kMaxDataLineLength = 4096;

// The records of `text`, comments and blank lines left out. False with the
// line and the fault in `error` (prefixed by `name`) when a line is too long,
// holds a control byte or a broken GBK character, or does not end with "|".
bool ParseRecords(std::string_view name, std::string_view text, std::vector<DataRecord>& records, std::string& error);

// Reads the whole file (at most kMaxDataFileSize bytes) and parses it.
bool ReadRecordFile(const std::string& path, std::vector<DataRecord>& records, std::string& error);

// "<name>, line <n>: <problem>"
std::string LineError(std::string_view name, std::size_t line, std::string_view problem);

// The text with every byte outside printable ASCII shown as "?", for messages
// that quote a file's bytes on a console of unknown encoding.
std::string Printable(std::string_view text);

}  // namespace simbackend
