// The order submission's view of the order settings: the order areas' shared
// record and the variety rows, read afresh at each order so that a change
// confirmed in the settings sheet steers the next order. GUI thread only.
#pragma once

#include "order_module/order_submission.h"
#include "shell/settings_records.h"

namespace shell {

class ShellOrderSettings final : public order_module::OrderSettingsSource {
 public:
  // Both must outlive this view.
  ShellOrderSettings(const OrderSettings& orders, const shell::VarietyParamRows& varieties)
      : orders_(orders), varieties_(varieties) {}

  order_module::OrderEntrySettings EntrySettings() const override;
  std::span<const std::uint8_t> VarietyParamRows() const override;

 private:
  const OrderSettings& orders_;
  const shell::VarietyParamRows& varieties_;
};

}  // namespace shell
