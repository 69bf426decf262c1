#include "engine/testing/started_engine.h"

#include <chrono>
#include <thread>

#include "backend/field_text.h"

namespace engine_testing {

void LogIn(backend::AccountTable& accounts, const EngineStart& start) {
  for (std::size_t slot = 0; slot < start.customers.size(); ++slot) {
    backend::AccountKey key;
    backend::CopyTextBounded(start.customers[slot].c_str(), key.customerNo, sizeof key.customerNo);
    backend::CopyTextBounded("secret", key.password, sizeof key.password);
    key.slot = static_cast<int>(slot);
    accounts.AddAccount(key);
    if (!start.loginAnswer.empty()) accounts.UpdateAccountFromAnswer(start.customers[slot], start.loginAnswer);
  }
}

bool StartEngine(engine::COperationEngine& engine, const backend::AccountTable& accounts, int loginType,
                 engine::EngineCallbacks callbacks, std::string_view machineAddress) {
  if (!callbacks.nextSequenceNo) callbacks.nextSequenceNo = [] { return kSequenceNo; };
  return engine.Start({.machineAddress = machineAddress,
                       .requestPrefix = "",
                       .applicationTag = kApplicationTag,
                       .accounts = &accounts,
                       .loginType = loginType},
                      std::move(callbacks));
}

bool Eventually(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void EngineFixture::Start(OpenEngine& engine) {
  LogIn(accounts, start_);
  backEnd.WatchLock(engine.lock_);
  engine::EngineCallbacks callbacks = gui.Callbacks();
  callbacks.sendSync = backEnd.Sync();
  callbacks.sendAsync = backEnd.Async();
  ASSERT_TRUE(StartEngine(engine, accounts, start_.loginType, std::move(callbacks)));
  ASSERT_TRUE(Eventually([this] { return !gui.LogTexts().empty(); }));
}

}  // namespace engine_testing
