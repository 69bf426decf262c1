#include "shell/settings_pages_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numeric>
#include <set>

#include "backend/cx_data_set.h"
#include "backend/field_text.h"
#include "client/fixed_text.h"
#include "engine/query_facade.h"
#include "engine/reference_rows.h"
#include "engine/row_field.h"
#include "ini_values.h"
#include "quotes/group_tables.h"
#include "quotes/optional_contract.h"

namespace shell {
namespace {

constexpr std::string_view kNoValue = "--";

bool IsAll(std::string_view text) { return text.empty() || text == kAllItems; }

int CompareWithoutCase(std::string_view left, std::string_view right) {
  const std::size_t common = std::min(left.size(), right.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int l = std::tolower(static_cast<unsigned char>(left[i]));
    const int r = std::tolower(static_cast<unsigned char>(right[i]));
    if (l != r) return l < r ? -1 : 1;
  }
  return left.size() == right.size() ? 0 : (left.size() < right.size() ? -1 : 1);
}

int LotsOf(std::string_view text) { return backend::ParseDecimal(backend::TrimBlanks(text)).value_or(0); }

}  // namespace

std::optional<std::string> GatewayFieldsProblem(const GatewayFields& fields) {
  if (backend::TrimBlanks(fields.name).empty()) return "网关名称不能为空";
  const std::string_view address = backend::TrimBlanks(fields.address);
  if (address.empty() || address == "0.0.0.0") return "IP地址不正确";
  const std::string_view port = backend::TrimBlanks(fields.port);
  if (port.empty()) return "端口不能为空";
  const std::optional<int> number = backend::ParseDecimal(port);
  if (!number || *number < 1 || *number > 65535) return "端口必须是1到65535之间的数字";
  return std::nullopt;
}

bool GatewayCellBefore(std::string_view left, std::string_view right, bool descending) {
  const bool leftNone = left == kNoValue;
  const bool rightNone = right == kNoValue;
  if (leftNone || rightNone) return !leftNone && rightNone;
  const int order = CompareWithoutCase(left, right);
  return descending ? order > 0 : order < 0;
}

std::vector<int> SortedRows(const std::vector<std::string>& cells, bool descending) {
  std::vector<int> rows(cells.size());
  std::iota(rows.begin(), rows.end(), 0);
  std::stable_sort(rows.begin(), rows.end(), [&](int left, int right) {
    return GatewayCellBefore(cells[static_cast<std::size_t>(left)], cells[static_cast<std::size_t>(right)], descending);
  });
  return rows;
}

void ListSort::Click(int clicked) {
  if (clicked == column) {
    descending = !descending;
  } else {
    column = clicked;
    descending = false;
  }
}

std::optional<int> ProxyItemOfType(int type) {
  switch (type) {
    case 0: return 0;
    case 1: return 1;
    case 2:
    case 3: return 2;
    case 4:
    case 5: return 3;
    default: return std::nullopt;
  }
}

int ProxyTypeOfItem(int item, bool verifyUser) {
  switch (item) {
    case 1: return 1;
    case 2: return verifyUser ? 3 : 2;
    case 3: return verifyUser ? 5 : 4;
    default: return 0;
  }
}

ProxyEnabling ProxyEnablingOf(int item) {
  if (item <= 0) return {.uncheckBox = true};
  if (item == 1) return {.address = true, .port = true, .uncheckBox = true};
  return {.address = true, .port = true, .verifyBox = true};
}

std::uint8_t HotKeyModifiersOfText(std::string_view text) {
  std::uint8_t modifiers = 0;
  if (text.find("Ctrl") != std::string_view::npos) modifiers |= 2;
  if (text.find("Shift") != std::string_view::npos) modifiers |= 4;
  if (text.find("Alt") != std::string_view::npos) modifiers |= 1;
  return modifiers;
}

PageTables ReadPageTables(engine::COperationEngine& engine) {
  PageTables tables;
  std::set<std::string> seen;
  for (const quotes::GroupExchange& exchange : quotes::ReadGroupTables(engine).exchanges) {
    if (exchange.contractGroups && seen.insert(exchange.name).second) tables.exchanges.push_back(exchange.name);
  }
  backend::CxDataSet rows;
  if (!engine::EngineQueryContracts(engine, rows, true)) return tables;
  for (std::uint32_t index = 0; index < rows.GetCount(); ++index) {
    const std::optional<engine::ContractRow> row = engine::RowFromBytes<engine::ContractRow>(rows.GetValue(index));
    if (!row) continue;
    tables.contracts.push_back(
        {std::string(engine::Text(row->szExchangeName)), std::string(engine::Text(row->szExchangeCode)),
         std::string(engine::Text(row->szContractCode)), std::string(engine::Text(row->szContractName)),
         std::string(engine::Text(row->szVarietyCode)), std::string(engine::Text(row->szVarietyName)),
         engine::Text(row->szTradeClass) == "1"});
  }
  return tables;
}

std::string LotsCellText(int lots) { return lots == 0 ? std::string() : std::to_string(lots); }

std::string OffsetCellText(double offset) {
  std::string text = client::FixedText(offset, 2);
  return text == "0.00" || text == "-0.00" ? std::string() : text;
}

void VarietyPageModel::SetTables(const PageTables& tables) {
  exchangeItems_ = {std::string(kAllItems)};
  exchangeItems_.insert(exchangeItems_.end(), tables.exchanges.begin(), tables.exchanges.end());
  names_.clear();
  exchanges_.clear();
  for (const PageContract& contract : tables.contracts) {
    if (names_.contains(contract.varietyCode)) continue;
    names_[contract.varietyCode] = contract.varietyName;
    exchanges_[contract.varietyCode] = contract.exchangeName;
  }
}

std::vector<std::string> VarietyPageModel::VarietyItems(std::string_view exchange) const {
  std::vector<std::string> items{std::string(kAllItems)};
  for (const auto& [code, exchangeName] : exchanges_) {
    if (IsAll(exchange) || exchangeName == exchange) items.push_back(code);
  }
  return items;
}

std::string VarietyPageModel::VarietyName(std::string_view code) const {
  const auto found = names_.find(std::string(code));
  return found == names_.end() ? std::string(code) : found->second;
}

std::string VarietyPageModel::VarietyCodeOfName(std::string_view name) const {
  for (const auto& [code, varietyName] : names_) {
    if (varietyName == name) return code;
  }
  return std::string(kAllItems);
}

std::vector<std::size_t> VarietyPageModel::ShownRows(std::string_view exchangeName,
                                                     std::string_view varietyName) const {
  std::vector<std::size_t> shown;
  for (std::size_t i = 0; i < working_.size(); ++i) {
    const client::VarietyParamRow& row = working_[i];
    if (!IsAll(varietyName) && FieldText(row.varietyName) != varietyName) continue;
    if (!IsAll(exchangeName) && FieldText(row.exchangeName) != exchangeName) continue;
    shown.push_back(i);
  }
  return shown;
}

std::string VarietyPageModel::CellText(const client::VarietyParamRow& row, int column) {
  switch (column) {
    case 0: return std::string(FieldText(row.exchangeName));
    case 1: return std::string(FieldText(row.varietyName));
    case 2: return std::string(FieldText(row.contractCode));
    case 3: return LotsCellText(row.defaultLots);
    case 4: return LotsCellText(row.maxLimitLots);
    case 5: return LotsCellText(row.maxMarketLots);
    case 6: return OffsetCellText(row.takeProfitOffset);
    case 7: return OffsetCellText(row.stopLossOffset);
    case 8: return OffsetCellText(row.closeOffset);
    default: return {};
  }
}

std::optional<VarietyPageModel::Edit> VarietyPageModel::ApplyEdit(
    std::string_view contractCode, int column, std::string_view text,
    const std::function<bool(std::string_view code, std::string_view price)>& onTick) {
  const auto found = std::find_if(working_.begin(), working_.end(), [&](const client::VarietyParamRow& row) {
    return FieldText(row.contractCode) == contractCode;
  });
  if (found == working_.end() || column < 3 || column > 8) return std::nullopt;
  client::VarietyParamRow& row = *found;
  Edit edit;
  if (column <= 5) {
    std::int32_t* lots[] = {&row.defaultLots, &row.maxLimitLots, &row.maxMarketLots};
    *lots[column - 3] = LotsOf(text);
  } else {
    double* offsets[] = {&row.takeProfitOffset, &row.stopLossOffset, &row.closeOffset};
    double value = 0;
    const std::string_view trimmed = backend::TrimBlanks(text);
    if (!trimmed.empty() && !onTick(contractCode, trimmed)) {
      edit.refused = true;
    } else if (!trimmed.empty()) {
      ini::ParseLeadingNumber(trimmed, value);
    }
    *offsets[column - 6] = value;
  }
  edit.cellText = CellText(row, column);
  return edit;
}

std::string VarietyPageModel::BatchQuestion(std::string_view lotsText, std::string_view exchangeName,
                                            std::string_view varietyCode, std::string_view varietyName) {
  const std::string lots(lotsText);
  if (lots.empty() || LotsOf(lots) == 0) return "是否确认要清空所选合约的默认手数？";
  if (IsAll(varietyCode) && IsAll(exchangeName)) return "是否确认对所有品种设置默认手数为" + lots + "手？";
  if (IsAll(varietyCode)) {
    return "是否确认对" + std::string(exchangeName) + "交易所所有品种设置默认手数为" + lots + "手？";
  }
  return "是否确认对" + std::string(varietyName) + "品种设置默认手数为" + lots + "手？";
}

void VarietyPageModel::ApplyBatch(std::string_view exchangeName, std::string_view varietyCode,
                                  std::string_view lotsText) {
  const int lots = LotsOf(lotsText);
  for (client::VarietyParamRow& row : working_) {
    if (!IsAll(exchangeName) && FieldText(row.exchangeName) != exchangeName) continue;
    if (!IsAll(varietyCode) && FieldText(row.varietyCode) != varietyCode) continue;
    row.defaultLots = lots;
  }
}

std::vector<WatchRow> UnchosenRows(const PageTables& tables, std::string_view exchange,
                                   const std::vector<quotes::ContractKey>& chosen) {
  std::vector<WatchRow> rows;
  for (const PageContract& contract : tables.contracts) {
    if (!IsAll(exchange) && contract.exchangeName != exchange) continue;
    const bool held = std::any_of(chosen.begin(), chosen.end(),
                                  [&](const quotes::ContractKey& key) { return key.Code() == contract.code; });
    if (!held) rows.push_back({contract.name, contract.code, contract.option ? "期权" : "期货", contract.exchangeCode});
  }
  return rows;
}

std::vector<WatchRow> ChosenRows(const PageTables& tables, const std::vector<quotes::ContractKey>& chosen) {
  std::vector<WatchRow> rows;
  for (const quotes::ContractKey& key : chosen) {
    const auto contract = std::find_if(tables.contracts.begin(), tables.contracts.end(), [&](const PageContract& c) {
      return c.code == key.Code() && c.exchangeCode == key.Exchange();
    });
    const bool known = contract != tables.contracts.end();
    rows.push_back({known ? contract->name : std::string(), std::string(key.Code()),
                    known && contract->option ? "期权" : "期货", std::string(key.Exchange())});
  }
  return rows;
}

std::vector<std::string> OwnGroupNames(const quotes::CtbOptionalContract& groups) {
  std::vector<std::string> names;
  if (const quotes::ContractGroupList* list = groups.Groups(quotes::kOptionKind)) {
    for (const quotes::ContractGroup& group : list->groups) {
      if (!group.built) names.push_back(group.name);
    }
  }
  return names;
}

std::vector<quotes::ContractKey> OptionalGroupKeys(const quotes::CtbOptionalContract& groups) {
  const quotes::ContractGroup* group = groups.FindOptionalGroup(quotes::kOptionKind);
  return group == nullptr ? std::vector<quotes::ContractKey>() : group->keys;
}

std::vector<std::string> AddWatchContracts(quotes::CtbOptionalContract& groups, std::string_view groupName,
                                           const std::vector<quotes::ContractKey>& keys) {
  std::vector<std::string> problems;
  if (groupName.empty() || keys.empty() || groups.FindOptionalGroup(quotes::kOptionKind) == nullptr ||
      groups.FindOptionalGroup(quotes::kFutureKind) == nullptr) {
    return problems;
  }
  quotes::ContractGroup record;
  record.name = quotes::FitGroupName(groupName);
  record.keys = keys;
  for (const int kind : {quotes::kOptionKind, quotes::kFutureKind}) {
    std::string error;
    if (groups.AddContracts(record, error, kind) == 0 && !error.empty()) problems.push_back(error);
  }
  return problems;
}

void RemoveWatchContracts(quotes::CtbOptionalContract& groups, std::string_view groupName,
                          const std::vector<quotes::ContractKey>& keys) {
  if (groupName.empty() || groups.FindOptionalGroup(quotes::kOptionKind) == nullptr ||
      groups.FindOptionalGroup(quotes::kFutureKind) == nullptr) {
    return;
  }
  for (const int kind : {quotes::kOptionKind, quotes::kFutureKind}) {
    for (const quotes::ContractKey& key : keys) {
      const quotes::ContractGroupList* list = groups.Groups(kind);
      const int index = list == nullptr ? -1 : list->Find(groupName);
      if (index < 0) break;
      const std::vector<quotes::ContractKey>& held = list->groups[static_cast<std::size_t>(index)].keys;
      const auto found = std::find(held.begin(), held.end(), key);
      if (found == held.end()) continue;
      const int row = static_cast<int>(found - held.begin());
      std::string error;
      groups.RemoveContracts(kind, groupName, row, row, error);
    }
  }
}

}  // namespace shell
