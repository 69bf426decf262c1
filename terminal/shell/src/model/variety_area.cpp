// The per-contract order parameters of "VarietyParamSet.ini": one key per
// contract code, "%s|%s|%d|%d|%d|%.2f|%.2f|%.2f|" (exchange name, variety
// name, default lots, maximum lots of a limit and of a market order,
// take-profit, stop-loss and close offsets).
#include <cstdio>
#include <string>

#include "backend/field_text.h"
#include "ini_values.h"
#include "platform/ini_file.h"
#include "shell/settings_areas.h"

namespace shell {
namespace {

constexpr std::string_view kSection = "VarietyParam";
constexpr std::size_t kMaxValueBytes = 511;

int IntField(std::string_view value, int n) {
  return backend::ParseDecimal(backend::GetSeparatedFieldText(n, value)).value_or(0);
}

double NumberField(std::string_view value, int n) {
  double number = 0;
  return ini::ParseLeadingNumber(backend::GetSeparatedFieldText(n, value), number) ? number : 0;
}

bool CarriesAValue(const client::VarietyParamRow& row) {
  return row.defaultLots >= 1 || row.maxLimitLots >= 1 || row.maxMarketLots >= 1 || row.takeProfitOffset > 0.00001 ||
         row.stopLossOffset > 0.00001 || row.closeOffset > 0.0001;
}

std::string ValueOf(const client::VarietyParamRow& row) {
  std::string value;
  backend::AppendSeparatedField(value, FieldText(row.exchangeName));
  backend::AppendSeparatedField(value, FieldText(row.varietyName));
  char numbers[160];
  std::snprintf(numbers, sizeof numbers, "%d|%d|%d|%.2f|%.2f|%.2f|", row.defaultLots, row.maxLimitLots,
                row.maxMarketLots, row.takeProfitOffset, row.stopLossOffset, row.closeOffset);
  return value + numbers;
}

}  // namespace

VarietyParamArea::VarietyParamArea(VarietyContractSource contracts) : contracts_(std::move(contracts)) {
  SetIniPath("\\Config\\VarietyParamSet.ini");
}

bool VarietyParamArea::Load() {
  client::VarietyParamRows* rows = Record();
  if (rows == nullptr) return false;
  rows->clear();
  std::vector<VarietyContract> contracts;
  builtFromContracts_ = contracts_ && contracts_(contracts);
  if (!builtFromContracts_) return true;
  const ini::Section section(IniPath(), kSection);
  for (const VarietyContract& contract : contracts) {
    client::VarietyParamRow row;
    SetField(row.varietyName, contract.varietyName);
    SetField(row.varietyCode, contract.varietyCode);
    SetField(row.contractCode, contract.contractCode);
    SetField(row.exchangeCode, contract.exchangeCode);
    SetField(row.exchangeName, contract.exchangeName);
    SetField(row.priceTick, contract.priceTick);
    const std::string value = section.Text(FieldText(row.contractCode), kMaxValueBytes);
    if (!value.empty()) {
      row.defaultLots = IntField(value, 3);
      row.maxLimitLots = IntField(value, 4);
      row.maxMarketLots = IntField(value, 5);
      row.takeProfitOffset = NumberField(value, 6);
      row.stopLossOffset = NumberField(value, 7);
      row.closeOffset = NumberField(value, 8);
    }
    rows->push_back(row);
  }
  return true;
}

bool VarietyParamArea::Save() {
  const client::VarietyParamRows* rows = Record();
  if (rows == nullptr) return false;
  if (!builtFromContracts_) return true;
  platform::DeleteIniSection(IniPath(), kSection);
  const ini::Section section(IniPath(), kSection);
  for (const client::VarietyParamRow& row : *rows) {
    if (CarriesAValue(row)) section.WriteText(FieldText(row.contractCode), ValueOf(row));
  }
  return true;
}

bool VarietyParamArea::ToPage() {
  auto* page = dynamic_cast<RecordPage<client::VarietyParamRows>*>(Page());
  if (Record() == nullptr || page == nullptr) return false;
  page->ShowRecord(*Record());
  return true;
}

bool VarietyParamArea::FromPage() {
  auto* page = dynamic_cast<RecordPage<client::VarietyParamRows>*>(Page());
  if (Record() == nullptr || page == nullptr) return false;
  page->ReadRecord(*Record());
  return true;
}

}  // namespace shell
