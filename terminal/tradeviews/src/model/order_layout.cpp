#include "tradeviews/model/order_layout.h"

#include <algorithm>

namespace tradeviews {
namespace {

void AddOnce(std::vector<PanelControl>& order, PanelControl control) {
  if (control != PanelControl::kNone && std::find(order.begin(), order.end(), control) == order.end()) {
    order.push_back(control);
  }
}

std::vector<PanelControl> Leading(bool multiAccount) {
  std::vector<PanelControl> order;
  if (multiAccount) order.push_back(PanelControl::kCustomer);
  order.push_back(PanelControl::kContract);
  return order;
}

}  // namespace

std::vector<PanelControl> RowOrder(const InputSequence& sequence, bool multiAccount) {
  std::vector<PanelControl> order = Leading(multiAccount);
  for (const int code : sequence) AddOnce(order, ControlOfField(code));
  order.push_back(PanelControl::kSend);
  return order;
}

int RowGapAfter(PanelControl control) {
  switch (control) {
    case PanelControl::kVolume:
    case PanelControl::kPrice:
    case PanelControl::kTriggerPrice: return 20;
    default: return 7;
  }
}

std::vector<PanelControl> ColumnOrder(const InputSequence& sequence, bool multiAccount) {
  std::vector<PanelControl> order = Leading(multiAccount);
  for (const int code : sequence) {
    if (code >= field::kBuySell && code <= field::kOpenClose) AddOnce(order, ControlOfField(code));
    if (code == field::kPriceType) AddOnce(order, PanelControl::kSend);
  }
  AddOnce(order, PanelControl::kSend);
  return order;
}

}  // namespace tradeviews
