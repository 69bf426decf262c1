// The engine with its protected parts opened for tests, and the rows of its
// tables put in and read back under its lock.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "engine/operation_engine.h"
#include "engine/table_catalogue.h"
#include "engine/testing/rows.h"
#include "platform/sync.h"

namespace engine_testing {

// Whether another thread can take the lock now.
bool LockIsFree(platform::CriticalSection& lock);

class OpenEngine : public engine::COperationEngine {
 public:
  // Unless `runsOwnDownloads`, the download thread never downloads: the test
  // alone talks to the back end and ends each download itself.
  explicit OpenEngine(bool runsOwnDownloads = false) : runsOwnDownloads_(runsOwnDownloads) {}
  // The download thread calls the virtual downloads: it stops before the
  // classes below go.
  ~OpenEngine() override { StopDownloadThread(); }

  // The downloads on the caller's thread.
  bool RunInitialDownload() { return COperationEngine::DownloadAll(); }
  bool RunReconnectDownload() { return COperationEngine::DownloadAfterReconnect(); }
  // What the download thread does when a download succeeds.
  void FinishDownload(engine::DownloadState state = engine::DownloadState::kDone) { SetDownloadState(state); }
  // Ends the download the engine is in as the download thread and the queue
  // pump would; true once the engine is ready. Call on the thread that
  // started the engine.
  bool MakeReady();

  template <engine::EngineRow Row>
  void Add(engine::Table table, const Row& row) {
    std::lock_guard guard(lock_);
    ASSERT_TRUE(AddRow(TableAt(table), row));
  }
  // The table holds this row only.
  template <engine::EngineRow Row>
  void Replace(engine::Table table, const Row& row) {
    {
      std::lock_guard guard(lock_);
      TableAt(table).Clear();
    }
    Add(table, row);
  }
  template <engine::EngineRow Row>
  std::vector<Row> Rows(engine::Table table) const {
    std::lock_guard guard(lock_);
    return RowsOf<Row>(TableAt(table));
  }
  // Whether another thread could take the engine lock now.
  bool LockFreeForOtherThreads() const { return LockIsFree(lock_); }

  using COperationEngine::lock_;
  using COperationEngine::OnGuiThread;
  using COperationEngine::RaiseChange;
  using COperationEngine::ResetTables;
  using COperationEngine::SetDownloadState;
  using COperationEngine::StopDownloadThread;
  using COperationEngine::TableAt;
  using COperationEngine::TakeChangeQueue;

  // Requests and single-row queries.
  using COperationEngine::AskBackEnd;
  using COperationEngine::BuildCloseStrategyRequest;
  using COperationEngine::BuildCombinationDetailRequest;
  using COperationEngine::BuildContractRequest;
  using COperationEngine::BuildExchangeSeatRequest;
  using COperationEngine::BuildExercisableQuantityRequest;
  using COperationEngine::BuildExerciseOrderRequest;
  using COperationEngine::BuildFeeRateRequest;
  using COperationEngine::BuildFundRequest;
  using COperationEngine::BuildLastPriceRequest;
  using COperationEngine::BuildOptionParamsRequest;
  using COperationEngine::BuildOrderRequest;
  using COperationEngine::BuildOrderTypeRequest;
  using COperationEngine::BuildPositionDetailRequest;
  using COperationEngine::BuildSystemDateRequest;
  using COperationEngine::BuildTradeCodeRequest;
  using COperationEngine::BuildTradeRequest;
  using COperationEngine::BuildTradingParameterRequest;
  using COperationEngine::EngineAccountKey;
  using COperationEngine::QueryExercisableQuantity;
  using COperationEngine::QueryExerciseOrder;
  using COperationEngine::QueryFeeRate;
  using COperationEngine::QueryLastPrice;
  using COperationEngine::QueryOptionParams;
  using COperationEngine::QueryOrderRecord;
  using COperationEngine::UpsertExercisableQuantity;

