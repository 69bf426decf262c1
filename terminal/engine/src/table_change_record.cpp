#include "engine/table_change_record.h"

#include <algorithm>
#include <cstring>

#include "engine/table_catalogue.h"
#include "platform/little_endian.h"

namespace engine {

TableChangeRecord TableChangeRecord::Reload(int tableId) {
  TableChangeRecord record;
  record.SetI32(kTableIdOffset, tableId);
  record.bytes_[kOperationOffset] = static_cast<std::uint8_t>(kReload);
  return record;
}

TableChangeRecord TableChangeRecord::RowChange(int tableId, char operation, int rowCount, int rowIndex,
                                               std::span<const std::uint8_t> row, std::uint8_t flag) {
  TableChangeRecord record;
  record.SetI32(kTableIdOffset, tableId);
  record.SetI32(kRowCountOffset, rowCount);
  record.SetI32(kRowIndexOffset, rowIndex);
  record.bytes_[kOperationOffset] = static_cast<std::uint8_t>(operation);
  record.bytes_[kFlagOffset] = flag;
  const std::size_t length = std::min(row.size(), kRowCapacity);
  if (length > 0) std::memcpy(record.bytes_.data() + kRowOffset, row.data(), length);
  return record;
}

TableChangeRecord TableChangeRecord::ConnectionState(int connection, int flag, int state) {
  TableChangeRecord record;
  record.SetI32(kTableIdOffset, table_id::kConnectionState);
  record.SetI32(kConnectionNumberOffset, connection);
  record.SetI32(kConnectionFlagOffset, flag);
  record.SetI32(kConnectionStateOffset, state);
  return record;
}

std::optional<TableChangeRecord> TableChangeRecord::FromBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kSize) return std::nullopt;
  TableChangeRecord record;
  std::memcpy(record.bytes_.data(), bytes.data(), kSize);
  return record;
}

int TableChangeRecord::I32(std::size_t offset) const {
  return static_cast<int>(platform::LoadLittleEndian<std::uint32_t>(bytes_.data() + offset));
}

void TableChangeRecord::SetI32(std::size_t offset, int value) {
  platform::StoreLittleEndian(bytes_.data() + offset, static_cast<std::uint32_t>(value));
}

}  // namespace engine
