// The bounded queue of what waits to be written to one client.
#include "outgoing_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "portal/frame.h"

namespace simbackend_test {
namespace {

using simbackend::OutgoingQueue;
using simbackend::QuoteUpdate;

std::string AnswerFrame(const std::string& text) {
  std::string frame;
  portal::AppendFrame(frame, portal::FrameKind::kAnswer, 1, text);
  return frame;
}

// The frames of a batch as "A:text" for an answer and "P:line,line" for a push.
std::string Describe(const std::string& batch) {
  portal::FrameReader reader;
  reader.Append(batch);
  std::string described;
  for (auto next = reader.Next(); next.status == portal::DecodeStatus::kComplete; next = reader.Next()) {
    if (!described.empty()) described += ' ';
    if (next.frame.kind != portal::FrameKind::kPush) {
      described += "A:" + next.frame.text;
      continue;
    }
    described += "P:";
    for (const std::string_view line : portal::SplitPushLines(next.frame.text)) described.append(line).push_back(',');
    described.pop_back();
  }
  return reader.Pending() == 0 ? described : described + " (cut)";
}

struct Step {
  char what;  // 'F' a frame, 'Q' updates, 'T' take everything
  std::string frame;
  std::vector<QuoteUpdate> updates;
};

Step Frame(std::string text) { return {'F', std::move(text), {}}; }
Step Quotes(std::vector<QuoteUpdate> updates) { return {'Q', {}, std::move(updates)}; }
Step Take() { return {'T', {}, {}}; }

TEST(OutgoingQueue, KeepsFramesInOrderAndTheLatestUpdateOfAContractBehindThem) {
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<std::string> batches;
  };
  const Case cases[] = {
      {"frames in order", {Frame("a"), Frame("b"), Take()}, {"A:a A:b"}},
      {"an update replaces its contract's where it waits",
       {Quotes({{1, "x1"}, {2, "y1"}}), Quotes({{1, "x2"}, {3, "z1"}}), Take()},
       {"P:x2,y1,z1"}},
      {"an update behind a frame leaves the one before the frame",
       {Quotes({{1, "x1"}}), Frame("a"), Quotes({{1, "x2"}}), Quotes({{1, "x3"}}), Take()},
       {"P:x1 A:a P:x3"}},
      {"an update taken is not replaced", {Quotes({{1, "x1"}}), Take(), Quotes({{1, "x2"}}), Take()}, {"P:x1", "P:x2"}},
      {"within one step the last update of a contract wins", {Quotes({{1, "x1"}, {1, "x2"}}), Take()}, {"P:x2"}},
      {"an empty frame text or no update adds nothing", {Frame(""), Quotes({}), Take()}, {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OutgoingQueue queue(1 << 20);
    std::vector<std::string> batches;
    for (const Step& step : c.steps) {
      switch (step.what) {
        case 'F': EXPECT_TRUE(queue.AddFrames(step.frame.empty() ? "" : AnswerFrame(step.frame))); break;
        case 'Q': EXPECT_TRUE(queue.AddQuoteUpdates(step.updates)); break;
        default: batches.push_back(Describe(queue.TakeBatch(1 << 20))); break;
      }
    }
    EXPECT_EQ(batches, c.batches);
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.Bytes(), 0u);
  }
}

TEST(OutgoingQueue, RefusesWhatWouldPassItsBoundAndKeepsNothingOfIt) {
  const std::string frame = AnswerFrame(std::string(50, 'a'));  // 59 bytes
  OutgoingQueue queue(100);
  ASSERT_TRUE(queue.AddFrames(frame));
  EXPECT_FALSE(queue.AddFrames(frame));
  EXPECT_EQ(queue.Bytes(), frame.size());
  // Updates are counted by their lines and their ends.
  ASSERT_TRUE(queue.AddQuoteUpdates({{1, std::string(20, 'x')}}));
  EXPECT_EQ(queue.Bytes(), frame.size() + 21);
  EXPECT_FALSE(queue.AddQuoteUpdates({{2, std::string(10, 'y')}, {3, std::string(10, 'z')}}));
  EXPECT_EQ(queue.Bytes(), frame.size() + 21);
  // A newer update of a waiting contract takes its place, not more room.
  EXPECT_TRUE(queue.AddQuoteUpdates({{1, std::string(20, 'w')}}));
  EXPECT_EQ(queue.Bytes(), frame.size() + 21);
  EXPECT_EQ(Describe(queue.TakeBatch(1000)), "A:" + std::string(50, 'a') + " P:" + std::string(20, 'w'));
}

TEST(OutgoingQueue, ABatchStopsAtItsSizeOnAWholeFrame) {
  OutgoingQueue queue(1000);
  for (const char* text : {"aaaaaaaaaa", "bbbbbbbbbb", "cccccccccc"}) ASSERT_TRUE(queue.AddFrames(AnswerFrame(text)));
  ASSERT_TRUE(queue.AddQuoteUpdates({{1, "x"}, {2, "y"}}));
  // 19 bytes a frame: a batch of 20 takes two, one of 1 still a whole one.
  EXPECT_EQ(Describe(queue.TakeBatch(20)), "A:aaaaaaaaaa A:bbbbbbbbbb");
  EXPECT_EQ(Describe(queue.TakeBatch(1)), "A:cccccccccc");
  // A run of updates goes as one push frame, however small the batch.
  EXPECT_EQ(Describe(queue.TakeBatch(1)), "P:x,y");
  EXPECT_EQ(queue.TakeBatch(1), "");
}

}  // namespace
}  // namespace simbackend_test
