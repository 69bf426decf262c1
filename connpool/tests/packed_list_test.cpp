#include "connpool/packed_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"

namespace connpool {
namespace {

namespace layout = packed_layout;
using testing::AddressOf;
using testing::Bytes;
using testing::FailingAllocations;
using testing::LayoutReader;

std::vector<std::byte> Filled(std::size_t length, char fill = 'x') {
  return std::vector<std::byte>(length, static_cast<std::byte>(fill));
}

TEST(PackedList, FirstEntriesLayOutHeaderDirectoryAndValues) {
  PackedList list;
  ASSERT_TRUE(list.AddText("abc", "name", kTextEntry, 7));
  ASSERT_TRUE(list.AddInt32(-2, "n"));

  const LayoutReader block(list.Block());
  EXPECT_EQ(block.Header(layout::kBlockSize), 8192u);
  EXPECT_EQ(block.Header(layout::kHeap), 0u);
  EXPECT_EQ(block.GrowthStep(), 16);
  EXPECT_EQ(block.Header(layout::kGrowthIncrement), 8192u);
  EXPECT_EQ(block.Header(layout::kValueArea), 752u);
  EXPECT_EQ(block.Header(layout::kValueBytes), 8u);
  EXPECT_EQ(block.ParentAddress(), 0u);
  EXPECT_EQ(block.Header(layout::kParentEntryId), 0xFFFFFFFFu);
  EXPECT_EQ(block.Header(layout::kCapacity), 16u);
  EXPECT_EQ(block.Header(layout::kCount), 2u);
  EXPECT_EQ(block.Header(layout::kNextId), 2u);

  EXPECT_EQ(block.Name(0), "name");
  EXPECT_EQ(block.ValueOffset(0), 0u);
  EXPECT_EQ(block.Length(0), 4);
  EXPECT_EQ(block.Type(0), kTextEntry);
  EXPECT_EQ(block.Flag(0), 7);
  EXPECT_EQ(block.Id(0), 0u);
  EXPECT_EQ(std::memcmp(block.Value(0), "abc", 4), 0);

  EXPECT_EQ(block.ValueOffset(1), 4u);
  EXPECT_EQ(block.Type(1), kInt32Entry);
  EXPECT_EQ(block.Id(1), 1u);
  EXPECT_EQ(platform::LoadLittleEndian<std::uint32_t>(block.Value(1)), 0xFFFFFFFEu);
  EXPECT_EQ(list.TextAt(0), "abc");
  EXPECT_EQ(list.Count(), 2);
}

TEST(PackedList, FirstBlockSizeFollowsTheFirstValue) {
  const struct {
    std::size_t length;
    std::uint32_t blockSize;
  } cases[] = {{0, 8192}, {7440, 8192}, {7441, 16384}, {15632, 16384}, {15633, 24576}, {65535, 73728}};
  for (const auto& c : cases) {
    PackedList list;
    ASSERT_TRUE(list.AddEntry(Filled(c.length), {}, kBinaryEntry, 0)) << c.length;
    const LayoutReader block(list.Block());
    EXPECT_EQ(block.Header(layout::kBlockSize), c.blockSize) << c.length;
    EXPECT_EQ(block.Header(layout::kGrowthIncrement), c.blockSize) << c.length;
    EXPECT_EQ(list.ValueAt(0).size(), c.length);
  }
}

TEST(PackedList, LengthsBeyondSixteenBitsAreRefused) {
  PackedList list;
  EXPECT_FALSE(list.AddEntry(Filled(65536), {}, kBinaryEntry, 0));
  EXPECT_EQ(list.Block(), nullptr);
  ASSERT_TRUE(list.AddText("first"));
  EXPECT_FALSE(list.InsertEntry(0, Filled(65536), {}, kBinaryEntry, 0));
  EXPECT_FALSE(list.AddText(std::string(65535, 'y')));  // with its NUL one byte too long
  EXPECT_EQ(list.Count(), 1);

  // A list whose block outgrew 16 bits cannot be appended as one value.
  PackedList big;
  ASSERT_TRUE(big.AddEntry(Filled(60000), {}, kBinaryEntry, 0));
  ASSERT_TRUE(big.AddEntry(Filled(10000), {}, kBinaryEntry, 0));
  ASSERT_GT(LayoutReader(big.Block()).Header(layout::kBlockSize), 65535u);
  EXPECT_FALSE(list.AppendListAsValue(big));
  EXPECT_EQ(list.Count(), 1);
}

TEST(PackedList, NamesKeepAtMost31BytesCutOnACharacterBoundary) {
  const std::string thirty(30, 'a');
  const struct {
    std::string name;
    std::string stored;
  } cases[] = {
      {"", ""},
      {std::string(31, 'b'), std::string(31, 'b')},
      {std::string(32, 'c'), std::string(31, 'c')},
      {std::string(40, 'd'), std::string(31, 'd')},
      {thirty + "中", thirty},  // the second half of the character would be cut off
      {std::string("ab\0cd", 5), "ab"},
  };
  for (const auto& c : cases) {
    PackedList list;
    ASSERT_TRUE(list.AddText("v", c.name));
    EXPECT_EQ(LayoutReader(list.Block()).Name(0), c.stored) << c.name;
  }
}

TEST(PackedList, FullDirectoryGrowsAndMovesTheValues) {
  PackedList list;
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(list.AddText("value" + std::to_string(i)));
  ASSERT_EQ(LayoutReader(list.Block()).Header(layout::kValueArea), 752u);

  ASSERT_TRUE(list.AddText("value16"));
  LayoutReader block(list.Block());
  EXPECT_EQ(block.Header(layout::kValueArea), 752u + 704u);
  EXPECT_EQ(block.Header(layout::kCapacity), 32u);
  EXPECT_EQ(block.GrowthStep(), 32);
  EXPECT_EQ(block.Header(layout::kBlockSize), 8192u) << "the new slots fit without growing the block";
  for (int i = 0; i < 17; ++i) EXPECT_EQ(list.TextAt(i), "value" + std::to_string(i));

  const struct {
    int entries;
    std::uint32_t capacity;
  } steps[] = {{33, 64}, {65, 112}, {113, 176}};
  for (const auto& step : steps) {
    while (list.Count() < step.entries) ASSERT_TRUE(list.AddText("value" + std::to_string(list.Count())));
    block = LayoutReader(list.Block());
    EXPECT_EQ(block.Header(layout::kCapacity), step.capacity);
    EXPECT_EQ(block.Header(layout::kValueArea), 48u + 44u * step.capacity);
  }
  for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.TextAt(i), "value" + std::to_string(i));
}

TEST(PackedList, ValueAreaGrowsByTheIncrementAndAsFarAsTheValueNeeds) {
  PackedList list;
  ASSERT_TRUE(list.AddEntry(Filled(7000, 'a'), {}, kBinaryEntry, 0));
  ASSERT_TRUE(list.AddEntry(Filled(2000, 'b'), {}, kBinaryEntry, 0));
  LayoutReader block(list.Block());
  EXPECT_EQ(block.Header(layout::kBlockSize), 16384u);
  EXPECT_EQ(block.Header(layout::kGrowthIncrement), 16384u);

  // 6632 bytes free, 60000 wanted: one increment (16384) is not enough, so
  // 40960 more (36984 rounded up to whole units) come on top.
  ASSERT_TRUE(list.AddEntry(Filled(60000, 'c'), {}, kBinaryEntry, 0));
  block = LayoutReader(list.Block());
  EXPECT_EQ(block.Header(layout::kBlockSize), 73728u);
  EXPECT_EQ(block.Header(layout::kGrowthIncrement), 16384u + 40960u + 8192u);
  EXPECT_EQ(block.Header(layout::kValueBytes), 69000u);
  EXPECT_EQ(list.ValueAt(0)[6999], std::byte{'a'});
  EXPECT_EQ(list.ValueAt(1)[1999], std::byte{'b'});
  EXPECT_EQ(list.ValueAt(2)[59999], std::byte{'c'});
}

TEST(PackedList, RemoveAtClosesTheGapAndKeepsTheOthersInOrder) {
  PackedList list;
  ASSERT_TRUE(list.AddText("zero"));
  ASSERT_TRUE(list.AddText("one", "n1", kTextEntry, 5));
  ASSERT_TRUE(list.AddText("two"));
  ASSERT_TRUE(list.RemoveAt(0));

  const LayoutReader block(list.Block());
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.TextAt(0), "one");
  EXPECT_EQ(list.TextAt(1), "two");
  EXPECT_EQ(block.Id(0), 1u);
  EXPECT_EQ(block.Id(1), 2u);
  EXPECT_EQ(block.Name(0), "n1");
  EXPECT_EQ(block.Flag(0), 5);
  EXPECT_EQ(block.ValueOffset(0), 0u);
  EXPECT_EQ(block.ValueOffset(1), 4u);
  EXPECT_EQ(block.Header(layout::kValueBytes), 8u);
  EXPECT_EQ(block.Header(layout::kNextId), 3u);
}

