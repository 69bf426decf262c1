// The order dock of the running terminal against the simulated back end:
// a limit order typed into the row panel with the keyboard alone goes
// through the order submission and the order module to the back end, fills
// there, shows in the engine's order and trade tables, and the form is
// cleared and focused as the settings say. The other two styles are shown
// with the live account beside it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QRegularExpression>
#include <QTest>
#include <cstring>

#include "engine/query_facade.h"
#include "platform/ini_file.h"
#include "shell/testing/terminal_session.h"
#include "tradeviews/views/classic_order_view.h"
#include "tradeviews/views/order_dock.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"
#include "ui/testing/gui_test.h"

namespace tradeviews {
namespace {

using C = PanelControl;

// The rows of an engine table, each copied into its row type.
template <class Row>
std::vector<Row> TableRows(engine::COperationEngine& engine, int tableId) {
  backend::CxDataSet copy;
  std::string error;
  std::vector<Row> rows;
  if (!engine::QueryEngineTable(engine, tableId, copy, error)) return rows;
  for (std::uint32_t i = 0; i < copy.GetCount(); ++i) {
    const std::span<const std::uint8_t> value = copy.GetValue(i);
    Row row{};
    std::memcpy(&row, value.data(), std::min(value.size(), sizeof row));
    rows.push_back(row);
  }
  return rows;
}

class OrderDockInTheTerminal : public shell::testing::TerminalSession {
 protected:
  void SetUp() override {
    TerminalSession::SetUp();
    const std::string ini = (folder_ / "Config" / "EntrustParam.ini").string();
    platform::WriteIniString(ini, "EntrustCommon", "ClearInfoAfterOrder", "1");
    platform::WriteIniString(ini, "EntrustCommon", "OrderReturnCursorPos", "3");
  }

  static void Key(int key) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, static_cast<Qt::Key>(key));
  }
  static void Type(std::string_view text) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClicks(focused, ui::FromGbk(text));
  }
  static bool HasFocus(CTqBasicOrderView* view, C control) {
    return ui::testing::WaitUntil([&] { return view->Control(control)->hasFocus(); }, std::chrono::seconds(5));
  }
  static void StartAtContract(QWidget* window, CTqBasicOrderView* view) {
    QApplication::setActiveWindow(window);
    view->Control(C::kContract)->setFocus();
    ASSERT_TRUE(HasFocus(view, C::kContract));
  }

  // The account's orders at the back end entered since it started.
  std::vector<simbackend::OrderView> NewOrders() const {
    std::vector<simbackend::OrderView> orders = server_->Book("10001")->orders;
    std::erase_if(orders, [](const simbackend::OrderView& order) { return order.timesReceived == 0; });
    return orders;
  }
};

