#include <gtest/gtest.h>

#include "backend/sequence_number.h"
#include "backend/server_rotation.h"
#include "backend/transport.h"
#include "platform/testing/fake_clock.h"

namespace {

using backend::ServerRotation;
using backend::ServerRow;

platform::LocalTime TimeOfDay(int hour, int minute, int second) {
  platform::LocalTime time;
  time.year = 2024;
  time.month = 3;
  time.day = 15;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  return time;
}

const std::vector<ServerRow> kThreeServers = {{"10.0.0.1", 7001}, {"10.0.0.2", 7002}, {"10.0.0.3", 7003}};

}  // namespace

TEST(SequenceCounter, SeedsFromTheTimeOfDayAndCountsOn) {
  platform::FakeClock clock(TimeOfDay(10, 5, 30), 0);
  backend::SequenceCounter counter;
  EXPECT_EQ(counter.Next(), 363900001);
  clock.Set(TimeOfDay(23, 59, 59), 0);  // the seed is taken once only
  EXPECT_EQ(counter.Next(), 363900002);

  backend::SequenceCounter lateCounter;
  EXPECT_EQ(lateCounter.Next(), 864590001);
}

TEST(ServerRotation, EachConnectionWalksItsOwnListAndWraps) {
  ServerRotation rotation;
  rotation.SetQuoteSlot(2);
  rotation.SetQuoteServers(kThreeServers, 2);
  rotation.SetGateways({{"gw1", 1}, {"gw2", 2}}, 0);

  EXPECT_EQ(rotation.Next(2), kThreeServers[0]);  // from the last row to the first
  EXPECT_EQ(rotation.Next(2), kThreeServers[1]);
  EXPECT_EQ(rotation.CurrentQuoteServer(), 1);

  EXPECT_EQ(rotation.Next(0), (ServerRow{"gw2", 2}));
  EXPECT_EQ(rotation.Next(1), (ServerRow{"gw1", 1}));
  EXPECT_EQ(rotation.CurrentGateway(), 0);
  EXPECT_EQ(rotation.CurrentQuoteServer(), 1);
  // The server each connection uses now.
  EXPECT_EQ(rotation.InUse(2), kThreeServers[1]);
  EXPECT_EQ(rotation.InUse(0), (ServerRow{"gw1", 1}));

  rotation.SetGateways({{"gw1", 1}}, -1);  // no row chosen yet
  EXPECT_EQ(rotation.InUse(0), std::nullopt);
  EXPECT_EQ(rotation.Next(0), (ServerRow{"gw1", 1}));
}

TEST(ServerRotation, AnEmptyListKeepsTheCurrentServer) {
  ServerRotation rotation;
  rotation.SetGateways({}, 4);
  EXPECT_EQ(rotation.Next(0), std::nullopt);
  EXPECT_EQ(rotation.CurrentGateway(), 4);

  // Through the portal's callback: false, and the address left alone.
  backend::TheServerRotation().SetQuoteServers({}, 0);
  char address[100] = "kept";
  unsigned short port = 99;
  EXPECT_EQ(backend::OnNextServer(backend::TheServerRotation().QuoteSlot(), address, sizeof address, &port), 0);
  EXPECT_STREQ(address, "kept");
  EXPECT_EQ(port, 99);

  backend::TheServerRotation().SetQuoteServers(kThreeServers, 0);
  EXPECT_EQ(backend::OnNextServer(backend::TheServerRotation().QuoteSlot(), address, sizeof address, &port), 1);
  EXPECT_STREQ(address, "10.0.0.2");
  EXPECT_EQ(port, 7002);
  backend::TheServerRotation().SetQuoteServers({}, 0);
}
