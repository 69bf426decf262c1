// Short contract rows for the tests of the contract lists.
#pragma once

#include <cstring>
#include <string_view>

#include "backend/cx_data_set.h"
#include "engine/query_facade.h"

namespace gridctl::testing {

inline engine::ReducedContractRow ContractRow(std::string_view code, std::string_view name, std::string_view variety,
                                              std::string_view varietyName) {
  engine::ReducedContractRow row{};
  std::memcpy(row.szContractCode, code.data(), code.size());
  std::memcpy(row.szContractName, name.data(), name.size());
  std::memcpy(row.szVarietyCode, variety.data(), variety.size());
  std::memcpy(row.szVarietyName, varietyName.data(), varietyName.size());
  return row;
}

// Copper, aluminium, zinc, gold, rebar, soybean meal and the CSI 300 index:
// two or three contracts each, out of order.
inline backend::CxDataSet DemoContracts() {
  backend::CxDataSet list;
  const engine::ReducedContractRow rows[] = {
      ContractRow("cu2103", "铜2103", "cu", "铜"),
      ContractRow("al2102", "铝2102", "al", "铝"),
      ContractRow("cu2101", "铜2101", "cu", "铜"),
      ContractRow("zn2102", "锌2102", "zn", "锌"),
      ContractRow("au2106", "黄金2106", "au", "黄金"),
      ContractRow("rb2105", "螺纹钢2105", "rb", "螺纹钢"),
      ContractRow("m2105", "豆粕2105", "m", "豆粕"),
      ContractRow("IF2101", "沪深300指数2101", "IF", "沪深300"),
      ContractRow("cu2102", "铜2102", "cu", "铜"),
      ContractRow("al2101", "铝2101", "al", "铝"),
      ContractRow("IF2103", "沪深300指数2103", "IF", "沪深300"),
      ContractRow("m2109", "豆粕2109", "m", "豆粕"),
  };
  for (const auto& row : rows) list.AddEntry(nullptr, &row, sizeof(row), 0);
  return list;
}

}  // namespace gridctl::testing