  // The loaders of the downloads.
  using COperationEngine::ClearPerAccountDownloadTables;
  using COperationEngine::LoadCloseStrategies;
  using COperationEngine::LoadCombinationDetails;
  using COperationEngine::LoadConditionOrders;
  using COperationEngine::LoadContracts;
  using COperationEngine::LoadExchangeSeats;
  using COperationEngine::LoadExerciseOrders;
  using COperationEngine::LoadFunds;
  using COperationEngine::LoadOrders;
  using COperationEngine::LoadOrderTypes;
  using COperationEngine::LoadPositionDetails;
  using COperationEngine::LoadProfitLossOrders;
  using COperationEngine::LoadSpecialOrders;
  using COperationEngine::LoadTradeCodes;
  using COperationEngine::LoadTrades;

  // The answer updates and the pushes.
  using COperationEngine::AddConditionOrder;
  using COperationEngine::AddExerciseOrder;
  using COperationEngine::AddOrder;
  using COperationEngine::AddSpecialOrder;
  using COperationEngine::ApplyCancelAnswer;
  using COperationEngine::ApplyConditionOrderAnswer;
  using COperationEngine::ApplyConditionOrderCancel;
  using COperationEngine::ApplyConditionOrderChange;
  using COperationEngine::ApplyConditionOrderState;
  using COperationEngine::ApplyFundAnswer;
  using COperationEngine::ApplyOrderAnswer;
  using COperationEngine::ApplyProfitLossOrderAdd;
  using COperationEngine::ApplyProfitLossOrderChange;
  using COperationEngine::ApplyProfitLossOrderDelete;
  using COperationEngine::ApplySpecialCancelAnswer;
  using COperationEngine::ApplySpecialOrderAnswer;
  using COperationEngine::ApplyStoredOrderAdd;
  using COperationEngine::ApplyStoredOrderChange;
  using COperationEngine::ApplyStoredOrderDelete;
  using COperationEngine::ApplyStoredOrderSend;
  using COperationEngine::OnCancelPush;
  using COperationEngine::OnConditionOrderPush;
  using COperationEngine::OnExerciseCancelAnswer;
  using COperationEngine::OnExerciseCancelPush;
  using COperationEngine::OnExerciseOrderAnswer;
  using COperationEngine::OnExerciseOrderPush;
  using COperationEngine::OnOrderStatePush;
  using COperationEngine::OnPushLine;
  using COperationEngine::OnSpecialOrderPush;
  using COperationEngine::OnSpecialOrderStatePush;
  using COperationEngine::OnTradePush;

  // The calculations: costs, positions, prices and sums.
  using COperationEngine::AddTradePosition;
  using COperationEngine::ApplyTradeToPositions;
  using COperationEngine::BuildCombinationTable;
  using COperationEngine::BuildPositionSummary;
  using COperationEngine::CalcTradeFee;
  using COperationEngine::CloseByStrategy;
  using COperationEngine::CloseStrategyOf;
  using COperationEngine::FloatingProfitCounts;
  using COperationEngine::GetCloseStrategy;
  using COperationEngine::LocalFeeRateAnswer;
  using COperationEngine::Recalculate;
  using COperationEngine::RecomputeSummaryMargin;
  using COperationEngine::RefreshPrices;
  using COperationEngine::SetFloatingProfitCounts;
  using COperationEngine::SetLoginTexts;
  using COperationEngine::SumAccountFrozen;
  using COperationEngine::SumDirectionVolume;
  using COperationEngine::SumOptionValues;
  using COperationEngine::SumSummaryMargins;
  using COperationEngine::UpdateContractProfit;
  using COperationEngine::UpdatePositionSummary;

 protected:
  bool DownloadAll() override { return runsOwnDownloads_ && COperationEngine::DownloadAll(); }
  bool DownloadAfterReconnect() override { return runsOwnDownloads_ && COperationEngine::DownloadAfterReconnect(); }

 private:
  const bool runsOwnDownloads_;
};

}  // namespace engine_testing
