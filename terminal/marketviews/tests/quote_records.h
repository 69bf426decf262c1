// Quotes as the quote table hands them to the market views' models.
#pragma once

#include <string_view>

#include "backend/quote_record.h"

namespace marketviews_testing {

// A quote of a contract of the exchange "S": its last price, its best bid
// (5 lots) and best ask (6 lots), and the previous settlement price.
inline backend::QuoteRecord Quote(std::string_view code, float bid, float ask, float last, float preSettlement = 3000) {
  backend::QuoteRecord quote{};
  quote.szExchange[0] = 'S';
  code.copy(quote.szCode, sizeof quote.szCode - 1);
  quote.fNewPrice = last;
  quote.fPreSettlementPrice = preSettlement;
  quote.fBuyPrice1 = bid;
  quote.dwBuyVolume1 = 5;
  quote.fSellPrice1 = ask;
  quote.dwSellVolume1 = 6;
  return quote;
}

}  // namespace marketviews_testing
