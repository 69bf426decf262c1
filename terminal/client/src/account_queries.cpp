#include "client/account_queries.h"

#include <optional>

#include "backend/cx_data_set.h"
#include "backend/field_text.h"
#include "client/operation_frame.h"
#include "engine/operation_engine.h"
#include "engine/query_facade.h"
#include "engine/reference_rows.h"
#include "engine/row_field.h"
#include "engine/table_catalogue.h"
#include "protocol/function_numbers.h"

namespace client {
namespace {

constexpr Operation kFundsQuery{
    .title = "查询资金", .functionNo = protocol::function_no::kQueryFunds, .priority = 1, .singlePacket = true};
constexpr Operation kSystemDateQuery{
    .title = "查询系统日期", .functionNo = protocol::function_no::kQuerySystemDate, .singlePacket = true};
constexpr Operation kSeatTimeDifferenceQuery{.title = "查询席位时差",
                                             .functionNo = protocol::function_no::kQuerySeatTimeDifference};

// Trade-code kinds that serve one kind of order only, or none.
constexpr std::string_view kHedgeOnlyKind = "1";
constexpr std::string_view kNoOrderKind = "2";
constexpr std::string_view kSpeculationOnlyKind = "3";
constexpr std::string_view kHedgeFlag = "1";
constexpr std::string_view kSpeculationFlag = "0";

bool KindServes(std::string_view kind, std::string_view hedge) {
  if (kind == kHedgeOnlyKind) return hedge == kHedgeFlag;
  if (kind == kNoOrderKind) return false;
  if (kind == kSpeculationOnlyKind) return hedge == kSpeculationFlag;
  return true;
}

}  // namespace

bool QueryFunds(std::string_view customerNo, std::string& message) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  OperationParameters parameters(signer);
  parameters.Add("");
  return RunSync(kFundsQuery, signer.slot, parameters, message) != nullptr;
}

bool QuerySystemDate(SystemDate& systemDate, std::string& message) {
  const backend::AccountKey signer = FirstTradingAccount();
  const backend::RequestPtr record = RunSync(kSystemDateQuery, signer.slot, OperationParameters(signer), message);
  if (!record) return false;
  const std::string_view status = StatusLine(*record);
  systemDate.date = backend::GetSeparatedFieldText(6, status);
  systemDate.time = backend::GetSeparatedFieldText(10, status);
  systemDate.tradingDate = backend::GetSeparatedFieldText(5, status);
  return true;
}

backend::RequestPtr QuerySeatTimeDifference(std::string& message) {
  const backend::AccountKey signer = FirstTradingAccount();
  OperationParameters parameters(signer);
  parameters.Add("");
  return RunSync(kSeatTimeDifferenceQuery, signer.slot, parameters, message);
}

bool GetContractTradingCode(std::string_view customerNo, std::string_view contractCode, std::string_view hedge,
                            ContractTradingCode& code, std::string& message) {
  engine::COperationEngine* engine = TheOperationEngine();
  if (engine == nullptr) {
    message = kEngineMissingText;
    return false;
  }
  message.clear();
  std::string exchangeCode;
  if (!engine::GetContractExchange(*engine, contractCode, message, exchangeCode)) {
    // An unknown contract comes back without a text; the customer still has
    // to learn why the order cannot go.
    if (message.empty()) message = kNoTradeCodeText;
    return false;
  }
  backend::CxDataSet tradeCodes;
  if (!engine->GetTableCopy(engine::table_id::kTradeCodes, tradeCodes, message)) return false;
  for (std::size_t index = 0; index < tradeCodes.GetCount(); ++index) {
    const std::optional<engine::TradeCodeRow> row =
        engine::RowFromBytes<engine::TradeCodeRow>(tradeCodes.GetValue(index));
    if (row && engine::Text(row->szTradeAccount) == customerNo && engine::Text(row->szExchangeCode) == exchangeCode &&
        KindServes(engine::Text(row->szTradeCodeType), hedge)) {
      code = {exchangeCode, std::string(engine::Text(row->szSeatCode)), std::string(engine::Text(row->szMapCode))};
      return true;
    }
  }
  message = kNoTradeCodeText;
  return false;
}

}  // namespace client
