// ContractKey: a contract's identity, exchange and code. Every list of
// contracts handed between the contract groups, the views and the quote table
// is a CxDataSet of nameless 34-byte entries, each one key.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"
#include "backend/field_text.h"
#include "backend/quote_record.h"

namespace quotes {

using backend::FieldText;

struct ContractKey {
  char exchange[backend::QuoteRecord::kExchangeSize] = {};  // zero-terminated
  char code[backend::QuoteRecord::kCodeSize] = {};          // zero-terminated

  // The texts, never read beyond their fields.
  std::string_view Exchange() const;
  std::string_view Code() const;

  // Both texts equal, compared whole and with case.
  friend bool operator==(const ContractKey& left, const ContractKey& right) {
    return left.Exchange() == right.Exchange() && left.Code() == right.Code();
  }
};
static_assert(sizeof(ContractKey) == 34);

// A key holding the texts, each cut on a character boundary to fit its field
// with its terminator.
ContractKey MakeContractKey(std::string_view exchange, std::string_view code);
// The key of the contract a quote is for.
ContractKey KeyOf(const backend::QuoteRecord& quote);

// The keys of a list in entry order. An entry that is not 34 bytes long is
// not a key and is skipped; texts missing their terminator are cut to fit.
std::vector<ContractKey> ReadContractKeys(const backend::CxDataSetView& list);
// Appends the key as a nameless 34-byte entry; false when the list cannot grow.
bool AppendContractKey(backend::CxDataSet& list, const ContractKey& key);

}  // namespace quotes
