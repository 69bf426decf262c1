#include "backend/cx_data_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using backend::CxDataSet;
using backend::CxDataSetView;
namespace block = backend::data_set_block;

std::string TextAt(const CxDataSetView& list, std::size_t index) {
  const auto* value = reinterpret_cast<const char*>(list.GetDataPtr(index));
  return value == nullptr ? "(none)" : value;
}

std::string TextAt(const CxDataSet& list, std::size_t index) { return TextAt(list.View(), index); }

const std::uint8_t* EntryOf(const CxDataSet& list, std::size_t index) { return block::Entry(list.Block(), index); }

std::vector<std::uint8_t> Bytes(const CxDataSet& list) {
  const auto bytes = list.View().Bytes();
  return {bytes.begin(), bytes.end()};
}

bool AddRaw(CxDataSet& list, std::size_t length, char fill = 'v') {
  const std::vector<char> value(length, fill);
  return list.AddEntry(nullptr, value.data(), value.size(), block::kRawType);
}

}  // namespace

TEST(CxDataSet, FirstEntryMakesThe8192ByteBlock) {
  CxDataSet list;
  ASSERT_TRUE(list.AddText("0123456789"));
  const std::uint8_t* b = list.Block();
  EXPECT_EQ(block::BlockSize(b), 8192u);
  EXPECT_EQ(block::U32(b, block::kHeapOffset), 0u);
  EXPECT_EQ(block::DirectoryStep(b), 16u);
  EXPECT_EQ(block::BlockGrowth(b), 8192u);
  EXPECT_EQ(block::Capacity(b), 16u);
  EXPECT_EQ(block::ValueArea(b), 744u);
  EXPECT_EQ(block::ValueBytes(b), 11u);
  EXPECT_EQ(block::Count(b), 1u);
  EXPECT_EQ(block::NextId(b), 1u);
  const std::uint8_t* entry = EntryOf(list, 0);
  EXPECT_EQ(block::EntryName(entry), "");
  EXPECT_EQ(block::EntryValueOffset(entry), 0u);
  EXPECT_EQ(block::EntryLength(entry), 11u);
  EXPECT_EQ(block::EntryType(entry), block::kTextType);
  EXPECT_EQ(block::EntryFlag(entry), 0u);
  EXPECT_EQ(block::EntryId(entry), 0u);
  EXPECT_EQ(std::memcmp(b + 744, "0123456789", 11), 0);
}

// A list started with its text holds the entry and value that AddText gives
// it, in a block of a one-entry directory and the value; later entries are
// appended as usual, the block growing as a first block grows.
TEST(CxDataSet, StartWithTextFitsTheBlockToTheTextAndGrowsAsUsual) {
  const std::string longLine(9000, 'x');
  for (const std::string& text : {std::string(), std::string("R|p|0|15001|cu2405|"), longLine}) {
    CxDataSet added;
    CxDataSet started;
    ASSERT_TRUE(added.AddText(text));
    ASSERT_TRUE(started.StartWithText(text));
    const std::uint8_t* b = started.Block();
    EXPECT_EQ(block::BlockSize(b), block::ValueAreaFor(1) + text.size() + 1) << text.size();
    EXPECT_EQ(block::Capacity(b), 1u);
    EXPECT_EQ(block::ValueArea(b), block::ValueAreaFor(1));
    EXPECT_EQ(block::DirectoryStep(b), block::DirectoryStep(added.Block()));
    EXPECT_EQ(block::BlockGrowth(b), std::max<std::uint32_t>(8192, block::BlockSize(b)));
    EXPECT_EQ(std::memcmp(EntryOf(started, 0), EntryOf(added, 0), block::kEntrySize), 0) << text.size();
    EXPECT_EQ(TextAt(started, 0), text);

    for (int entry = 1; entry <= 20; ++entry) {
      ASSERT_TRUE(added.AddText("next " + std::to_string(entry)));
      ASSERT_TRUE(started.AddText("next " + std::to_string(entry)));
    }
    ASSERT_EQ(started.GetCount(), added.GetCount());
    for (std::size_t entry = 0; entry < added.GetCount(); ++entry) {
      EXPECT_EQ(TextAt(started, entry), TextAt(added, entry)) << entry;
      EXPECT_EQ(started.View().GetId(entry), added.View().GetId(entry)) << entry;
    }
    EXPECT_EQ(CxDataSet::CloneBlock(started.View()).GetCount(), 21u) << "a well-formed block";
  }
}

