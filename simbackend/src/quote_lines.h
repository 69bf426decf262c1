// The texts in which the back end sends quotes: the quote push 15001 and the
// answer to the quote query 5007.
//
// Quote push, fields counted from 1 ("R||0|15001|" are fields 1 to 4):
//    9 exchange id           11 contract code        12 contract name (empty in an update)
//   13 previous close       14 open                 15 high               16 low
//   17 last                 18 volume               19 turnover
//   21 best bid             22 best ask             23 "bid volume,bid orders"
//   24 "ask volume,ask orders"                      25 upper limit        26 lower limit
//   27 previous settlement  28 settlement (empty while trading)
//   31 open interest        39 base price           40 depth flag
//   41 + 2k, 42 + 2k        volume and price of bid level k + 2 (k = 0..3)
//   49 + 2k, 50 + 2k        volume and price of ask level k + 2
//   57 close (empty while trading)                  58 previous open interest
// A price field holds the price less the base price; an empty one means no
// price. With depth flag 0 the prices of levels 2 to 5 are left out.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "market.h"
#include "simbackend/backend_data.h"

namespace simbackend {

inline constexpr int kQuotePush = 15001;

// The whole quote with the contract's name, its prices written in full
// (base price 0).
std::string FullQuoteLine(const BackendData& data, std::size_t contract, const Quote& quote);

// The nameless update of the values that move, its prices written as
// differences from the previous settlement price, which is the base price.
std::string QuoteUpdateLine(const BackendData& data, std::size_t contract, const Quote& quote);

// The fields of the 5007 answer from field 5 on, prices in full: answer
// field n carries push field n + 4 for n = 5 to 28 and push field n + 12 for
// n = 29 to 44 (the book levels 2 to 5).
std::vector<std::string> QuoteAnswerValues(const BackendData& data, std::size_t contract, const Quote& quote);

}  // namespace simbackend
