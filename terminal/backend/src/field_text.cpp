#include "backend/field_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "platform/files.h"
#include "platform/gbk.h"

namespace backend {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Writes the first bytes of `text` that fit `size` - 1 bytes, cut on a
// character boundary, and terminates; returns the count written.
std::size_t CopyFitting(std::string_view text, char* destination, std::size_t size) {
  const std::size_t length = platform::GbkFitLength(text, size - 1);
  if (length > 0) std::memcpy(destination, text.data(), length);
  destination[length] = '\0';
  return length;
}

// The byte position where field n starts, or npos when the text has no
// separator n-1.
std::size_t FieldStart(std::string_view text, char separator, int n) {
  if (n < 1) return std::string_view::npos;
  if (n == 1) return 0;
  const std::ptrdiff_t previous = FindNthSeparator(text, separator, n - 1);
  return previous < 0 ? std::string_view::npos : static_cast<std::size_t>(previous) + 1;
}

// Creates one folder of the path unless it is already there; a plain file in
// its place gives way.
bool EnsureFolder(const std::string& folder) {
  if (platform::IsDirectory(folder)) return true;
  if (platform::IsRegularFile(folder) && !platform::RemoveFile(folder)) return false;
  // A folder made meanwhile by someone else is as good as our own.
  return platform::MakeDirectory(folder) || platform::IsDirectory(folder);
}

}  // namespace

std::ptrdiff_t FindNthSeparator(std::string_view text, char separator, int n) {
  if (n < 1) return -1;
  std::size_t from = 0;
  for (int found = 1;; ++found) {
    const std::size_t position = text.find(separator, from);
    if (position == std::string_view::npos) return -1;
    if (found == n) return static_cast<std::ptrdiff_t>(position);
    from = position + 1;
  }
}

char* GetSeparatedField(int n, std::string_view text, char separator, char* buffer, std::size_t bufferSize) {
  if (buffer == nullptr || bufferSize == 0) return buffer;
  buffer[0] = '\0';
  const std::size_t start = FieldStart(text, separator, n);
  if (start >= text.size()) return buffer;
  const std::size_t end = text.find(separator, start);
  if (end == std::string_view::npos) return buffer;
  return CopyFieldText(text.substr(start, end - start), buffer, bufferSize);
}

char* CopyFieldText(std::string_view field, char* buffer, std::size_t bufferSize) {
  if (buffer == nullptr || bufferSize == 0) return buffer;
  const std::size_t length = CopyFitting(field, buffer, bufferSize);
  std::replace(buffer, buffer + length, kEscapedSeparator, kFieldSeparator);
  return buffer;
}

std::string GetSeparatedFieldText(int n, std::string_view text, char separator) {
  const std::size_t start = FieldStart(text, separator, n);
  if (start >= text.size()) return {};
  const std::size_t end = text.find(separator, start);
  if (end == std::string_view::npos) return {};
  std::string field(text.substr(start, end - start));
  std::replace(field.begin(), field.end(), kEscapedSeparator, kFieldSeparator);
  return field;
}

bool InsertSeparatedField(int n, char* text, std::size_t bufferSize, std::string_view insert) {
  if (text == nullptr) return false;
  const std::size_t length = strnlen(text, bufferSize);
  if (length == bufferSize) return false;  // not terminated inside its buffer
  const std::size_t start = FieldStart(std::string_view(text, length), kFieldSeparator, n);
  if (start == std::string_view::npos) return false;
  if (insert.empty()) return true;
  if (insert.size() >= bufferSize - length) return false;
  std::memmove(text + start + insert.size(), text + start, length - start + 1);
  std::memcpy(text + start, insert.data(), insert.size());
  return true;
}

void AppendSeparatedField(std::string& line, std::string_view value) {
  const std::size_t start = line.size();
  line.append(value);
  std::replace(line.begin() + static_cast<std::ptrdiff_t>(start), line.end(), kFieldSeparator, kEscapedSeparator);
  line.push_back(kFieldSeparator);
}

bool MaskText(std::string_view pattern, char* text, std::size_t bufferSize) {
  if (text == nullptr || pattern.empty()) return false;
  const std::size_t length = strnlen(text, bufferSize);
  if (length == bufferSize) return false;
  const std::size_t at = std::string_view(text, length).find(pattern);
  if (at == std::string_view::npos) return false;
  if (length - pattern.size() + kPasswordMask.size() >= bufferSize) return false;
  const std::size_t tail = at + pattern.size();
  std::memmove(text + at + kPasswordMask.size(), text + tail, length - tail + 1);
  std::memcpy(text + at, kPasswordMask.data(), kPasswordMask.size());
  return true;
}

void TrimLeftBlanks(char* text) {
  if (text == nullptr) return;
  std::size_t blanks = 0;
  while (IsBlank(text[blanks])) ++blanks;
  if (blanks > 0) std::memmove(text, text + blanks, std::strlen(text + blanks) + 1);
}

void TrimRightBlanks(char* text) {
  if (text == nullptr) return;
  for (std::size_t length = std::strlen(text); length > 0 && IsBlank(text[length - 1]); --length) {
    text[length - 1] = '\0';
  }
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<int> ParseDecimal(std::string_view text) {
  text = TrimBlanks(text);
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

char* CopyTextBounded(const char* source, char* destination, std::size_t size) {
  if (destination == nullptr || size == 0) return destination;
  // Looking at no more than `size` bytes is enough to know where to cut.
  const std::string_view text =
      source == nullptr ? std::string_view() : std::string_view(source, strnlen(source, size));
  CopyFitting(text, destination, size);
  return destination;
}

bool CreateDirectoryPath(std::string_view path) {
  if (path.empty()) return false;
  const std::string resolved = platform::ResolvePath(path);
  for (std::size_t end = resolved.find('/', 1); end != std::string::npos; end = resolved.find('/', end + 1)) {
    if (!EnsureFolder(resolved.substr(0, end))) return false;
  }
  return EnsureFolder(resolved);
}

}  // namespace backend
