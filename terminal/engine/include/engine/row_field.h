// The fields of the engine's table rows, and rows as bytes.
//
// A row is a struct of char arrays only: zero-terminated GBK texts of fixed
// width, back to back, with numbers and money as decimal text. Such a struct
// has no padding and alignment 1, so its bytes are exactly the row layout
// that travels in the tables, in TableChangeRecord and in the table copies.
// A row is value-initialised (`FundRow row{};`) so that every unused byte is
// zero before it is built.
//
// Every field is written and read through the templates below, which take
// the field's width from its array type: a write never passes its field and
// always leaves it terminated, and a read never runs past its field even
// when the bytes came from elsewhere without a terminator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

#include "engine/money.h"

namespace engine {

template <typename Row>
concept EngineRow = std::is_trivially_copyable_v<Row> && std::is_standard_layout_v<Row> && alignof(Row) == 1;

namespace row_field_detail {
void SetText(char* field, std::size_t width, std::string_view text);
// SetText of a text of ASCII bytes other than zero, which any length cuts on
// a character boundary.
void SetAsciiText(char* field, std::size_t width, std::string_view text);
std::string_view Text(const char* field, std::size_t width);
std::optional<double> ParseNumber(std::string_view text);
double ReadNumber(std::string_view text);
double ReadMoney(std::string_view text);
int ReadInt(std::string_view text);
void SetInt(char* field, std::size_t width, int value);
}  // namespace row_field_detail

// Stores `text` (up to its first zero byte), cut to width - 1 bytes on a GBK
// character boundary; the rest of the field is zeroed.
template <std::size_t Width>
void SetText(char (&field)[Width], std::string_view text) {
  row_field_detail::SetText(field, Width, text);
}

// The field's text: its bytes up to the first zero, at most its width.
template <std::size_t Width>
std::string_view Text(const char (&field)[Width]) {
  return row_field_detail::Text(field, Width);
}

// The leading decimal number of the field, after blanks; 0 for an empty or
// non-numeric text and for anything that is no finite number.
template <std::size_t Width>
double ReadNumber(const char (&field)[Width]) {
  return row_field_detail::ReadNumber(Text(field));
}

// The leading decimal number of a text, after blanks; nothing for an empty
// or non-numeric text and for anything that is no finite number.
inline std::optional<double> ParseNumber(std::string_view text) { return row_field_detail::ParseNumber(text); }

// The leading decimal integer of the field, after blanks; 0 for an empty or
// non-numeric text and for a value beyond int.
template <std::size_t Width>
int ReadInt(const char (&field)[Width]) {
  return row_field_detail::ReadInt(Text(field));
}

// A stored amount as the engine combines it: read, then money-rounded.
template <std::size_t Width>
double ReadMoney(const char (&field)[Width]) {
  return row_field_detail::ReadMoney(Text(field));
}

// Stores an amount as money: "%.2f" of the money-rounded value.
template <std::size_t Width>
void SetMoney(char (&field)[Width], double amount) {
  row_field_detail::SetAsciiText(field, Width, MoneyChars(amount).View());
}

// Stores lots, volumes and counts: "%d".
template <std::size_t Width>
void SetInt(char (&field)[Width], int value) {
  row_field_detail::SetInt(field, Width, value);
}

// The bytes of a row, as they go into a table or a change record.
template <EngineRow Row>
std::span<const std::uint8_t, sizeof(Row)> RowBytes(const Row& row) {
  return std::span<const std::uint8_t, sizeof(Row)>(reinterpret_cast<const std::uint8_t*>(&row), sizeof(Row));
}

// A row read from the first sizeof(Row) bytes of a table entry or of a change
// record's row copy; nothing when there are fewer bytes.
template <EngineRow Row>
std::optional<Row> RowFromBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < sizeof(Row)) return std::nullopt;
  Row row;
  std::memcpy(&row, bytes.data(), sizeof(Row));
  return row;
}

}  // namespace engine