// Several texts at once: the entries and values that AddText gives them, in
// a block of exactly their directory and values.
TEST(CxDataSet, StartWithTextsFitsTheBlockToTheTexts) {
  const std::string longLine(9000, 'x');
  const std::vector<std::vector<std::string_view>> cases = {
      {"R|p|0|15001|a|", "", "R|p|0|15005|b|"}, {longLine, longLine, "tail"}, {"only"}};
  for (const std::vector<std::string_view>& texts : cases) {
    CxDataSet added;
    CxDataSet started;
    std::size_t valueBytes = 0;
    for (const std::string_view text : texts) {
      ASSERT_TRUE(added.AddText(text));
      valueBytes += text.size() + 1;
    }
    ASSERT_TRUE(started.StartWithTexts(texts));
    const std::uint8_t* b = started.Block();
    EXPECT_EQ(block::BlockSize(b), block::ValueAreaFor(texts.size()) + valueBytes);
    EXPECT_EQ(block::Capacity(b), texts.size());
    ASSERT_EQ(started.GetCount(), texts.size());
    for (std::size_t entry = 0; entry < texts.size(); ++entry) {
      EXPECT_EQ(std::memcmp(EntryOf(started, entry), EntryOf(added, entry), block::kEntrySize), 0) << entry;
      EXPECT_EQ(TextAt(started, entry), texts[entry]);
    }
    ASSERT_TRUE(started.AddText("next"));
    EXPECT_EQ(TextAt(started, texts.size()), "next");
    EXPECT_EQ(CxDataSet::CloneBlock(started.View()).GetCount(), texts.size() + 1) << "a well-formed block";
  }
  CxDataSet none;
  EXPECT_FALSE(none.StartWithTexts({}));
  const std::string overlong(CxDataSet::kMaxValueLength, 'x');
  const std::vector<std::string_view> withOverlong = {"fine", overlong};
  EXPECT_FALSE(none.StartWithTexts(withOverlong));
  EXPECT_EQ(none.Block(), nullptr);
}

TEST(CxDataSet, StartWithTextRefusesAListWithABlockOrAnOverlongText) {
  CxDataSet list;
  ASSERT_TRUE(list.AddText("first"));
  EXPECT_FALSE(list.StartWithText("second"));
  EXPECT_EQ(list.GetCount(), 1u);

  CxDataSet empty;
  EXPECT_FALSE(empty.StartWithText(std::string(CxDataSet::kMaxValueLength, 'x')));
  EXPECT_EQ(empty.Block(), nullptr);
  EXPECT_TRUE(empty.StartWithText(std::string(CxDataSet::kMaxValueLength - 1, 'x')));
}

TEST(CxDataSet, FirstBlockSizeFollowsTheFirstValue) {
  struct Case {
    std::size_t length;
    std::uint32_t blockSize;
  };
  const Case cases[] = {{0, 8192}, {7448, 8192}, {7449, 16384}, {15640, 16384}, {15641, 24576}, {65535, 73728}};
  for (const Case& c : cases) {
    CxDataSet list;
    ASSERT_TRUE(AddRaw(list, c.length)) << c.length;
    EXPECT_EQ(block::BlockSize(list.Block()), c.blockSize) << c.length;
    EXPECT_EQ(block::BlockGrowth(list.Block()), c.blockSize) << c.length;
    EXPECT_EQ(list.GetValue(0).size(), c.length);
  }
}

