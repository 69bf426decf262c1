#include "record_file.h"

#include <fstream>
#include <iterator>

#include "platform/gbk.h"

namespace simbackend {
namespace {

constexpr char kSeparator = '|';

constexpr bool IsGbkTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

bool IsBlank(char byte) { return byte == ' ' || byte == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Splits one line into its "|"-closed fields; an empty text on success,
// else what is wrong with the line.
std::string SplitLine(std::string_view line, std::vector<std::string>& fields) {
  std::string field;
  for (std::size_t at = 0; at < line.size(); ++at) {
    const auto byte = static_cast<unsigned char>(line[at]);
    if (platform::IsGbkLeadByte(byte)) {
      if (at + 1 >= line.size() || !IsGbkTrailByte(static_cast<unsigned char>(line[at + 1])))
        return "broken GBK character";
      field.append(line.substr(at, 2));
      ++at;
    } else if (byte == kSeparator) {
      // Blanks around a value only line the columns up.
      fields.emplace_back(TrimBlanks(field));
      field.clear();
    } else if (byte < 0x20 && byte != '\t') {
      return "control byte " + std::to_string(byte) + " in the text";
    } else {
      field.push_back(static_cast<char>(byte));
    }
  }
  if (!TrimBlanks(field).empty()) return "the last field is not closed by '|'";
  return {};
}

}  // namespace

std::string LineError(std::string_view name, std::size_t line, std::string_view problem) {
  return std::string(name) + ", line " + std::to_string(line) + ": " + std::string(problem);
}

std::string Printable(std::string_view text) {
  std::string shown;
  for (const char byte : text) shown.push_back(byte >= 0x20 && byte < 0x7F ? byte : '?');
  return shown;
}

bool ParseRecords(std::string_view name, std::string_view text, std::vector<DataRecord>& records, std::string& error) {
  std::vector<DataRecord> parsed;
  for (std::size_t number = 1; !text.empty(); ++number) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxDataLineLength) {
      error = LineError(name, number, "longer than " + std::to_string(kMaxDataLineLength) + " bytes");
      return false;
    }
    const std::string_view content = TrimBlanks(line);
    if (content.empty() || content.front() == '#') continue;
    std::vector<std::string> fields;
    if (const std::string problem = SplitLine(content, fields); !problem.empty()) {
      error = LineError(name, number, problem);
      return false;
    }
    DataRecord& record = parsed.emplace_back();
    record.line = number;
    record.key = std::move(fields.front());
    record.values.assign(std::make_move_iterator(fields.begin() + 1), std::make_move_iterator(fields.end()));
  }
  records = std::move(parsed);
  return true;
}

bool ReadRecordFile(const std::string& path, std::vector<DataRecord>& records, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = path + ": cannot be opened";
    return false;
  }
  std::string text;
  char chunk[16384];
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
    text.append(chunk, static_cast<std::size_t>(file.gcount()));
    if (text.size() > kMaxDataFileSize) {
      error = path + ": larger than " + std::to_string(kMaxDataFileSize) + " bytes";
      return false;
    }
  }
  if (file.bad()) {
    error = path + ": cannot be read";
    return false;
  }
  return ParseRecords(path, text, records, error);
}

}  // namespace simbackend
