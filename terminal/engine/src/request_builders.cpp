// The engine's own requests to the back end, one builder per function
// number.
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "backend/field_text.h"
#include "engine/operation_engine_base.h"
#include "protocol/function_numbers.h"

namespace engine {
namespace {

using backend::AccountKey;
using backend::RequestPtr;
using enum AnswerForm;
namespace fn = protocol::function_no;

// The reference tables and the system date.
constexpr EngineRequest kSystemDate{"查询系统日期", fn::kQuerySystemDate, kSingleLine};
constexpr EngineRequest kTradingParameter{"查询交易(结算)参数", fn::kQuerySettlementParams, kRows};
constexpr EngineRequest kCloseStrategies{"查询平仓策略", fn::kQueryCloseStrategies, kRows};
constexpr EngineRequest kOrderTypes{"查询定单类型", fn::kQueryOrderTypes, kRows};
constexpr EngineRequest kExchangeSeats{"查询交易所席位信息", fn::kQueryExchangeSeats, kRows};
constexpr EngineRequest kContracts{"查询合约", fn::kQueryContracts, kRows};
// Each account's tables.
constexpr EngineRequest kTradeCodes{"查询交易编码", fn::kQueryTradeCodes, kRows};
constexpr EngineRequest kFunds{"查询资金", fn::kQueryFunds, kSingleLine};
constexpr EngineRequest kPositionDetails{"查询持仓明细", fn::kQueryPositionDetails, kRows};
constexpr EngineRequest kCombinationDetails{"查询组合持仓明细", fn::kQueryCombinationDetails, kRows};
constexpr EngineRequest kTrades{"查询成交", fn::kQueryTrades, kRows};
constexpr EngineRequest kOrders{"查询综合委托", fn::kQueryOrders, kRows};
constexpr EngineRequest kExerciseOrders{"查询期权执行/放弃委托", fn::kQueryExerciseOrders, kRows};
// Single rows.
constexpr std::string_view kInitialCreateFailure = "时，初始化创建请求命令失败！";
constexpr EngineRequest kExercisableQuantity{"查询期权可执行/放弃数量", fn::kQueryExercisableQuantity, kSingleLine};
constexpr EngineRequest kFeeRate{"查询费率", fn::kQueryFeeRate, kSingleLine, kInitialCreateFailure};
constexpr EngineRequest kOptionParams{"查询期权相关参数", fn::kQueryOptionParams, kSingleLine, kInitialCreateFailure};
constexpr EngineRequest kLastPrices{"查询行情最新价", fn::kQueryLastPrice, kSingleLine, kInitialCreateFailure};

// The fee-rate request's fourth parameter.
constexpr std::string_view kFeeRateQueryKind = "1";

std::string KeyText(const char (&text)[backend::kAccountTextSize]) {
  return std::string(text, strnlen(text, backend::kAccountTextSize));
}

// The parameters of a request: the four leading texts, then its own.
// Nothing when memory runs out.
std::optional<backend::CxDataSet> ParameterList(const COperationEngineBase::LoginTexts& texts, const AccountKey& signer,
                                                std::initializer_list<std::string_view> parameters) {
  backend::CxDataSet list;
  bool complete = list.AddText(texts.requestPrefix) && list.AddText(texts.applicationTag) &&
                  list.AddText(KeyText(signer.customerNo)) && list.AddText(KeyText(signer.password));
  for (const std::string_view parameter : parameters) complete = complete && list.AddText(parameter);
  if (!complete) return std::nullopt;
  return list;
}

}  // namespace

AccountKey COperationEngineBase::EngineAccountKey() const {
  const LoginTexts texts = GetLoginTexts();
  AccountKey key;
  backend::CopyTextBounded(texts.customerNumber.c_str(), key.customerNo, sizeof key.customerNo);
  backend::CopyTextBounded(texts.password.c_str(), key.password, sizeof key.password);
  key.slot = ConnectionIndex();
  return key;
}

RequestPtr COperationEngineBase::BuildEngineRequest(const EngineRequest& request, const AccountKey& signer,
                                                    std::initializer_list<std::string_view> parameters) const {
  const LoginTexts texts = GetLoginTexts();
  const std::optional<backend::CxDataSet> list = ParameterList(texts, signer, parameters);
  RequestPtr record =
      list ? backend::CreateRequest(request.title, signer.slot, kEngineRequestPriority, "", 1) : nullptr;
  if (!record) {
    WriteLog((std::string(request.title) + std::string(request.createFailure)).c_str(), 1);
    return nullptr;
  }
  const int sequenceNo = Callbacks().nextSequenceNo ? Callbacks().nextSequenceNo() : 0;
  if (!backend::SetRequestCommand(
          0, *record, backend::FormatRequestText(texts.machineAddress, sequenceNo, request.functionNo, *list),
          sequenceNo, request.functionNo, request.form == kSingleLine)) {
    WriteLog((std::string(request.title) + std::string(request.addFailure)).c_str(), 1);
    return nullptr;
  }
  return record;
}

RequestPtr COperationEngineBase::BuildSystemDateRequest() const {
  return BuildEngineRequest(kSystemDate, EngineAccountKey(), {});
}

RequestPtr COperationEngineBase::BuildTradingParameterRequest(std::string_view name) const {
  return BuildEngineRequest(kTradingParameter, EngineAccountKey(), {"2", "", name, "0"});
}

RequestPtr COperationEngineBase::BuildCloseStrategyRequest() const {
  return BuildEngineRequest(kCloseStrategies, EngineAccountKey(), {});
}

RequestPtr COperationEngineBase::BuildOrderTypeRequest() const {
  return BuildEngineRequest(kOrderTypes, EngineAccountKey(), {"", "", ""});
}

RequestPtr COperationEngineBase::BuildExchangeSeatRequest() const {
  return BuildEngineRequest(kExchangeSeats, EngineAccountKey(), {""});
}

RequestPtr COperationEngineBase::BuildContractRequest() const {
  return BuildEngineRequest(kContracts, EngineAccountKey(), {"", "", ""});
}

RequestPtr COperationEngineBase::BuildTradeCodeRequest(const AccountKey& account) const {
  return BuildEngineRequest(kTradeCodes, account, {"", ""});
}

RequestPtr COperationEngineBase::BuildFundRequest(const AccountKey& account) const {
  return BuildEngineRequest(kFunds, account, {GetLoginTexts().tradingDate, ""});
}

RequestPtr COperationEngineBase::BuildPositionDetailRequest(const AccountKey& account) const {
  return BuildEngineRequest(kPositionDetails, account, {});
}

RequestPtr COperationEngineBase::BuildCombinationDetailRequest(const AccountKey& account) const {
  return BuildEngineRequest(kCombinationDetails, account, {});
}

RequestPtr COperationEngineBase::BuildTradeRequest(const AccountKey& account) const {
  const std::string tradingDate = GetLoginTexts().tradingDate;
  return BuildEngineRequest(kTrades, account, {tradingDate, tradingDate, "", "", "", "", "", "", ""});
}

RequestPtr COperationEngineBase::BuildOrderRequest(const AccountKey& account, const OrderSelectors& order) const {
  return BuildEngineRequest(kOrders, account, {order.orderNo, order.exchangeCode, order.orderSeat});
}

RequestPtr COperationEngineBase::BuildExerciseOrderRequest(const AccountKey& account,
                                                           const OrderSelectors& application) const {
  return BuildEngineRequest(kExerciseOrders, account,
                            {application.orderNo, application.exchangeCode, application.orderSeat});
}

RequestPtr COperationEngineBase::BuildExercisableQuantityRequest(const AccountKey& account,
                                                                 const ExercisableSelectors& position) const {
  return BuildEngineRequest(kExercisableQuantity, account,
                            {position.exchangeCode, position.contractCode, position.tradeCode, position.seatCode,
                             position.hedgeCode, position.buySellCode});
}

RequestPtr COperationEngineBase::BuildFeeRateRequest(const AccountKey& account, std::string_view exchangeCode,
                                                     std::string_view seatCode, std::string_view contractCode) const {
  ContractRow contract{};
  FindContract(exchangeCode, contractCode, contract);
  return BuildEngineRequest(kFeeRate, account,
                            {exchangeCode, seatCode, contractCode, kFeeRateQueryKind, GetLoginTexts().tradingDate,
                             Text(contract.szTradeClass)});
}

RequestPtr COperationEngineBase::BuildOptionParamsRequest(const AccountKey& account, std::string_view exchangeCode,
                                                          std::string_view optionKind,
                                                          std::string_view contractCode) const {
  return BuildEngineRequest(kOptionParams, account, {exchangeCode, optionKind, contractCode});
}

RequestPtr COperationEngineBase::BuildLastPriceRequest(std::string_view contracts) const {
  AccountKey signer = EngineAccountKey();
  if (QuoteConnectionIndex() >= 0) signer.slot = QuoteConnectionIndex();
  return BuildEngineRequest(kLastPrices, signer, {contracts});
}

std::size_t COperationEngineBase::LastPriceListRoom() const {
  const LoginTexts texts = GetLoginTexts();
  const std::optional<backend::CxDataSet> emptyList = ParameterList(texts, EngineAccountKey(), {""});
  if (!emptyList) return 0;
  // With the longest sequence number a text may carry.
  const std::size_t overhead = backend::FormatRequestText(texts.machineAddress, std::numeric_limits<int>::min(),
                                                          kLastPrices.functionNo, *emptyList)
                                   .size();
  return overhead < kMaxRequestTextLength ? kMaxRequestTextLength - overhead : 0;
}

}  // namespace engine