TEST_F(OrderDockInTheTerminal, ALimitOrderTypedIntoTheRowPanelFillsAtTheBackEndAndReachesTheTables) {
  shell::Terminal terminal;
  ASSERT_TRUE(shell::testing::StartLoggedIn(terminal));
  shell::MainFrame* frame = terminal.Frame();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return frame->MarketWindow() != nullptr; }, std::chrono::seconds(30)));
  auto* dock = dynamic_cast<CTqDockableOrder*>(frame->BarContent(kOrderDockBarId));
  ASSERT_NE(dock, nullptr);
  CTqBasicOrderView* view = dock->View();
  ASSERT_EQ(view->Style(), PanelStyle::kRow);
  EXPECT_EQ(frame->Receivers().Form(), static_cast<ui::OrderForm*>(view));
  frame->ShowBar(kOrderDockBarId, true);

  StartAtContract(frame, view);
  Type("cu2701");
  Key(Qt::Key_Tab);
  ASSERT_TRUE(HasFocus(view, C::kBuySell));
  Key(Qt::Key_1);
  Key(Qt::Key_Tab);
  Type("1");
  Key(Qt::Key_Tab);
  // Above the ask and inside the day's limits: it fills at once.
  Type("78000");
  Key(Qt::Key_Tab);
  ASSERT_TRUE(HasFocus(view, C::kOpenClose));
  Key(Qt::Key_1);
  for (int i = 0; i < 3; ++i) Key(Qt::Key_Tab);
  ASSERT_TRUE(HasFocus(view, C::kSend));
  ui::testing::SaveScreenshot(dock, "order_dock_style1_live");
  ui::testing::SaveScreenshot(frame, "order_dock_in_the_frame");
  Key(Qt::Key_Space);

  ASSERT_TRUE(ui::testing::WaitUntil([&] { return NewOrders().size() == 1 && NewOrders()[0].state == "c"; },
                                     std::chrono::seconds(30)));
  const simbackend::OrderView order = NewOrders()[0];
  EXPECT_EQ(order.contract, "cu2701");
  EXPECT_EQ(order.buySell, "0");
  EXPECT_EQ(order.openClose, "0");
  EXPECT_EQ(order.priceType, "0");
  EXPECT_EQ(order.price, "78000");
  EXPECT_EQ(order.lots, 1);
  EXPECT_EQ(order.filled, 1);

  engine::COperationEngine& engine = *frame->Views().engine;
  EXPECT_TRUE(ui::testing::WaitUntil([&] {
    for (const engine::OrderRow& row : TableRows<engine::OrderRow>(engine, 2)) {
      if (engine::Text(row.szOrderNo) == order.number) return engine::Text(row.szFlagOrderState) == "c";
    }
    return false;
  }));
  EXPECT_TRUE(ui::testing::WaitUntil([&] {
    for (const engine::TradeRow& row : TableRows<engine::TradeRow>(engine, 4)) {
      if (engine::Text(row.szOrderNo) == order.number) return engine::Text(row.szDealHands) == "1";
    }
    return false;
  }));
  // The result cleared the form and put the focus on the lots.
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return view->ContractEdit()->text().isEmpty(); }));
  EXPECT_TRUE(HasFocus(view, C::kVolume));
  EXPECT_TRUE(shell::testing::WaitForOutputLine(*frame, "委托单发送成功"));
  ui::testing::SaveScreenshot(frame, "order_dock_after_the_fill");
  frame->CloseFromTray();
}

TEST_F(OrderDockInTheTerminal, TheOtherStylesShowTheLiveAccount) {
  shell::Terminal terminal;
  ASSERT_TRUE(shell::testing::StartLoggedIn(terminal));
  shell::MainFrame* frame = terminal.Frame();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return frame->MarketWindow() != nullptr; }, std::chrono::seconds(30)));
  for (const int style : {2, 4}) {
    CTqDockableOrder dock(nullptr, frame->Views(), style);
    dock.resize(style == 2 ? QSize(320, 220) : QSize(240, 420));
    dock.show();
    dock.View()->ReloadContracts();
    StartAtContract(&dock, dock.View());
    Type("cu2701");
    Key(Qt::Key_Tab);
    Key(Qt::Key_3);
    dock.View()->Control(C::kVolume)->setFocus();
    Type("2");
    dock.View()->Control(C::kPrice)->setFocus();
    Type("76500");
    Key(Qt::Key_Tab);
    if (style == 4) {
      auto* side = static_cast<CTqClassicOrderView*>(dock.View())->SidePanel();
      // The demo account holds long lots of cu2701 and funds.
      EXPECT_TRUE(
          QRegularExpression("^[1-9][0-9]*/0$").match(ui::FindControl<QLineEdit>(side, 1256)->text()).hasMatch());
      EXPECT_FALSE(ui::FindControl<QLineEdit>(side, 1255)->text().isEmpty());
    }
    ui::testing::SaveScreenshot(&dock, "order_dock_style" + std::to_string(style) + "_live");
  }
  frame->CloseFromTray();
}

}  // namespace
}  // namespace tradeviews