TEST(CxDataSet, ValueRoomGrowsByTheBlockGrowthAndRoundsUpAShortfall) {
  CxDataSet list;
  ASSERT_TRUE(list.AddText("0123456789"));  // 7437 bytes left
  ASSERT_TRUE(AddRaw(list, 8000, 'a'));
  EXPECT_EQ(block::BlockSize(list.Block()), 16384u);
  EXPECT_EQ(block::BlockGrowth(list.Block()), 16384u);

  CxDataSet big;
  ASSERT_TRUE(big.AddText("0123456789"));
  // 8192 + 8192 is 49906 bytes short of 744 + 11 + 65535; 57344 more.
  ASSERT_TRUE(AddRaw(big, 65535, 'b'));
  EXPECT_EQ(block::BlockSize(big.Block()), 73728u);
  EXPECT_EQ(block::BlockGrowth(big.Block()), 8192u + 8192u + 57344u);
  EXPECT_EQ(TextAt(big, 0), "0123456789");
  EXPECT_EQ(big.GetValue(1).size(), 65535u);
  EXPECT_EQ(big.GetValue(1).back(), 'b');
}

TEST(CxDataSet, DirectoryGrowsBySixteenMoreEachTime) {
  CxDataSet list;
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(list.AddText("value " + std::to_string(i)));
  EXPECT_EQ(block::Capacity(list.Block()), 16u);

  ASSERT_TRUE(list.AddText("value 16"));
  EXPECT_EQ(block::Capacity(list.Block()), 32u);
  EXPECT_EQ(block::DirectoryStep(list.Block()), 32u);
  EXPECT_EQ(block::ValueArea(list.Block()), 40u + 32u * 44u);
  EXPECT_EQ(block::BlockSize(list.Block()), 8192u);  // the free bytes took the directory

  for (int i = 17; i < 33; ++i) ASSERT_TRUE(list.AddText("value " + std::to_string(i)));
  EXPECT_EQ(block::Capacity(list.Block()), 64u);
  EXPECT_EQ(block::DirectoryStep(list.Block()), 48u);
  EXPECT_EQ(block::ValueArea(list.Block()), 40u + 64u * 44u);
  ASSERT_EQ(list.GetCount(), 33u);
  for (int i = 0; i < 33; ++i) EXPECT_EQ(TextAt(list, i), "value " + std::to_string(i));
}

TEST(CxDataSet, DirectoryGrowthEnlargesTheBlockWhenTheFreeBytesAreTooFew) {
  CxDataSet list;
  // Empty values: only the directory takes room. At capacity 176 the block
  // has 408 free bytes, short of the 80 new entries.
  for (int i = 0; i < 177; ++i) ASSERT_TRUE(list.AddEntry(nullptr, nullptr, 0, block::kRawType));
  EXPECT_EQ(block::Capacity(list.Block()), 256u);
  EXPECT_EQ(block::DirectoryStep(list.Block()), 96u);
  EXPECT_EQ(block::BlockSize(list.Block()), 16384u);
  EXPECT_EQ(block::BlockGrowth(list.Block()), 16384u);
}

TEST(CxDataSet, DirectoryGrowthEnlargesTheBlockUntilTheEntriesFit) {
  // A block (as a clone or a nested list may carry one) whose directory step
  // outruns one block growth: 400 entries need 17600 bytes.
  CxDataSet full;
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(full.AddText("row " + std::to_string(i)));
  std::vector<std::uint8_t> bytes = Bytes(full);
  block::SetU16(bytes.data(), block::kDirectoryStepOffset, 400);
  CxDataSet list = CxDataSet::CloneBlock(CxDataSetView(bytes));
  ASSERT_NE(list.Block(), nullptr);

  ASSERT_TRUE(list.AddText("row 16"));
  EXPECT_EQ(block::Capacity(list.Block()), 416u);
  EXPECT_EQ(block::BlockSize(list.Block()), 8192u + 8192u + 16384u);
  EXPECT_EQ(block::BlockGrowth(list.Block()), 24576u);
  for (int i = 0; i < 17; ++i) EXPECT_EQ(TextAt(list, i), "row " + std::to_string(i));
}

