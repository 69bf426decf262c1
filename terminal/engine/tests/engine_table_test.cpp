#include "engine/engine_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/data_set_block.h"

namespace {

using backend::data_set_block::kRawType;
using engine::EngineTable;

constexpr std::size_t kSegment = EngineTable::kSegmentEntries;

// What a table should hold, entry by entry: the value, its id and where the
// table keeps it.
struct Expected {
  std::string value;
  std::uint32_t id;
  const std::uint8_t* address;
};

std::string ValueText(std::span<const std::uint8_t> value) {
  return {reinterpret_cast<const char*>(value.data()), value.size()};
}

std::string RowText(std::size_t number) { return "row " + std::to_string(number) + std::string(number % 7, '.'); }

// Appends `count` rows and notes each as appended.
std::vector<Expected> Fill(EngineTable& table, std::size_t count) {
  std::vector<Expected> expected;
  for (std::size_t number = 0; number < count; ++number) {
    const std::string value = RowText(number);
    EXPECT_TRUE(table.AddEntry(value.data(), value.size(), kRawType));
    const std::uint32_t index = table.GetCount() - 1;
    expected.push_back({value, *table.GetId(index), table.GetDataPtr(index)});
  }
  return expected;
}

// The table holds exactly `expected`, in order, at the same addresses, read
// both by index and by a walk.
void ExpectHolds(const EngineTable& table, const std::vector<Expected>& expected) {
  ASSERT_EQ(table.GetCount(), expected.size());
  std::size_t walked = 0;
  table.ForEach([&](std::uint32_t index, std::span<const std::uint8_t> value) {
    ASSERT_EQ(index, walked);
    EXPECT_EQ(ValueText(value), expected[index].value) << index;
    EXPECT_EQ(value.data(), expected[index].address) << index << ": a row moved";
    ++walked;
  });
  EXPECT_EQ(walked, expected.size());
  for (std::size_t index = 0; index < expected.size(); ++index) {
    ASSERT_EQ(table.GetId(index), expected[index].id) << index;
    ASSERT_EQ(table.GetDataPtr(index), expected[index].address) << index;
  }
  EXPECT_EQ(table.GetValue(expected.size()).data(), nullptr);
  EXPECT_FALSE(table.GetId(expected.size()).has_value());
}

TEST(EngineTable, AppendsAcrossSegmentsWithRisingIdsAndNoRowMoves) {
  EngineTable table;
  const std::vector<Expected> expected = Fill(table, 3 * kSegment + 5);
  for (std::size_t index = 0; index < expected.size(); ++index) ASSERT_EQ(expected[index].id, index);
  ExpectHolds(table, expected);

  std::vector<std::uint8_t> buffer(64);
  ASSERT_EQ(table.GetData(kSegment, buffer.size(), buffer.data()), expected[kSegment].value.size());
  EXPECT_EQ(ValueText({buffer.data(), expected[kSegment].value.size()}), expected[kSegment].value);
  EXPECT_EQ(table.GetData(kSegment, 2, buffer.data()), 0u) << "a buffer too short takes nothing";
}

TEST(EngineTable, RemovalsKeepOrderIdsAndEveryOtherRowInPlace) {
  // Removals at the edges of segments and inside them, then enough to empty
  // and join segments.
  const std::size_t positions[] = {0, kSegment - 1, kSegment - 1, 2 * kSegment, kSegment / 2, 3 * kSegment - 10};
  EngineTable table;
  std::vector<Expected> expected = Fill(table, 3 * kSegment);
  for (const std::size_t position : positions) {
    ASSERT_TRUE(table.RemoveEntry(position)) << position;
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(position));
    ExpectHolds(table, expected);
  }
  // Every second row of the first segments, then the whole middle: the ids
  // go on rising and rows appended later keep taking new ones.
  for (std::size_t position = 1; position < expected.size() / 2; ++position) {
    ASSERT_TRUE(table.RemoveEntry(position));
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(position));
  }
  ExpectHolds(table, expected);
  while (expected.size() > 20) {
    ASSERT_TRUE(table.RemoveEntry(10));
    expected.erase(expected.begin() + 10);
  }
  ExpectHolds(table, expected);
  const std::uint32_t lastId = expected.back().id;
  std::vector<Expected> appended = Fill(table, 2);
  for (const Expected& row : appended) {
    EXPECT_GT(row.id, lastId);
    expected.push_back(row);
  }
  ExpectHolds(table, expected);
  EXPECT_FALSE(table.RemoveEntry(expected.size()));
}

