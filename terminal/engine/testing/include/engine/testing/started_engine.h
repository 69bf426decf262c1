// The engine started as the engine's tests start it: its accounts logged
// in, the GUI recorded, the back end scripted, and (when asked) the user
// scripted. The test's own thread is the engine's GUI thread.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/account_table.h"
#include "engine/operation_engine.h"
#include "engine/testing/answers.h"
#include "engine/testing/open_engine.h"
#include "engine/testing/recording_gui.h"
#include "engine/testing/scripted_back_end.h"
#include "engine/testing/scripted_prompt.h"

namespace engine_testing {

// Who is logged in when the engine starts.
struct EngineStart {
  // On slots 0, 1, ..., each with the password "secret".
  std::vector<std::string> customers{std::string(kAccount)};
  // The log-in answer of each account (its field 9 is the trading date),
  // when given.
  std::string loginAnswer{};
  int loginType = backend::kTradingLogin;
  // The engine asks the user through the fixture's prompt; without it the
  // engine takes every question as declined.
  bool scriptedUser = false;
};

// Enters the accounts in the table.
void LogIn(backend::AccountTable& accounts, const EngineStart& start);

// Starts the engine for the accounts logged in, its requests signed as the
// terminal signs them: by `machineAddress`, the empty request prefix and
// kApplicationTag, numbered kSequenceNo unless the callbacks number them.
bool StartEngine(engine::COperationEngine& engine, const backend::AccountTable& accounts, int loginType,
                 engine::EngineCallbacks callbacks, std::string_view machineAddress = kMachineAddress);

// Waits, at most a few seconds, until `done` holds.
bool Eventually(const std::function<bool()>& done);

// What the fixture holds besides its engine.
class EngineFixture : public ::testing::Test {
 protected:
  explicit EngineFixture(EngineStart start) : start_(std::move(start)) {}

  // Logs the accounts in and starts the engine with the GUI's and the back
  // end's callbacks; returns once the download thread has written its first
  // log line, which then cannot come between the lines a test looks for.
  void Start(OpenEngine& engine);

  // Everything the engine's callbacks touch is declared before the engine,
  // whose download thread logs until it stops.
  backend::AccountTable accounts;
  RecordingGui gui;
  ScriptedBackEnd backEnd;
  EngineStart start_;
};

template <typename Engine = OpenEngine>
class StartedEngine : public EngineFixture {
 protected:
  template <typename... EngineArguments>
  explicit StartedEngine(EngineStart start = {}, EngineArguments&&... engineArguments)
      : EngineFixture(std::move(start)), engine(std::forward<EngineArguments>(engineArguments)...) {}

  void SetUp() override { StartEngine(); }

  void StartEngine() {
    Start(engine);
    if (start_.scriptedUser) engine.SetUserPrompt(prompt);
  }

  // Ends the initial download the engine starts with: ready, the start's
  // records delivered and forgotten.
  void MakeReady() {
    ASSERT_TRUE(engine.MakeReady());
    gui.Clear();
  }

  // Starts a case afresh: empty tables; nothing told, logged, sent or asked.
  void Reset() {
    engine.ResetTables();
    gui.Clear();
    backEnd.ClearSent();
    prompt->Clear();
  }

  // The records held in the change queue, taken from it.
  std::vector<Change> Held() { return ChangesOf(engine.TakeChangeQueue()); }

  Engine engine;
  std::shared_ptr<ScriptedPrompt> prompt = std::make_shared<ScriptedPrompt>(engine.lock_);
};

}  // namespace engine_testing
