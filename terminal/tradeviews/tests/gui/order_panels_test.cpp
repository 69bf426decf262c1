// The three order panels in real windows, driven with real key events and
// with services that need no back end: the focus chains, the digits, the
// price types, a record filled in, the reset after an order, the
// input-sequence dialog, and what each style hands to the submission.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <filesystem>

#include "../support/fake_order_services.h"
#include "client/settings_registry.h"
#include "platform/files.h"
#include "tradeviews/views/classic_order_view.h"
#include "tradeviews/views/input_sequence_dialog.h"
#include "tradeviews/views/order_dock.h"
#include "tradeviews/views/property_order_view.h"
#include "tradeviews/views/row_order_view.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"
#include "ui/testing/gui_test.h"

namespace tradeviews {
namespace {

namespace fs = std::filesystem;
using C = PanelControl;
using Texts = std::vector<std::string>;

// The common order area as the input-sequence dialog saves it.
class CountingArea : public client::CTQConfig {
 public:
  bool Save() override {
    ++saves;
    return true;
  }
  int saves = 0;
};

class OrderPanels : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("quentara_panels_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    platform::SetProgramFolder(folder_.string());
    area_ = std::make_unique<CountingArea>();
    registry_.Register({"VarietyParamSet", nullptr, &varieties_});
    registry_.Register({"EntrustParamSetCommon", area_.get(), &settings_});
    context_.settings = &registry_;
  }
  void TearDown() override {
    ui::testing::CancelWatches();
    dock_.reset();
    area_.reset();
    platform::SetProgramFolder("");
    fs::remove_all(folder_);
  }

  CTqBasicOrderView* Open(int style, QSize size = {1300, 420}) {
    dock_.reset();
    dock_ = std::make_unique<CTqDockableOrder>(nullptr, services_, context_, style);
    dock_->resize(size);
    dock_->show();
    QApplication::setActiveWindow(dock_.get());
    EXPECT_TRUE(ui::testing::WaitUntil([&] { return QApplication::activeWindow() == dock_.get(); }));
    dock_->View()->ReloadContracts();
    return dock_->View();
  }
  template <class View>
  View* OpenAs(int style) {
    return static_cast<View*>(Open(style));
  }

  // Keys go where the focus is, as the platform sends them.
  static QWidget* FocusWidget() {
    QWidget* widget = QApplication::focusWidget();
    if (widget == nullptr) ADD_FAILURE() << "no control has the focus";
    return widget;
  }
  static void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    if (QWidget* widget = FocusWidget()) QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
  }
  static void Type(std::string_view text) {
    if (QWidget* widget = FocusWidget()) QTest::keyClicks(widget, ui::FromGbk(text));
  }
  C Focused() const {
    for (const C control : {C::kCustomer, C::kContract, C::kBuySell, C::kVolume, C::kPrice, C::kOpenClose,
                            C::kPriceType, C::kDealAttribute, C::kTriggerPrice, C::kSend}) {
      if (QWidget* widget = dock_->View()->Control(control); widget != nullptr && widget->hasFocus()) return control;
    }
    return C::kNone;
  }
  std::string TextOf(C control) const {
    QWidget* widget = dock_->View()->Control(control);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return ui::ToGbk(edit->text());
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return ui::ToGbk(combo->currentText());
    return {};
  }
  bool Enabled(C control) const { return dock_->View()->Control(control)->isEnabled(); }
  void StartAtContract() {
    // A dialog that closed leaves no window active here.
    QApplication::setActiveWindow(dock_.get());
    dock_->View()->Control(C::kContract)->setFocus();
    ASSERT_TRUE(ui::testing::WaitUntil([&] { return Focused() == C::kContract; }));
  }

  fs::path folder_;
  testing::FakeOrderServices services_;
  client::OrderSettings settings_;
  client::VarietyParamRows varieties_;
  std::unique_ptr<CountingArea> area_;
  client::ConfigRegistry registry_;
  ui::ViewContext context_;
  std::unique_ptr<CTqDockableOrder> dock_;
};

