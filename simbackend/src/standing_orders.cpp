#include "standing_orders.h"

namespace simbackend {

const char* PushedCode(ProfitLossOrder::State state) {
  switch (state) {
    case ProfitLossOrder::State::kWatching: return "1";
    case ProfitLossOrder::State::kStopLoss: return "2";
    case ProfitLossOrder::State::kTakeProfit: return "3";
    case ProfitLossOrder::State::kDeleted: return "4";
    case ProfitLossOrder::State::kFailed: return "5";
    case ProfitLossOrder::State::kWaiting: break;
  }
  return "0";
}

const char* KeptCode(ProfitLossOrder::State state) {
  switch (state) {
    case ProfitLossOrder::State::kWatching: return "2";
    case ProfitLossOrder::State::kStopLoss: return "1";
    case ProfitLossOrder::State::kTakeProfit: return "4";
    case ProfitLossOrder::State::kDeleted: return "d";
    case ProfitLossOrder::State::kFailed: return "3";
    case ProfitLossOrder::State::kWaiting: break;
  }
  return "0";
}

// The terminal keeps these texts in 16 bytes.
const char* StateText(ProfitLossOrder::State state) {
  switch (state) {
    case ProfitLossOrder::State::kWatching: return "止损止盈监控中";
    case ProfitLossOrder::State::kStopLoss: return "止损已委托";
    case ProfitLossOrder::State::kTakeProfit: return "止盈已委托";
    case ProfitLossOrder::State::kDeleted: return "已删除";
    case ProfitLossOrder::State::kFailed: return "平仓委托失败";
    case ProfitLossOrder::State::kWaiting: break;
  }
  return "等待开仓成交";
}

const char* PushedCode(ConditionOrder::State state) {
  switch (state) {
    case ConditionOrder::State::kWaiting: return "1";
    case ConditionOrder::State::kSent: return "0";
    case ConditionOrder::State::kCancelled: return "2";
    case ConditionOrder::State::kAsking:
    case ConditionOrder::State::kConfirmed:
    case ConditionOrder::State::kDeclined:
    case ConditionOrder::State::kIgnored: break;
  }
  return "3";
}

const char* KeptCode(ConditionOrder::State state) {
  switch (state) {
    case ConditionOrder::State::kWaiting: return "0";
    case ConditionOrder::State::kSent: return "1";
    case ConditionOrder::State::kCancelled: return "d";
    case ConditionOrder::State::kAsking:
    case ConditionOrder::State::kConfirmed:
    case ConditionOrder::State::kDeclined:
    case ConditionOrder::State::kIgnored: break;
  }
  return "2";
}

const char* StateText(ConditionOrder::State state) {
  switch (state) {
    case ConditionOrder::State::kWaiting: return "等待触发";
    case ConditionOrder::State::kSent: return "已发出委托";
    case ConditionOrder::State::kCancelled: return "已撤销";
    case ConditionOrder::State::kAsking:
    case ConditionOrder::State::kConfirmed:
    case ConditionOrder::State::kDeclined:
    case ConditionOrder::State::kIgnored: break;
  }
  return "等待客户确认";
}

}  // namespace simbackend
