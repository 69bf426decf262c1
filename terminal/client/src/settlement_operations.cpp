#include "client/settlement_operations.h"

#include "answer_lists.h"
#include "client/operation_frame.h"
#include "protocol/function_numbers.h"

namespace client {
namespace {

constexpr Operation kSettlementParamsQuery{.title = "查询交易结算参数",
                                           .functionNo = protocol::function_no::kQuerySettlementParams};
constexpr Operation kStatementQuery{.title = "查询结算单",
                                    .functionNo = protocol::function_no::kQuerySettlementStatement};
constexpr Operation kStatementConfirmation{
    .title = "确认结算单", .functionNo = protocol::function_no::kConfirmSettlementStatement, .singlePacket = true};

// Both answers are read from field 4 of each row on.
constexpr int kFirstRowField = 4;
constexpr int kParamsFieldCount = 4;
constexpr int kStatementFieldCount = 1;

}  // namespace

bool QuerySettlementParams(backend::CxDataSet& rows, std::string& message) {
  const backend::AccountKey signer = FirstTradingAccount();
  OperationParameters parameters(signer);
  parameters.Add("2").Add("").Add("STATUS").Add("0");
  const backend::RequestPtr record = RunSync(kSettlementParamsQuery, signer.slot, parameters, message);
  return record &&
         SplitAnswerInto(*record, kFirstRowField, kParamsFieldCount, rows, "查询交易结算参数异常错误！", message);
}

bool QuerySettlementStatement(std::string_view customerNo, std::string_view date, std::string_view type,
                              backend::CxDataSet& rows, std::string& message) {
  const backend::AccountKey signer = NamedAccount(customerNo);
  OperationParameters parameters(signer);
  parameters.Add(type).Add(date);
  const backend::RequestPtr record = RunSync(kStatementQuery, signer.slot, parameters, message);
  return record &&
         SplitAnswerInto(*record, kFirstRowField, kStatementFieldCount, rows, "查询结算单异常错误！", message);
}

std::vector<std::string> StatementLines(const backend::CxDataSet& rows) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < rows.GetCount(); ++i) {
    const backend::CxDataSetView row(rows.GetValue(i));
    std::string_view line;
    if (row.GetCount() > 0) {
      const std::span<const std::uint8_t> value = row.GetValue(0);
      line = std::string_view(reinterpret_cast<const char*>(value.data()), value.size());
      while (!line.empty() && line.back() == '\0') line.remove_suffix(1);
    }
    lines.emplace_back(line);
  }
  return lines;
}

bool ConfirmSettlementStatement(std::string& message) {
  return RunSync(kStatementConfirmation, 0, OperationParameters(SlotAccount(0)), message) != nullptr;
}

}  // namespace client