TEST_F(OrderPanels, TheRowStyleTakesALimitOrderFromTheKeyboardAlone) {
  Open(1);
  StartAtContract();
  Type("cu2105");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kBuySell);
  Key(Qt::Key_3);  // the sell digit
  EXPECT_EQ(TextOf(C::kBuySell), "卖出");
  Key(Qt::Key_A);  // no other key changes the side
  EXPECT_EQ(TextOf(C::kBuySell), "卖出");
  Key(Qt::Key_Return);
  EXPECT_EQ(Focused(), C::kVolume);
  Type("2");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kPrice);
  Type("71230");
  Key(Qt::Key_Right);
  EXPECT_EQ(Focused(), C::kOpenClose);
  Key(Qt::Key_2);  // close
  EXPECT_EQ(TextOf(C::kOpenClose), "平仓");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kPriceType);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kDealAttribute);
  // The trigger price is off for a limit order: on to the send button.
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kSend);
  ui::testing::SaveScreenshot(dock_.get(), "order_panel_style1_typed");
  // Enter on the send button moves on; the space bar sends.
  Key(Qt::Key_Return);
  EXPECT_EQ(Focused(), C::kContract);
  EXPECT_TRUE(services_.submitted.empty());
  Key(Qt::Key_Left);
  EXPECT_EQ(Focused(), C::kSend);
  Key(Qt::Key_Space);
  ASSERT_EQ(services_.submitted.size(), 1u);
  EXPECT_EQ(services_.submitted[0], (Texts{"", "", "", "A", "cu2105", "1", "1", "0", "2", "71230", "T10001", "SA", "0",
                                           "0", "", "0", "10001"}));
  EXPECT_EQ(services_.logged, Texts{"操作：普通下单。"});
}

TEST_F(OrderPanels, StylesTwoAndFourBuildTheSameFieldsAsTheRowForTheSameInput) {
  // The same order typed into each style along its own chain: sell to
  // close 4 lots of m2109 at 3000.
  Open(1);
  StartAtContract();
  Type("m2109");
  for (const auto& key : {Qt::Key_Tab, Qt::Key_3, Qt::Key_Tab, Qt::Key_4, Qt::Key_Tab, Qt::Key_3, Qt::Key_0, Qt::Key_0,
                          Qt::Key_0, Qt::Key_Tab, Qt::Key_2}) {
    Key(key);
  }
  dock_->View()->SendNormalOrder();

  Open(2);
  StartAtContract();
  Type("m2109");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kBuySell);
  Key(Qt::Key_3);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kOpenClose);
  Key(Qt::Key_2);
  Key(Qt::Key_Tab);
  Type("4");
  Key(Qt::Key_Tab);
  Type("3000");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kSend);
  ui::testing::SaveScreenshot(dock_.get(), "order_panel_style2_typed");
  Key(Qt::Key_Space);

  Open(4);
  StartAtContract();
  Type("m2109");
  Key(Qt::Key_Tab);
  Key(Qt::Key_3);
  EXPECT_EQ(TextOf(C::kBuySell), "3 卖出");
  Key(Qt::Key_Tab);
  Type("4");
  Key(Qt::Key_Tab);
  Type("3000");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kOpenClose);
  Key(Qt::Key_2);
  EXPECT_EQ(TextOf(C::kOpenClose), "2 平仓");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kSend);
  ui::testing::SaveScreenshot(dock_.get(), "order_panel_style4_typed");
  Key(Qt::Key_Space);

  ASSERT_EQ(services_.submitted.size(), 3u);
  const Texts row = services_.submitted[0];
  EXPECT_EQ(row,
            (Texts{"", "", "", "B", "m2109", "1", "1", "0", "4", "3000", "T10001", "SB", "0", "0", "", "0", "10001"}));
  // Styles 2 and 4 have no price type, deal attribute or trigger price.
  Texts withoutPriceType = row;
  withoutPriceType[12] = withoutPriceType[13] = "";
  EXPECT_EQ(services_.submitted[1], withoutPriceType);
  EXPECT_EQ(services_.submitted[2], withoutPriceType);
}