TEST(PackedList, IndexesOutsideTheListAreRefused) {
  PackedList empty;
  PackedList list;
  ASSERT_TRUE(list.AddText("only"));
  for (int index : {-1, -100, 1, 2}) {
    EXPECT_EQ(list.ValueAt(index).data(), nullptr) << index;
    EXPECT_EQ(list.TextAt(index), "") << index;
    EXPECT_EQ(list.ChildAt(index), nullptr) << index;
    EXPECT_FALSE(list.RemoveAt(index)) << index;
    EXPECT_FALSE(empty.RemoveAt(index)) << index;
    EXPECT_EQ(empty.ValueAt(index).data(), nullptr) << index;
  }
  EXPECT_FALSE(list.InsertEntry(-1, Bytes("x"), {}, kBinaryEntry, 0));
  EXPECT_FALSE(list.InsertInt32At(-1, 5));
  EXPECT_FALSE(empty.RemoveAt(0));
  EXPECT_EQ(list.Count(), 1);
}

TEST(PackedList, InsertPlacesTheEntryAndEveryEntryKeepsItsOwnFlagAndId) {
  PackedList list;
  ASSERT_TRUE(list.AddText("a", "a", kTextEntry, 1));
  ASSERT_TRUE(list.AddText("b", "b", kTextEntry, 2));
  ASSERT_TRUE(list.InsertEntry(1, Bytes(std::string_view("x", 2)), "x", kTextEntry, 7));
  ASSERT_TRUE(list.InsertInt32At(99, 42, "end"));  // beyond the count: appended

  const LayoutReader block(list.Block());
  ASSERT_EQ(list.Count(), 4);
  const char* names[] = {"a", "x", "b", "end"};
  const std::uint8_t flags[] = {1, 7, 2, 0};
  const std::uint32_t ids[] = {0, 2, 1, 3};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(block.Name(i), names[i]);
    EXPECT_EQ(block.Flag(i), flags[i]) << i;
    EXPECT_EQ(block.Id(i), ids[i]) << i;
  }
  EXPECT_EQ(list.TextAt(1), "x");
  EXPECT_EQ(block.Type(3), kInt32Entry);
  EXPECT_EQ(block.Header(layout::kNextId), 4u);
}

