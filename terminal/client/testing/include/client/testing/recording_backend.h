// A scripted back end that keeps how each synchronous request went out: its
// title, slot, priority, single-packet flag and text, so that a test can
// hold a request to the exact bytes the terminal sends.
#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/request_record.h"
#include "backend/transport.h"
#include "client/testing/client_test_support.h"

namespace client_test {

struct SentRequest {
  std::string title;
  int slot = 0;
  int priority = 0;
  int functionNo = 0;
  int sequenceNo = 0;
  int singlePacket = 0;
  std::string text;

  // The text this request must have: "R|<machine address>|<its sequence
  // number>|" followed by `rest`.
  std::string Expected(std::string_view rest) const {
    return "R|" + backend::LocalMachineAddress() + "|" + std::to_string(sequenceNo) + "|" + std::string(rest);
  }
};

// A separated-field line of `count` fields, field n holding "f<n>" and field
// 4 "Y", with the given fields set.
inline std::string AnswerLine(int count, const std::vector<std::pair<int, std::string>>& set = {}) {
  std::vector<std::string> fields;
  for (int n = 1; n <= count; ++n) fields.push_back("f" + std::to_string(n));
  fields[3] = "Y";
  for (const auto& [n, value] : set) fields[static_cast<std::size_t>(n - 1)] = value;
  std::string line;
  for (const std::string& field : fields) line += field + "|";
  return line;
}

// The texts of a list of text entries.
inline std::vector<std::string> ListTexts(const backend::CxDataSetView& list) {
  std::vector<std::string> texts;
  for (std::size_t index = 0; index < list.GetCount(); ++index) {
    texts.emplace_back(reinterpret_cast<const char*>(list.GetDataPtr(index)));
  }
  return texts;
}

// The texts of each row of a list of row lists.
inline std::vector<std::vector<std::string>> ListRows(const backend::CxDataSet& list) {
  std::vector<std::vector<std::string>> rows;
  for (std::size_t index = 0; index < list.GetCount(); ++index) {
    rows.push_back(ListTexts(backend::CxDataSetView(list.GetValue(index))));
  }
  return rows;
}

// One operation and the request it must send.
struct ExpectedRequest {
  std::function<bool()> call;
  const char* title;
  int slot;
  int priority;
  int singlePacket;
  const char* text;
};

class RecordingBackEndTest : public ClientTest {
 protected:
  // Runs each case's operation and checks that it sent exactly its request.
  void ExpectRequests(std::span<const ExpectedRequest> cases, const std::string& message) {
    for (const ExpectedRequest& test : cases) {
      sent.clear();
      EXPECT_TRUE(test.call()) << test.title << ": " << message;
      ASSERT_EQ(sent.size(), 1u) << test.title;
      EXPECT_EQ(sent[0].text, sent[0].Expected(test.text));
      EXPECT_EQ(sent[0].title, test.title);
      EXPECT_EQ(sent[0].slot, test.slot) << test.text;
      EXPECT_EQ(sent[0].priority, test.priority) << test.text;
      EXPECT_EQ(sent[0].singlePacket, test.singlePacket) << test.text;
    }
  }

  void SetUp() override {
    StartEngine([this](backend::RequestRecord& record, std::string& error) { return AnswerSync(record, error); },
                [](backend::RequestPtr&, std::string& error) {
                  error = "no asynchronous requests here";
                  return false;
                });
  }

  void TearDown() override {
    client::InstallOperationEngine(nullptr);
    engine.Stop();
  }

  // Every request of `function` is answered with `lines` (none: no answer).
  void Answer(int function, std::vector<std::string> lines) { answers_[function] = std::move(lines); }

  // Puts the two accounts of most tests into the account table: 10001 on
  // slot 0 (field 9 of its log-in answer "LV9", field 42 "S42") and 20001
  // on slot 1.
  static void AddTwoAccounts() {
    AddAccount("10001", "111111", 0);
    std::string answer = "A|m|1|Y|";
    for (int n = 5; n <= 43; ++n) answer += (n == 9 ? "LV9" : n == 42 ? "S42" : "") + std::string("|");
    backend::TheAccountTable().UpdateAccountFromAnswer("10001", answer);
    AddAccount("20001", "222222", 1);
  }

  std::vector<SentRequest> sent;
  bool transportError = false;

 private:
  bool AnswerSync(backend::RequestRecord& record, std::string& error) {
    const backend::SubRequest& first = *record.At(0);
    sent.push_back({record.title, record.connection, record.priority, first.functionNo, first.sequenceNo,
                    first.singlePacket, first.requestText});
    if (transportError) {
      record.errorFlag = 1;
      record.errorText = error = "通讯连接中断！";
      return false;
    }
    const auto found = answers_.find(first.functionNo);
    if (found != answers_.end()) {
      for (const std::string& line : found->second) record.At(0)->answer.AddText(line);
    }
    record.done = record.count;
    return true;
  }

  std::map<int, std::vector<std::string>> answers_;
};

}  // namespace client_test
