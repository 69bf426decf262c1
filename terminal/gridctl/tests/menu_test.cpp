#include "gridctl/views/menu.h"

#include <gtest/gtest.h>

#include "grid_test_support.h"
#include "gridctl/views/paint_support.h"

namespace {

using gridctl::CxPopupMenu;
using gridctl::testing::Command;
using gridctl::testing::GlobalCentre;
using gridctl::testing::Mouse;
using gridctl::testing::RecordingOwner;

// 复制 (1), a separator, the check item 自动滚动 (2), and 更多 (4) with the
// sub-menu 甲 (11), 乙 (12).
class CxPopupMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gridctl::testing::ShowActive(owner));
    menu = new CxPopupMenu(&owner);
    ASSERT_TRUE(menu->Create(3, 8, &owner));
    ASSERT_TRUE(menu->AppendItem("复制", 1, gridctl::kTextItem));
    ASSERT_TRUE(menu->AppendItem("", 0, gridctl::kSeparatorItem));
    ASSERT_TRUE(menu->AppendItem("自动滚动", 2, gridctl::kCheckItem));
    auto more = std::make_unique<CxPopupMenu>();
    ASSERT_TRUE(more->Create(9, 4, menu));
    more->AppendItem("甲", 11, gridctl::kTextItem);
    more->AppendItem("乙", 12, gridctl::kTextItem);
    sub = more.get();
    ASSERT_TRUE(menu->AppendItem("更多", 4, gridctl::kTextItem, std::move(more)));
    menu->Popup(owner.mapToGlobal(QPoint(40, 40)));
    ASSERT_TRUE(ui::testing::WaitUntil([&] { return menu->isVisible(); }));
  }
  QPoint ItemCentre(CxPopupMenu* popup, int index) { return GlobalCentre(popup, popup->ItemRect(index)); }
  void MoveTo(QPoint global) { Mouse(QTest::MouseMove, &owner, global, Qt::NoButton); }
  void ClickAt(QPoint global) { Mouse(QTest::MousePress, &owner, global); }

  RecordingOwner owner;
  CxPopupMenu* menu = nullptr;
  CxPopupMenu* sub = nullptr;
};

TEST_F(CxPopupMenuTest, TheItemUnderThePointerIsChosen) {
  EXPECT_EQ(menu->size(), QSize(menu->Table()->PopupSize().width, menu->Table()->PopupSize().height));
  MoveTo(ItemCentre(menu, 0));
  EXPECT_EQ(menu->Highlighted(), 0);
  ClickAt(ItemCentre(menu, 0));
  EXPECT_FALSE(menu->isVisible());
  EXPECT_EQ(owner.commands, (std::vector<Command>{{1, 3}}));
}

TEST_F(CxPopupMenuTest, AClickOutsideEveryItemCancels) {
  MoveTo(ItemCentre(menu, 0));
  ClickAt(owner.mapToGlobal(QPoint(390, 280)));
  EXPECT_FALSE(menu->isVisible());
  EXPECT_EQ(owner.commands, (std::vector<Command>{{gridctl::kMenuCancelled, 3}}));
}

TEST_F(CxPopupMenuTest, ASubMenuItemIsReportedOnceFromTheRootAndClosesTheChain) {
  MoveTo(ItemCentre(menu, 3));
  ASSERT_TRUE(sub->isVisible());
  const QRect item = menu->ItemRect(3);
  EXPECT_EQ(sub->pos(), menu->mapToGlobal(QPoint(item.left() + item.width() + 2, item.top() - 2)));
  MoveTo(ItemCentre(sub, 1));
  EXPECT_EQ(sub->Highlighted(), 1);
  EXPECT_EQ(menu->Highlighted(), 3);
  ui::testing::SaveScreenshot(menu, "popup_menu");
  ui::testing::SaveScreenshot(sub, "popup_sub_menu");
  ClickAt(ItemCentre(sub, 1));
  EXPECT_FALSE(sub->isVisible());
  EXPECT_FALSE(menu->isVisible());
  EXPECT_EQ(owner.commands, (std::vector<Command>{{12, 9}}));
}

TEST_F(CxPopupMenuTest, ASeparatorLeavesTheItemWithAnOpenSubMenuHighlighted) {
  MoveTo(ItemCentre(menu, 3));
  MoveTo(ItemCentre(sub, 0));
  MoveTo(ItemCentre(menu, 1));  // the separator
  EXPECT_EQ(menu->Highlighted(), 3);
  EXPECT_TRUE(sub->isVisible());
  EXPECT_EQ(sub->Highlighted(), -1);
  MoveTo(ItemCentre(menu, 0));  // another item closes the sub-menu
  EXPECT_EQ(menu->Highlighted(), 0);
  EXPECT_FALSE(sub->isVisible());
  EXPECT_TRUE(owner.commands.empty());
}

TEST_F(CxPopupMenuTest, OnlyTheBoxOfACheckItemTogglesIt) {
  MoveTo(ItemCentre(menu, 2));
  ClickAt(menu->mapToGlobal(menu->ItemRect(2).center()));  // on the text
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(menu->Table()->Item(2).checked, 0);
  const QRect box = gridctl::ToQRect(menu->Table()->CheckBoxRect(2, menu->width()));
  ClickAt(GlobalCentre(menu, box));
  EXPECT_EQ(menu->Table()->Item(2).checked, 1);
  EXPECT_EQ(owner.commands, (std::vector<Command>{{2, 3}}));
}

TEST_F(CxPopupMenuTest, AMenuClosedByAnyoneElseCancelsItself) {
  menu->close();
  EXPECT_EQ(owner.commands, (std::vector<Command>{{gridctl::kMenuCancelled, 3}}));
  // Closed by its own choice, it says nothing more.
  menu->Popup(owner.mapToGlobal(QPoint(40, 40)));
  menu->CloseMenu();
  EXPECT_EQ(owner.commands.size(), 1u);
}

}  // namespace