TEST(PackedList, TextReadsStopAtTheValueLength) {
  PackedList list;
  ASSERT_TRUE(list.AddEntry(Bytes("abc"), {}, kTextEntry, 0));  // no NUL of its own
  ASSERT_TRUE(list.AddEntry(Bytes("zzzz"), {}, kTextEntry, 0));
  ASSERT_TRUE(list.AddEntry(Bytes(std::string_view("ab\0cd", 5)), {}, kTextEntry, 0));
  EXPECT_EQ(list.TextAt(0), "abc");
  EXPECT_EQ(list.TextAt(2), "ab");
}

TEST(PackedList, ValuesTakenFromTheListItselfSurviveAGrowth) {
  PackedList list;
  ASSERT_TRUE(list.AddEntry(Filled(7000, 'q'), {}, kBinaryEntry, 0));
  ASSERT_TRUE(list.AddEntry(list.ValueAt(0), {}, kBinaryEntry, 0));  // the block must grow
  ASSERT_TRUE(list.InsertEntry(0, list.ValueAt(1), {}, kBinaryEntry, 0));
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(list.ValueAt(i).size(), 7000u);
    EXPECT_EQ(list.ValueAt(i)[6999], std::byte{'q'});
  }
}

TEST(PackedList, AppendListAsValueCopiesTheWholeBlock) {
  PackedList packet;
  ASSERT_TRUE(packet.AddText("field"));
  PackedList results;
  ASSERT_TRUE(results.AppendListAsValue(packet));
  EXPECT_FALSE(results.AppendListAsValue(PackedList()));

  const LayoutReader block(results.Block());
  EXPECT_EQ(block.Type(0), kBinaryEntry);
  EXPECT_EQ(block.Name(0), "");
  ASSERT_EQ(results.ValueAt(0).size(), 8192u);
  EXPECT_EQ(std::memcmp(results.ValueAt(0).data(), packet.Block(), 8192), 0);
  EXPECT_EQ(packet.TextAt(0), "field");
}

TEST(PackedList, AttachAndDetachMoveOwnership) {
  PackedList first;
  ASSERT_TRUE(first.AddText("kept"));
  PackedBlock* block = first.Detach();
  EXPECT_EQ(first.Block(), nullptr);
  EXPECT_EQ(first.Count(), 0);

  PackedList second;
  ASSERT_TRUE(second.AddText("replaced"));
  second.Attach(block);  // frees the block it held
  EXPECT_EQ(second.TextAt(0), "kept");
}

// A parent holding one child list, each with a text.
struct Family {
  Family() {
    EXPECT_TRUE(parent.AddText("parent text"));
    PackedList child;
    EXPECT_TRUE(child.AddText("child text"));
    EXPECT_TRUE(parent.AddChildList(child, "child"));
    EXPECT_EQ(child.Block(), nullptr);
  }
  PackedBlock* Child() const { return parent.ChildAt(1); }
  PackedList parent;
};

