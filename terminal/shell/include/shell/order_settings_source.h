// The order submission's view of the order settings: the order areas' shared
// record and the variety rows, read afresh at each order so that a change
// confirmed in the settings sheet steers the next order. GUI thread only.
#pragma once

#include "client/order_settings.h"
#include "order_module/order_submission.h"

namespace shell {

class ShellOrderSettings final : public order_module::OrderSettingsSource {
 public:
  // Both must outlive this view.
  ShellOrderSettings(const client::OrderSettings& orders, const client::VarietyParamRows& varieties)
      : orders_(orders), varieties_(varieties) {}

  order_module::OrderEntrySettings EntrySettings() const override;
  std::span<const std::uint8_t> VarietyParamRows() const override;

 private:
  const client::OrderSettings& orders_;
  const client::VarietyParamRows& varieties_;
};

}  // namespace shell
