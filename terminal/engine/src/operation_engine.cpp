// The engine's lifecycle, its states, the batch close and connection changes.
#include "engine/operation_engine.h"

#include <array>
#include <chrono>
#include <cstring>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/gbk.h"

namespace engine {
namespace {

// Reloaded after every download, in this order.
constexpr std::array kReloadAfterDownload{
    table_id::kFunds,
    table_id::kOrders,
    table_id::kSpecialOrders,
    table_id::kTrades,
    table_id::kPositionSummary,
    table_id::kCombinationPositionsView,
    table_id::kExercisableQuantities,
    table_id::kExerciseOrders,
};
// Reloaded after an initial download as well, after those above.
constexpr std::array kReloadAfterInitialDownload{
    table_id::kContracts,     table_id::kCombinationContracts, table_id::kOrderKinds,
    table_id::kExchangeSeats, table_id::kStoredOrders,
};

constexpr std::chrono::milliseconds kIdleTick{1000};

// The account fields that the engine keeps.
constexpr int kTradingDateField = 9;
constexpr int kContractCacheTagField = 24;

std::string KeyText(const char (&text)[backend::kAccountTextSize]) {
  return std::string(text, strnlen(text, backend::kAccountTextSize));
}

COperationEngineBase::LoginTexts LoginTextsOf(const EngineLogin& login, int slot) {
  COperationEngineBase::LoginTexts texts{.machineAddress = std::string(login.machineAddress),
                                         .requestPrefix = std::string(login.requestPrefix),
                                         .applicationTag = std::string(login.applicationTag)};
  const backend::AccountRecord* account = login.accounts == nullptr ? nullptr : login.accounts->FindAccountBySlot(slot);
  if (account != nullptr) {
    texts.customerNumber = KeyText(account->key.customerNo);
    texts.password = KeyText(account->key.password);
    texts.tradingDate = account->Field(kTradingDateField);
    texts.contractCacheTag = account->Field(kContractCacheTagField);
  }
  return texts;
}

void AppendReloads(std::vector<TableChangeRecord>& records, std::span<const int> tableIds) {
  for (const int tableId : tableIds) records.push_back(TableChangeRecord::Reload(tableId));
}

}  // namespace

COperationEngine::COperationEngine() = default;

COperationEngine::~COperationEngine() { StopDownloadThread(); }

bool COperationEngine::Start(const EngineLogin& login, EngineCallbacks callbacks) {
  BindGuiThread();
  sendSync_ = std::move(callbacks.sendSync);
  sendAsync_ = std::move(callbacks.sendAsync);
  downloadDone_ = std::move(callbacks.downloadDone);
  InstallBaseCallbacks({std::move(callbacks.log), std::move(callbacks.nextSequenceNo),
                        std::move(callbacks.connectionState), std::move(callbacks.tableChanged),
                        std::move(callbacks.quoteLastPrice)});
  accounts_.store(login.accounts);
  loginType_.store(login.loginType);
  const int slot = login.loginType == backend::kTradingLogin ? 0 : 1;
  SetConnectionIndex(slot);
  SetLoginTexts(LoginTextsOf(login, slot));
  ResetTables();
  if (!StartDownloadThread()) return false;
  connectionState_.store(connection_state::kConnected);
  connectionFlag_.store(0);
  engineState_.store(EngineState::kInitialDownload);
  SetDownloadState(DownloadState::kIdle);
  // The initial download starts now rather than on the thread's first idle
  // tick, a second later.
  workEvent_.Set();
  return true;
}

void COperationEngine::Stop() {
  SetConnectionIndex(-1);
  SetQuoteConnectionIndex(-1);
  StopDownloadThread();
}

std::string COperationEngine::CustomerOfSlot(int slot) const {
  const backend::AccountTable* accounts = accounts_.load();
  const backend::AccountRecord* account = accounts == nullptr ? nullptr : accounts->FindAccountBySlot(slot);
  if (account == nullptr) return {};
  const std::string customer = KeyText(account->key.customerNo);
  return customer.substr(0, platform::GbkFitLength(customer, kCustomerLength));
}

void COperationEngine::OnPushBatchDone() {
  std::unique_lock engineLock(lock_, std::try_to_lock);
  if (!engineLock.owns_lock() || ConnectionIndex() < 0) return;

  std::vector<TableChangeRecord> reloads;
  bool initialDownloadEnded = false;
  bool downloadEnded = false;
  {
    std::lock_guard downloadLock(downloadLock_);
    if (downloadState_.load() == DownloadState::kDone) {
      downloadEnded = true;
      const EngineState finished = engineState_.exchange(EngineState::kReady);
      downloadState_.store(DownloadState::kIdle);
      initialDownloadEnded = finished == EngineState::kInitialDownload;
      AppendReloads(reloads, kReloadAfterDownload);
      if (initialDownloadEnded) AppendReloads(reloads, kReloadAfterInitialDownload);
      QueueConnectionState(connectionState_.load(), ConnectionIndex(), connectionFlag_.load());
    }
  }
  const std::vector<TableChangeRecord> held = TakeChangeQueue();
  // The GUI's handlers may query the back end or show a message box, so they
  // run without the engine lock: the other threads must not wait for them.
  engineLock.unlock();

  DeliverChangeRecords(reloads);
  if (initialDownloadEnded && downloadDone_) downloadDone_();
  DeliverChangeRecords(held);
  if (downloadEnded) ReplayPushesHeldForDownload();
}

void COperationEngine::OnConnectionState(int state, int flag, int connection) {
  if (ConnectionIndex() < 0) return;
  // Every connection but the quote connection carries downloads.
  if (state != connection_state::kConnected && connection != QuoteConnectionIndex()) NoteConnectionLoss();
  if (connection != ConnectionIndex()) {
    QueueConnectionState(state, connection, flag);
    return;
  }
  std::lock_guard engineLock(lock_);
  connectionState_.store(state);
  connectionFlag_.store(flag);
  if (state == connection_state::kConnected && flag != connection_state::kConnected) {
    std::lock_guard downloadLock(downloadLock_);
    if (downloadState_.load() != DownloadState::kScheduled && engineState_.load() == EngineState::kReady) {
      engineState_.store(flag == connection_state::kDisconnected ? EngineState::kInitialDownload
                                                                 : EngineState::kReconnectDownload);
      downloadState_.store(DownloadState::kScheduled);
      workEvent_.Set();
    }
  }
  QueueConnectionState(state, connection, flag);
}

void COperationEngine::RequestFullDownload() {
  std::lock_guard downloadLock(downloadLock_);
  if (downloadState_.load() == DownloadState::kScheduled || engineState_.load() != EngineState::kReady) return;
  engineState_.store(EngineState::kInitialDownload);
  downloadState_.store(DownloadState::kScheduled);
  workEvent_.Set();
}

void COperationEngine::NotifyTableChange(const TableChangeRecord& record) {
  if (downloadState_.load() != DownloadState::kIdle) return;
  if (!OnGuiThread()) {
    AppendToChangeQueue(record);
    return;
  }
  if (Callbacks().tableChanged) Callbacks().tableChanged(record);
}

// --- The download thread

bool COperationEngine::StartDownloadThread() {
  std::lock_guard downloadLock(downloadLock_);
  if (downloadThread_.IsRunning()) return true;
  workEvent_.Reset();
  try {
    return downloadThread_.Start([this](platform::Event& stop) { RunDownloadThread(stop); });
  } catch (const std::system_error&) {
    return false;
  }
}

void COperationEngine::StopDownloadThread() { downloadThread_.Stop(); }

void COperationEngine::SetDownloadState(DownloadState state) {
  std::lock_guard downloadLock(downloadLock_);
  downloadState_.store(state);
}

void COperationEngine::RunDownloadThread(platform::Event& stop) {
  WriteLog("下载线程启动。", 3);
  for (;;) {
    const int woken = platform::WaitForAny({&stop, &workEvent_}, kIdleTick);
    if (woken == 0) break;
    if (woken == 1) workEvent_.Reset();
    RunDownloadStep(woken == platform::kWaitTimedOut);
  }
  WriteLog("下载线程退出。", 3);
}

void COperationEngine::RunDownloadStep(bool idleTick) {
  const EngineState state = engineState_.load();
  if (downloadState_.load() != DownloadState::kDone && state != EngineState::kReady) {
    // A download waits for the engine's connection rather than fail on it.
    if (connectionState_.load() != connection_state::kConnected) return;
    const bool loaded = state == EngineState::kInitialDownload ? DownloadAll() : DownloadAfterReconnect();
    if (loaded) CompleteDownload(state);
    return;
  }
  if (idleTick && state == EngineState::kReady && connectionState_.load() == connection_state::kConnected) {
    RefreshPrices();
  }
}

}  // namespace engine
