// What the order panels share: the three panel styles, the field codes of
// the input sequence (the setting "OrderInputSequence") and the panel's
// input controls as the focus chains and the key handling name them. No
// toolkit.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace tradeviews {

// 1 one left-to-right row with price types, deal attributes and a trigger
// price; 2 a compact form with colour combos; 4 a top-to-bottom column with
// a side panel of funds and holdings.
enum class PanelStyle : int { kRow = 1, kProperty = 2, kClassic = 4 };

// The codes of the input sequence.
namespace field {
inline constexpr int kBuySell = 0;
inline constexpr int kVolume = 1;
inline constexpr int kPrice = 2;
inline constexpr int kOpenClose = 3;
inline constexpr int kPriceType = 4;
inline constexpr int kDealAttribute = 5;
inline constexpr int kTriggerPrice = 6;
inline constexpr int kCount = 7;
}  // namespace field

// Entry i holds the code of the field at place i.
using InputSequence = std::array<std::int32_t, field::kCount>;

enum class PanelControl {
  kNone,
  kCustomer,
  kContract,
  kBuySell,
  kVolume,
  kPrice,
  kOpenClose,
  kPriceType,
  kDealAttribute,
  kTriggerPrice,
  kSend,
};

// The control of a field code; kNone outside 0 to 6.
PanelControl ControlOfField(int code);
// The field code of a control; nothing for the customer, contract and send
// controls.
std::optional<int> FieldOfControl(PanelControl control);

}  // namespace tradeviews
