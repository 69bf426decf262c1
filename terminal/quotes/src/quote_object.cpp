#include "quotes/quote_object.h"

namespace quotes {

CtbQuotationCtrl& TheQuoteObject() {
  static CtbQuotationCtrl quoteObject;
  return quoteObject;
}

int ChangeQuoteContracts(const std::vector<ContractKey>& oldKeys, const std::vector<ContractKey>& newKeys) {
  return TheQuoteObject().ReplaceWatchedContracts(oldKeys, newKeys);
}

}  // namespace quotes
