#include "gridctl/model/contract_list.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/gbk.h"

namespace gridctl {
namespace {

constexpr std::size_t kRowSize = sizeof(engine::ReducedContractRow);

bool RowBefore(const engine::ReducedContractRow& left, const engine::ReducedContractRow& right) {
  const std::string_view leftVariety = FieldText(left.szVarietyCode);
  const std::string_view rightVariety = FieldText(right.szVarietyCode);
  if (leftVariety != rightVariety) return leftVariety < rightVariety;
  return FieldText(left.szContractCode) < FieldText(right.szContractCode);
}

}  // namespace

std::vector<engine::ReducedContractRow> ContractRowsOf(const backend::CxDataSet& contracts) {
  std::vector<engine::ReducedContractRow> rows;
  for (std::uint32_t index = 0; index < contracts.GetCount(); ++index) {
    const auto value = contracts.GetValue(index);
    if (value.size() < kRowSize) continue;
    engine::ReducedContractRow row;
    std::memcpy(&row, value.data(), kRowSize);
    rows.push_back(row);
  }
  return rows;
}

void SortContractRows(backend::CxDataSet& contracts) {
  std::vector<std::uint32_t> places;
  for (std::uint32_t index = 0; index < contracts.GetCount(); ++index) {
    if (contracts.GetValue(index).size() >= kRowSize) places.push_back(index);
  }
  std::vector<engine::ReducedContractRow> rows = ContractRowsOf(contracts);
  std::stable_sort(rows.begin(), rows.end(), RowBefore);
  // The rows go back into the places rows held, in their new order.
  for (std::size_t at = 0; at < places.size(); ++at) std::memcpy(contracts.GetDataPtr(places[at]), &rows[at], kRowSize);
}

bool CodeStartsWith(std::string_view code, std::string_view typed) {
  if (typed.size() > code.size()) return false;
  const auto folded = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  for (std::size_t at = 0; at < typed.size(); ++at) {
    if (folded(typed[at]) != folded(code[at])) return false;
  }
  return true;
}

void VarietyList::AddVariety(std::string_view code, std::string_view name) {
  const std::string_view cutCode = code.substr(0, platform::GbkFitLength(code, kTextSize - 1));
  for (int index = 0; index < Count(); ++index) {
    if (Code(index) == cutCode) return;
  }
  std::array<char, kEntrySize> entry{};
  std::memcpy(entry.data(), cutCode.data(), cutCode.size());
  std::memcpy(entry.data() + kTextSize, name.data(), platform::GbkFitLength(name, kTextSize - 1));
  entries_.AddEntry(nullptr, entry.data(), entry.size(), 0);
}

std::string VarietyList::Code(int index) const { return TextAt(index, 0); }

std::string VarietyList::Name(int index) const { return TextAt(index, kTextSize); }

std::string VarietyList::TextAt(int index, std::size_t offset) const {
  if (index < 0) return {};
  const auto value = entries_.GetValue(static_cast<std::size_t>(index));
  if (value.size() < kEntrySize) return {};
  const char* text = reinterpret_cast<const char*>(value.data()) + offset;
  return {text, ::strnlen(text, kTextSize)};
}

}  // namespace gridctl
