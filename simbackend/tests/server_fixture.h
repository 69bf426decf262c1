// A back end started on a free port for one test, with a fixed clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/testing/fake_clock.h"
#include "raw_client.h"
#include "simbackend/server.h"

namespace simbackend_test {

class ServerFixture : public ::testing::Test {
 protected:
  void SetUp() override { StartServer({}); }

  void StartServer(simbackend::ServerOptions options) {
    std::string error;
    server_ = simbackend::Server::Start(std::move(options), error);
    ASSERT_NE(server_, nullptr) << error;
  }

  std::unique_ptr<RawClient> Connect() {
    auto client = std::make_unique<RawClient>(server_->Port());
    EXPECT_TRUE(client->Connected());
    return client;
  }

  // A client logged in with the trading login.
  std::unique_ptr<RawClient> LoggedIn(const std::string& customer, const std::string& password) {
    auto client = Connect();
    const std::string answer = client->Call(TradingLoginText(1, customer, password));
    EXPECT_EQ(Field(answer, 4), "Y") << answer;
    return client;
  }

  // 2026-12-10 09:30:05, a Thursday.
  platform::FakeClock clock_{{2026, 12, 10, 5, 9, 30, 5, 0}, 1000};
  std::unique_ptr<simbackend::Server> server_;
};

}  // namespace simbackend_test
