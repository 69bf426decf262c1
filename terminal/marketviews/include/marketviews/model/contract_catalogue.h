// The names and price ticks of the contracts that the market views show,
// taken from the engine once per build of the views, so that a row needs no
// look-up in the engine's tables. No toolkit.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "backend/cx_data_set.h"

namespace engine {
class COperationEngine;
}

namespace marketviews {

struct ContractInfo {
  std::string name;  // GBK
  double tick = 1;   // the price tick as the contract table gives it
  int decimals = 0;  // of prices on the tick
};

class ContractCatalogue {
 public:
  // A later entry of a code replaces the earlier.
  void Add(std::string code, std::string name, double tick);
  // Null for a contract the catalogue does not know.
  const ContractInfo* Find(std::string_view code) const;
  // The decimals of the contract's prices: 0 for an unknown contract, whose
  // tick counts as 1.
  int DecimalsOf(std::string_view code) const;
  double TickOf(std::string_view code) const;

  // The contracts and combination contracts of the engine; empty while the
  // engine reconnects or downloads.
  static ContractCatalogue FromEngine(engine::COperationEngine& engine);

 private:
  // Every row of a table copy, read as `Row`.
  template <typename Row>
  void AddRows(const backend::CxDataSet& rows);

  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, ContractInfo, TextHash, std::equal_to<>> contracts_;
};

}  // namespace marketviews
