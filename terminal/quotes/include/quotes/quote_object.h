// The terminal's one quote object, built before the message loop and kept to
// the end of the program.
#pragma once

#include <vector>

#include "quotes/contract_key.h"
#include "quotes/quotation_ctrl.h"

namespace quotes {

CtbQuotationCtrl& TheQuoteObject();

// Moves the quote object's references from the old contracts to the new ones
// (ReplaceWatchedContracts on the one quote object); 0 when both are empty.
int ChangeQuoteContracts(const std::vector<ContractKey>& oldKeys, const std::vector<ContractKey>& newKeys);

}  // namespace quotes
