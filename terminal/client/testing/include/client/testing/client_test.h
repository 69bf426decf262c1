// Fixtures for the business operations' tests: a recording shell, an engine
// that can be made ready, and a back end that is either the simulated back
// end on a loopback port (through the real transport) or a script that
// answers each function number with given lines.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/global_string_list.h"
#include "backend/request_record.h"
#include "backend/testing/request_texts.h"
#include "backend/testing/transport_calls.h"
#include "client/testing/recording_shell.h"
#include "engine/operation_engine.h"
#include "engine/testing/open_engine.h"
#include "engine/testing/scripted_back_end.h"
#include "simbackend/server.h"

namespace client_testing {

using backend_testing::Fields;
using backend_testing::kBound;

// Puts an account into the terminal's account table.
void AddAccount(const char* customerNo, const char* password, int slot);

// A separated-field line of `count` fields, field n holding "f<n>" and field
// 4 "Y", with the given fields set.
std::string AnswerLine(int count, const std::vector<std::pair<int, std::string>>& set = {});

// A list of text entries holding `items`.
backend::CGlobalStringList StringList(const std::vector<std::string>& items);

// The texts of a list of text entries.
std::vector<std::string> ListTexts(const backend::CxDataSetView& list);

// The texts of each row of a list of row lists.
std::vector<std::vector<std::string>> ListRows(const backend::CxDataSet& list);

// The text a request must have: "R|<machine address>|<its sequence number>|"
// followed by `rest`.
std::string ExpectedText(const engine_testing::SentRequest& request, std::string_view rest);

// What every fixture shares: a recording shell installed, an engine that
// the test makes ready, and the globals of the back-end client put back
// afterwards.
class ClientTest : public ::testing::Test {
 protected:
  ClientTest() : installed_(shell) {}
  ~ClientTest() override;

  // Callbacks that send with the two given and number the requests as the
  // terminal numbers its own.
  static engine::EngineCallbacks SendingCallbacks(engine::SyncSendCallback sendSync,
                                                  engine::AsyncSendCallback sendAsync);

  // Starts the engine for the accounts logged in, sending with the callbacks
  // given and logging to the program log, and installs it for the operations.
  void StartEngine(engine::SyncSendCallback sendSync, engine::AsyncSendCallback sendAsync);
  // Starts the engine for the accounts logged in with these callbacks, and
  // installs it for the operations.
  void StartEngine(engine::EngineCallbacks callbacks);

  RecordingShell shell;
  engine_testing::OpenEngine engine;

 private:
  ScopedShell installed_;
};

// The simulated back end on a loopback port, reached through the real
// transport; the shell's selected gateway is that back end.
class SimulatedBackEndTest : public ClientTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the engine over the transport.
  void StartEngineOverTransport();

  // The texts of the requests of one function the back end received.
  std::vector<std::string> RequestsOf(int function) const;

  static int ConnectedSlots();

  std::unique_ptr<simbackend::Server> server;

 private:
  bool communicating_ = false;
};

// One operation and the request it must send.
struct ExpectedRequest {
  std::function<bool()> call;
  const char* title;
  int slot;
  int priority;
  int singlePacket;
  const char* text;
};

// A back end that answers each function number with the lines the test
// gave, without a network: the engine's send callbacks are the script.
class ScriptedBackEndTest : public ClientTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Every request of `function` is answered with `lines` (none: no answer).
  void Answer(int function, std::vector<std::string> lines) { backEnd.Answer(function, std::move(lines)); }

  // Runs each case's operation and checks that it sent exactly its request.
  void ExpectRequests(std::span<const ExpectedRequest> cases, const std::string& message);

  // Puts the two accounts of most tests into the account table: 10001 on
  // slot 0 (field 9 of its log-in answer "LV9", field 42 "S42") and 20001
  // on slot 1.
  static void AddTwoAccounts();

  // Takes the next record off the result queue; null when empty.
  static backend::RequestPtr TakeResult();

  engine_testing::ScriptedBackEnd backEnd;
};

}  // namespace client_testing
