// The engine's tables: the ids by which the GUI knows them, and the numbers
// of the tables the engine stores.
#pragma once

#include <cstddef>
#include <optional>

namespace engine {

// GUI table ids, used by table copies, queries and TableChangeRecord.
namespace table_id {
inline constexpr int kFunds = 1;
inline constexpr int kOrders = 2;
inline constexpr int kSpecialOrders = 3;
inline constexpr int kTrades = 4;
inline constexpr int kPositionSummary = 5;
inline constexpr int kPositionDetailsView = 6;       // built on request
inline constexpr int kCombinationPositionsView = 7;  // built on request
inline constexpr int kOrderKinds = 8;
inline constexpr int kOrderTypes = 9;
inline constexpr int kExchangeSeats = 10;
inline constexpr int kContracts = 11;
inline constexpr int kCombinationContracts = 12;
inline constexpr int kTradeCodes = 13;
inline constexpr int kConnectionState = 14;  // no table: marks a connection-state record
inline constexpr int kAlwaysEmpty15 = 15;
inline constexpr int kAlwaysEmpty16 = 16;
inline constexpr int kStoredOrders = 17;
inline constexpr int kProfitLossOrders = 18;
inline constexpr int kConditionOrders = 19;
inline constexpr int kExercisableQuantities = 20;
inline constexpr int kExerciseOrders = 21;
}  // namespace table_id

// The stored tables. 0 to 23 are the engine's numbered tables (23 the change
// queue); the two option-exercise tables follow them.
enum class Table : std::size_t {
  kFunds = 0,
  kAlwaysEmpty15 = 1,
  kAlwaysEmpty16 = 2,
  kCloseStrategies = 3,
  kOrderKinds = 4,
  kOrderTypes = 5,
  kContracts = 6,
  kCombinationContracts = 7,
  kOrders = 8,
  kSpecialOrders = 9,
  kTrades = 10,
  kPositionSummary = 11,
  kPositionDetails = 12,
  kDownloadedPositionDetails = 13,
  kCombinationDetails = 14,
  kDownloadedCombinationDetails = 15,
  kFeeRates = 16,
  kPriceContracts = 17,
  kExchangeSeats = 18,
  kTradeCodes = 19,
  kStoredOrders = 20,
  kConditionOrders = 21,
  kProfitLossOrders = 22,
  kChangeQueue = 23,
  kExercisableQuantities = 24,
  kExerciseOrders = 25,
};
inline constexpr std::size_t kTableCount = 26;

// The stored table behind a GUI table id; nothing for the ids that name no
// stored table (6, 7, 14 and every id outside the catalogue).
std::optional<Table> StoredTableFor(int tableId);

}  // namespace engine