TEST(CxDataSet, AClonedBlockGrowsByAtMostTheLargestStepWhateverItsHeaderStates) {
  CxDataSet full;
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(full.AddText("row " + std::to_string(i)));
  const std::uint32_t largestStep = 16u << 20;
  struct Case {
    const char* what;
    std::uint32_t growth;
    std::uint32_t size;  // after one more entry
  };
  const Case cases[] = {
      {"the growth of a list made here", 8192, 16384},
      {"a growth beyond the largest step", 0xFFFF0000u, 8192 + largestStep},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes = Bytes(full);
    block::SetU32(bytes.data(), block::kBlockGrowthOffset, c.growth);
    CxDataSet list = CxDataSet::CloneBlock(CxDataSetView(bytes));
    ASSERT_NE(list.Block(), nullptr) << c.what;
    ASSERT_TRUE(AddRaw(list, 7000)) << c.what;
    EXPECT_EQ(block::BlockSize(list.Block()), c.size) << c.what;
    EXPECT_EQ(TextAt(list, 15), "row 15") << c.what;
    EXPECT_EQ(list.GetValue(16).size(), 7000u) << c.what;
  }
}

TEST(CxDataSet, NamesAreCutTo31BytesOnACharacterBoundary) {
  struct Case {
    std::string name;
    std::string stored;
  };
  const std::string thirty(30, 'n');
  const Case cases[] = {
      {std::string(40, 'a'), std::string(31, 'a')},
      {std::string(31, 'b'), std::string(31, 'b')},
      {thirty + "中", thirty},  // 32 bytes: the whole character goes
      {"", ""},
  };
  CxDataSet list;
  for (const Case& c : cases) ASSERT_TRUE(list.AddEntry(c.name.c_str(), "v", 2, block::kTextType));
  ASSERT_TRUE(list.AddEntry(nullptr, "w", 2, block::kTextType));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(block::EntryName(EntryOf(list, i)), cases[i].stored);
  }
  EXPECT_EQ(block::EntryName(EntryOf(list, 4)), "");
}

TEST(CxDataSet, ExplicitIdsLeaveTheAutomaticIdAlone) {
  CxDataSet list;
  ASSERT_TRUE(list.AddText("a"));
  ASSERT_TRUE(list.AddEntry("x", "b", 2, block::kTextType, 500));
  ASSERT_TRUE(list.AddText("c"));
  EXPECT_EQ(block::EntryId(EntryOf(list, 0)), 0u);
  EXPECT_EQ(block::EntryId(EntryOf(list, 1)), 500u);
  EXPECT_EQ(block::EntryId(EntryOf(list, 2)), 1u);
  EXPECT_EQ(block::NextId(list.Block()), 2u);
}

TEST(CxDataSet, ValuesLongerThanTheLengthFieldAreRefused) {
  CxDataSet list;
  ASSERT_TRUE(list.AddText("keep"));
  const std::vector<std::uint8_t> before = Bytes(list);

  EXPECT_FALSE(AddRaw(list, 65536));
  EXPECT_FALSE(list.AddText(std::string(65535, 't')));  // 65536 with its zero
  EXPECT_FALSE(list.EnsureSpace(65536));
  EXPECT_EQ(Bytes(list), before);
  EXPECT_FALSE(list.AddEntry(nullptr, nullptr, 4, block::kRawType));

  EXPECT_TRUE(list.AddText(std::string(65534, 't')));
  EXPECT_EQ(list.GetValue(1).size(), 65535u);
}

TEST(CxDataSet, AValueFromTheListItselfSurvivesTheGrowthItCauses) {
  // 300-byte values: the 17th entry moves the values inside the block;
  // 450-byte values: it reallocates the block.
  for (const std::size_t length : {300u, 450u}) {
    CxDataSet list;
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(AddRaw(list, length, static_cast<char>('a' + i)));
    const std::uint8_t* own = list.GetDataPtr(0);
    ASSERT_TRUE(list.AddEntry(nullptr, own, length, block::kRawType));
    const auto copy = list.GetValue(16);
    ASSERT_EQ(copy.size(), length);
    EXPECT_EQ(std::string(copy.begin(), copy.end()), std::string(length, 'a')) << length;
  }
}

