// Separated-field text and small text routines on zero-terminated GBK texts.
//
// A separated-field line holds fields each followed by the separator ("|" in
// every protocol line), the last one included: "abc|def|". Fields count from
// 1. Because 0x7C ("|") may be the second byte of a GBK character, a writer
// stores every 0x7C byte of a value as 0x01, and a reader turns 0x01 back
// into "|"; splitting a line stays a plain byte search.
#pragma once

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace backend {

inline constexpr char kFieldSeparator = '|';
// Stands for a "|" inside a field value.
inline constexpr char kEscapedSeparator = '\x01';

// The 0-based position of the n-th separator in `text`; -1 when the text has
// fewer than n (or n is below 1).
std::ptrdiff_t FindNthSeparator(std::string_view text, char separator, int n);

// Copies field n into `buffer` (of `bufferSize` bytes, always terminated)
// with 0x01 turned into "|", and returns `buffer`. The buffer is empty when
// field n does not exist: n below 1, too few separators, or no separator
// closing the field. A field longer than the buffer is cut on a character
// boundary.
char* GetSeparatedField(int n, std::string_view text, char separator, char* buffer, std::size_t bufferSize);
// Copies a field already cut from its line into `buffer` as GetSeparatedField
// does, for a reader that has split the line once.
char* CopyFieldText(std::string_view field, char* buffer, std::size_t bufferSize);

// Field n of `text` as a whole string, with 0x01 turned into "|"; empty
// when field n does not exist, as for GetSeparatedField.
std::string GetSeparatedFieldText(int n, std::string_view text, char separator = kFieldSeparator);

// Inserts `insert` at the start of field n of the zero-terminated `text`,
// which lives in a buffer of `bufferSize` bytes; no separator is added. An
// empty insert changes nothing and succeeds. False, with the text unchanged,
// when the text has no field n or the buffer has no room for the result.
bool InsertSeparatedField(int n, char* text, std::size_t bufferSize, std::string_view insert);

// Appends `value` as the next field of `line`: each 0x7C byte of the value is
// written as 0x01, and the separator follows.
void AppendSeparatedField(std::string& line, std::string_view value);

// The zero-terminated text of a fixed-width field, never read beyond it.
template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return {field, ::strnlen(field, N)};
}

// What a password becomes in a log line or a message.
inline constexpr std::string_view kPasswordMask = "********";

// Replaces the first occurrence of `pattern` in the zero-terminated `text`
// (in a buffer of `bufferSize` bytes) by kPasswordMask, moving the rest of the
// text. False, with the text unchanged, when the pattern is empty or absent
// or the result would not fit the buffer.
bool MaskText(std::string_view pattern, char* text, std::size_t bufferSize);

// Removes leading blanks and tabs by moving the text left.
void TrimLeftBlanks(char* text);
// Overwrites trailing blanks and tabs with zero bytes.
void TrimRightBlanks(char* text);

// `text` without its leading and trailing blanks and tabs.
std::string_view TrimBlanks(std::string_view text);

// The whole text as a decimal int, blanks and tabs around it allowed;
// nothing for an empty text, other characters, or a value out of range.
std::optional<int> ParseDecimal(std::string_view text);

// Copies as much of `source` as fits in `size` - 1 bytes, cut on a character
// boundary, and terminates `destination`; does nothing when the destination
// is null or size is 0. A null source copies as empty. Returns `destination`.
char* CopyTextBounded(const char* source, char* destination, std::size_t size);

// Creates every folder along `path` (split at "/" and "\", resolved as the
// platform layer resolves paths); a plain file standing where a folder
// belongs is deleted and replaced by the folder. False when a folder cannot
// be made.
bool CreateDirectoryPath(std::string_view path);

}  // namespace backend
