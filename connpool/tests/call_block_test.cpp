#include "connpool/call_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"

namespace connpool {
namespace {

using testing::FailingAllocations;

TEST(CallBlock, NewBlockFillsTheHeadAndZeroesTheSubCalls) {
  const std::string longTitle(70, 't');
  CallBlockPtr block = NewCallBlock(
      {.title = longTitle, .connection = 3, .priority = 1, .second = "甲", .third = "乙", .hostValue = 77}, 2);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->size, 264u + 2u * 1568u);
  EXPECT_EQ(block->connection, 3);
  EXPECT_EQ(block->priority, 1);
  EXPECT_EQ(std::string(block->title), std::string(63, 't'));
  EXPECT_STREQ(block->second, "甲");
  EXPECT_STREQ(block->third, "乙");
  EXPECT_EQ(block->hostValue, 77);
  EXPECT_EQ(block->subCallCount, 2);
  EXPECT_EQ(block->done, nullptr);
  EXPECT_EQ(block->SubCalls()[1].arguments, nullptr);
  EXPECT_EQ(block->SubCalls()[1].resultCode, 0);

  EXPECT_EQ(NewCallBlock({.title = "none"}, 0), nullptr);
  FailingAllocations failing;
  EXPECT_EQ(NewCallBlock({.title = "no memory"}, 1), nullptr);
}

TEST(CallBlock, SetSubCallCopiesTheArgumentsAndBoundsTheHostData) {
  CallBlockPtr block = NewCallBlock({.title = "t"}, 2);
  ASSERT_NE(block, nullptr);
  PackedList arguments;
  ASSERT_TRUE(arguments.AddText("first argument"));
  const std::vector<std::byte> hostData(600, std::byte{0x5A});

  ASSERT_TRUE(SetSubCall(*block, 1,
                         {.requestNumber = 9,
                          .functionNumber = 5011,
                          .singlePacket = true,
                          .arguments = arguments.Block(),
                          .hostData = hostData}));
  ASSERT_TRUE(arguments.AddText("added later"));
  const SubCall& subCall = block->SubCalls()[1];
  EXPECT_EQ(subCall.requestNumber, 9);
  EXPECT_EQ(subCall.functionNumber, 5011);
  EXPECT_EQ(subCall.singlePacket, 1);
  ASSERT_NE(subCall.arguments, arguments.Block());
  EXPECT_EQ(testing::BorrowedList(subCall.arguments)->Count(), 1) << "the host's list stays its own";
  EXPECT_EQ(subCall.hostData[kHostDataSize - 1], 0x5A);

  // Setting again replaces (and frees) the argument list it held.
  ASSERT_TRUE(SetSubCall(*block, 1, {.requestNumber = 10, .functionNumber = 5012}));
  EXPECT_EQ(block->SubCalls()[1].arguments, nullptr);

  EXPECT_FALSE(SetSubCall(*block, -1, {}));
  EXPECT_FALSE(SetSubCall(*block, 2, {}));
  {
    FailingAllocations failing;
    EXPECT_FALSE(SetSubCall(*block, 0, {.requestNumber = 1, .arguments = arguments.Block()}));
  }
  EXPECT_EQ(block->SubCalls()[0].requestNumber, 0) << "a failed copy leaves the sub-call as it was";
}

TEST(CallBlock, ResultPacketsAreAppendedAndResultListsReplaced) {
  CallBlockPtr block = NewCallBlock({.title = "t"}, 1);
  ASSERT_NE(block, nullptr);
  PackedList packet;
  ASSERT_TRUE(packet.AddText("Y"));
  ASSERT_TRUE(AppendResultPacket(*block, 0, packet));
  ASSERT_TRUE(AppendResultPacket(*block, 0, packet));
  EXPECT_FALSE(AppendResultPacket(*block, 1, packet));

  SubCall& subCall = block->SubCalls()[0];
  {
    const testing::BorrowedList results(subCall.results);
    ASSERT_EQ(results->Count(), 2);
    ASSERT_EQ(results->ValueAt(1).size(), 8192u);
    // A packet is a whole list block: a copy of it reads as a list.
    const PackedList copy(PackedList::CloneBlock(reinterpret_cast<const PackedBlock*>(results->ValueAt(1).data())));
    EXPECT_EQ(copy.TextAt(0), "Y");
  }

  PackedList replacement;
  ASSERT_TRUE(replacement.AppendListAsValue(packet));
  PackedBlock* expected = replacement.Block();
  SetResults(subCall, std::move(replacement));  // the old list of two packets is freed
  EXPECT_EQ(subCall.results, expected);
  SetResults(subCall, PackedList());
  EXPECT_EQ(subCall.results, nullptr);

  SetErrorText(subCall, std::string(2000, 'e'));
  EXPECT_EQ(std::strlen(subCall.errorText), kErrorTextSize - 1);
}

}  // namespace
}  // namespace connpool