TEST(CxDataSet, RemoveEntryPacksTheLaterValues) {
  CxDataSet list;
  ASSERT_TRUE(list.AddEntry("first", "aa", 3, block::kTextType));
  ASSERT_TRUE(list.AddEntry("second", "bbb", 4, block::kTextType));
  ASSERT_TRUE(list.AddEntry("third", "cccc", 5, block::kTextType));

  ASSERT_TRUE(list.RemoveEntry(0));
  ASSERT_EQ(list.GetCount(), 2u);
  EXPECT_EQ(block::ValueBytes(list.Block()), 9u);
  EXPECT_EQ(block::EntryValueOffset(EntryOf(list, 0)), 0u);
  EXPECT_EQ(block::EntryValueOffset(EntryOf(list, 1)), 4u);
  EXPECT_EQ(block::EntryName(EntryOf(list, 0)), "second");
  EXPECT_EQ(block::EntryName(EntryOf(list, 1)), "third");
  EXPECT_EQ(block::EntryId(EntryOf(list, 0)), 1u);
  EXPECT_EQ(block::EntryId(EntryOf(list, 1)), 2u);
  EXPECT_EQ(TextAt(list, 0), "bbb");
  EXPECT_EQ(TextAt(list, 1), "cccc");

  ASSERT_TRUE(list.RemoveEntry(1));
  EXPECT_EQ(TextAt(list, 0), "bbb");
  EXPECT_FALSE(list.RemoveEntry(1));
  ASSERT_TRUE(list.RemoveEntry(0));
  EXPECT_EQ(list.GetCount(), 0u);
  EXPECT_FALSE(list.RemoveEntry(0));
}

// A table grown by half at a time keeps its entries, uses at most half as
// much room again as it holds, and moves its values seldom; a reserve makes
// the room at once and leaves the list's own growth fields.
TEST(CxDataSet, GeometricGrowthAndReserveKeepEveryEntry) {
  CxDataSet list;
  int moves = 0;
  std::uint32_t valueArea = 0;
  for (int i = 0; i < 5000; ++i) {
    const std::string row(100, static_cast<char>('a' + i % 26));
    ASSERT_TRUE(list.EnsureSpaceGeometric(row.size()));
    ASSERT_TRUE(list.AddEntry(nullptr, row.data(), row.size(), block::kRawType));
    if (block::ValueArea(list.Block()) != valueArea) ++moves;
    valueArea = block::ValueArea(list.Block());
  }
  EXPECT_LT(moves, 20);
  EXPECT_LE(block::BlockSize(list.Block()), 1.5 * (40 + 5000 * (44 + 100)) + 8192);
  for (int i = 0; i < 5000; i += 499) EXPECT_EQ(list.GetValue(i)[99], 'a' + i % 26) << i;
  EXPECT_EQ(block::EntryId(EntryOf(list, 4999)), 4999u);

  CxDataSet reserved;
  ASSERT_TRUE(reserved.AddText("first"));
  ASSERT_TRUE(reserved.Reserve(1000, 50000));
  EXPECT_EQ(block::Capacity(reserved.Block()), 1000u);
  EXPECT_GE(block::BlockSize(reserved.Block()) - block::ValueArea(reserved.Block()), 50000u);
  EXPECT_EQ(block::DirectoryStep(reserved.Block()), 16u);
  EXPECT_EQ(block::BlockGrowth(reserved.Block()), 8192u);
  EXPECT_EQ(TextAt(reserved, 0), "first");
  const std::uint8_t* before = reserved.Block();
  for (int i = 1; i < 1000; ++i) ASSERT_TRUE(AddRaw(reserved, 50));
  EXPECT_EQ(reserved.Block(), before);  // nothing grew
}

// Removing from the middle packs the later values and keeps every entry's
// name, id and value.
TEST(CxDataSet, RemoveEntryFromTheMiddleKeepsTheLaterEntries) {
  CxDataSet list;
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(list.AddText("value " + std::to_string(i)));
  ASSERT_TRUE(list.RemoveEntry(17));
  ASSERT_EQ(list.GetCount(), 39u);
  for (int i = 0; i < 39; ++i) {
    const int was = i < 17 ? i : i + 1;
    EXPECT_EQ(TextAt(list, i), "value " + std::to_string(was));
    EXPECT_EQ(block::EntryId(EntryOf(list, i)), static_cast<std::uint32_t>(was));
  }
  const CxDataSet clone = CxDataSet::CloneBlock(list.View());
  EXPECT_EQ(clone.GetCount(), 39u);  // still well formed
}

