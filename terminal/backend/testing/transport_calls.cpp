#include "backend/testing/transport_calls.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>
#include <utility>

#include "backend/request_queue.h"
#include "backend/sequence_number.h"
#include "backend/testing/request_texts.h"
#include "backend/transport.h"

namespace backend_testing {

std::future<Outcome> ExecuteOnAnotherThread(backend::RequestRecord& record) {
  return std::async(std::launch::async, [&record] {
    Outcome outcome;
    outcome.ok = backend::ExecuteRequest(record, outcome.message);
    return outcome;
  });
}

Outcome Await(std::future<Outcome>& pending) {
  if (pending.wait_for(kBound) != std::future_status::ready) {
    ADD_FAILURE() << "the request did not end in time";
    for (int slot = 0; slot < backend::kSlotCount; ++slot) {
      std::string ignored;
      backend::DisconnectSlot(slot, ignored);
    }
  }
  return pending.get();
}

std::vector<backend::RequestPtr> TakeResults(std::size_t count) {
  std::vector<backend::RequestPtr> results;
  const auto deadline = std::chrono::steady_clock::now() + kBound;
  while (results.size() < count && std::chrono::steady_clock::now() < deadline) {
    if (backend::RequestPtr record = backend::TheResultQueue().TakeNext()) {
      results.push_back(std::move(record));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  return results;
}

backend::RequestPtr NextResult() {
  std::vector<backend::RequestPtr> results = TakeResults(1);
  return results.empty() ? nullptr : std::move(results.front());
}

void ExpectWaitingAndQueuedRequestLost(std::future<Outcome>& pending) {
  constexpr const char* kLost = "通讯连接中断！";
  const Outcome outcome = Await(pending);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.message, kLost);
  const std::vector<backend::RequestPtr> results = TakeResults(1);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0]->errorFlag, 1u);
  EXPECT_EQ(results[0]->errorText, kLost);
}

OV_ConnectBlock LoopbackConnectBlock(int slot, std::uint16_t port) {
  OV_ConnectBlock block{};
  orvanet::SetI32(block.connection, slot);
  orvanet::SetText(block.serverAddress, "127.0.0.1");
  orvanet::SetI32(block.serverPort, port);
  return block;
}

bool LogIn(backend::AccountTable& accounts, std::uint16_t port, int slot, const LoginFields& login,
           std::string& error) {
  OV_ConnectBlock block = LoopbackConnectBlock(slot, port);
  std::string answer;
  if (!backend::ConnectSlot(block, answer, error, LoginText(login))) return false;
  backend::AccountKey key;
  std::snprintf(key.customerNo, sizeof key.customerNo, "%s", login.customer.c_str());
  std::snprintf(key.password, sizeof key.password, "%s", login.password.c_str());
  key.slot = slot;
  accounts.AddAccount(key);
  accounts.UpdateAccountFromAnswer(login.customer, answer);
  return true;
}

bool LogInTrader(backend::AccountTable& accounts, std::uint16_t port, const char* customer, const char* password,
                 std::string& error) {
  return LogIn(
      accounts, port, 0,
      {.sequence = backend::GetNextSequenceNo(), .customer = customer, .password = password, .version = "1.0.0.1"},
      error);
}

}  // namespace backend_testing
