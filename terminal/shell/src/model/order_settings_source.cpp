#include "shell/order_settings_source.h"

#include <cstddef>

namespace shell {

// The submission reads the lot limits at fixed offsets of the packed rows.
static_assert(offsetof(client::VarietyParamRow, maxLimitLots) == order_module::kLimitOrderLotsOffset);
static_assert(offsetof(client::VarietyParamRow, maxMarketLots) == order_module::kMarketOrderLotsOffset);

order_module::OrderEntrySettings ShellOrderSettings::EntrySettings() const {
  // The stored settings have no confirmation override, so the override
  // switch stays off and "SendOrderAffirmBox" decides.
  return {.sendOrderAffirmBox = orders_.SendOrderAffirmBox != 0,
          .firstTodayLastTomorrow = orders_.FirstTodayLastTomorrow != 0,
          .exceededMaxHandsSplitOrder = orders_.ExceededMaxHandsSplitOrder != 0,
          .enableAutoDelOrder = orders_.EnableAotoDelOrder != 0,
          .autoDelOrderType = orders_.AutoDelOrderType,
          .wayOfReverseOrder = orders_.WayOfReverseOrder,
          .priceLevel = orders_.PriceLevel};
}

std::span<const std::uint8_t> ShellOrderSettings::VarietyParamRows() const {
  return {reinterpret_cast<const std::uint8_t*>(varieties_.data()),
          varieties_.size() * sizeof(client::VarietyParamRow)};
}

}  // namespace shell
