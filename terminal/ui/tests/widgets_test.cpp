#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "ui/colours_fonts.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"
#include "ui/global_hot_key.h"
#include "ui/status_panes.h"
#include "ui/testing/gui_test.h"
#include "ui/tree_sheet.h"

namespace {

TEST(BaseDialog, EnterMovesTheFocusToTheNextControlAndPressesNothing) {
  ui::BaseDialog dialog(nullptr, 130, "客户登录");
  auto* first = new QLineEdit(&dialog);
  auto* second = new QLineEdit(&dialog);
  auto* ok = new QPushButton("OK", &dialog);
  ok->setDefault(true);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(first);
  layout->addWidget(second);
  layout->addWidget(ok);
  bool pressed = false;
  QObject::connect(ok, &QPushButton::clicked, [&] { pressed = true; });
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  first->setFocus();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return first->hasFocus(); }));
  QTest::keyClick(first, Qt::Key_Return);
  EXPECT_TRUE(second->hasFocus());
  QTest::keyClick(second, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(ok->hasFocus());
  EXPECT_FALSE(pressed);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(ui::ToGbk(dialog.windowTitle()), "客户登录");
}

TEST(TreeSheet, PagesAreMadeWhenFirstShownAndEveryNodeIsExpanded) {
  ui::TreeSheet sheet(nullptr, "系统设置");
  int made = 0;
  const auto page = [&](QWidget* parent) {
    ++made;
    return new QLineEdit(parent);
  };
  sheet.AddCategory("通讯设置");
  sheet.AddPage("交易服务器", page);
  sheet.AddPage("代理服务器", page);
  sheet.AddCategory("系统参数");
  sheet.AddPage("系统参数", page);
  sheet.ExpandAll();
  EXPECT_EQ(made, 0);  // the first node is a category
  const std::vector<std::pair<int, std::string>> nodes{
      {0, "通讯设置"}, {1, "交易服务器"}, {1, "代理服务器"}, {0, "系统参数"}, {1, "系统参数"}};
  EXPECT_EQ(sheet.NodeCaptions(), nodes);
  QTreeWidgetItem* proxy = sheet.Tree()->topLevelItem(0)->child(1);
  EXPECT_TRUE(sheet.Tree()->topLevelItem(1)->isExpanded());
  sheet.Tree()->setCurrentItem(proxy);
  sheet.Tree()->setCurrentItem(sheet.Tree()->topLevelItem(0));
  sheet.Tree()->setCurrentItem(proxy);
  EXPECT_EQ(made, 1);
  EXPECT_EQ(sheet.CreatedPageCount(), 1);
}

TEST(StatusPanes, PanesAreFoundByIdWithTheirOwnTips) {
  ui::StatusPanes panes(nullptr, {{0, -1, ""}, {59143, 90, "交易:正常"}, {59144, 90, "行情:正常"}});
  EXPECT_EQ(panes.PaneText(59143), "交易:正常");
  EXPECT_TRUE(panes.SetPaneText(59144, "行情:断连"));
  EXPECT_TRUE(panes.SetPaneTip(59144, "行情:断连"));
  EXPECT_EQ(panes.PaneText(59144), "行情:断连");
  EXPECT_EQ(panes.PaneTip(59144), "行情:断连");
  EXPECT_EQ(panes.PaneTip(59143), "");
  EXPECT_FALSE(panes.SetPaneText(1, "x"));
}

TEST(ColoursAndFonts, ColoursAreBlueGreenRedAndTheDefaultStaysUnset) {
  EXPECT_EQ(ui::ColourFromRef(0x000000FF), QColor(255, 0, 0));
  EXPECT_EQ(ui::ColourFromRef(0x00FF8000), QColor(0, 128, 255));
  EXPECT_FALSE(ui::ColourFromRef(ui::kDefaultColour).isValid());
  EXPECT_EQ(ui::RefFromColour(QColor(0, 128, 255)), 0x00FF8000u);
  EXPECT_EQ(ui::RefFromColour(QColor()), ui::kDefaultColour);
}

TEST(ColoursAndFonts, TheDesktopFacesMapToInstalledFacesThatDrawChinese) {
  const QFont song = ui::FontOf("宋体", 10);
  const QFont fixed = ui::FontOf("宋体", 10, ui::FontPitch::kFixed);
  EXPECT_TRUE(QFontDatabase::families().contains(song.family())) << song.family().toStdString();
  EXPECT_TRUE(QFontDatabase::families().contains(fixed.family())) << fixed.family().toStdString();
  EXPECT_TRUE(QFontMetrics(song).inFont(ui::FromGbk("委")[0]));
  // Fixed pitch: the columns of a statement line up.
  EXPECT_EQ(ui::TextWidth(fixed, "iiii"), ui::TextWidth(fixed, "WWWW"));
  EXPECT_GT(ui::TextWidth(song, "委托委托"), ui::TextWidth(song, "委托"));
  EXPECT_EQ(ui::TextWidth(song, ""), 0);
}

TEST(GlobalHotKey, WithoutX11ItSaysSoAndAPressOfTheKeyIsMatchedWithoutTheLocks) {
  int presses = 0;
  ui::GlobalHotKey key([&] { ++presses; });
  // The offscreen platform has no X11 display.
  EXPECT_EQ(key.Register(ui::kHotKeyControl | ui::kHotKeyAlt, 'Q'), ui::HotKeyResult::kNoDisplay);
  EXPECT_EQ(ui::HotKeyProblemText(ui::HotKeyResult::kNoDisplay), "当前桌面不支持全局热键。");
  EXPECT_FALSE(key.OnKeyPress(24, ui::X11ModifiersOf(ui::kHotKeyControl)));
  EXPECT_EQ(presses, 0);
  EXPECT_EQ(ui::KeySymOfVirtualKey('Q'), 0x71u);
  EXPECT_EQ(ui::KeySymOfVirtualKey(0x70), 0xFFBEu);  // F1
  EXPECT_EQ(ui::KeySymOfVirtualKey(0x07), 0u);
}

}  // namespace
