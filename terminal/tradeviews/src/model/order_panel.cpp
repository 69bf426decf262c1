#include "tradeviews/model/order_panel.h"

namespace tradeviews {
namespace {

constexpr PanelControl kFieldControls[field::kCount] = {
    PanelControl::kBuySell,   PanelControl::kVolume,        PanelControl::kPrice,        PanelControl::kOpenClose,
    PanelControl::kPriceType, PanelControl::kDealAttribute, PanelControl::kTriggerPrice,
};

}  // namespace

PanelControl ControlOfField(int code) {
  return code >= 0 && code < field::kCount ? kFieldControls[code] : PanelControl::kNone;
}

std::optional<int> FieldOfControl(PanelControl control) {
  for (int code = 0; code < field::kCount; ++code) {
    if (kFieldControls[code] == control) return code;
  }
  return std::nullopt;
}

}  // namespace tradeviews