TEST(EngineTable, CopiesToTheSameListAPackedTableWouldHold) {
  // The same appends and removals on the packed list the engine kept before
  // and on the engine table: the table's copy must equal the list's clone,
  // ids, types and next id's effect included.
  backend::CxDataSet packed;
  EngineTable table;
  const auto append = [&](const std::string& value, std::uint8_t type, std::uint32_t id) {
    ASSERT_TRUE(packed.EnsureSpaceGeometric(value.size()));
    ASSERT_TRUE(packed.AddEntry(nullptr, value.data(), value.size(), type, id));
    ASSERT_TRUE(table.AddEntry(value.data(), value.size(), type, id));
  };
  for (std::size_t number = 0; number < kSegment + 300; ++number) {
    append(RowText(number), kRawType, EngineTable::kAutoId);
  }
  append("", kRawType, EngineTable::kAutoId);
  append("given id", kRawType, 77);
  ASSERT_TRUE(packed.AddText("a text"));
  ASSERT_TRUE(table.AddText("a text"));
  for (const std::size_t index : {std::size_t{5}, kSegment - 1, kSegment, std::size_t{0}}) {
    ASSERT_TRUE(packed.RemoveEntry(index));
    ASSERT_TRUE(table.RemoveEntry(index));
  }

  const backend::CxDataSet clone = backend::CxDataSet::CloneBlock(packed.View());
  const backend::CxDataSet copy = table.ToDataSet();
  ASSERT_NE(copy.Block(), nullptr);
  const backend::CxDataSetView cloned = clone.View();
  const backend::CxDataSetView copied = copy.View();
  ASSERT_EQ(copied.GetCount(), cloned.GetCount());
  for (std::uint32_t index = 0; index < cloned.GetCount(); ++index) {
    ASSERT_EQ(ValueText(copied.GetValue(index)), ValueText(cloned.GetValue(index))) << index;
    ASSERT_EQ(copied.GetId(index), cloned.GetId(index)) << index;
    const std::uint8_t* copiedEntry = backend::data_set_block::Entry(copy.Block(), index);
    const std::uint8_t* clonedEntry = backend::data_set_block::Entry(clone.Block(), index);
    ASSERT_EQ(backend::data_set_block::EntryType(copiedEntry), backend::data_set_block::EntryType(clonedEntry));
    ASSERT_EQ(backend::data_set_block::EntryName(copiedEntry), backend::data_set_block::EntryName(clonedEntry));
  }

  // An engine table's own copy goes on numbering where the table would.
  EngineTable again = table.Copy();
  ASSERT_TRUE(packed.AddText("next"));
  ASSERT_TRUE(again.AddText("next"));
  EXPECT_EQ(again.GetId(again.GetCount() - 1), packed.View().GetId(packed.GetCount() - 1));
  EXPECT_EQ(again.GetCount(), packed.GetCount());
}

TEST(EngineTable, ReserveClearAndRefusals) {
  EngineTable table;
  ASSERT_TRUE(table.Reserve(5 * kSegment));
  EXPECT_EQ(table.GetCount(), 0u);
  std::vector<Expected> expected = Fill(table, 2 * kSegment + 1);
  ExpectHolds(table, expected);

  const std::vector<std::uint8_t> tooLong(EngineTable::kMaxValueLength + 1);
  EXPECT_FALSE(table.AddEntry(tooLong.data(), tooLong.size(), kRawType));
  EXPECT_FALSE(table.AddEntry(nullptr, 4, kRawType));
  ExpectHolds(table, expected);

  table.Clear();
  EXPECT_EQ(table.GetCount(), 0u);
  EXPECT_EQ(table.GetValue(0).data(), nullptr);
  const backend::CxDataSet emptyCopy = table.ToDataSet();
  EXPECT_NE(emptyCopy.Block(), nullptr) << "an empty table copies to an empty list, not to a failure";
  EXPECT_EQ(emptyCopy.GetCount(), 0u);
  expected = Fill(table, 3);
  EXPECT_EQ(expected.front().id, 0u) << "a cleared table numbers its entries anew";
  ExpectHolds(table, expected);

  // A walk ends where its visitor says.
  std::vector<std::uint32_t> visited;
  table.ForEach([&](std::uint32_t index, std::span<const std::uint8_t>) {
    visited.push_back(index);
    return index < 1;
  });
  EXPECT_EQ(visited, (std::vector<std::uint32_t>{0, 1}));
}

