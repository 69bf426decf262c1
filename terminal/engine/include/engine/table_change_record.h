// TableChangeRecord: the one record by which the engine tells the GUI of a
// change to one of its tables, and, with table id 14, of a connection-state
// change. Records travel whole inside the change queue (a packed record
// list) and to the GUI, so the layout is fixed and little-endian:
//
//   offset  width  field
//        0      4  table id
//        4      4  row count of the table after the change
//        8      4  row index of the changed row
//       12      1  operation letter ('f', 'i', 'u', 'd')
//       13      1  flag, set by the operation that raises the record
//       14      2  zero
//       16   1128  copy of the changed row, the rest zero; for table id 14
//                  three int32: connection number, connection flag, state
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace engine {

class TableChangeRecord {
 public:
  static constexpr std::size_t kSize = 1144;
  static constexpr std::size_t kTableIdOffset = 0;
  static constexpr std::size_t kRowCountOffset = 4;
  static constexpr std::size_t kRowIndexOffset = 8;
  static constexpr std::size_t kOperationOffset = 12;
  static constexpr std::size_t kFlagOffset = 13;
  static constexpr std::size_t kRowOffset = 16;
  static constexpr std::size_t kRowCapacity = kSize - kRowOffset;
  // The connection-state values inside the row area.
  static constexpr std::size_t kConnectionNumberOffset = kRowOffset;
  static constexpr std::size_t kConnectionFlagOffset = kRowOffset + 4;
  static constexpr std::size_t kConnectionStateOffset = kRowOffset + 8;

  // Operation letters.
  static constexpr char kReload = 'f';  // reload the whole table
  static constexpr char kInsert = 'i';  // one row inserted
  static constexpr char kUpdate = 'u';  // one row updated
  static constexpr char kDelete = 'd';  // one row about to be deleted

  // All bytes zero.
  TableChangeRecord() = default;

  // A reload record: only the table id and the letter are set.
  static TableChangeRecord Reload(int tableId);
  // A record of one row: the row's bytes (at most kRowCapacity are kept)
  // land at the start of the row area.
  static TableChangeRecord RowChange(int tableId, char operation, int rowCount, int rowIndex,
                                     std::span<const std::uint8_t> row, std::uint8_t flag = 0);
  // A connection-state record of table id 14; row count, index, letter and
  // flag stay 0.
  static TableChangeRecord ConnectionState(int connection, int flag, int state);
  // A record read back from its 1144 bytes; nothing for any other length.
  static std::optional<TableChangeRecord> FromBytes(std::span<const std::uint8_t> bytes);

  int TableId() const { return I32(kTableIdOffset); }
  int RowCount() const { return I32(kRowCountOffset); }
  int RowIndex() const { return I32(kRowIndexOffset); }
  char Operation() const { return static_cast<char>(bytes_[kOperationOffset]); }
  std::uint8_t Flag() const { return bytes_[kFlagOffset]; }
  std::span<const std::uint8_t, kRowCapacity> Row() const {
    return std::span(bytes_).subspan<kRowOffset, kRowCapacity>();
  }
  std::span<std::uint8_t, kRowCapacity> Row() { return std::span(bytes_).subspan<kRowOffset, kRowCapacity>(); }

  int ConnectionNumber() const { return I32(kConnectionNumberOffset); }
  int ConnectionFlag() const { return I32(kConnectionFlagOffset); }
  int ConnectionStateValue() const { return I32(kConnectionStateOffset); }
  void SetConnectionStateValue(int state) { SetI32(kConnectionStateOffset, state); }

  std::span<const std::uint8_t, kSize> Bytes() const { return bytes_; }

 private:
  int I32(std::size_t offset) const;
  void SetI32(std::size_t offset, int value);

  std::array<std::uint8_t, kSize> bytes_{};
};

static_assert(sizeof(TableChangeRecord) == TableChangeRecord::kSize);
static_assert(TableChangeRecord::kRowCapacity == 1128);
static_assert(TableChangeRecord::kFlagOffset + 1 + 2 == TableChangeRecord::kRowOffset,
              "two zero bytes lie between the flag and the row copy");

}  // namespace engine
