#include "client/testing/recording_shell.h"

#include <utility>

namespace client_testing {

int RecordingShell::AppendOutputLine(std::string_view text, int lineType) {
  std::lock_guard lock(mutex_);
  outputLines_.push_back({std::string(text), lineType});
  return 1;
}

void RecordingShell::ShowConnectionState(int state, int slot) {
  std::lock_guard lock(mutex_);
  connectionStates_.push_back({state, slot});
}

void RecordingShell::OnContractsReady() {
  std::lock_guard lock(mutex_);
  ++contractsReadyCalls_;
}

void RecordingShell::OnTableChanged(const engine::TableChangeRecord& record) {
  std::lock_guard lock(mutex_);
  tableChanges_.push_back(record);
}

bool RecordingShell::OnAsyncRequestDone(const backend::RequestRecord& record, std::string_view handlerTag) {
  AsyncRequestDone done{std::string(handlerTag), record.title, {}};
  for (int index = 0; index < record.count; ++index) {
    std::vector<std::string>& lines = done.answers.emplace_back();
    const backend::SubRequest& subRequest = *record.At(index);
    for (std::size_t line = 0; line < subRequest.answer.GetCount(); ++line) {
      lines.emplace_back(backend::AnswerLine(subRequest, line));
    }
  }
  std::lock_guard lock(mutex_);
  asyncRequestsDone_.push_back(std::move(done));
  return asyncDoneResult_;
}

void RecordingShell::OnOrderResults(const backend::CGlobalStringList& result) {
  std::lock_guard lock(mutex_);
  orderResults_.push_back(Items(result));
}

void RecordingShell::UpdateExchangeClockState(const backend::CGlobalStringList& exchangeState) {
  std::lock_guard lock(mutex_);
  exchangeClockStates_.push_back(Items(exchangeState));
}

std::string RecordingShell::ProgramVersionText() const {
  std::lock_guard lock(mutex_);
  return versionText_;
}

std::vector<OutputLine> RecordingShell::OutputLines() const {
  std::lock_guard lock(mutex_);
  return outputLines_;
}

std::vector<ConnectionStateCall> RecordingShell::ConnectionStates() const {
  std::lock_guard lock(mutex_);
  return connectionStates_;
}

int RecordingShell::ContractsReadyCalls() const {
  std::lock_guard lock(mutex_);
  return contractsReadyCalls_;
}

std::vector<engine::TableChangeRecord> RecordingShell::TableChanges() const {
  std::lock_guard lock(mutex_);
  return tableChanges_;
}

std::vector<AsyncRequestDone> RecordingShell::AsyncRequestsDone() const {
  std::lock_guard lock(mutex_);
  return asyncRequestsDone_;
}

std::vector<std::vector<std::string>> RecordingShell::OrderResults(std::size_t first) const {
  std::lock_guard lock(mutex_);
  if (first >= orderResults_.size()) return {};
  return {orderResults_.begin() + static_cast<std::ptrdiff_t>(first), orderResults_.end()};
}

std::vector<std::vector<std::string>> RecordingShell::ExchangeClockStates() const {
  std::lock_guard lock(mutex_);
  return exchangeClockStates_;
}

void RecordingShell::Clear() {
  std::lock_guard lock(mutex_);
  outputLines_.clear();
  connectionStates_.clear();
  contractsReadyCalls_ = 0;
  tableChanges_.clear();
  asyncRequestsDone_.clear();
  orderResults_.clear();
  exchangeClockStates_.clear();
}

void RecordingShell::SetVersionText(std::string text) {
  std::lock_guard lock(mutex_);
  versionText_ = std::move(text);
}

void RecordingShell::SetAsyncDoneResult(bool result) {
  std::lock_guard lock(mutex_);
  asyncDoneResult_ = result;
}

void RecordingShell::SelectGateway(std::string_view address, std::uint16_t port) {
  client::GatewayRow row;
  row.SetAddress(address);
  row.SetPort(port);
  traderServers.gateways = {row};
  traderServers.selected = 0;
}

ScopedShell::ScopedShell(client::ShellServices& shell) : previous_(client::TheShellServices()) {
  client::InstallShellServices(&shell);
}

ScopedShell::~ScopedShell() { client::InstallShellServices(previous_); }

std::vector<std::string> Items(const backend::CGlobalStringList& list) {
  std::vector<std::string> items;
  for (std::uint32_t index = 0; index < list.GetCount(); ++index) items.emplace_back(list.GetAt(index));
  return items;
}

}  // namespace client_testing
