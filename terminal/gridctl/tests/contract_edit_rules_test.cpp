#include "gridctl/model/contract_edit_rules.h"

#include <gtest/gtest.h>

namespace {

using gridctl::PanelState;
using gridctl::Rect;

TEST(ContractEditRules, PanelsLieUnderTheEditAndOpenOnlyNearIt) {
  const Rect edit{300, 200, 380, 222};
  EXPECT_EQ(gridctl::DropDownRect(edit), (Rect{280, 224, 458, 334}));
  const Rect zone = gridctl::DropDownZone(edit);
  EXPECT_EQ(zone, (Rect{268, 200, 420, 332}));
  EXPECT_TRUE(zone.Contains({268, 331}));
  EXPECT_FALSE(zone.Contains({267, 210}));
}

TEST(ContractEditRules, OnePanelAtATimeAndNoneWithTheCursorAway) {
  const gridctl::PanelChange varieties = gridctl::ShowDropDowns(1, true);
  EXPECT_EQ(varieties.state, PanelState::kVariety);
  EXPECT_TRUE(varieties.varietyShown);
  EXPECT_FALSE(varieties.contractShown);
  EXPECT_TRUE(varieties.focusEdit);
  const gridctl::PanelChange contracts = gridctl::ShowDropDowns(2, true);
  EXPECT_EQ(contracts.state, PanelState::kContract);
  EXPECT_TRUE(contracts.contractShown);
  EXPECT_FALSE(contracts.varietyShown);
  for (const gridctl::PanelChange change : {gridctl::ShowDropDowns(0, true), gridctl::ShowDropDowns(2, false)}) {
    EXPECT_EQ(change.state, PanelState::kNone);
    EXPECT_FALSE(change.varietyShown || change.contractShown || change.focusEdit);
  }
}

TEST(ContractEditRules, CompletionTakesTheCodeInItsOwnCase) {
  EXPECT_EQ(gridctl::CompletedCode("if21", true, "IF2103", std::nullopt), "IF2103");
  EXPECT_EQ(gridctl::CompletedCode("if22", true, "IF2103", std::string("IF2201")), std::nullopt);
  EXPECT_EQ(gridctl::CompletedCode("", true, "", std::nullopt), std::nullopt);
  EXPECT_EQ(gridctl::CompletedCode("", false, "", std::nullopt), "");
  EXPECT_EQ(gridctl::CompletedCode("cu", false, "", std::string("cu2101")), "cu2101");
  EXPECT_EQ(gridctl::CompletedCode("xx", false, "", std::nullopt), std::nullopt);
}

}  // namespace
