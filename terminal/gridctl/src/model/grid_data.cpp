#include "gridctl/model/grid_data.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/gbk.h"

namespace gridctl {

std::int32_t CxGridData::AddField(std::int32_t type, std::int32_t width, std::string_view name) {
  if (!rows_.empty()) throw CxException("增加域表操作时，表中已经存在记录数据。");
  if (name.size() > kMaxNameLength) throw CxException("增加域表操作时，域名超长。");
  Field field{std::string(name), recordWidth_, std::max(width, 0), type, nextFieldId_};
  Allocate("增加域表操作时，分配内存出错。", [&] {
    fields_.push_back(std::move(field));
    return 0;
  });
  recordWidth_ += fields_.back().width;
  return nextFieldId_++;
}

std::int32_t CxGridData::AddRecord() {
  constexpr const char* kNoMemory = "增加一条空记录操作时，分配内存出错。";
  // Grow the index in whole steps, so that adding rows copies it only every
  // kIndexStep rows; a failed growth keeps the old index.
  if (rows_.size() == rows_.capacity()) {
    Allocate(kNoMemory, [&] {
      rows_.reserve(rows_.capacity() + kIndexStep);
      return 0;
    });
  }
  auto record = Allocate(kNoMemory, [&] {
    auto made = std::make_unique<Record>();
    made->data = std::make_unique<char[]>(static_cast<std::size_t>(recordWidth_));
    return made;
  });
  rows_.push_back(std::move(record));  // cannot throw: room was made above
  return static_cast<std::int32_t>(rows_.size() - 1);
}

bool CxGridData::SetCellData(std::int32_t field, std::int32_t row, std::string_view source) {
  const Field* definition = FindField(field);
  if (definition == nullptr) throw CxException("设置数据操作时，指定的索引号不存在。");
  Record* record = RecordAt(row);
  if (record == nullptr) throw CxException("设置数据操作时，指定的记录号不存在。");
  char* cell = record->data.get() + definition->offset;
  const auto width = static_cast<std::size_t>(definition->width);
  std::memset(cell, 0, width);
  if (width == 0) return true;
  const std::string_view text = source.substr(0, source.find('\0'));
  std::memcpy(cell, text.data(), platform::GbkFitLength(text, width - 1));
  return true;
}

bool CxGridData::GetCellData(std::int32_t field, std::int32_t row, std::span<char> destination) const {
  const Field* definition = FindField(field);
  const Record* record = RecordAt(row);
  if (definition == nullptr || record == nullptr) return false;
  const auto width = static_cast<std::size_t>(definition->width);
  if (destination.size() < width) return false;
  std::memcpy(destination.data(), record->data.get() + definition->offset, width);
  return true;
}

const char* CxGridData::GetFieldName(std::int32_t field) const {
  const Field* definition = FindField(field);
  return definition == nullptr ? nullptr : definition->name.c_str();
}

char* CxGridData::GetCellPtr(std::int32_t field, std::int32_t row) {
  return const_cast<char*>(std::as_const(*this).GetCellPtr(field, row));
}

const char* CxGridData::GetCellPtr(std::int32_t field, std::int32_t row) const {
  const Field* definition = FindField(field);
  const Record* record = RecordAt(row);
  if (definition == nullptr || record == nullptr) return nullptr;
  return record->data.get() + definition->offset;
}

std::string_view CxGridData::GetCellText(std::int32_t field, std::int32_t row) const {
  const char* cell = GetCellPtr(field, row);
  if (cell == nullptr) return {};
  return {cell, ::strnlen(cell, static_cast<std::size_t>(FindField(field)->width))};
}

void CxGridData::ClearRecords() noexcept { std::vector<std::unique_ptr<Record>>().swap(rows_); }

void CxGridData::ClearAll() noexcept {
  ClearRecords();
  fields_.clear();
  recordWidth_ = 0;
  nextFieldId_ = 0;
}

void CxGridData::ReorderRows(std::span<const std::int32_t> order) {
  if (order.size() != rows_.size()) return;
  std::vector<std::unique_ptr<Record>> reordered;
  reordered.reserve(rows_.capacity());
  for (const std::int32_t from : order) reordered.push_back(std::move(rows_[static_cast<std::size_t>(from)]));
  rows_.swap(reordered);
}

const CxGridData::Field* CxGridData::FindField(std::int32_t id) const {
  const auto found = std::find_if(fields_.begin(), fields_.end(), [id](const Field& field) { return field.id == id; });
  return found == fields_.end() ? nullptr : &*found;
}

CxGridData::Record* CxGridData::RecordAt(std::int32_t row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return nullptr;
  return rows_[static_cast<std::size_t>(row)].get();
}

}  // namespace gridctl