TEST(CxDataSet, GetDataCopiesOnlyIntoABufferLongEnough) {
  CxDataSet list;
  ASSERT_TRUE(list.AddText("0123456789"));
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(list.GetData(0, 10, buffer), 0u);
  EXPECT_EQ(buffer[0], '#');
  EXPECT_EQ(list.GetData(1, sizeof buffer, buffer), 0u);
  EXPECT_EQ(list.GetData(0, 11, buffer), 11u);
  EXPECT_STREQ(buffer, "0123456789");
}

TEST(CxDataSet, AListNeverFilledReadsAsEmpty) {
  const CxDataSet list;
  char buffer[4];
  EXPECT_EQ(list.GetCount(), 0u);
  EXPECT_EQ(list.GetDataPtr(0), nullptr);
  EXPECT_EQ(list.GetData(0, sizeof buffer, buffer), 0u);
  EXPECT_EQ(list.Block(), nullptr);
  EXPECT_FALSE(list.View().HasBlock());
  EXPECT_EQ(CxDataSet::CloneBlock(list.View()).Block(), nullptr);
}

TEST(CxDataSet, ANestedListIsUsedInPlace) {
  CxDataSet rows;
  for (int r = 0; r < 3; ++r) {
    CxDataSet row;
    ASSERT_TRUE(row.AddText("code " + std::to_string(r)));
    ASSERT_TRUE(row.AddText("name " + std::to_string(r)));
    const auto bytes = row.View().Bytes();
    ASSERT_TRUE(rows.AddEntry(nullptr, bytes.data(), bytes.size(), block::kRawType));
  }
  ASSERT_EQ(rows.GetCount(), 3u);
  EXPECT_EQ(block::EntryLength(EntryOf(rows, 2)), 8192u);
  const CxDataSetView row(rows.GetValue(2));
  ASSERT_TRUE(row.HasBlock());
  ASSERT_EQ(row.GetCount(), 2u);
  EXPECT_EQ(TextAt(row, 0), "code 2");
  EXPECT_EQ(TextAt(row, 1), "name 2");

  CxDataSet big;
  ASSERT_TRUE(AddRaw(big, 65535));
  const auto bytes = big.View().Bytes();  // 73728 bytes: too long to nest
  EXPECT_FALSE(rows.AddEntry(nullptr, bytes.data(), bytes.size(), block::kRawType));
  EXPECT_EQ(rows.GetCount(), 3u);
}

TEST(CxDataSet, ANestedBlockIsTrustedOnlyWithinItsStatedSize) {
  CxDataSet row;
  ASSERT_TRUE(row.AddText("abc"));
  ASSERT_TRUE(row.AddText("defg"));
  const std::vector<std::uint8_t> good = Bytes(row);

  struct Damage {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  };
  const Damage damages[] = {
      {"size beyond the bytes", block::kBlockSizeOffset, 8193},
      {"size below the header", block::kBlockSizeOffset, 8},
      {"more entries than room", block::kCountOffset, 17},
      {"values beyond the block", block::kValueBytesOffset, 8192},
      {"directory over the values", block::kValueAreaOffset, 60},
  };
  for (const Damage& damage : damages) {
    std::vector<std::uint8_t> bytes = good;
    block::SetU32(bytes.data(), damage.at, damage.value);
    const CxDataSetView view(bytes);
    EXPECT_FALSE(view.HasBlock()) << damage.what;
    EXPECT_EQ(view.GetCount(), 0u) << damage.what;
    EXPECT_EQ(view.GetDataPtr(0), nullptr) << damage.what;
  }

  EXPECT_FALSE(CxDataSetView(std::span(good).first(8191)).HasBlock());
  EXPECT_FALSE(CxDataSetView(std::span(good).first(20)).HasBlock());

  // An entry whose value lies past the values in use reads as absent.
  std::vector<std::uint8_t> bytes = good;
  block::SetU32(block::Entry(bytes.data(), 1), block::kEntryValueOffset, 6);
  const CxDataSetView view(bytes);
  EXPECT_EQ(TextAt(view, 0), "abc");
  EXPECT_EQ(view.GetDataPtr(1), nullptr);
  char buffer[16];
  EXPECT_EQ(view.GetData(1, sizeof buffer, buffer), 0u);
  EXPECT_EQ(CxDataSet::CloneBlock(view).Block(), nullptr);  // not packed: not a list to write to
}

