// The five docking query bars as constants: the engine table each shows,
// the name its grid layout is saved under, its grid id, the leading columns
// it freezes, and its columns in order, with the column numbers by which the
// row fills and the row actions read a grid row. No toolkit.
#pragma once

#include <vector>

#include "ui/grid_model.h"

namespace tradeviews {

// The engine's GUI table ids that the bars show.
inline constexpr int kFundTable = 1;
inline constexpr int kOrderTable = 2;
inline constexpr int kTradeTable = 4;
inline constexpr int kPositionTable = 5;

struct QueryBarLayout {
  const char* gridStateName;
  int gridId;
  int frozenColumns;
  std::vector<ui::ColumnSpec> columns;
  // Column 0 holds the customer number (all but the contract bar).
  bool accountColumn = true;
};

QueryBarLayout ContractBarLayout();
QueryBarLayout TradeBarLayout();
QueryBarLayout OrderBarLayout();
QueryBarLayout FundBarLayout();
QueryBarLayout PositionBarLayout();

// Every bar but the contract bar shows its column 0, the customer number,
// only in the institution terminal.
inline constexpr int kAccountColumn = 0;

namespace order_column {
enum : int {
  kAccount,
  kOrderNo,
  kContract,
  kState,
  kBuySell,
  kOpenClose,
  kLots,
  kPrice,
  kTradedLots,
  kTradedPrice,
  kFrozenMargin,
  kFrozenPremium,
  kFrozenFee,
  kPriceType,
  kDealAttribute,
  kProfitLossPrice,
  kOrderKind,
  kOrderTime,
  kDeclareTime,
  kCancelTime,
  kTriggerTime,
  kHedge,
  kOrderSeat,
  kRemark,
  kSeat,
  kTradeCode,
  kProductKind,
  kCount
};
}  // namespace order_column

namespace trade_column {
enum : int {
  kAccount,
  kOrderNo,
  kContract,
  kBuySell,
  kOpenClose,
  kLots,
  kPrice,
  kMargin,
  kPremium,
  kFee,
  kTradeCode,
  kSeat,
  kSystemNo,
  kDealNo,
  kDealTime,
  kHedge,
  kExchangeName,
  kProductKind,
  kCount
};
}  // namespace trade_column

namespace fund_column {
enum : int {
  kAccount,
  kPreviousBalance,
  kDepositsToday,
  kEquity,
  kAvailable,
  kOptionValue,
  kFloatingProfit,
  kClosingProfit,
  kOptionFloatingMargin,
  kTotalMargin,
  kBuyMargin,
  kSellMargin,
  kPremiumPaid,
  kPremiumReceived,
  kTotalFrozen,
  kBuyFrozen,
  kSellFrozen,
  kFrozenPremium,
  kFrozenFee,
  kFee,
  kCredit,
  kRiskLevel,
  kCompanyRisk,
  kExchangeRisk,
  kCount
};
}  // namespace fund_column

namespace position_column {
enum : int {
  kAccount,
  kContract,
  kBuySell,
  kVolume,
  kClosable,
  kFloatingProfit,
  kMarkedProfit,
  kOptionValue,
  kPositionPrice,
  kOpenPrice,
  kLastPrice,
  kMargin,
  kOptionFloatingMargin,
  kHedge,
  kTradeCode,
  kSeat,
  kProductKind,
  kCount
};
}  // namespace position_column

namespace contract_column {
enum : int {
  kExchangeCode,
  kExchangeName,
  kContract,
  kContractName,
  kProductKind,
  kVarietyCode,
  kVarietyName,
  kDeliveryPeriod,
  kStrikePrice,
  kOptionType,
  kMultiplier,
  kPriceTick,
  kCount
};
}  // namespace contract_column

}  // namespace tradeviews
