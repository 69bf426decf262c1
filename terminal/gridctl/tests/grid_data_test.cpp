#include "gridctl/model/grid_data.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

namespace {

using gridctl::CxException;
using gridctl::CxGridData;

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const CxException& error) {
    EXPECT_EQ(error.Code(), 0);
    return error.Message();
  }
  return "(nothing thrown)";
}

struct RowFlag : gridctl::RecordExtra {
  int selected = 0;
};

TEST(GridData, FieldsLaidOutInCreationOrderAndRefusedOnceRecordsExist) {
  CxGridData store;
  EXPECT_EQ(store.AddField(gridctl::kTextFieldType, 10, ""), 0);
  EXPECT_EQ(store.AddField(gridctl::kTextFieldType, 6, ""), 1);
  EXPECT_EQ(store.RecordWidth(), 16);
  EXPECT_EQ(store.FindField(1)->offset, 10);
  store.AddRecord();
  EXPECT_EQ(MessageOf([&] { store.AddField(gridctl::kTextFieldType, 4, ""); }),
            "增加域表操作时，表中已经存在记录数据。");
  EXPECT_EQ(store.Fields().size(), 2u);

  store.ClearRecords();
  EXPECT_EQ(store.IndexCapacity(), 0u);
  EXPECT_EQ(store.AddField(gridctl::kTextFieldType, 4, ""), 2);
  EXPECT_EQ(store.FindField(2)->offset, 16);

  store.ClearAll();
  EXPECT_EQ(store.RecordWidth(), 0);
  EXPECT_EQ(store.AddField(gridctl::kTextFieldType, 4, ""), 0);
}

TEST(GridData, NamesUpTo31BytesAreKept) {
  CxGridData store;
  const std::string longest(31, 'n');
  const std::int32_t field = store.AddField(gridctl::kTextFieldType, 4, longest);
  EXPECT_EQ(std::string(store.GetFieldName(field)), longest);
  EXPECT_EQ(MessageOf([&] { store.AddField(gridctl::kTextFieldType, 4, std::string(32, 'n')); }),
            "增加域表操作时，域名超长。");
  EXPECT_EQ(store.GetFieldName(7), nullptr);
}

TEST(GridData, TheIndexGrowsInSteps_KeepingEarlierRows) {
  CxGridData store;
  const std::int32_t field = store.AddField(gridctl::kTextFieldType, 8, "");
  for (int row = 0; row < 1024; ++row) {
    ASSERT_EQ(store.AddRecord(), row);
    store.SetCellData(field, row, std::to_string(row));
  }
  EXPECT_EQ(store.IndexCapacity(), 1024u);
  EXPECT_EQ(store.AddRecord(), 1024);
  EXPECT_EQ(store.IndexCapacity(), 2048u);
  EXPECT_EQ(store.GetCellText(field, 0), "0");
  EXPECT_EQ(store.GetCellText(field, 1023), "1023");
  EXPECT_EQ(store.GetCellText(field, 1024), "");
}

TEST(GridData, SetCellDataKeepsRoomForTheTerminatorAndCutsOnACharacterBoundary) {
  CxGridData store;
  const std::int32_t narrow = store.AddField(gridctl::kTextFieldType, 6, "");
  const std::int32_t wide = store.AddField(gridctl::kTextFieldType, 8, "");
  store.AddRecord();
  store.SetCellData(wide, 0, "ABCDEFG");
  // Five bytes fit before the terminator; the fifth would be half of "铝",
  // so the cell stops after "ab铜".
  store.SetCellData(narrow, 0, "ab铜铝");
  EXPECT_EQ(store.GetCellText(narrow, 0), "ab铜");
  std::array<char, 6> bytes{};
  ASSERT_TRUE(store.GetCellData(narrow, 0, bytes));
  EXPECT_EQ(bytes[4], '\0');
  EXPECT_EQ(bytes[5], '\0');
  // The neighbour is untouched, and a shorter text clears what was longer.
  EXPECT_EQ(store.GetCellText(wide, 0), "ABCDEFG");
  store.SetCellData(wide, 0, "xy");
  std::array<char, 8> wideBytes{};
  ASSERT_TRUE(store.GetCellData(wide, 0, wideBytes));
  EXPECT_EQ(std::string(wideBytes.data(), wideBytes.size()), std::string("xy\0\0\0\0\0\0", 8));
}

TEST(GridData, UnknownFieldsAndRowsThrowOnWriteAndFailQuietlyOnRead) {
  CxGridData store;
  const std::int32_t field = store.AddField(gridctl::kTextFieldType, 4, "");
  store.AddRecord();
  EXPECT_EQ(MessageOf([&] { store.SetCellData(9, 0, "x"); }), "设置数据操作时，指定的索引号不存在。");
  EXPECT_EQ(MessageOf([&] { store.SetCellData(field, 1, "x"); }), "设置数据操作时，指定的记录号不存在。");
  std::array<char, 4> buffer{'q', 'q', 'q', 'q'};
  EXPECT_FALSE(store.GetCellData(9, 0, buffer));
  EXPECT_FALSE(store.GetCellData(field, -1, buffer));
  // One byte short of the width: nothing copied.
  EXPECT_FALSE(store.GetCellData(field, 0, std::span<char>(buffer.data(), 3)));
  EXPECT_EQ(buffer[0], 'q');
  EXPECT_EQ(store.GetCellPtr(field, 5), nullptr);
  EXPECT_EQ(store.GetRecordExtra<RowFlag>(0), nullptr);
}

TEST(GridData, ExtraDataIsReplacedAndFreedWithTheRecords) {
  CxGridData store;
  store.AddField(gridctl::kTextFieldType, 4, "");
  store.AddRecord();
  EXPECT_EQ(store.SetRecordExtra<RowFlag>(1), nullptr);
  RowFlag* first = store.SetRecordExtra<RowFlag>(0);
  ASSERT_NE(first, nullptr);
  first->selected = 1;
  RowFlag* second = store.SetRecordExtra<RowFlag>(0);
  EXPECT_EQ(second->selected, 0);
  EXPECT_EQ(store.GetRecordExtra<RowFlag>(0), second);
  store.ClearRecords();
  EXPECT_EQ(store.GetRecordExtra<RowFlag>(0), nullptr);
}

TEST(GridData, ReorderingMovesRecordsNotTheirBytes) {
  CxGridData store;
  const std::int32_t field = store.AddField(gridctl::kTextFieldType, 4, "");
  for (const char* text : {"a", "b", "c"}) store.SetCellData(field, store.AddRecord(), text);
  const char* wasFirst = store.GetCellPtr(field, 0);
  const std::array<std::int32_t, 3> order{2, 0, 1};
  store.ReorderRows(order);
  EXPECT_EQ(store.GetCellText(field, 0), "c");
  EXPECT_EQ(store.GetCellText(field, 1), "a");
  EXPECT_EQ(store.GetCellText(field, 2), "b");
  EXPECT_EQ(store.GetCellPtr(field, 1), wasFirst);
}

TEST(CxExceptionTest, MessagesAreCutToTheBufferOnACharacterBoundary) {
  EXPECT_STREQ(CxException(nullptr).Message(), "");
  const std::string longText = std::string(1022, 'x') + "铜";
  EXPECT_EQ(std::string(CxException(longText.c_str()).Message()), std::string(1022, 'x'));
}

}  // namespace
