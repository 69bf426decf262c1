// The fields of a pushed quote line that the terminal reads, counted from 1
// as the line arrives.
#pragma once

namespace client {

enum QuoteField : int {
  kExchange = 9,
  kCode = 11,
  kName = 12,
  kPreviousClose = 13,
  kOpen = 14,
  kHighest = 15,
  kLowest = 16,
  kLast = 17,
  kVolume = 18,
  kTurnover = 19,
  kBestBuyPrice = 21,
  kBestSellPrice = 22,
  kBestBuyVolume = 23,   // "v" or "v,x"
  kBestSellVolume = 24,  // "v" or "v,x"
  kUpperLimit = 25,
  kLowerLimit = 26,
  kPreviousSettlement = 27,
  kSettlement = 28,
  kOpenInterest = 31,
  kBasePrice = 39,
  kDepthFlag = 40,
  kDepthBuyVolume = 41,  // level 2; each further level two fields on
  kDepthBuyPrice = 42,
  kDepthSellVolume = 49,
  kDepthSellPrice = 50,
  kClose = 57,
  kPreviousOpenInterest = 58,
  kLastFieldRead = kPreviousOpenInterest,
};

}  // namespace client
