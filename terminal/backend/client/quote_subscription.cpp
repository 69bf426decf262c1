#include "client/quote_subscription.h"

#include <utility>

#include "backend/account_table.h"
#include "backend/request_queue.h"
#include "backend/request_record.h"
#include "backend/sequence_number.h"
#include "backend/transport.h"
#include "engine/operation_engine.h"
#include "quotes/contract_key.h"

namespace client {
namespace {

constexpr std::string_view kTitle = "注册行情";
constexpr int kPriority = 2;

// The parameters after the contracts text.
constexpr std::string_view kTrailingParameters[] = {"-1", "3", "1"};

}  // namespace

bool SubscribeQuotation(engine::COperationEngine& engine, std::string_view contracts, int slot,
                        std::string& message) {
  const engine::COperationEngineBase::LoginTexts login = engine.GetLoginTexts();
  backend::AccountKey signer;
  backend::TheAccountTable().CopyAccountKeyBySlot(0, signer);

  backend::CxDataSet parameters;
  bool complete = parameters.AddText(login.requestPrefix) && parameters.AddText(login.applicationTag) &&
                  parameters.AddText(quotes::FieldText(signer.customerNo)) &&
                  parameters.AddText(quotes::FieldText(signer.password)) && parameters.AddText(contracts);
  for (const std::string_view parameter : kTrailingParameters) complete = complete && parameters.AddText(parameter);
  if (!complete) {
    message = std::string(kTitle) + "时，创建请求命令失败！";
    return false;
  }

  backend::RequestPtr record = backend::BuildRequestCommand(
      kTitle, 1, slot, kPriority, kSubscribeQuotationTag, backend::LocalMachineAddress(),
      backend::GetNextSequenceNo(), kSubscribeQuotationFunction, true, parameters, message);
  if (!record) return false;
  switch (engine.SendRequestAsync(record, message)) {
    case 0:
      return true;
    case 1:
      return backend::PostToResultQueue(std::move(record));
    default:
      backend::FreeRequest(record);
      return false;
  }
}

SubscriptionSender QuoteSubscriptionSender(engine::COperationEngine& engine) {
  return [&engine](std::string_view contracts) {
    std::string message;
    return SubscribeQuotation(engine, contracts, engine.QuoteConnectionIndex(), message);
  };
}

}  // namespace client