TEST_F(OrderPanels, PriceTypesSetTheOtherControlsAndCzceTakesNoStopOrders) {
  auto* view = OpenAs<CTqRowOrderView>(1);
  StartAtContract();
  Type("SR105");
  Key(Qt::Key_Tab);
  view->Control(C::kPriceType)->setFocus();
  Key(Qt::Key_4);  // 市价止盈: not on czce
  EXPECT_EQ(TextOf(C::kPriceType), "1-限价");
  EXPECT_FALSE(Enabled(C::kTriggerPrice));
  Key(Qt::Key_2);  // 市价
  EXPECT_EQ(TextOf(C::kPrice), "0");
  EXPECT_FALSE(Enabled(C::kPrice));
  EXPECT_EQ(TextOf(C::kDealAttribute), "3-剩余即撤销[FAK]");
  // Down steps to the market stop-loss on another exchange's contract.
  view->Control(C::kContract)->setFocus();
  view->ContractEdit()->setText("cu2105");
  view->Control(C::kPriceType)->setFocus();
  Key(Qt::Key_Down);
  EXPECT_EQ(TextOf(C::kPriceType), "3-市价止损");
  EXPECT_TRUE(Enabled(C::kTriggerPrice));
  EXPECT_FALSE(Enabled(C::kDealAttribute));
  EXPECT_FALSE(Enabled(C::kPrice));
  ui::testing::SaveScreenshot(dock_.get(), "order_panel_style1_stop_order");
  // Tab skips the disabled deal attribute and lands on the trigger price.
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kTriggerPrice);
}

TEST_F(OrderPanels, AMarketTypeWithThePriceFirstSendsTabToTheSecondEntry) {
  settings_.OrderInputSequence[0] = 2;
  settings_.OrderInputSequence[1] = 0;
  settings_.OrderInputSequence[2] = 1;
  Open(1);
  dock_->View()->Control(C::kPriceType)->setFocus();
  Key(Qt::Key_2);
  StartAtContract();
  Type("cu2105");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kBuySell);
}

TEST_F(OrderPanels, AContractInOtherCaseIsSpelledAsTheListHasItAndBringsItsDefaultLots) {
  varieties_.resize(1);
  engine::SetText(varieties_[0].contractCode, "cu2105");
  varieties_[0].defaultLots = 5;
  services_.closable.closableBuy = 4;
  services_.closable.usableMoney = 1000.5;
  auto* view = OpenAs<CTqRowOrderView>(1);
  StartAtContract();
  Type("CU2105");
  Key(Qt::Key_Tab);
  EXPECT_EQ(TextOf(C::kContract), "cu2105");
  EXPECT_EQ(TextOf(C::kVolume), "5");
  EXPECT_EQ(view->VolumeLabelTexts()[0], "可平：4");
  EXPECT_EQ(view->VolumeLabelTexts()[3], "可用：1000.50");
  ASSERT_FALSE(services_.quantityQueries.empty());
  EXPECT_EQ(engine::Text(services_.quantityQueries.back().szContractCode), "cu2105");
  EXPECT_EQ(engine::Text(services_.quantityQueries.back().szSeatCode), "SA");
}

TEST_F(OrderPanels, ARecordFillsTheFormAndTheSettingsResetAndFocusItAfterTheOrder) {
  auto* view = Open(1);
  order_module::OrderRecord record{};
  engine::SetText(record.contractCode, "IF2103");
  engine::SetText(record.buySell, "1");
  engine::SetText(record.openClose, "1");
  engine::SetText(record.lots, "3");
  engine::SetText(record.price, "3456.4000");
  ASSERT_TRUE(static_cast<ui::OrderForm*>(view)->FillFromOrderRecord(record));
  EXPECT_EQ(TextOf(C::kContract), "IF2103");
  EXPECT_EQ(TextOf(C::kPrice), "3456.4");
  EXPECT_EQ(TextOf(C::kBuySell), "卖出");
  EXPECT_EQ(TextOf(C::kOpenClose), "平仓");
  EXPECT_EQ(TextOf(C::kVolume), "3");

  settings_.ClearInfoAfterOrder = 2;
  view->ResetAfterOrder();
  EXPECT_EQ(TextOf(C::kVolume) + TextOf(C::kPrice), "");
  EXPECT_EQ(TextOf(C::kContract), "IF2103");
  settings_.ClearInfoAfterOrder = 1;
  view->ResetAfterOrder();
  EXPECT_EQ(TextOf(C::kContract), "");
  EXPECT_EQ(TextOf(C::kBuySell), "买入");
  EXPECT_EQ(TextOf(C::kOpenClose), "开仓");

  view->FocusFieldAfterOrder(3);
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return Focused() == C::kVolume; }));
  view->FocusFieldAfterOrder(5);
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return Focused() == C::kContract; }));
}

