#include "ini_text.h"

#include <cstddef>
#include <string>

#include "platform/gbk.h"

namespace platform::ini_text {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }
constexpr bool IsLeadByte(char c) { return IsGbkLeadByte(static_cast<unsigned char>(c)); }
constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A byte of 0x41..0x5A or 0x61..0x7A may be the second half of a GBK
// character, where folding its case would make another character.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsLeadByte(a[i])) {
      if (a.substr(i, 2) != b.substr(i, 2)) return false;
      ++i;
    } else if (LowerAscii(a[i]) != LowerAscii(b[i])) {
      return false;
    }
  }
  return true;
}

// "]" (0x5D) may be the second half of a GBK character.
std::size_t FindClosingBracket(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ']') return i;
    if (IsLeadByte(text[i])) ++i;
  }
  return kNone;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Offsets into the text: [begin, contentEnd) is the line without its line
// ending, [begin, end) the line with it.
struct Line {
  std::size_t begin;
  std::size_t contentEnd;
  std::size_t end;
};

Line LineAt(std::string_view text, std::size_t begin) {
  const std::size_t newline = text.find('\n', begin);
  if (newline == kNone) return {begin, text.size(), text.size()};
  const std::size_t contentEnd = newline > begin && text[newline - 1] == '\r' ? newline - 1 : newline;
  return {begin, contentEnd, newline + 1};
}

enum class LineKind { kOther, kHeader, kKey };

struct ParsedLine {
  Line line{};
  LineKind kind = LineKind::kOther;
  std::string_view name;  // of the section or the key
  // The trimmed value of a key line, as offsets into the text.
  std::size_t valueBegin = 0;
  std::size_t valueEnd = 0;
};

ParsedLine Parse(std::string_view text, const Line& line) {
  ParsedLine parsed;
  parsed.line = line;
  const std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
  const std::size_t first = content.find_first_not_of(" \t");
  if (first == kNone || content[first] == ';') return parsed;
  if (content[first] == '[') {
    const std::string_view inside = content.substr(first + 1);
    const std::size_t close = FindClosingBracket(inside);
    if (close != kNone) {
      parsed.kind = LineKind::kHeader;
      parsed.name = Trim(inside.substr(0, close));
    }
    return parsed;
  }
  const std::size_t equals = content.find('=');  // 0x3D is never half a GBK character
  if (equals == kNone) return parsed;
  parsed.name = Trim(content.substr(0, equals));
  if (parsed.name.empty()) return parsed;
  parsed.kind = LineKind::kKey;
  parsed.valueBegin = line.begin + equals + 1;
  parsed.valueEnd = line.contentEnd;
  while (parsed.valueBegin < parsed.valueEnd && IsBlank(text[parsed.valueBegin])) ++parsed.valueBegin;
  while (parsed.valueEnd > parsed.valueBegin && IsBlank(text[parsed.valueEnd - 1])) --parsed.valueEnd;
  return parsed;
}

// Where a section and one of its keys lie in the text.
struct SectionPlace {
  std::size_t headerBegin = kNone;  // kNone: no such section
  std::size_t bodyEnd = 0;          // the next header's line, or the end of the text
  std::size_t lastKeyEnd = 0;       // after the section's last key line, or after its header
  std::optional<ParsedLine> key;
};

SectionPlace Locate(std::string_view text, std::string_view section, std::string_view key) {
  SectionPlace place;
  for (std::size_t position = 0; position < text.size();) {
    const ParsedLine parsed = Parse(text, LineAt(text, position));
    position = parsed.line.end;
    const bool inside = place.headerBegin != kNone;
    if (parsed.kind == LineKind::kHeader) {
      if (inside) {
        place.bodyEnd = parsed.line.begin;
        return place;
      }
      if (SameName(parsed.name, section)) {
        place.headerBegin = parsed.line.begin;
        place.lastKeyEnd = parsed.line.end;
      }
    } else if (inside && parsed.kind == LineKind::kKey) {
      place.lastKeyEnd = parsed.line.end;
      if (!place.key && SameName(parsed.name, key)) place.key = parsed;
    }
  }
  place.bodyEnd = text.size();
  return place;
}

// New lines end as the text's first line does.
std::string_view LineEnding(std::string_view text) {
  const std::size_t newline = text.find('\n');
  return newline != kNone && newline > 0 && text[newline - 1] == '\r' ? "\r\n" : "\n";
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != kNone; }

bool IsWritableName(std::string_view name) {
  return !name.empty() && !IsBlank(name.front()) && !IsBlank(name.back()) && !HasLineBreak(name);
}

// The header written for the section must close at its own "]": no "]" in
// the name, and no lone GBK lead byte at its end that would take that "]"
// as its second half.
bool IsWritableSection(std::string_view section) {
  return IsWritableName(section) && FindClosingBracket(std::string(section) + "]") == section.size();
}

bool IsWritableKey(std::string_view key) {
  return IsWritableName(key) && key.find('=') == kNone && key.front() != ';' && key.front() != '[';
}

}  // namespace

std::optional<std::string_view> FindValue(std::string_view text, std::string_view section, std::string_view key) {
  const SectionPlace place = Locate(text, section, key);
  if (!place.key) return std::nullopt;
  return text.substr(place.key->valueBegin, place.key->valueEnd - place.key->valueBegin);
}

std::optional<std::string> WithValue(std::string_view text, std::string_view section, std::string_view key,
                                     std::optional<std::string_view> value) {
  if (!IsWritableSection(section) || !IsWritableKey(key) || (value && HasLineBreak(*value))) return std::nullopt;
  const SectionPlace place = Locate(text, section, key);
  std::string edited(text);
  if (place.key) {
    const ParsedLine& line = *place.key;
    if (value) {
      edited.replace(line.valueBegin, line.valueEnd - line.valueBegin, *value);
    } else {
      edited.erase(line.line.begin, line.line.end - line.line.begin);
    }
    return edited;
  }
  if (!value) return edited;

  const std::string_view ending = LineEnding(text);
  std::string keyLine;
  keyLine.append(key).append("=").append(*value).append(ending);
  if (place.headerBegin != kNone) {
    // The last line of a text need not end in a line break.
    if (text[place.lastKeyEnd - 1] != '\n') keyLine.insert(0, ending);
    edited.insert(place.lastKeyEnd, keyLine);
    return edited;
  }
  if (!text.empty() && text.back() != '\n') edited.append(ending);
  edited.append("[").append(section).append("]").append(ending).append(keyLine);
  return edited;
}

std::string WithoutSection(std::string_view text, std::string_view section) {
  const SectionPlace place = Locate(text, section, {});
  std::string edited(text);
  if (place.headerBegin != kNone) edited.erase(place.headerBegin, place.bodyEnd - place.headerBegin);
  return edited;
}

}  // namespace platform::ini_text
