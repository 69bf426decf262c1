// The back end's injected faults: a seeded schedule that repeats itself,
// and each kind of fault as a client sees it on the wire.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fault_injector.h"
#include "order_client.h"
#include "request.h"

namespace simbackend_test {
namespace {

using simbackend::FaultCounts;
using simbackend::FaultInjector;
using simbackend::FaultPlan;

constexpr int kOrderQuery = 5134;

std::string OrderState(int number, const char* state) {
  return "R||0|15002|10001|" + std::to_string(number) + "|" + state + "|";
}
std::string Fill(int number) { return "R||0|15005|10001|" + std::to_string(number) + "|"; }

// Every decision of the injector over a fixed run of occasions.
struct Decisions {
  std::vector<bool> drops;
  std::vector<bool> delays;
  std::vector<bool> otherClients;
  std::vector<std::vector<std::string>> pushes;
  FaultCounts counts;
};

Decisions DrawAll(const FaultPlan& plan, bool interleaved) {
  FaultInjector faults;
  faults.Set(plan);
  Decisions seen;
  for (int i = 0; i < 200; ++i) {
    // Another kind's occasions between them change no kind's decisions.
    if (interleaved || i % 2 == 0) seen.pushes.push_back(faults.Garble({OrderState(i, "p"), Fill(i)}));
    seen.drops.push_back(faults.DropsAt(1, 5011, 0));
    if (interleaved) seen.delays.push_back(faults.Delays(1, 5011));
    if (interleaved) seen.otherClients.push_back(faults.OtherClientActsAt(5003));
  }
  seen.counts = faults.Counts();
  return seen;
}

TEST(FaultSchedule, TheSameSeedDrawsTheSameFaultsWhateverTheOtherKindsDo) {
  const FaultPlan plan{.seed = 42,
                       .dropPerMille = 100,
                       .duplicatePerMille = 100,
                       .fillFirstPerMille = 100,
                       .delayPerMille = 100,
                       .otherClientPerMille = 100};
  const Decisions first = DrawAll(plan, true);
  const Decisions again = DrawAll(plan, true);
  EXPECT_EQ(first.drops, again.drops);
  EXPECT_EQ(first.delays, again.delays);
  EXPECT_EQ(first.otherClients, again.otherClients);
  EXPECT_EQ(first.pushes, again.pushes);
  EXPECT_EQ(first.counts.Total(), again.counts.Total());
  EXPECT_GT(first.counts.dropsBeforeAnswer, 0u);
  EXPECT_GT(first.counts.delayedAnswers, 0u);
  EXPECT_GT(first.counts.duplicatedPushes, 0u);
  EXPECT_GT(first.counts.fillsFirst, 0u);
  EXPECT_GT(first.counts.otherClientActs, 0u);

  EXPECT_EQ(DrawAll(plan, false).drops, first.drops);
  FaultPlan other = plan;
  other.seed = 43;
  EXPECT_NE(DrawAll(other, true).drops, first.drops);
}

TEST(FaultSchedule, AMultiRowAnswerMeetsOneLateRowAtMost) {
  FaultInjector faults;
  faults.Set({.seed = 1, .delayPerMille = 1000});
  const auto followUp = [&](std::uint64_t connection) {
    return faults.Delays(connection, simbackend::kFollowUpFunction);
  };
  EXPECT_TRUE(faults.Delays(1, kOrderQuery));
  EXPECT_TRUE(followUp(1));
  EXPECT_FALSE(followUp(1));
  EXPECT_FALSE(followUp(1));
  // Another connection's answer has a late row of its own, and so has the
  // next answer on the first.
  EXPECT_TRUE(followUp(2));
  EXPECT_TRUE(faults.Delays(1, kOrderQuery));
  EXPECT_TRUE(followUp(1));
  EXPECT_FALSE(followUp(1));
  EXPECT_EQ(faults.Counts().delayedAnswers, 5u);
}

TEST(FaultSchedule, APlanWithoutChancesInjectsNothing) {
  const Decisions seen = DrawAll(FaultPlan{}, true);
  EXPECT_EQ(seen.counts.Total(), 0u);
  for (std::size_t i = 0; i < seen.pushes.size(); ++i) {
    const int order = static_cast<int>(i);
    EXPECT_EQ(seen.pushes[i], (std::vector<std::string>{OrderState(order, "p"), Fill(order)}));
  }
}

TEST(FaultSchedule, HeldFaultsDrawNothingAndTheScheduleGoesOnAfter) {
  const FaultPlan plan{.seed = 5, .dropPerMille = 300, .duplicatePerMille = 300};
  FaultInjector straight;
  straight.Set(plan);
  FaultInjector held;
  held.Set(plan);
  for (int i = 0; i < 100; ++i) {
    held.Hold(true);
    EXPECT_FALSE(held.DropsAt(1, 5011, 0));
    EXPECT_EQ(held.Garble({Fill(i)}), std::vector<std::string>{Fill(i)});
    held.Hold(false);
    EXPECT_EQ(held.DropsAt(1, 5011, 0), straight.DropsAt(1, 5011, 0));
    EXPECT_EQ(held.Garble({Fill(i)}), straight.Garble({Fill(i)}));
  }
  EXPECT_EQ(held.Counts().Total(), straight.Counts().Total());
}

TEST(FaultSchedule, ADropDrawnForAMultiRowAnswerStrikesAtOneOfItsRows) {
  FaultInjector faults;
  faults.Set({.seed = 7, .dropPerMille = 1000});
  constexpr std::size_t kRows = 50;
  std::size_t followUps = 0;
  bool dropped = faults.DropsAt(1, kOrderQuery, kRows);
  while (!dropped && followUps < kRows) {
    ++followUps;
    dropped = faults.DropsAt(1, 0, 0);
  }
  ASSERT_TRUE(dropped);
  EXPECT_LE(followUps, kRows);
  EXPECT_EQ(faults.Counts().Drops(), 1u);
  // Log-ins never drop, and a connection that ended drops no more.
  EXPECT_FALSE(faults.DropsAt(2, 5001, 0));
  faults.Set({.seed = 8, .dropPerMille = 1000});
  while (faults.DropsAt(3, kOrderQuery, kRows)) {
  }
  faults.Forget(3);
  for (std::size_t row = 0; row < kRows; ++row) EXPECT_FALSE(faults.DropsAt(3, 0, 0));
}

// A market order of 3 lots that fills at once: "a", then "c" and its fill.
OrderFields FilledAtOnce() { return {"D", "c2705", "1", "0", "3", "0", "1", "2"}; }

class FaultsOnTheWire : public OrderTest {};

TEST_F(FaultsOnTheWire, OrderAndFillPushesGoOutTwice) {
  server_->SetFaults({.seed = 1, .duplicatePerMille = 1000});
  ASSERT_EQ(Field(Send(FilledAtOnce()), 4), "Y");
  const std::vector<std::string> pushes = PushesOfOrder(*demo_, "1013", 6);
  ASSERT_EQ(pushes.size(), 6u);
  for (std::size_t i = 0; i < pushes.size(); i += 2) EXPECT_EQ(pushes[i], pushes[i + 1]);
  EXPECT_EQ(PushCode(pushes[4]), 15005);
  EXPECT_EQ(server_->Faults().duplicatedPushes, 3u);
  const std::vector<simbackend::TradeView> trades = server_->Book("10001")->trades;
  EXPECT_EQ(std::count_if(trades.begin(), trades.end(),
                          [](const simbackend::TradeView& fill) { return fill.orderNumber == "1013"; }),
            1)
      << "the book fills once";
}

TEST_F(FaultsOnTheWire, AFillGoesOutBeforeItsOrderState) {
  server_->SetFaults({.seed = 1, .fillFirstPerMille = 1000});
  ASSERT_EQ(Field(Send(FilledAtOnce()), 4), "Y");
  const std::vector<std::string> pushes = PushesOfOrder(*demo_, "1013", 3);
  ASSERT_EQ(pushes.size(), 3u);
  EXPECT_EQ(Field(pushes[0], 14), "a");
  EXPECT_EQ(PushCode(pushes[1]), 15005);
  EXPECT_EQ(Field(pushes[2], 14), "c");
  EXPECT_EQ(server_->Faults().fillsFirst, 1u);
}

TEST_F(FaultsOnTheWire, ADelayedOrderAnswerComesAfterTheOrdersPushes) {
  server_->SetFaults({.seed = 1, .delayPerMille = 1000, .delay = std::chrono::milliseconds(100)});
  demo_->Send(RequestText(++sequence_, 5011, "10001", "111111", OrderParameters(FilledAtOnce())));
  std::optional<portal::Frame> first = demo_->NextFrame();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->kind, portal::FrameKind::kPush);
  EXPECT_EQ(server_->Faults().delayedAnswers, 1u);
}

TEST_F(FaultsOnTheWire, ADroppedConnectionLosesTheAnswerButNotTheOrder) {
  server_->SetFaults({.seed = 1, .dropPerMille = 1000});
  demo_->Send(RequestText(++sequence_, 5011, "10001", "111111", OrderParameters(FilledAtOnce())));
  EXPECT_TRUE(demo_->WaitClosed());
  EXPECT_EQ(server_->Faults().dropsBeforeAnswer, 1u);
  const simbackend::AccountView book = *server_->Book("10001");
  ASSERT_FALSE(book.orders.empty());
  EXPECT_EQ(book.orders.back().state, "c");
}

TEST_F(FaultsOnTheWire, AConnectionDropsBetweenTheRowsOfAnAnswer) {
  // Seed 3 draws a row past the first for this answer.
  server_->SetFaults({.seed = 3, .dropPerMille = 1000});
  const std::string status = demo_->Call(RequestText(++sequence_, kOrderQuery, "10001", "111111", {"", "", ""}));
  ASSERT_EQ(Field(status, 4), "Y") << status;
  ASSERT_GT(std::stoi(Field(status, 5)), 1);
  std::size_t rows = 0;
  while (!demo_->Call(FollowUpText(sequence_)).empty()) ++rows;
  EXPECT_TRUE(demo_->WaitClosed());
  EXPECT_LT(rows, static_cast<std::size_t>(std::stoi(Field(status, 5))));
  EXPECT_EQ(server_->Faults().dropsWithinAnswer, 1u);
}

TEST_F(FaultsOnTheWire, AnotherClientActsBeforeTheTradesOfADownloadAreAnswered) {
  server_->SetFaults({.seed = 1, .otherClientPerMille = 1000});
  ASSERT_EQ(Field(demo_->Call(RequestText(++sequence_, 5134, "10001", "111111", {"", "", ""})), 4), "Y");
  EXPECT_EQ(server_->Faults().otherClientActs, 0u) << "only the trades bring it";

  demo_->Send(RequestText(++sequence_, 5003, "10001", "111111", {"", ""}));
  std::vector<std::string> pushed;
  std::optional<portal::Frame> frame = demo_->NextFrame();
  for (; frame && frame->kind == portal::FrameKind::kPush; frame = demo_->NextFrame()) {
    for (std::size_t start = 0; start < frame->text.size();) {
      const std::size_t end = frame->text.find('\0', start);
      pushed.push_back(frame->text.substr(start, end - start));
      start = end == std::string::npos ? frame->text.size() : end + 1;
    }
  }
  ASSERT_TRUE(frame) << "no answer";
  EXPECT_EQ(Field(frame->text, 4), "Y");
  std::vector<int> codes;
  for (const std::string& line : pushed) codes.push_back(PushCode(line));
  EXPECT_EQ(codes, (std::vector<int>{15003, 15008, 15009, 15012}));
  EXPECT_EQ(server_->Faults().otherClientActs, 1u);

  const simbackend::AccountView book = *server_->Book("10001");
  ASSERT_EQ(book.conditionOrders.size(), 1u);
  EXPECT_EQ(Field(pushed[0], 9), "1") << "a question to confirm";
  EXPECT_EQ(Field(pushed[0], 10), book.conditionOrders[0].number);
  EXPECT_EQ(book.conditionOrders[0].state, "2") << "it waits for the answer";
  ASSERT_FALSE(book.orders.empty());
  EXPECT_EQ(book.orders.back().strategy, "SPD");
  EXPECT_EQ(book.orders.back().state, "d");
  EXPECT_EQ(book.orders.back().filled, 0);
  ASSERT_EQ(book.applications.size(), 1u);
  EXPECT_EQ(book.applications[0].state, "a");
  EXPECT_EQ(book.applications[0].lots, 1);
  EXPECT_EQ(Field(pushed[3], 9), book.applications[0].number);
}

}  // namespace
}  // namespace simbackend_test
