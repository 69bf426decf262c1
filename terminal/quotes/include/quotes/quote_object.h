// The terminal's one quote object: the quote table, its listeners and the
// contract groups; built before the message loop and kept to the end of the
// program.
#pragma once

#include <vector>

#include "quotes/contract_key.h"
#include "quotes/optional_contract.h"

namespace quotes {

CtbOptionalContract& TheQuoteObject();

// Moves the quote object's references from the old contracts to the new ones
// (ReplaceWatchedContracts on the one quote object); 0 when both are empty.
int ChangeQuoteContracts(const std::vector<ContractKey>& oldKeys, const std::vector<ContractKey>& newKeys);

}  // namespace quotes
