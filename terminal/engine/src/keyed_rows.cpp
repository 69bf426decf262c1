#include "keyed_rows.h"

#include <utility>

#include "typed_rows.h"

namespace engine {
namespace {

// Adds a text to a key closed by a zero byte, which no field text holds: two
// keys are equal only when every text is.
void AppendKeyText(std::string& key, std::string_view text) { key.append(text).push_back('\0'); }

}  // namespace

KeyedRows::KeyedRows(std::size_t rowSize, std::vector<KeyField> fields)
    : rowSize_(rowSize),
      fields_(std::move(fields)),
      index_([this](std::span<const std::uint8_t> entry, std::string& key) { return KeyOfEntry(entry, key); }) {}

std::optional<std::uint32_t> KeyedRows::Find(const EngineTable& table, std::span<const std::string_view> key) {
  if (key.size() != fields_.size()) return std::nullopt;
  // The buffer is kept, so that a lookup allocates nothing.
  keyText_.clear();
  for (const std::string_view text : key) AppendKeyText(keyText_, text);
  for (const std::uint32_t row : index_.RowsOf(table, keyText_)) {
    if (Holds(table.GetValue(row), key)) return row;
  }
  std::optional<std::uint32_t> walked;
  typed_rows::ForEachEntry(table, [&](std::uint32_t row, std::span<const std::uint8_t> entry) {
    if (Holds(entry, key)) walked = row;
    return !walked;
  });
  if (walked) index_.Rebuild(table);
  return walked;
}

bool KeyedRows::Holds(std::span<const std::uint8_t> entry, std::span<const std::string_view> key) const {
  if (entry.size() < rowSize_) return false;
  for (std::size_t field = 0; field < fields_.size(); ++field) {
    if (typed_rows::FieldAt(entry, fields_[field].offset, fields_[field].width) != key[field]) return false;
  }
  return true;
}

bool KeyedRows::KeyOfEntry(std::span<const std::uint8_t> entry, std::string& key) const {
  if (entry.size() < rowSize_) return false;
  for (const KeyField& field : fields_) AppendKeyText(key, typed_rows::FieldAt(entry, field.offset, field.width));
  return true;
}

}  // namespace engine
