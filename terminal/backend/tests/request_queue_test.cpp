#include "backend/request_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/transport.h"

namespace {

using backend::RequestPtr;
using backend::RequestQueue;
using backend::RequestRecord;

// The titles of the queued records in order; the queue is emptied.
std::vector<std::string> Drain(RequestQueue& queue) {
  std::vector<std::string> titles;
  while (RequestRecord* record = queue.PopFront()) titles.emplace_back(record->title);
  return titles;
}

}  // namespace

TEST(RequestQueue, OrdersByPriorityAndKeepsArrivalOrderWithinOne) {
  std::vector<RequestPtr> records;
  auto make = [&](const char* title, int priority) {
    records.push_back(backend::CreateRequest(title, 0, priority, "", 1));
    return records.back().get();
  };
  RequestQueue queue;
  queue.Enqueue(make("2a", 2));
  queue.Enqueue(make("1a", 1));
  queue.Enqueue(make("0a", 0));
  queue.Enqueue(make("1b", 1));
  queue.Enqueue(make("0b", 0));
  queue.Enqueue(make("2b", 2));
  EXPECT_EQ(Drain(queue), (std::vector<std::string>{"2a", "2b", "1a", "1b", "0a", "0b"}));

  queue.InsertAt(0, make("x", 0));
  queue.InsertAt(99, make("z", 2));
  queue.InsertAt(1, make("y", 1));
  EXPECT_EQ(Drain(queue), (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(queue.PopFront(), nullptr);
}

TEST(ResultQueue, HandsRecordsOutInTheirOrderAndFreesWhatIsLeft) {
  backend::ResultQueue queue;
  EXPECT_TRUE(queue.Post(backend::CreateRequest("first", 0, 0, "", 0)));
  EXPECT_TRUE(queue.Post(backend::CreateRequest("second", 0, 0, "", 0)));
  EXPECT_TRUE(queue.Post(backend::CreateRequest("left behind", 0, 0, "", 0)));
  EXPECT_STREQ(queue.TakeNext()->title, "first");
  EXPECT_STREQ(queue.TakeNext()->title, "second");
  EXPECT_EQ(queue.Count(), 1u);  // the address sanitizer sees it freed with the queue
}

// The taker is woken once per burst: by the first record after it found
// the queue empty, outside the queue's lock (the hook may look at the
// queue), and never by a hook that was taken away.
TEST(ResultQueue, TheArrivalHookWakesTheTakerOncePerBurst) {
  backend::ResultQueue queue;
  std::vector<std::size_t> countsSeen;
  queue.SetArrivalHook([&] { countsSeen.push_back(queue.Count()); });
  const auto post = [&queue] { ASSERT_TRUE(queue.Post(backend::CreateRequest("", 0, 0, "", 0))); };

  post();
  post();
  EXPECT_EQ(countsSeen, (std::vector<std::size_t>{1})) << "the first post wakes; the second finds it woken";
  EXPECT_NE(queue.TakeNext(), nullptr);
  post();
  EXPECT_EQ(countsSeen.size(), 1u) << "taking without emptying the queue asks for no other wake";
  while (queue.TakeNext()) {
  }
  post();
  post();
  EXPECT_EQ(countsSeen, (std::vector<std::size_t>{1, 1})) << "found empty, the queue wakes the taker again";

  while (queue.TakeNext()) {
  }
  queue.SetArrivalHook({});
  post();
  EXPECT_EQ(countsSeen.size(), 2u);
}

// One received block is one push item: its non-empty lines in their order,
// the unterminated last one too, in a list that fits them.
TEST(PushData, TheNonEmptyLinesOfABlockBecomeOnePushItemInOrder) {
  const char raw[] = "R|p|0|15001|a|\0\0R|p|0|15006|b|\0R|p|0|15002|unterminated";
  const std::string block(raw, sizeof raw - 1);
  backend::OnReceivePushData(2, block.data(), static_cast<int>(block.size()));
  backend::OnReceivePushData(1, "R|p|0|15001|c|", 14);
  const char empty[] = "\0\0";
  backend::OnReceivePushData(1, empty, 2);
  // A line too long to keep is left out alone.
  const std::string withOverlong = "R|p|0|15001|d|" + std::string(1, '\0') +
                                   std::string(backend::CxDataSet::kMaxValueLength, 'x') + '\0' + "R|p|0|15001|e|";
  backend::OnReceivePushData(0, withOverlong.data(), static_cast<int>(withOverlong.size()));
  struct Item {
    int connection;
    std::vector<std::string> lines;
    bool operator==(const Item&) const = default;
  };
  std::vector<Item> items;
  while (RequestPtr record = backend::TheResultQueue().TakeNext()) {
    EXPECT_TRUE(record->IsPush());
    EXPECT_EQ(record->priority, 0);
    EXPECT_STREQ(record->title, "");
    ASSERT_EQ(record->count, 1);
    Item& item = items.emplace_back(Item{record->connection, {}});
    for (std::uint32_t line = 0; line < backend::PushLineCount(*record); ++line) {
      item.lines.emplace_back(backend::PushLineAt(*record, line));
    }
  }
  const std::vector<Item> expected = {
      {2, {"R|p|0|15001|a|", "R|p|0|15006|b|", "R|p|0|15002|unterminated"}},
      {1, {"R|p|0|15001|c|"}},
      {0, {"R|p|0|15001|d|", "R|p|0|15001|e|"}},
  };
  EXPECT_EQ(items, expected) << "a block without lines queues nothing";
}
