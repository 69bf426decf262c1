// One contract's quotation as the terminal keeps it: filled from a quote push
// (code 15001) or from the quote answer of function 5007, kept in the quote
// table's slots and handed to the quote views.
//
// The record lives only in memory, but the quote table hands its slots to the
// subscription list as an array of 232-byte QuoteSlots, so the layout is
// fixed: every field sits at its stated offset, prices are 32-bit floats,
// the turnover a 64-bit double, volumes and open interest 32-bit integers,
// and texts are zero-terminated. A record starts zero-filled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace backend {

// One level of the book below the best one: the buying side, then the
// selling side.
struct QuoteDepthLevel {
  float fBuyPrice = 0;
  std::int32_t dwBuyVolume = 0;
  float fSellPrice = 0;
  std::int32_t dwSellVolume = 0;
};
static_assert(sizeof(QuoteDepthLevel) == 16);

struct QuoteRecord {
  static constexpr std::size_t kExchangeSize = 2;
  static constexpr std::size_t kCodeSize = 32;
  static constexpr std::size_t kNameSize = 32;
  static constexpr std::size_t kDepthLevels = 4;  // levels 2 to 5

  char szExchange[kExchangeSize] = {};  // the exchange character
  char szCode[kCodeSize] = {};
  char szName[kNameSize] = {};  // empty in a quote that only updates prices
  char reserved1[2] = {};
  float fNewPrice = 0;  // last price
  double dAmount = 0;   // turnover
  std::int32_t dwVolume = 0;
  std::int32_t dwOpenInterest = 0;
  float fLastClosePrice = 0;  // previous close
  float fOpenPrice = 0;
  float fHighestPrice = 0;
  float fLowestPrice = 0;
  float fLowerLimitPrice = 0;
  float fUpperLimitPrice = 0;
  std::int32_t dwPreOpenInterest = 0;
  float fPreSettlementPrice = 0;  // the reference for price change and change ratio
  float fSettlementPrice = 0;
  float fClosePrice = 0;
  float fBuyPrice1 = 0;  // best level of the book
  std::int32_t dwBuyVolume1 = 0;
  float fSellPrice1 = 0;
  std::int32_t dwSellVolume1 = 0;
  QuoteDepthLevel depth[kDepthLevels];  // levels 2 to 5
  // The second figures of the best level's buying and selling volume fields
  // (the part after their comma); 0 when the field has none.
  std::int32_t dwBuyVolumeSecond = 0;
  std::int32_t dwSellVolumeSecond = 0;
  char reserved2[8] = {};
};

static_assert(offsetof(QuoteRecord, szExchange) == 0);
static_assert(offsetof(QuoteRecord, szCode) == 2);
static_assert(offsetof(QuoteRecord, szName) == 34);
static_assert(offsetof(QuoteRecord, reserved1) == 66);
static_assert(offsetof(QuoteRecord, fNewPrice) == 68);
static_assert(offsetof(QuoteRecord, dAmount) == 72);
static_assert(offsetof(QuoteRecord, dwVolume) == 80);
static_assert(offsetof(QuoteRecord, dwOpenInterest) == 84);
static_assert(offsetof(QuoteRecord, fLastClosePrice) == 88);
static_assert(offsetof(QuoteRecord, fOpenPrice) == 92);
static_assert(offsetof(QuoteRecord, fHighestPrice) == 96);
static_assert(offsetof(QuoteRecord, fLowestPrice) == 100);
static_assert(offsetof(QuoteRecord, fLowerLimitPrice) == 104);
static_assert(offsetof(QuoteRecord, fUpperLimitPrice) == 108);
static_assert(offsetof(QuoteRecord, dwPreOpenInterest) == 112);
static_assert(offsetof(QuoteRecord, fPreSettlementPrice) == 116);
static_assert(offsetof(QuoteRecord, fSettlementPrice) == 120);
static_assert(offsetof(QuoteRecord, fClosePrice) == 124);
static_assert(offsetof(QuoteRecord, fBuyPrice1) == 128);
static_assert(offsetof(QuoteRecord, dwBuyVolume1) == 132);
static_assert(offsetof(QuoteRecord, fSellPrice1) == 136);
static_assert(offsetof(QuoteRecord, dwSellVolume1) == 140);
static_assert(offsetof(QuoteRecord, depth) == 144);
static_assert(offsetof(QuoteRecord, dwBuyVolumeSecond) == 208);
static_assert(offsetof(QuoteRecord, dwSellVolumeSecond) == 212);
static_assert(offsetof(QuoteRecord, reserved2) == 216);
static_assert(sizeof(QuoteRecord) == 224);
static_assert(sizeof(float) == 4 && sizeof(double) == 8);
static_assert(std::is_standard_layout_v<QuoteRecord> && std::is_trivially_copyable_v<QuoteRecord>);

// One slot of the quote table as the subscription list reads it: the
// contract's quote, its subscribe flag (always 0 in this system) and the
// number of references that keep the contract in the table.
struct QuoteSlot {
  QuoteRecord quote;
  std::int32_t subscribeFlag = 0;
  std::int32_t refCount = 0;
};

static_assert(offsetof(QuoteSlot, subscribeFlag) == 224);
static_assert(offsetof(QuoteSlot, refCount) == 228);
static_assert(sizeof(QuoteSlot) == 232, "the subscription list walks the slots with a 232-byte stride");

}  // namespace backend