TEST_F(OrderPanels, TheClassicStyleShowsItsDigitsAndTurnsGreenForASell) {
  settings_.ShortcutKeyClose = 2;
  settings_.ShortcutKeyCloseToday = 3;
  services_.closable.usableMoney = 2500;
  services_.closable.heldBuy = 6;
  services_.closable.heldSell = 1;
  auto* view = OpenAs<CTqClassicOrderView>(4);
  const auto colourAt = [&] { return view->grab().toImage().pixelColor(190, 190); };
  EXPECT_EQ(colourAt(), QColor(222, 116, 116));
  view->Control(C::kOpenClose)->setFocus();
  Key(Qt::Key_2);
  EXPECT_EQ(TextOf(C::kOpenClose), "2 平仓");
  Key(Qt::Key_3);
  EXPECT_EQ(TextOf(C::kOpenClose), "3 平今");
  view->Control(C::kBuySell)->setFocus();
  Key(Qt::Key_3);
  EXPECT_EQ(colourAt(), QColor(145, 236, 143));
  // Leaving the volume asks for the funds and holdings of the side panel.
  StartAtContract();
  Type("cu2105");
  view->Control(C::kVolume)->setFocus();
  Type("1");
  Key(Qt::Key_Tab);
  EXPECT_EQ(ui::ToGbk(ui::FindControl<QLineEdit>(view->SidePanel(), 1255)->text()), "2500.00");
  EXPECT_EQ(ui::ToGbk(ui::FindControl<QLineEdit>(view->SidePanel(), 1256)->text()), "6/1");
  ui::testing::SaveScreenshot(dock_.get(), "order_panel_style4_sell");
}

TEST_F(OrderPanels, TheInputSequenceDialogReordersTheRowOrCancelsWithoutAChange) {
  auto* view = OpenAs<CTqRowOrderView>(1);
  const int buySellX = view->Control(C::kBuySell)->x();
  // Cancel after moving a row changes nothing.
  ui::testing::WhenShown("CTqOrderInputSequence", [](QWidget* window) {
    auto* dialog = static_cast<CTqOrderInputSequence*>(window);
    dialog->Rows()->setCurrentRow(3);
    QTest::mouseClick(ui::FindControl<QPushButton>(dialog, 1193), Qt::LeftButton);
    QTest::mouseClick(ui::FindControl<QPushButton>(dialog, 1196), Qt::LeftButton);
  });
  view->OpenInputSequence();
  EXPECT_EQ(settings_.OrderInputSequence[3], 3);
  EXPECT_EQ(area_->saves, 0);
  // "价格" moved to the top and confirmed.
  ui::testing::WhenShown("CTqOrderInputSequence", [](QWidget* window) {
    auto* dialog = static_cast<CTqOrderInputSequence*>(window);
    dialog->Rows()->setCurrentRow(2);
    for (int i = 0; i < 3; ++i) QTest::mouseClick(ui::FindControl<QPushButton>(dialog, 1193), Qt::LeftButton);
    EXPECT_EQ(ui::ToGbk(dialog->Rows()->item(0)->text()), "价格");
    ui::testing::SaveScreenshot(dialog, "order_input_sequence_dialog");
    QTest::mouseClick(ui::FindControl<QPushButton>(dialog, 1195), Qt::LeftButton);
  });
  view->OpenInputSequence();
  EXPECT_EQ(settings_.OrderInputSequence[0], 2);
  EXPECT_EQ(settings_.OrderInputSequence[1], 0);
  EXPECT_EQ(area_->saves, 1);
  EXPECT_LT(view->Control(C::kPrice)->x(), view->Control(C::kBuySell)->x());
  EXPECT_EQ(view->Control(C::kPrice)->x(), buySellX);
  StartAtContract();
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kPrice);
}

