#include "quotes/quote_object.h"

namespace quotes {

CtbOptionalContract& TheQuoteObject() {
  static CtbOptionalContract quoteObject;
  return quoteObject;
}

int ChangeQuoteContracts(const std::vector<ContractKey>& oldKeys, const std::vector<ContractKey>& newKeys) {
  return TheQuoteObject().ReplaceWatchedContracts(oldKeys, newKeys);
}

}  // namespace quotes
