// CxGridData: the field and record store that every grid keeps its cells in.
// A field is one grid column's slot of fixed width in every record; a record
// is one grid row, all its fields zero at first, and may carry one block of
// extra data (the grid keeps the row's selection and cell attributes there).
// Rows are positions in the row index: reordering the index (as sorting
// does) reorders the rows without touching the records.
//
// The store's only failure channel is CxException, with the store left as
// it was before the call; reads never throw.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gridctl/model/cx_exception.h"

namespace gridctl {

// Field type codes: every field is created as text; numeric fields sort by
// their value.
inline constexpr std::int32_t kTextFieldType = 33;
inline constexpr std::int32_t kNumericFieldType = 34;

// The extra data of a record; the store owns it and frees it with the record.
class RecordExtra {
 public:
  virtual ~RecordExtra() = default;
};

class CxGridData {
 public:
  // The row index grows by this many slots at a time.
  static constexpr std::size_t kIndexStep = 1024;
  static constexpr std::size_t kMaxNameLength = 31;

  struct Field {
    std::string name;
    std::int32_t offset = 0;  // of the field's first byte in a record
    std::int32_t width = 0;   // bytes in every record
    std::int32_t type = kTextFieldType;
    std::int32_t id = 0;  // 0, 1, 2 ... in creation order
  };

  CxGridData() = default;
  CxGridData(const CxGridData&) = delete;
  CxGridData& operator=(const CxGridData&) = delete;

  // The new field's id. Throws while the store holds records, for a name of
  // more than 31 bytes, or when memory runs out. A negative width counts as
  // 0.
  std::int32_t AddField(std::int32_t type, std::int32_t width, std::string_view name);
  // The row of a new, all-zero record (the old record count).
  std::int32_t AddRecord();
  // Attaches a new value-initialised Extra to the record, freeing the one it
  // carried; null when the row does not exist.
  template <class Extra>
  Extra* SetRecordExtra(std::int32_t row);
  // The record's extra data when it is an Extra, else null.
  template <class Extra>
  Extra* GetRecordExtra(std::int32_t row) const;

  // Copies the text into the cell: at most the field's width less one byte,
  // cut on a character boundary and at the text's first zero byte, the rest
  // of the field zero. Throws for an unknown field or row.
  bool SetCellData(std::int32_t field, std::int32_t row, std::string_view source);
  // Copies the field's bytes, exactly its width; false for an unknown field
  // or row or a destination shorter than the width.
  bool GetCellData(std::int32_t field, std::int32_t row, std::span<char> destination) const;
  // The field's name, or null for an unknown id.
  const char* GetFieldName(std::int32_t field) const;
  // The field's bytes inside the record, or null.
  char* GetCellPtr(std::int32_t field, std::int32_t row);
  const char* GetCellPtr(std::int32_t field, std::int32_t row) const;
  // The cell's text: its bytes up to the first zero byte; empty for an
  // unknown field or row.
  std::string_view GetCellText(std::int32_t field, std::int32_t row) const;

  // Frees every record with its extra data, and the row index; the fields
  // stay.
  void ClearRecords() noexcept;
  // ClearRecords, then every field: record width and next field id are 0.
  void ClearAll() noexcept;

  // Puts the rows in the given order: row i becomes the record that was row
  // order[i]; `order` holds every row once. The rows keep their order when
  // memory runs out (std::bad_alloc leaves the call).
  void ReorderRows(std::span<const std::int32_t> order);

  std::int32_t RecordCount() const { return static_cast<std::int32_t>(rows_.size()); }
  // Slots of the row index: 0 before the first record, then steps of 1024.
  std::size_t IndexCapacity() const { return rows_.capacity(); }
  std::int32_t RecordWidth() const { return recordWidth_; }
  const Field* FindField(std::int32_t id) const;
  const std::vector<Field>& Fields() const { return fields_; }

 private:
  struct Record {
    std::unique_ptr<RecordExtra> extra;
    std::unique_ptr<char[]> data;
  };

  // Runs `make`, turning a failed allocation into the store's exception.
  template <class Make>
  static auto Allocate(const char* message, Make make) {
    try {
      return make();
    } catch (const std::bad_alloc&) {
      throw CxException(message);
    }
  }
  Record* RecordAt(std::int32_t row) const;

  std::vector<Field> fields_;                  // in creation order
  std::vector<std::unique_ptr<Record>> rows_;  // the row index
  std::int32_t nextFieldId_ = 0;
  std::int32_t recordWidth_ = 0;
};

template <class Extra>
Extra* CxGridData::SetRecordExtra(std::int32_t row) {
  static_assert(std::is_base_of_v<RecordExtra, Extra>);
  Record* record = RecordAt(row);
  if (record == nullptr) return nullptr;
  auto extra = Allocate("增加记录附加数据操作时，分配内存出错。", [] { return std::make_unique<Extra>(); });
  Extra* attached = extra.get();
  record->extra = std::move(extra);
  return attached;
}

template <class Extra>
Extra* CxGridData::GetRecordExtra(std::int32_t row) const {
  const Record* record = RecordAt(row);
  return record == nullptr ? nullptr : dynamic_cast<Extra*>(record->extra.get());
}

}  // namespace gridctl
