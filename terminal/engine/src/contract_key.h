// The key under which the engine's index of contracts files a contract: its
// exchange and contract code.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace engine {

void AppendContractKey(std::string& key, std::string_view exchangeCode, std::string_view contractCode);
// The key of a contract row's entry, its fields read in place; false for an
// entry too short for a row.
bool ContractKeyOfEntry(std::span<const std::uint8_t> entry, std::string& key);

}  // namespace engine
