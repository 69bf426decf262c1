#include "shell/order_settings_source.h"

#include <gtest/gtest.h>

#include "shell/settings_records.h"

namespace {

using order_module::OrderEntrySettings;

// Each stored setting reaches the submission under its own name; the
// settings are read at each call, not copied at construction.
TEST(ShellOrderSettingsTest, EntrySettingsFollowTheStoredRecord) {
  struct Case {
    const char* name;
    void (*set)(client::OrderSettings&);
    bool (*check)(const OrderEntrySettings&);
  };
  const Case cases[] = {
      {"SendOrderAffirmBox", [](client::OrderSettings& o) { o.SendOrderAffirmBox = 1; },
       [](const OrderEntrySettings& s) { return s.sendOrderAffirmBox; }},
      {"FirstTodayLastTomorrow", [](client::OrderSettings& o) { o.FirstTodayLastTomorrow = 1; },
       [](const OrderEntrySettings& s) { return s.firstTodayLastTomorrow; }},
      {"ExceededMaxHandsSplitOrder", [](client::OrderSettings& o) { o.ExceededMaxHandsSplitOrder = 1; },
       [](const OrderEntrySettings& s) { return s.exceededMaxHandsSplitOrder; }},
      {"EnableAotoDelOrder", [](client::OrderSettings& o) { o.EnableAotoDelOrder = 1; },
       [](const OrderEntrySettings& s) { return s.enableAutoDelOrder; }},
      {"AutoDelOrderType", [](client::OrderSettings& o) { o.AutoDelOrderType = 2; },
       [](const OrderEntrySettings& s) { return s.autoDelOrderType == 2; }},
      {"WayOfReverseOrder", [](client::OrderSettings& o) { o.WayOfReverseOrder = 1; },
       [](const OrderEntrySettings& s) { return s.wayOfReverseOrder == 1; }},
      {"PriceLevel", [](client::OrderSettings& o) { o.PriceLevel = -2; },
       [](const OrderEntrySettings& s) { return s.priceLevel == -2; }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    client::OrderSettings orders;
    const client::VarietyParamRows varieties;
    const shell::ShellOrderSettings source(orders, varieties);
    const OrderEntrySettings before = source.EntrySettings();
    EXPECT_FALSE(test.check(before));
    EXPECT_EQ(before.affirmOverrideSwitch, 0);
    test.set(orders);
    const OrderEntrySettings after = source.EntrySettings();
    EXPECT_TRUE(test.check(after));
    // One setting moves only its own field.
    int moved = 0;
    for (const Case& other : cases) moved += other.check(after) ? 1 : 0;
    EXPECT_EQ(moved, 1);
  }
}

client::VarietyParamRow Row(const char* contract, int limitLots, int marketLots) {
  client::VarietyParamRow row;
  shell::SetField(row.contractCode, contract);
  row.maxLimitLots = limitLots;
  row.maxMarketLots = marketLots;
  return row;
}

// The submission finds each contract's own lot limits in the shell's rows.
TEST(ShellOrderSettingsTest, VarietyRowsGiveEachContractItsLotLimits) {
  client::OrderSettings orders;
  orders.ExceededMaxHandsSplitOrder = 1;
  const client::VarietyParamRows varieties{Row("cu2607", 10, 5), Row("ag2612", 30, 20)};
  const shell::ShellOrderSettings source(orders, varieties);
  ASSERT_EQ(source.VarietyParamRows().size(), 2 * sizeof(client::VarietyParamRow));

  struct Case {
    const char* contract;
    const char* priceType;
    const char* price;
    int lots;
  };
  const Case cases[] = {
      {"cu2607", "0", "52000", 10}, {"cu2607", "1", "0", 5},  {"ag2612", "0", "7100", 30},
      {"ag2612", "0", "0", 20},     {"ag2612", "3", "0", 20}, {"zn2607", "0", "21000", 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::string(test.contract) + " " + test.priceType + " " + test.price);
    EXPECT_EQ(order_module::GetMaxSplitLots(source.EntrySettings(), source.VarietyParamRows(), test.contract,
                                            test.priceType, test.price),
              test.lots);
  }
}

}  // namespace