TEST(CxDataSet, CloneBlockIsAnIndependentCopy) {
  CxDataSet list;
  ASSERT_TRUE(list.AddEntry("k", "one", 4, block::kTextType));
  ASSERT_TRUE(list.AddText("two"));
  CxDataSet clone = CxDataSet::CloneBlock(list.View());
  ASSERT_NE(clone.Block(), nullptr);
  EXPECT_NE(clone.Block(), list.Block());
  EXPECT_EQ(Bytes(clone), Bytes(list));

  ASSERT_TRUE(list.RemoveEntry(0));
  ASSERT_TRUE(list.AddText("three"));
  std::memcpy(list.GetDataPtr(0), "TWO", 3);
  ASSERT_EQ(clone.GetCount(), 2u);
  EXPECT_EQ(TextAt(clone, 0), "one");
  EXPECT_EQ(TextAt(clone, 1), "two");
  ASSERT_TRUE(clone.AddText("four"));
  EXPECT_EQ(list.GetCount(), 2u);
}

TEST(CxDataSet, ReleasedBlocksChangeOwner) {
  CxDataSet list;
  ASSERT_TRUE(list.AddText("answer"));
  std::uint8_t* released = list.ReleaseBlock();
  EXPECT_EQ(list.Block(), nullptr);
  EXPECT_EQ(list.GetCount(), 0u);

  CxDataSet owner(released);
  EXPECT_EQ(TextAt(owner, 0), "answer");
  CxDataSet moved(std::move(owner));
  EXPECT_EQ(owner.Block(), nullptr);  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(TextAt(moved, 0), "answer");
  moved.FreeBlock();
  EXPECT_EQ(moved.GetCount(), 0u);
}

TEST(CxDataSet, InsertItemRebuildsTheListAroundANamelessItem) {
  std::array<std::uint8_t, CxDataSet::kItemSize> item{};
  std::memcpy(item.data(), "item", 5);

  CxDataSet list;
  ASSERT_TRUE(list.AddEntry("a", "A", 2, block::kTextType));
  ASSERT_TRUE(list.AddEntry("b", "BB", 2, block::kRawType, 70));
  ASSERT_TRUE(list.AddEntry("c", "C", 2, block::kTextType));
  ASSERT_EQ(block::NextId(list.Block()), 2u);

  ASSERT_TRUE(list.InsertItem(1, item));
  ASSERT_EQ(list.GetCount(), 4u);
  const char* names[] = {"a", "", "b", "c"};
  const std::uint32_t ids[] = {0, 2, 70, 1};
  const std::uint8_t types[] = {block::kTextType, block::kRawType, block::kRawType, block::kTextType};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(block::EntryName(EntryOf(list, i)), names[i]) << i;
    EXPECT_EQ(block::EntryId(EntryOf(list, i)), ids[i]) << i;
    EXPECT_EQ(block::EntryType(EntryOf(list, i)), types[i]) << i;
    EXPECT_EQ(block::EntryFlag(EntryOf(list, i)), 0u) << i;
  }
  EXPECT_EQ(list.GetValue(1).size(), 72u);
  EXPECT_EQ(TextAt(list, 1), "item");
  EXPECT_EQ(TextAt(list, 3), "C");
  EXPECT_EQ(block::NextId(list.Block()), 3u);

  ASSERT_TRUE(list.InsertItem(99, item));  // beyond the count: appended
  EXPECT_EQ(list.GetCount(), 5u);
  EXPECT_EQ(block::EntryId(EntryOf(list, 4)), 3u);
  EXPECT_EQ(block::NextId(list.Block()), 4u);

  CxDataSet empty;
  ASSERT_TRUE(empty.InsertItem(0, item));
  EXPECT_EQ(empty.GetCount(), 1u);
  EXPECT_EQ(block::EntryId(EntryOf(empty, 0)), 0u);
  EXPECT_EQ(block::NextId(empty.Block()), 1u);
}
