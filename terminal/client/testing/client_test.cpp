#include "client/testing/client_test.h"

#include "backend/account_table.h"
#include "backend/field_text.h"
#include "backend/program_log.h"
#include "backend/request_queue.h"
#include "backend/sequence_number.h"
#include "backend/server_rotation.h"
#include "backend/transport.h"
#include "client/operation_frame.h"
#include "engine/testing/started_engine.h"

namespace client_testing {

void AddAccount(const char* customerNo, const char* password, int slot) {
  backend::AccountKey key;
  backend::CopyTextBounded(customerNo, key.customerNo, sizeof key.customerNo);
  backend::CopyTextBounded(password, key.password, sizeof key.password);
  key.slot = slot;
  backend::TheAccountTable().AddAccount(key);
}

std::string AnswerLine(int count, const std::vector<std::pair<int, std::string>>& set) {
  std::vector<std::string> fields;
  for (int n = 1; n <= count; ++n) fields.push_back("f" + std::to_string(n));
  fields[3] = "Y";
  for (const auto& [n, value] : set) fields[static_cast<std::size_t>(n - 1)] = value;
  std::string line;
  for (const std::string& field : fields) line += field + "|";
  return line;
}

backend::CGlobalStringList StringList(const std::vector<std::string>& items) {
  backend::CGlobalStringList list;
  for (const std::string& item : items) list.Append(item);
  return list;
}

std::vector<std::string> ListTexts(const backend::CxDataSetView& list) {
  std::vector<std::string> texts;
  for (std::size_t index = 0; index < list.GetCount(); ++index) {
    texts.emplace_back(reinterpret_cast<const char*>(list.GetDataPtr(index)));
  }
  return texts;
}

std::vector<std::vector<std::string>> ListRows(const backend::CxDataSet& list) {
  std::vector<std::vector<std::string>> rows;
  for (std::size_t index = 0; index < list.GetCount(); ++index) {
    rows.push_back(ListTexts(backend::CxDataSetView(list.GetValue(index))));
  }
  return rows;
}

std::string ExpectedText(const engine_testing::SentRequest& request, std::string_view rest) {
  return "R|" + backend::LocalMachineAddress() + "|" + std::to_string(request.sequenceNo) + "|" + std::string(rest);
}

// --- ClientTest

ClientTest::~ClientTest() {
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

engine::EngineCallbacks ClientTest::SendingCallbacks(engine::SyncSendCallback sendSync,
                                                     engine::AsyncSendCallback sendAsync) {
  engine::EngineCallbacks callbacks;
  callbacks.sendSync = std::move(sendSync);
  callbacks.sendAsync = std::move(sendAsync);
  callbacks.nextSequenceNo = backend::GetNextSequenceNo;
  return callbacks;
}

void ClientTest::StartEngine(engine::SyncSendCallback sendSync, engine::AsyncSendCallback sendAsync) {
  engine::EngineCallbacks callbacks = SendingCallbacks(std::move(sendSync), std::move(sendAsync));
  callbacks.log = backend::WriteLogLine;
  StartEngine(std::move(callbacks));
}

void ClientTest::StartEngine(engine::EngineCallbacks callbacks) {
  ASSERT_TRUE(engine_testing::StartEngine(engine, backend::TheAccountTable(), backend::GetLoginType(),
                                          std::move(callbacks), backend::LocalMachineAddress()));
  client::InstallOperationEngine(&engine);
}

// --- SimulatedBackEndTest

void SimulatedBackEndTest::SetUp() {
  std::string error;
  server = simbackend::Server::Start({}, error);
  ASSERT_NE(server, nullptr) << error;
  ASSERT_TRUE(backend::StartCommunication("1.0.0", error)) << error;
  communicating_ = true;
  shell.SetVersionText("5.2.0.1");
  shell.SelectGateway("127.0.0.1", server->Port());
}

void SimulatedBackEndTest::TearDown() {
  client::InstallOperationEngine(nullptr);
  engine.Stop();
  if (communicating_) backend::StopCommunication();
}

void SimulatedBackEndTest::StartEngineOverTransport() { StartEngine(backend::ExecuteRequest, backend::PostRequest); }

std::vector<std::string> SimulatedBackEndTest::RequestsOf(int function) const {
  std::vector<std::string> texts;
  for (const simbackend::ReceivedRequest& request : server->Requests()) {
    if (request.function == function) texts.push_back(request.text);
  }
  return texts;
}

int SimulatedBackEndTest::ConnectedSlots() { return backend::kSlotCount - backend::CountFreeSlots(); }

// --- ScriptedBackEndTest

void ScriptedBackEndTest::SetUp() { StartEngine(backEnd.Sync(), backEnd.Async()); }

void ScriptedBackEndTest::TearDown() {
  client::InstallOperationEngine(nullptr);
  engine.Stop();
}

void ScriptedBackEndTest::ExpectRequests(std::span<const ExpectedRequest> cases, const std::string& message) {
  for (const ExpectedRequest& test : cases) {
    backEnd.ClearSent();
    EXPECT_TRUE(test.call()) << test.title << ": " << message;
    const std::vector<engine_testing::SentRequest> sent = backEnd.Sent();
    ASSERT_EQ(sent.size(), 1u) << test.title;
    EXPECT_EQ(sent[0].text, ExpectedText(sent[0], test.text));
    EXPECT_EQ(sent[0].title, test.title);
    EXPECT_EQ(sent[0].slot, test.slot) << test.text;
    EXPECT_EQ(sent[0].priority, test.priority) << test.text;
    EXPECT_EQ(sent[0].singlePacket, test.singlePacket != 0) << test.text;
  }
}

void ScriptedBackEndTest::AddTwoAccounts() {
  AddAccount("10001", "111111", 0);
  std::string answer = "A|m|1|Y|";
  for (int n = 5; n <= 43; ++n) answer += (n == 9 ? "LV9" : n == 42 ? "S42" : "") + std::string("|");
  backend::TheAccountTable().UpdateAccountFromAnswer("10001", answer);
  AddAccount("20001", "222222", 1);
}

backend::RequestPtr ScriptedBackEndTest::TakeResult() { return backend::TheResultQueue().TakeNext(); }

}  // namespace client_testing
