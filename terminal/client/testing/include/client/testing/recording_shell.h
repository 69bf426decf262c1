// A shell for tests: records every service call and answers with what the
// test set. Install it for a test's lifetime with ScopedShell.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "client/shell_services.h"

namespace client_testing {

struct OutputLine {
  std::string text;  // as handed over, without the time prefix
  int type = 0;
  friend bool operator==(const OutputLine&, const OutputLine&) = default;
};

struct ConnectionStateCall {
  int state = 0;
  int slot = 0;
  friend bool operator==(const ConnectionStateCall&, const ConnectionStateCall&) = default;
};

// A finished asynchronous request as the shell saw it.
struct AsyncRequestDone {
  std::string handlerTag;
  std::string title;
  // The answer lines of every sub-request, in order.
  std::vector<std::vector<std::string>> answers;
};

class RecordingShell : public client::ShellServices {
 public:
  int AppendOutputLine(std::string_view text, int lineType) override;
  void ShowConnectionState(int state, int slot) override;
  void OnContractsReady() override;
  void OnTableChanged(const engine::TableChangeRecord& record) override;
  bool OnAsyncRequestDone(const backend::RequestRecord& record, std::string_view handlerTag) override;
  void OnOrderResults(const backend::CGlobalStringList& result) override;
  void UpdateExchangeClockState(const backend::CGlobalStringList& exchangeState) override;
  std::string ProgramVersionText() const override;
  const client::TraderServerConfigData& TraderServerConfig() const override { return traderServers; }
  const client::ProxyServerConfigData& ProxyServerConfig() const override { return proxyServer; }

  // Copies of what was recorded, taken under the lock.
  std::vector<OutputLine> OutputLines() const;
  std::vector<ConnectionStateCall> ConnectionStates() const;
  int ContractsReadyCalls() const;
  std::vector<engine::TableChangeRecord> TableChanges() const;
  std::vector<AsyncRequestDone> AsyncRequestsDone() const;
  // The order results from the `first` on (a caller that waits for the
  // next one need not copy every earlier one).
  std::vector<std::vector<std::string>> OrderResults(std::size_t first = 0) const;
  std::vector<std::vector<std::string>> ExchangeClockStates() const;
  // Forgets everything recorded; the answers set stay.
  void Clear();

  // Answers. Set them before the code under test runs.
  void SetVersionText(std::string text);
  void SetAsyncDoneResult(bool result);
  // Points the trading log-in at one gateway, selected.
  void SelectGateway(std::string_view address, std::uint16_t port);

  client::TraderServerConfigData traderServers;
  client::ProxyServerConfigData proxyServer;

 private:
  mutable std::mutex mutex_;  // guards everything below
  std::vector<OutputLine> outputLines_;
  std::vector<ConnectionStateCall> connectionStates_;
  int contractsReadyCalls_ = 0;
  std::vector<engine::TableChangeRecord> tableChanges_;
  std::vector<AsyncRequestDone> asyncRequestsDone_;
  std::vector<std::vector<std::string>> orderResults_;
  std::vector<std::vector<std::string>> exchangeClockStates_;
  std::string versionText_ = "1.0.0.1";
  bool asyncDoneResult_ = true;
};

// Installs a shell for its lifetime and puts back the one it replaced.
class ScopedShell {
 public:
  explicit ScopedShell(client::ShellServices& shell);
  ~ScopedShell();
  ScopedShell(const ScopedShell&) = delete;
  ScopedShell& operator=(const ScopedShell&) = delete;

 private:
  client::ShellServices* previous_;
};

// The texts of a string list, in order.
std::vector<std::string> Items(const backend::CGlobalStringList& list);

}  // namespace client_testing
