#include "tradeviews/model/order_entry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>

#include "backend/account_table.h"
#include "client/code_tables.h"
#include "client/fixed_text.h"
#include "gridctl/model/contract_list.h"
#include "gridctl/model/numeric_rules.h"
#include "tradeviews/model/order_choices.h"

namespace tradeviews {
namespace {

using engine::SetText;
using engine::Text;
using order_module::OrderRecord;

constexpr std::size_t kTriggerPriceLength = 15;

bool IsOneOf(std::string_view code, std::initializer_list<std::string_view> codes) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// An empty code adds `empty`; a code that is none of the valid ones adds
// "<name>：<code>不合法!".
void CheckCode(std::string_view code, std::initializer_list<std::string_view> valid, std::string_view empty,
               std::string_view name, std::string& messages) {
  if (code.empty()) {
    messages += empty;
  } else if (!IsOneOf(code, valid)) {
    messages += std::string(name) + "：" + std::string(code) + "不合法!\n";
  }
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool HasContract(const backend::CxDataSet& contracts, std::string_view code) {
  const std::vector<engine::ReducedContractRow> rows = gridctl::ContractRowsOf(contracts);
  return std::any_of(rows.begin(), rows.end(),
                     [&](const engine::ReducedContractRow& row) { return Text(row.szContractCode) == code; });
}

}  // namespace

OrderRecord BuildOrderRecord(const OrderFormInput& input, OrderPanelServices& services, bool lookUp,
                             std::string& lookUpError) {
  OrderRecord record{};
  SetText(record.customerNo, input.customerShown ? input.customer : services.FirstCustomer());
  SetText(record.contractCode, input.contract);
  SetText(record.buySell, input.buySell);
  SetText(record.openClose, input.openClose);
  if (input.withPriceType) {
    SetText(record.priceType, PriceTypeCode(NumberBeforeDash(input.priceType)));
    SetText(record.dealAttribute, DealAttributeCode(NumberBeforeDash(input.dealAttribute)));
    SetText(record.triggerPrice, std::string_view(input.triggerPrice).substr(0, kTriggerPriceLength));
  }
  SetText(record.lots, input.volume);
  SetText(record.price, input.price);
  SetText(record.hedge, input.hedge ? "1" : "0");
  lookUpError.clear();
  if (lookUp) {
    client::ContractTradingCode code;
    if (services.ContractTradingCode(Text(record.customerNo), Text(record.contractCode), Text(record.hedge), code,
                                     lookUpError)) {
      SetText(record.exchange, code.exchangeCode);
      SetText(record.tradeCode, code.tradeCode);
      SetText(record.seat, code.seat);
    } else if (lookUpError.empty()) {
      lookUpError = client::kNoTradeCodeText;
    }
  }
  return record;
}

bool CheckCustomerNo(std::string_view customerNo, const std::vector<std::string>& customers, std::string& message) {
  if (customerNo.empty() || customers.empty() ||
      std::find(customers.begin(), customers.end(), customerNo) != customers.end()) {
    return true;
  }
  message += "传入的客户号非法!\n";
  return false;
}

bool ValidateOrderInput(const OrderRecord& record, OrderPanelServices& services, bool multiAccount,
                        std::string& messages) {
  const std::size_t before = messages.size();
  const std::string_view customer = Text(record.customerNo);
  if (customer.empty()) messages += "客户号不能为空!\n";
  if (multiAccount) CheckCustomerNo(customer, services.Customers(), messages);

  const std::string_view contract = Text(record.contractCode);
  if (contract.empty()) {
    messages += "合约不能为空!\n";
  } else {
    backend::CxDataSet contracts;
    if (!services.QueryContracts(contracts) || !HasContract(contracts, contract)) {
      messages += "合约: " + std::string(contract) + " 不合法!\n";
    }
  }

  CheckCode(Text(record.buySell), {"0", "1"}, "买卖不能为空!\n", "买卖标志", messages);
  CheckCode(Text(record.openClose), {"0", "1", "2", "3"}, "开平标志不能为空!\n", "开平标志", messages);
  CheckCode(Text(record.hedge), {"0", "1"}, "投保标志不能为空!\n", "投保标志", messages);

  const std::string_view lots = Text(record.lots);
  if (lots.empty()) {
    messages += "委托手数不能为空!\n";
  } else {
    // A text that is not all digits counts as no lots.
    if (gridctl::ParseLots(lots).value_or(0) < 1) messages += "委托手数必须大于1 !\n";
    if (lots.front() == '0') messages += "委托手数第一位不能为0 !\n";
  }

  const std::string_view price = Text(record.price);
  if (price.empty()) {
    messages += "委托价格不能为空!\n";
  } else if (!services.PriceOnTick(contract, price)) {
    messages += "委托价格不符合最小变动价位!\n";
  }
  return messages.size() == before;
}

backend::CGlobalStringList OrderFieldList(const OrderRecord& record, bool multiAccount,
                                          std::string_view firstCustomer) {
  backend::CGlobalStringList fields;
  for (int i = 0; i < 3; ++i) fields.Append("");
  for (const std::string_view text :
       {Text(record.exchange), Text(record.contractCode), Text(record.buySell), Text(record.openClose),
        Text(record.hedge), Text(record.lots), Text(record.price), Text(record.tradeCode), Text(record.seat),
        Text(record.priceType), Text(record.dealAttribute), Text(record.triggerPrice)}) {
    fields.Append(text);
  }
  // Above 0 this would spare the user the market-price question.
  fields.AppendNumber(0);
  fields.Append(multiAccount ? Text(record.customerNo) : firstCustomer);
  return fields;
}

std::string SendNormalOrder(const OrderFormInput& input, OrderPanelServices& services, bool multiAccount) {
  std::string lookUpError;
  const OrderRecord record = BuildOrderRecord(input, services, true, lookUpError);
  std::string messages;
  if (!ValidateOrderInput(record, services, multiAccount, messages)) return messages;
  if (!lookUpError.empty()) return lookUpError;
  const backend::CGlobalStringList fields = OrderFieldList(record, multiAccount, services.FirstCustomer());
  services.LogUserAction("操作：普通下单。");
  services.SubmitOrder(fields);
  return {};
}

std::string PriceTextForTick(std::string_view price, double tick) {
  const std::optional<double> value = engine::ParseNumber(price);
  // A tick too small for the engine's thousandths cannot say the decimals.
  if (!value || *value <= 1e-6 || tick <= 1e-6) return std::string(price);
  return client::FixedText(*value, client::CountDecimalPlaces(tick));
}

std::optional<engine::ReducedContractRow> MatchContract(const backend::CxDataSet& contracts, std::string_view text) {
  for (const engine::ReducedContractRow& row : gridctl::ContractRowsOf(contracts)) {
    if (EqualsIgnoringCase(Text(row.szContractCode), text)) return row;
  }
  return std::nullopt;
}

std::optional<int> DefaultLots(const client::VarietyParamRows& rows, std::string_view contractCode,
                               std::string_view volume) {
  if (!volume.empty() && gridctl::ParseLots(volume).value_or(1) != 0) return std::nullopt;
  const std::span<const std::byte> bytes = std::as_bytes(std::span(rows));
  const std::ptrdiff_t index =
      backend::FindVarietyParamRow({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, contractCode);
  if (index < 0) return std::nullopt;
  const int lots = rows[static_cast<std::size_t>(index)].defaultLots;
  return lots > 0 ? std::optional<int>(lots) : std::nullopt;
}

engine::QuantityRecord QuantityQueryOf(const OrderRecord& record) {
  engine::QuantityRecord query{};
  SetText(query.szTradeAccount, Text(record.customerNo));
  SetText(query.szExchangeCode, Text(record.exchange));
  SetText(query.szContractCode, Text(record.contractCode));
  SetText(query.szFlagSH, Text(record.hedge));
  SetText(query.szPrice, Text(record.price));
  SetText(query.szMapCode, Text(record.tradeCode));
  SetText(query.szSeatCode, Text(record.seat));
  return query;
}

VolumeLabels VolumeLabelsOf(const engine::QuantityRecord& answer, bool buy) {
  const auto label = [](const char* name, long value) { return std::string(name) + std::to_string(value); };
  char usable[64];
  std::snprintf(usable, sizeof usable, "可用：%.2f", answer.usableMoney);
  return {label("可平：", buy ? answer.closableBuy : answer.closableSell),
          label("可平今：", buy ? answer.closableTodayBuy : answer.closableTodaySell),
          label("可开：", buy ? answer.openableBuy : answer.openableSell), usable};
}

std::string FundsText(const engine::QuantityRecord& answer) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", answer.usableMoney);
  return text;
}

std::string HoldingsText(const engine::QuantityRecord& answer) {
  return std::to_string(answer.heldBuy) + "/" + std::to_string(answer.heldSell);
}

}  // namespace tradeviews
