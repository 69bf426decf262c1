#include "ui/grid_state.h"

#include <gtest/gtest.h>

#include "temp_config_home.h"
#include "ui/registry_store.h"

namespace {

class GridStateTest : public ::testing::Test {
 protected:
  ui::testing::TempConfigHome home_;
  ui::RegistryStore registry_{"Tolvane\\Brennark\\Quentara"};
};

TEST_F(GridStateTest, ALayoutReadsBackUnderItsGridName) {
  const ui::GridState state{{2, 0, 1}, {80, 100, 0}, {{1, false}, {0, true}}};
  ASSERT_TRUE(ui::SaveGridState(registry_, "EntrustGrid", state));
  EXPECT_EQ(ui::LoadGridState(registry_, "EntrustGrid", 3), state);
  EXPECT_EQ(ui::LoadGridState(registry_, "DoneGrid", 3), std::nullopt);
  // A grid that has since changed its columns does not take it.
  EXPECT_EQ(ui::LoadGridState(registry_, "EntrustGrid", 4), std::nullopt);
  const ui::GridState unsorted{{0}, {70}, {}};
  ASSERT_TRUE(ui::SaveGridState(registry_, "FundGrid", unsorted));
  EXPECT_EQ(ui::LoadGridState(registry_, "FundGrid", 1), unsorted);
}

TEST_F(GridStateTest, ALayoutThatDoesNotReadBackWholeIsNotUsed) {
  ASSERT_TRUE(ui::SaveGridState(registry_, "G", {{1, 0}, {70, 70}, {{1, true}}}));
  const std::string section = "Settings\\Grids\\G";
  struct Case {
    const char* name;
    const char* value;
  };
  const Case cases[] = {{"Order", "0,0"},    {"Order", "0"},       {"Order", "0,x"},    {"Widths", "70"},
                        {"Widths", "70,-1"}, {"Widths", "70,1e9"}, {"Sort", "1"},       {"Sort", "5+"},
                        {"Sort", "+"},       {"Order", "0,2"},     {"Widths", "70,,70"}};
  for (const Case& c : cases) {
    ASSERT_TRUE(ui::SaveGridState(registry_, "G", {{1, 0}, {70, 70}, {{1, true}}}));
    ASSERT_TRUE(registry_.SetString(section, c.name, c.value));
    EXPECT_EQ(ui::LoadGridState(registry_, "G", 2), std::nullopt) << c.name << "=" << c.value;
  }
}

}  // namespace
