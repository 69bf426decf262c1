#include "engine/table_change_record.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

using engine::TableChangeRecord;

std::vector<std::uint8_t> BytesOf(const TableChangeRecord& record) {
  const auto bytes = record.Bytes();
  return {bytes.begin(), bytes.end()};
}

bool AllZero(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to) {
  for (std::size_t at = from; at < to; ++at) {
    if (bytes[at] != 0) return false;
  }
  return true;
}

}  // namespace

TEST(TableChangeRecord, RowChangeLaysOutItsFieldsLittleEndian) {
  std::array<std::uint8_t, 1126> row{};
  row.front() = 'A';
  row.back() = 'Z';
  const TableChangeRecord record = TableChangeRecord::RowChange(2, 'u', 0x01020304, -1, row, 7);
  const std::vector<std::uint8_t> bytes = BytesOf(record);
  ASSERT_EQ(bytes.size(), 1144u);
  EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 16)),
            (std::vector<std::uint8_t>{2, 0, 0, 0, 4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0xFF, 'u', 7, 0, 0}));
  EXPECT_EQ(bytes[16], 'A');
  EXPECT_EQ(bytes[16 + 1125], 'Z');
  EXPECT_TRUE(AllZero(bytes, 16 + 1126, 1144));
  EXPECT_EQ(record.TableId(), 2);
  EXPECT_EQ(record.RowCount(), 0x01020304);
  EXPECT_EQ(record.RowIndex(), -1);
  EXPECT_EQ(record.Operation(), 'u');
  EXPECT_EQ(record.Flag(), 7);
}

TEST(TableChangeRecord, ReloadCarriesOnlyItsTableAndLetter) {
  const std::vector<std::uint8_t> bytes = BytesOf(TableChangeRecord::Reload(21));
  EXPECT_EQ(bytes[0], 21);
  EXPECT_EQ(bytes[12], 'f');
  EXPECT_TRUE(AllZero(bytes, 1, 12));
  EXPECT_TRUE(AllZero(bytes, 13, bytes.size()));
}

TEST(TableChangeRecord, ConnectionStateHoldsNumberFlagAndStateInTheRowArea) {
  TableChangeRecord record = TableChangeRecord::ConnectionState(2, 3, 1);
  std::vector<std::uint8_t> bytes = BytesOf(record);
  EXPECT_EQ(bytes[0], 14);
  EXPECT_TRUE(AllZero(bytes, 4, 16));
  EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin() + 16, bytes.begin() + 28)),
            (std::vector<std::uint8_t>{2, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_TRUE(AllZero(bytes, 28, 1144));

  record.SetConnectionStateValue(0);
  EXPECT_EQ(record.ConnectionNumber(), 2);
  EXPECT_EQ(record.ConnectionFlag(), 3);
  EXPECT_EQ(record.ConnectionStateValue(), 0);
}

TEST(TableChangeRecord, ReadsBackOnlyFromItsExactSize) {
  const TableChangeRecord record = TableChangeRecord::RowChange(4, 'i', 3, 2, std::array<std::uint8_t, 3>{1, 2, 3});
  const auto bytes = record.Bytes();
  const auto copy = TableChangeRecord::FromBytes(bytes);
  ASSERT_TRUE(copy.has_value());
  EXPECT_EQ(BytesOf(*copy), BytesOf(record));
  EXPECT_FALSE(TableChangeRecord::FromBytes(bytes.first(1143)).has_value());
}

TEST(TableChangeRecord, KeepsNoMoreOfARowThanItsRowArea) {
  std::vector<std::uint8_t> row(2000, 0x55);
  const std::vector<std::uint8_t> bytes = BytesOf(TableChangeRecord::RowChange(2, 'u', 1, 0, row));
  EXPECT_EQ(bytes.size(), 1144u);
  EXPECT_EQ(bytes.back(), 0x55);
}