TEST(EngineTable, ARemovedRowsSlotServesTheNextAppendOfItsLengthAndNoOtherRowMoves) {
  EngineTable table;
  std::vector<Expected> expected;
  for (std::size_t number = 0; number < 600; ++number) {
    const std::string value = "order " + std::to_string(number + 100000) + std::string(300, 'x');
    ASSERT_TRUE(table.AddEntry(value.data(), value.size(), kRawType));
    expected.push_back({value, *table.GetId(number), table.GetDataPtr(number)});
  }
  std::set<const std::uint8_t*> freed;
  for (const std::size_t position : {std::size_t{0}, std::size_t{17}, std::size_t{300}, std::size_t{596}}) {
    freed.insert(expected[position].address);
    ASSERT_TRUE(table.RemoveEntry(position));
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(position));
  }
  ExpectHolds(table, expected);
  for (std::size_t again = 0; again < 4; ++again) {
    const std::string value = "again " + std::to_string(again + 100000) + std::string(300, 'y');
    ASSERT_TRUE(table.AddEntry(value.data(), value.size(), kRawType));
    const std::uint32_t index = table.GetCount() - 1;
    EXPECT_EQ(freed.erase(table.GetDataPtr(index)), 1u) << again << ": took no freed slot";
    expected.push_back({value, *table.GetId(index), table.GetDataPtr(index)});
  }
  ExpectHolds(table, expected);
}

TEST(EngineTable, RowsOfManyLengthsKeepApartThroughRemovalsAndARefill) {
  const std::size_t lengths[] = {0,   1,   15,   16,   17,   255,  256,
                                 257, 358, 1126, 4095, 4096, 4097, EngineTable::kMaxValueLength};
  const auto fill = [&](EngineTable& table, std::size_t rounds) {
    std::vector<Expected> expected;
    for (std::size_t round = 0; round < rounds; ++round) {
      for (const std::size_t length : lengths) {
        std::string value(length, '\0');
        for (std::size_t at = 0; at < length; ++at) value[at] = static_cast<char>('a' + (at + round + length) % 26);
        EXPECT_TRUE(table.AddEntry(value.data(), value.size(), kRawType));
        const std::uint32_t index = table.GetCount() - 1;
        expected.push_back({value, *table.GetId(index), table.GetDataPtr(index)});
      }
    }
    return expected;
  };
  // Every value aligned and apart from every other.
  const auto expectApart = [](const std::vector<Expected>& expected) {
    std::map<const std::uint8_t*, std::size_t> byAddress;
    for (const Expected& row : expected) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(row.address) % 16, 0u);
      EXPECT_TRUE(byAddress.emplace(row.address, std::max<std::size_t>(row.value.size(), 1)).second);
    }
    const std::uint8_t* end = nullptr;
    for (const auto& [address, length] : byAddress) {
      EXPECT_LE(end, address) << "two values overlap";
      end = address + length;
    }
  };

  EngineTable table;
  std::vector<Expected> expected = fill(table, 3);
  for (std::size_t position = 1; position < expected.size(); position += 2) {
    ASSERT_TRUE(table.RemoveEntry(position));
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(position));
  }
  for (Expected& row : fill(table, 1)) expected.push_back(row);
  ExpectHolds(table, expected);
  expectApart(expected);

  table.Clear();
  expected = fill(table, 2);
  EXPECT_EQ(expected.front().id, 0u);
  ExpectHolds(table, expected);
  expectApart(expected);
}

TEST(EngineTable, FindsTheIndexOfAnIdRisingOrGivenOutOfTurn) {
  EngineTable table;
  std::vector<Expected> expected = Fill(table, 3 * kSegment);
  // Every third row: ids 0, 3, 6 and so on go.
  for (std::size_t position = 0; position < expected.size(); position += 2) {
    ASSERT_TRUE(table.RemoveEntry(position));
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(position));
  }
  ExpectHolds(table, expected);
  for (std::uint32_t index = 0; index < expected.size(); ++index) {
    ASSERT_EQ(table.IndexOfId(expected[index].id), index);
  }
  // Ids removed, beyond the last, and given out of turn.
  EXPECT_FALSE(table.IndexOfId(0).has_value());
  EXPECT_FALSE(table.IndexOfId(3 * kSegment).has_value());
  ASSERT_TRUE(table.AddEntry("early", 5, kRawType, 6));
  EXPECT_EQ(table.IndexOfId(6), table.GetCount() - 1);
  EXPECT_EQ(table.IndexOfId(expected.back().id), expected.size() - 1);
  EXPECT_FALSE(table.IndexOfId(3).has_value());
}

}  // namespace
