// The order settings as the order panels, the bars and the order submission
// read them: the record of the two order-entry areas ("EntrustParamSetCommon"
// and "EntrustParamSetAdv" of "\Config\EntrustParam.ini") and the variety
// parameter rows ("VarietyParamSet", "\Config\VarietyParamSet.ini"). The
// application shell owns both and registers them with its settings areas;
// the views find them in the settings registry by those names. No toolkit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace client {

// The fields carry the names of their ini keys.
struct OrderSettings {
  std::int32_t ClearInfoAfterOrder = 0;
  std::int32_t OrderInputSequence[7] = {0, 1, 2, 3, 4, 5, 6};
  std::uint8_t SendOrderAffirmBox = 0;
  std::uint8_t OrderReturnHintBox = 0;
  std::uint8_t DelOrderAffirmBox = 0;
  std::int32_t OrderReturnCursorPos = 0;
  std::int32_t WayOfReverseOrder = 0;
  std::int32_t PriceLevel = 0;
  std::uint8_t FirstTodayLastTomorrow = 0;
  std::uint8_t ExceededMaxHandsSplitOrder = 0;
  std::uint8_t ShowHedge = 0;
  std::uint8_t AutoEO = 0;
  std::uint8_t ClickQuot = 0;
  std::uint8_t DBClickCloseOrder = 0;
  std::int32_t ShortcutKeyBuy = 1;
  std::int32_t ShortcutKeySell = 3;
  std::int32_t ShortcutKeyOpen = 1;
  std::int32_t ShortcutKeyClose = 2;
  std::int32_t ShortcutKeyCloseToday = 3;
  std::uint8_t EnableAotoDelOrder = 0;
  std::int32_t AutoDelOrderType = 0;
};

// 240 bytes per contract, the contract code at byte 64 (the key the order
// submission and the order panels look rows up by).
struct VarietyParamRow {
  char varietyName[32] = {};
  char varietyCode[32] = {};
  char contractCode[64] = {};
  char exchangeCode[8] = {};
  char exchangeName[32] = {};
  std::int32_t defaultLots = 0;
  std::int32_t maxLimitLots = 0;
  std::int32_t maxMarketLots = 0;
  double takeProfitOffset = 0;
  double stopLossOffset = 0;
  double closeOffset = 0;
  char priceTick[32] = {};
};
static_assert(sizeof(VarietyParamRow) == 240);
static_assert(offsetof(VarietyParamRow, contractCode) == 64);
static_assert(offsetof(VarietyParamRow, defaultLots) == 168);

using VarietyParamRows = std::vector<VarietyParamRow>;

}  // namespace client
