// Fixtures for the business operations' tests: a recording shell, an engine
// that can be made ready, and a back end that is either the simulated back
// end on a loopback port (through the real transport) or a script that
// answers each function number with given lines.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backend/account_table.h"
#include "backend/field_text.h"
#include "backend/program_log.h"
#include "backend/request_queue.h"
#include "backend/sequence_number.h"
#include "backend/server_rotation.h"
#include "backend/testing/transport_calls.h"
#include "backend/transport.h"
#include "client/operation_frame.h"
#include "client/testing/recording_shell.h"
#include "engine/operation_engine.h"
#include "simbackend/server.h"

namespace client_test {

using backend_testing::kBound;

// An engine that a test can make ready, to send the requests it refuses
// while it downloads. Its own downloads never run, so that the test alone
// talks to the back end.
class ReadyEngine : public engine::COperationEngine {
 public:
  ~ReadyEngine() override { StopDownloadThread(); }

  // Ends the initial download as the download thread and the queue pump
  // would. Call on the thread that started the engine.
  bool MakeReady() {
    SetDownloadState(engine::DownloadState::kDone);
    OnPushBatchDone();
    return GetEngineState() == engine::EngineState::kReady;
  }

 protected:
  bool DownloadAll() override { return false; }
  bool DownloadAfterReconnect() override { return false; }
};

// The field values of a separated-field line.
inline std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  for (int n = 1; backend::FindNthSeparator(line, '|', n) >= 0; ++n) {
    fields.push_back(backend::GetSeparatedFieldText(n, line));
  }
  return fields;
}

// Puts an account into the terminal's account table.
inline void AddAccount(const char* customerNo, const char* password, int slot) {
  backend::AccountKey key;
  backend::CopyTextBounded(customerNo, key.customerNo, sizeof key.customerNo);
  backend::CopyTextBounded(password, key.password, sizeof key.password);
  key.slot = slot;
  backend::TheAccountTable().AddAccount(key);
}

// What every fixture shares: a recording shell installed, and the globals of
// the back-end client put back afterwards.
class ClientTest : public ::testing::Test {
 protected:
  ClientTest() : installed_(shell) {}

  ~ClientTest() override {
    client::InstallOperationEngine(nullptr);
    engine.Stop();
    while (backend::TheResultQueue().TakeNext()) {
    }
    backend::TheAccountTable().Clear();
    backend::SetLoginType(backend::kTradingLogin);
    backend::ServerRotation& rotation = backend::TheServerRotation();
    rotation.SetGateways({}, 0);
    rotation.SetQuoteServers({}, 0);
    rotation.SetQuoteSlot(1);
  }

  // Callbacks that send with the two given and number the requests as the
  // terminal numbers its own.
  static engine::EngineCallbacks SendingCallbacks(engine::SyncSendCallback sendSync,
                                                  engine::AsyncSendCallback sendAsync) {
    engine::EngineCallbacks callbacks;
    callbacks.sendSync = std::move(sendSync);
    callbacks.sendAsync = std::move(sendAsync);
    callbacks.nextSequenceNo = backend::GetNextSequenceNo;
    return callbacks;
  }

  // Starts the engine for the accounts logged in, sending with the callbacks
  // given and logging to the program log, and installs it for the operations.
  void StartEngine(engine::SyncSendCallback sendSync, engine::AsyncSendCallback sendAsync) {
    engine::EngineCallbacks callbacks = SendingCallbacks(std::move(sendSync), std::move(sendAsync));
    callbacks.log = backend::WriteLogLine;
    StartEngine(std::move(callbacks));
  }

  // Starts the engine for the accounts logged in with these callbacks, and
  // installs it for the operations.
  void StartEngine(engine::EngineCallbacks callbacks) {
    const std::string machine = backend::LocalMachineAddress();
    ASSERT_TRUE(engine.Start({.machineAddress = machine,
                              .requestPrefix = client::kReservedLeadingText,
                              .applicationTag = client::kApplicationTag,
                              .accounts = &backend::TheAccountTable(),
                              .loginType = backend::GetLoginType()},
                             std::move(callbacks)));
    client::InstallOperationEngine(&engine);
  }

  client_testing::RecordingShell shell;
  ReadyEngine engine;

 private:
  client_testing::ScopedShell installed_;
};

// The simulated back end on a loopback port, reached through the real
// transport; the shell's selected gateway is that back end.
class SimulatedBackEndTest : public ClientTest {
 protected:
  void SetUp() override {
    std::string error;
    server = simbackend::Server::Start({}, error);
    ASSERT_NE(server, nullptr) << error;
    ASSERT_TRUE(backend::StartCommunication("1.0.0", error)) << error;
    communicating_ = true;
    shell.SetVersionText("5.2.0.1");
    shell.SelectGateway("127.0.0.1", server->Port());
  }

  void TearDown() override {
    client::InstallOperationEngine(nullptr);
    engine.Stop();
    if (communicating_) backend::StopCommunication();
  }

  // Starts the engine over the transport.
  void StartEngineOverTransport() { StartEngine(backend::ExecuteRequest, backend::PostRequest); }

  // The texts of the requests of one function the back end received.
  std::vector<std::string> RequestsOf(int function) const {
    std::vector<std::string> texts;
    for (const simbackend::ReceivedRequest& request : server->Requests()) {
      if (request.function == function) texts.push_back(request.text);
    }
    return texts;
  }

  static int ConnectedSlots() { return backend::kSlotCount - backend::CountFreeSlots(); }

  std::unique_ptr<simbackend::Server> server;

 private:
  bool communicating_ = false;
};

// A back end that answers each function number with the lines the test
// gave, without a network: the engine's send callbacks are the script.
class ScriptedBackEndTest : public ClientTest {
 protected:
  void SetUp() override {
    StartEngine([this](backend::RequestRecord& record, std::string& error) { return AnswerSync(record, error); },
                [this](backend::RequestPtr& record, std::string& error) {
                  if (refuseAsync) {
                    error = "执行操作[" + std::string(record->title) + "]时，还没有建立通讯连接！";
                    return false;
                  }
                  posted.push_back(std::move(record));
                  return true;
                });
  }

  void TearDown() override {
    client::InstallOperationEngine(nullptr);
    engine.Stop();
  }

  // Every sub-request of `function` is answered with `lines`.
  void Answer(int function, std::vector<std::string> lines) { answers_[function] = std::move(lines); }

  // Takes the next record off the result queue; null when empty.
  static backend::RequestPtr TakeResult() { return backend::TheResultQueue().TakeNext(); }

  // The texts of every request sent synchronously, in order, and the slot
  // each went on.
  std::vector<std::string> sent;
  std::vector<int> sentSlots;
  std::vector<backend::RequestPtr> posted;
  bool transportError = false;
  bool refuseAsync = false;

 private:
  bool AnswerSync(backend::RequestRecord& record, std::string& error) {
    for (int index = 0; index < record.count; ++index) {
      sent.push_back(record.At(index)->requestText);
      sentSlots.push_back(record.connection);
    }
    if (transportError) {
      record.errorFlag = 1;
      record.errorText = error = "通讯连接中断！";
      return false;
    }
    for (int index = 0; index < record.count; ++index) {
      backend::SubRequest& subRequest = *record.At(index);
      const auto found = answers_.find(subRequest.functionNo);
      if (found == answers_.end()) continue;
      for (const std::string& line : found->second) subRequest.answer.AddText(line);
    }
    record.done = record.count;
    return true;
  }

  std::map<int, std::vector<std::string>> answers_;
};

}  // namespace client_test
