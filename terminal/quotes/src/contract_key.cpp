#include "quotes/contract_key.h"

#include <cstring>

#include "platform/gbk.h"

namespace quotes {
namespace {

// Copies as much of `text` as fits with a terminator, cut on a character
// boundary; the rest of the field stays zero.
template <std::size_t N>
void CopyText(std::string_view text, char (&field)[N]) {
  const std::size_t length = platform::GbkFitLength(text, N - 1);
  std::memcpy(field, text.data(), length);
}

}  // namespace

std::string_view ContractKey::Exchange() const { return FieldText(exchange); }
std::string_view ContractKey::Code() const { return FieldText(code); }

ContractKey MakeContractKey(std::string_view exchange, std::string_view code) {
  ContractKey key;
  CopyText(exchange, key.exchange);
  CopyText(code, key.code);
  return key;
}

ContractKey KeyOf(const backend::QuoteRecord& quote) {
  return MakeContractKey(FieldText(quote.szExchange), FieldText(quote.szCode));
}

std::vector<ContractKey> ReadContractKeys(const backend::CxDataSetView& list) {
  std::vector<ContractKey> keys;
  const std::uint32_t count = list.GetCount();
  for (std::uint32_t index = 0; index < count; ++index) {
    const std::span<const std::uint8_t> value = list.GetValue(index);
    if (value.size() != sizeof(ContractKey)) continue;
    ContractKey stored;
    std::memcpy(&stored, value.data(), sizeof stored);
    keys.push_back(MakeContractKey(stored.Exchange(), stored.Code()));
  }
  return keys;
}

bool AppendContractKey(backend::CxDataSet& list, const ContractKey& key) {
  return list.AddEntry(nullptr, &key, sizeof key, backend::data_set_block::kRawType);
}

}  // namespace quotes