TEST_F(OrderPanels, FaultsAndAFailedLookUpAreShownAndNothingIsSent) {
  auto* view = Open(2);
  std::string shown;
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { shown = text; });
  view->SendNormalOrder();
  EXPECT_EQ(shown, "合约不能为空!\n委托手数不能为空!\n委托价格不能为空!\n");

  services_.lookUpFailure = "交易编码不存在！";
  StartAtContract();
  Type("cu2105");
  view->Control(C::kVolume)->setFocus();
  Type("1");
  view->Control(C::kPrice)->setFocus();
  Type("71230");
  ui::testing::WhenMessageBox(ui::Answer::kOk, [&](const std::string& text) { shown = text; });
  view->SendNormalOrder();
  EXPECT_EQ(shown, "交易编码不存在！");
  EXPECT_TRUE(services_.submitted.empty());
}

TEST_F(OrderPanels, OutsideMultiAccountModeTheCustomerIsHiddenAndSkipped) {
  for (const int style : {1, 2, 4}) {
    auto* view = Open(style);
    EXPECT_TRUE(view->Control(C::kCustomer)->isHidden()) << style;
    view->Control(C::kSend)->setFocus();
    Key(Qt::Key_Tab);
    EXPECT_EQ(Focused(), C::kContract) << style;
    Key(Qt::Key_Backtab);
    EXPECT_EQ(Focused(), style == 4 ? C::kContract : C::kSend) << style;
  }
}

TEST_F(OrderPanels, InMultiAccountModeTheCustomerIsChosenAndChecked) {
  context_.role = 1;
  services_.customers = {"10001", "10002"};
  auto* view = Open(1);
  auto* customer = static_cast<QComboBox*>(view->Control(C::kCustomer));
  ASSERT_FALSE(customer->isHidden());
  EXPECT_EQ(customer->count(), 2);
  // Contracts downloaded again do not add the customers twice.
  view->ReloadContracts();
  EXPECT_EQ(customer->count(), 2);
  view->Control(C::kSend)->setFocus();
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focused(), C::kCustomer);

  // A customer that is none of the accounts is refused on leaving the combo
  // and when a grid fills the form.
  Type("10009");
  std::vector<std::string> shown;
  ui::testing::WhenMessageBoxes(ui::Answer::kOk, [&](const std::string& text) { shown.push_back(text); });
  Key(Qt::Key_Tab);
  EXPECT_TRUE(ui::testing::WaitUntil([&] { return !shown.empty(); }));
  order_module::OrderRecord record{};
  engine::SetText(record.customerNo, "10002");
  engine::SetText(record.contractCode, "cu2105");
  engine::SetText(record.buySell, "0");
  engine::SetText(record.openClose, "0");
  EXPECT_FALSE(static_cast<ui::OrderForm*>(view)->FillFromOrderRecord(record));
  EXPECT_EQ(TextOf(C::kContract), "");
  ui::testing::CancelWatches();
  EXPECT_EQ(shown.front(), "传入的客户号非法!\n");

  // A logged-in customer is taken, and the record's customer is selected.
  customer->setEditText("10001");
  QApplication::setActiveWindow(dock_.get());
  ASSERT_TRUE(static_cast<ui::OrderForm*>(view)->FillFromOrderRecord(record));
  EXPECT_EQ(ui::ToGbk(customer->currentText()), "10002");
  view->Control(C::kVolume)->setFocus();
  Type("1");
  view->Control(C::kPrice)->setFocus();
  Type("71230");
  view->SendNormalOrder();
  ASSERT_EQ(services_.submitted.size(), 1u);
  EXPECT_EQ(services_.submitted[0][16], "10002");
  EXPECT_EQ(services_.submitted[0][11], "SA");
  ui::testing::SaveScreenshot(dock_.get(), "order_panel_style1_multi_account");
}

}  // namespace
}  // namespace tradeviews