TEST(PackedList, ChildListIsLinkedBothWays) {
  Family family;
  ASSERT_NE(family.Child(), nullptr);
  const LayoutReader parent(family.parent.Block());
  const LayoutReader child(family.Child());
  EXPECT_EQ(parent.Type(1), kChildListEntry);
  EXPECT_EQ(parent.Length(1), 8);
  EXPECT_EQ(child.ParentAddress(), AddressOf(family.parent.Block()));
  EXPECT_EQ(child.Header(layout::kParentEntryId), parent.Id(1));
  EXPECT_EQ(PackedList(family.Child()).TextAt(0), "child text") << "a child handle leaves the child alone";
  EXPECT_EQ(family.parent.ChildAt(0), nullptr) << "a text entry is no child";
}

TEST(PackedList, ChildListIsRefusedWhenItWouldBreakTheTree) {
  Family family;
  PackedList empty;
  EXPECT_FALSE(family.parent.AddChildList(empty));
  PackedList child(family.Child());
  EXPECT_FALSE(family.parent.AddChildList(child)) << "already has a parent";
  EXPECT_FALSE(child.AddChildList(family.parent)) << "would hold its own parent";
  EXPECT_EQ(family.parent.Count(), 2);
  child.Detach();
}

TEST(PackedList, MovingBlocksKeepParentAndChildLinked) {
  Family family;
  // The parent grows and moves: the child follows it.
  ASSERT_TRUE(family.parent.AddEntry(Filled(60000), {}, kBinaryEntry, 0));
  EXPECT_EQ(LayoutReader(family.Child()).ParentAddress(), AddressOf(family.parent.Block()));

  // The child grows and moves: the parent's entry follows it.
  PackedList child(family.Child());
  ASSERT_TRUE(child.AddEntry(Filled(60000), {}, kBinaryEntry, 0));
  EXPECT_EQ(family.Child(), child.Block());
  EXPECT_EQ(PackedList(family.Child()).TextAt(0), "child text");
  child.Detach();
}

TEST(PackedList, ChildFreedThroughItsOwnHandleClearsTheParentsEntry) {
  Family family;
  PackedList child(family.Child());
  child.Free();
  const LayoutReader parent(family.parent.Block());
  EXPECT_EQ(parent.Type(1), kBinaryEntry);
  EXPECT_EQ(platform::LoadLittleEndian<std::uint64_t>(parent.Value(1)), 0u);
  EXPECT_EQ(family.parent.ChildAt(1), nullptr);
  // Destroying the parent must not free the child a second time.
}

TEST(PackedList, RemovingAChildEntryFreesTheChild) {
  Family family;
  ASSERT_TRUE(family.parent.RemoveAt(1));
  EXPECT_EQ(family.parent.Count(), 1);
}

TEST(PackedList, CloneCopiesNestedListsAndOwnsThem) {
  Family family;
  PackedList copy(PackedList::CloneBlock(family.parent.Block()));
  ASSERT_NE(copy.Block(), nullptr);
  ASSERT_NE(copy.ChildAt(1), nullptr);
  EXPECT_NE(copy.ChildAt(1), family.Child());
  EXPECT_EQ(LayoutReader(copy.Block()).ParentAddress(), 0u);
  EXPECT_EQ(LayoutReader(copy.Block()).Header(layout::kParentEntryId), 0xFFFFFFFFu);
  EXPECT_EQ(LayoutReader(copy.ChildAt(1)).ParentAddress(), AddressOf(copy.Block()));
  EXPECT_EQ(PackedList(copy.ChildAt(1)).TextAt(0), "child text");

  copy.Free();
  EXPECT_EQ(family.parent.TextAt(0), "parent text");
  EXPECT_EQ(PackedList(family.Child()).TextAt(0), "child text");
}

TEST(PackedList, FailedAllocationsLeaveTheListAsItWas) {
  Family family;
  {
    FailingAllocations failing(1);  // the parent's copy, not its child's
    EXPECT_EQ(PackedList::CloneBlock(family.parent.Block()), nullptr);
  }

  PackedList list;
  {
    FailingAllocations failing;
    EXPECT_FALSE(list.AddText("first"));
    EXPECT_EQ(list.Block(), nullptr);
  }
  ASSERT_TRUE(list.AddEntry(Filled(7000), {}, kBinaryEntry, 0));
  const std::vector<std::byte> before(reinterpret_cast<const std::byte*>(list.Block()),
                                      reinterpret_cast<const std::byte*>(list.Block()) + 8192);
  {
    FailingAllocations failing;
    EXPECT_FALSE(list.AddEntry(Filled(2000), {}, kBinaryEntry, 0));
    EXPECT_FALSE(list.InsertEntry(0, Filled(2000), {}, kBinaryEntry, 0));
  }
  EXPECT_EQ(std::memcmp(list.Block(), before.data(), before.size()), 0);
}

}  // namespace
}  // namespace connpool
