// The settings sheet's pages in the logged-in terminal, driven with the
// mouse and the keyboard: each page shows the stored settings, edits reach
// the ini files on OK, Cancel leaves every file as it was, and the watch
// list changes the market window's user group at once.
#include "shell/views/settings_pages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "marketviews/views/market_view.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/testing/temporary_folder.h"
#include "quotes/quote_object.h"
#include "shell/testing/terminal_session.h"
#include "shell/views/login_dialog.h"
#include "shell/views/settings_sheet.h"
#include "ui/gbk_text.h"
#include "ui/registry_store.h"
#include "ui/sound_service.h"
#include "ui/testing/gui_test.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

template <class Control>
Control* Find(const QWidget* window, int id) {
  Control* control = ui::FindControl<Control>(window, id);
  EXPECT_NE(control, nullptr) << id;
  return control;
}

// Clicks a push button in its middle, a check box or radio on its mark.
void Click(QAbstractButton* button) {
  const bool marked = qobject_cast<QCheckBox*>(button) != nullptr || qobject_cast<QRadioButton*>(button) != nullptr;
  QTest::mouseClick(button, Qt::LeftButton, {}, marked ? QPoint(6, button->height() / 2) : button->rect().center());
}

// Types the text as key presses that carry it (Chinese too).
void Type(QWidget* widget, const std::string& text) {
  for (const QChar character : ui::FromGbk(text)) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(character));
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
  }
}

// Chooses the item with the keyboard, as a user of a closed list does.
void Choose(QComboBox* combo, const std::string& text) {
  const int index = combo->findText(ui::FromGbk(text));
  ASSERT_GE(index, 0) << text;
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Home);
  for (int i = 0; i < index; ++i) QTest::keyClick(combo, Qt::Key_Down);
  ASSERT_EQ(combo->currentIndex(), index);
}

void Retype(QLineEdit* edit, const std::string& text) {
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Backspace);
  Type(edit, text);
}

void ClickRow(QTableView* grid, int row, Qt::KeyboardModifiers modifiers = {}) {
  const QRect cell = grid->visualRect(grid->model()->index(row, 1));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cell.center());
}

std::string Cell(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item == nullptr ? std::string() : ui::ToGbk(item->text());
}

Strings Column(const QTableWidget* grid, int column) {
  Strings cells;
  for (int row = 0; row < grid->rowCount(); ++row) cells.push_back(Cell(grid, row, column));
  return cells;
}

class SettingsPages : public shell::testing::TerminalSession {
 protected:
  void SetUp() override {
    TerminalSession::SetUp();
    terminal_ = std::make_unique<shell::Terminal>();
    ASSERT_TRUE(shell::testing::StartLoggedIn(*terminal_));
    frame_ = terminal_->Frame();
    ASSERT_TRUE(ui::testing::WaitUntil([&] { return frame_->MarketWindow() != nullptr; }));
    // The pages as the terminal registers them, with a player that records
    // what it is asked to play.
    sounds_ = std::make_unique<ui::SoundService>(
        nullptr,
        [this](const std::vector<std::string>& argv) {
          played_.push_back(argv.back());
          return true;
        },
        std::vector<std::string>{"sh"});
    layouts_ = std::make_unique<ui::RegistryStore>(shell::kRegistryKey);
    shell::RegisterSettingsPages({.engine = &terminal_->Engine(),
                                  .groups = &quotes::TheQuoteObject(),
                                  .layouts = layouts_.get(),
                                  .sounds = sounds_.get()});
  }

  void TearDown() override {
    ui::testing::CancelWatches();
    terminal_.reset();
    TerminalSession::TearDown();
  }

  // Opens the sheet from the frame's command, runs `act` on it and then
  // presses the button ("ok" or "cancel"), also when `act` stopped early.
  void RunSheet(const std::function<void(shell::SettingsSheet& sheet)>& act, const char* button) {
    bool seen = false;
    ui::testing::WhenShown("CTQPropertySheet", [&](QWidget* window) {
      seen = true;
      QApplication::setActiveWindow(window);
      auto* sheet = dynamic_cast<shell::SettingsSheet*>(window);
      if (sheet != nullptr) act(*sheet);
      ui::testing::CancelWatches();
      QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);
    });
    frame_->RunCommand(shell::command::kSettings);
    EXPECT_TRUE(seen);
  }

  // Selects the page's node in the tree; the page, built when first shown.
  static QWidget* ShowPage(shell::SettingsSheet& sheet, const char* caption, const char* objectName) {
    QTreeWidget* tree = sheet.Tree();
    const QList<QTreeWidgetItem*> items =
        tree->findItems(ui::FromGbk(caption), Qt::MatchExactly | Qt::MatchRecursive, 0);
    EXPECT_EQ(items.size(), 1) << caption;
    if (items.isEmpty()) return nullptr;
    tree->scrollToItem(items.front());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(items.front()).center());
    QWidget* page = sheet.findChild<QWidget*>(objectName);
    EXPECT_NE(page, nullptr) << objectName;
    return page != nullptr && page->isVisible() ? page : nullptr;
  }

  std::string Config(const char* file, const char* section, const char* key) const {
    return platform::ReadIniString((folder_ / "Config" / file).string(), section, key, "<missing>");
  }

  shell::SettingsRecords& Records() { return terminal_->Settings().records; }

  std::unique_ptr<shell::Terminal> terminal_;
  shell::MainFrame* frame_ = nullptr;
  std::unique_ptr<ui::SoundService> sounds_;
  std::unique_ptr<ui::RegistryStore> layouts_;
  Strings played_;
};

TEST_F(SettingsPages, TheOrderProxyAndSystemPagesShowWhatIsStoredAndOkWritesTheEdits) {
  Records().orders.ClearInfoAfterOrder = 2;
  Records().proxy.server.proxyType = 3;
  shell::SetField(Records().proxy.server.proxyIp, "10.1.1.1");
  Records().proxy.server.proxyPort = 1080;
  Records().voice.voiceType = 1;
  const std::string sound = platform::ProgramFolder() + "/Res/成交通知.wav";
  fs::create_directories(folder_ / "Res");
  std::ofstream(sound) << "RIFF";
  const std::string chosen = platform::ProgramFolder() + "/Res/custom.wav";
  std::ofstream(chosen) << "RIFF";

  RunSheet(
      [&](shell::SettingsSheet& sheet) {
        // "常规"
        QWidget* common = ShowPage(sheet, "常规", "CTQEntrustParamSetCommon");
        ASSERT_NE(common, nullptr);
        EXPECT_TRUE(Find<QRadioButton>(common, 1111)->isChecked());
        EXPECT_TRUE(Find<QRadioButton>(common, 1121)->isChecked());
        EXPECT_EQ(Find<QLineEdit>(common, 1118)->text(), "3");
        Click(Find<QRadioButton>(common, 1110));
        Click(Find<QRadioButton>(common, 1120));
        Choose(Find<QComboBox>(common, 1119), "触发价格");
        Retype(Find<QLineEdit>(common, 1116), "");
        // Enter moves on to the next control and leaves the sheet open.
        QLineEdit* closeToday = Find<QLineEdit>(common, 1116);
        closeToday->setFocus();
        ASSERT_TRUE(ui::testing::WaitUntil([&] { return closeToday->hasFocus(); }));
        QTest::keyClick(closeToday, Qt::Key_Return);
        EXPECT_TRUE(Find<QLineEdit>(common, 1117)->hasFocus());
        EXPECT_TRUE(sheet.isVisible());
        ui::testing::SaveScreenshot(&sheet, "settings_order_common");

        // "高级"
        QWidget* advanced = ShowPage(sheet, "高级", "CTQEntrustParamSetAdvanced");
        ASSERT_NE(advanced, nullptr);
        QRadioButton* each = Find<QRadioButton>(advanced, 1127);
        EXPECT_FALSE(each->isEnabled());
        Click(Find<QCheckBox>(advanced, 1124));
        EXPECT_TRUE(each->isEnabled());
        Click(each);
        Retype(Find<QLineEdit>(advanced, 1128), "-1");
        ui::testing::SaveScreenshot(&sheet, "settings_order_advanced");

        // "设置代理服务器"
        QWidget* proxy = ShowPage(sheet, "设置代理服务器", "CTQProxyServerSet");
        ASSERT_NE(proxy, nullptr);
        QComboBox* type = Find<QComboBox>(proxy, 1058);
        QLineEdit* address = Find<QLineEdit>(proxy, 1059);
        QCheckBox* verify = Find<QCheckBox>(proxy, 1057);
        EXPECT_EQ(ui::ToGbk(type->currentText()), "SOCK5代理");
        EXPECT_EQ(address->text(), "10.1.1.1");
        Choose(type, "不用代理");
        EXPECT_TRUE(address->text().isEmpty());
        EXPECT_FALSE(address->isEnabled());
        EXPECT_FALSE(verify->isEnabled() || verify->isChecked());
        Choose(type, "SOCK4代理");
        EXPECT_TRUE(address->isEnabled());
        EXPECT_FALSE(verify->isEnabled());
        Choose(type, "HTTP代理");
        QTest::keyClicks(address, "10.2.2.2");
        QTest::keyClicks(Find<QLineEdit>(proxy, 1060), "80800");  // the last digit is not taken
        Click(verify);
        QLineEdit* user = Find<QLineEdit>(proxy, 1061);
        EXPECT_TRUE(user->isEnabled());
        QTest::keyClicks(user, "trader");
        ui::testing::SaveScreenshot(&sheet, "settings_proxy");

        // "系统设置"
        auto* system = dynamic_cast<shell::SysParamPage*>(ShowPage(sheet, "系统设置", "CTQSysSetSysParam"));
        ASSERT_NE(system, nullptr);
        EXPECT_TRUE(Find<QRadioButton>(system, 1162)->isChecked());
        EXPECT_FALSE(system->SoundGrid()->isVisible());
        Click(Find<QRadioButton>(system, 1163));
        EXPECT_TRUE(system->SoundGrid()->isVisible());
        Click(Find<QCheckBox>(system, 1158));
        QLineEdit* hotKey = Find<QLineEdit>(system, 1160);
        hotKey->setFocus();
        QTest::keyClick(hotKey, Qt::Key_H, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_EQ(hotKey->text(), "Ctrl+Alt+H");
        // "试听" of "成交通知" plays the file its path cell holds.
        ui::CTQGridCtrl* grid = system->SoundGrid();
        auto* listen = qobject_cast<QPushButton*>(grid->indexWidget(grid->model()->index(2, 2)));
        ASSERT_NE(listen, nullptr);
        Click(listen);
        EXPECT_EQ(played_, Strings{sound});
        // "..." of "报单成功" takes the file chosen in the file dialog as an edit
        // of the cell.
        ui::testing::WhenShown("soundFileDialog", [&](QWidget* window) {
          auto* dialog = qobject_cast<QFileDialog*>(window);
          ASSERT_NE(dialog, nullptr);
          auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
          auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
          if (name != nullptr && buttons != nullptr) {
            name->setText(QString::fromStdString(chosen));
            Click(buttons->button(QDialogButtonBox::Open));
          }
          // The dialog never stays open: a test that fails goes on.
          if (!ui::testing::WaitUntil([&] { return !dialog->isVisible(); }, std::chrono::seconds(5))) dialog->reject();
        });
        auto* browse = grid->indexWidget(grid->model()->index(0, 1))->findChild<QToolButton*>("browse");
        ASSERT_NE(browse, nullptr);
        Click(browse);
        EXPECT_EQ(grid->Rows().ShownText(0, 1), chosen);
        EXPECT_EQ(grid->LastEditedValue(), chosen);
        ui::testing::SaveScreenshot(&sheet, "settings_system");
      },
      "ok");

  EXPECT_EQ(Config("EntrustParam.ini", "EntrustCommon", "ClearInfoAfterOrder"), "1");
  EXPECT_EQ(Config("EntrustParam.ini", "EntrustCommon", "DBClickCloseOrder"), "1");
  EXPECT_EQ(Config("EntrustParam.ini", "EntrustCommon", "OrderReturnCursorPos"), "7");
  EXPECT_EQ(Config("EntrustParam.ini", "EntrustCommon", "ShortcutKeyCloseToday"), "0");
  EXPECT_EQ(Config("EntrustParam.ini", "EntrustCommon", "ShortcutKeySell"), "3");
  EXPECT_EQ(Config("EntrustParam.ini", "EntrustAdv", "EnableAotoDelOrder"), "1");
  EXPECT_EQ(Config("EntrustParam.ini", "EntrustAdv", "AutoDelOrderType"), "2");
  EXPECT_EQ(Config("EntrustParam.ini", "EntrustAdv", "PriceLevel"), "-1");
  EXPECT_EQ(Config("EntrustParam.ini", "EntrustCommon", "PriceLevel"), "-1");
  EXPECT_EQ(Config("Configs.ini", "ProxyServer", "ProxyType"), "5");
  EXPECT_EQ(Config("Configs.ini", "ProxyServer", "ProxyIP"), "10.2.2.2");
  EXPECT_EQ(Config("Configs.ini", "ProxyServer", "ProxyPort"), "8080");
  EXPECT_EQ(Config("Configs.ini", "ProxyServer", "VerifyUser"), "1");
  EXPECT_EQ(Config("Configs.ini", "ProxyServer", "User"), "trader");
  EXPECT_EQ(Config("SysParam.ini", "SysHotKey", "UseHotKey"), "1");
  EXPECT_EQ(Config("SysParam.ini", "SysHotKey", "key"), "72");
  EXPECT_EQ(Config("SysParam.ini", "SysHotKey", "Mod"), "3");
  EXPECT_EQ(Config("SysParam.ini", "SysHotKey", "HotkeyStr"), "Ctrl+Alt+H");
  EXPECT_EQ(Config("SysParam.ini", "MediaVoice", "VoiceType"), "2");
  EXPECT_EQ(Config("SysParam.ini", "MediaVoice", "Media_2"), sound);
  EXPECT_EQ(Config("SysParam.ini", "MediaVoice", "Media_0"), chosen);
}

TEST_F(SettingsPages, TheGatewayPageRefusesWrongFieldsAndStoresTheListAsSorted) {
  Strings messages;
  RunSheet(
      [&](shell::SettingsSheet& sheet) {
        auto* page = dynamic_cast<shell::TraderServerPage*>(ShowPage(sheet, "设置网关", "CTQTraderServerSet"));
        ASSERT_NE(page, nullptr);
        QTableWidget* list = page->List();
        ASSERT_EQ(list->rowCount(), 1);
        const std::string demo = Cell(list, 0, 0);
        // Row 0 is chosen: its fields are in the edits.
        QLineEdit* name = Find<QLineEdit>(page, 1011);
        QLineEdit* address = Find<QLineEdit>(page, 1170);
        QLineEdit* port = Find<QLineEdit>(page, 1018);
        EXPECT_EQ(ui::ToGbk(name->text()), demo);
        QPushButton* add = Find<QPushButton>(page, 1013);

        ui::testing::WhenMessageBoxes(ui::Answer::kOk, [&](const std::string& text) { messages.push_back(text); });
        Retype(name, "  ");
        Click(add);
        Retype(name, "备用网关");
        Retype(address, "0.0.0.0");
        Click(add);
        Retype(address, "127.0.0.2");
        Retype(port, "70000");
        Click(add);
        Retype(port, "");
        Click(add);
        Retype(name, " " + demo + " ");
        Retype(port, "17002");
        Click(add);
        EXPECT_EQ(list->rowCount(), 1);
        Retype(name, "备用网关");
        Click(add);
        ASSERT_EQ(list->rowCount(), 2);
        EXPECT_EQ(Column(list, 1)[1], "127.0.0.2");

        // "修改" of the chosen row with another name is refused.
        ClickRow(list, 0);
        Retype(name, "别的网关");
        Click(Find<QPushButton>(page, 1014));
        ui::testing::CancelWatches();
        EXPECT_EQ(messages,
                  (Strings{"网关名称不能为空", "IP地址不正确", "端口必须是1到65535之间的数字", "端口不能为空",
                           " " + demo + " 名称 在列表已存在", "别的网关的名称 和选中行 " + demo + "的名称 不一致"}));

        // The first click on the first column sorts it descending.
        QHeaderView* header = list->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 20, header->height() / 2));
        ui::testing::SaveScreenshot(&sheet, "settings_gateways");
        Strings sorted{demo, "备用网关"};
        std::sort(sorted.begin(), sorted.end(), std::greater<>());
        EXPECT_EQ(Column(list, 0), sorted);
      },
      "ok");
  ASSERT_EQ(Config("Configs.ini", "TraderServerSet", "ServerCount"), "2");
  const std::string firstName = Config("Configs.ini", "TraderServerSet", "ServerName_1");
  const std::string secondName = Config("Configs.ini", "TraderServerSet", "ServerName_2");
  EXPECT_GT(firstName, secondName);
  const std::string added = firstName == "备用网关" ? "1" : "2";
  EXPECT_EQ(Config("Configs.ini", "TraderServerSet", ("IP_" + added).c_str()), "127.0.0.2");
  EXPECT_EQ(Config("Configs.ini", "TraderServerSet", ("Port_" + added).c_str()), "17002");
  EXPECT_EQ(Records().traderServers.gateways.size(), 2u);
}

// The grid's shown row of a contract, or -1.
int RowOf(const ui::CTQGridCtrl& grid, std::string_view code) {
  for (int row = 0; row < grid.Rows().ShownRowCount(); ++row) {
    if (grid.Rows().ShownText(row, 2) == code) return row;
  }
  return -1;
}

// Opens the cell's in-place editor with F2, types and leaves it.
void EditCell(ui::CTQGridCtrl& grid, int row, int column, const char* text) {
  const QModelIndex index = grid.model()->index(row, column);
  grid.scrollTo(index);
  QApplication::setActiveWindow(grid.window());
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(index).center());
  QTest::keyClick(&grid, Qt::Key_F2);
  QLineEdit* editor = nullptr;
  ASSERT_TRUE(ui::testing::WaitUntil([&] {
    for (QLineEdit* child : grid.viewport()->findChildren<QLineEdit*>()) {
      if (child->isVisible()) editor = child;
    }
    return editor != nullptr;
  }));
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, text);
  QTest::keyClick(editor, Qt::Key_Tab);
}

TEST_F(SettingsPages, TheVarietyPageChecksTheTickAndKeepsItsEditsWithTheBatchUntilOk) {
  Strings messages;
  RunSheet(
      [&](shell::SettingsSheet& sheet) {
        auto* page = dynamic_cast<shell::VarietyParamPage*>(ShowPage(sheet, "品种参数设置", "CTQVarietyParamSet"));
        ASSERT_NE(page, nullptr);
        QComboBox* exchange = Find<QComboBox>(page, 1101);
        QComboBox* variety = Find<QComboBox>(page, 1102);
        EXPECT_EQ(ui::ToGbk(exchange->itemText(0)), "全部");
        ASSERT_NO_FATAL_FAILURE(Choose(exchange, "大商所"));
        EXPECT_EQ(variety->findText("cu"), -1);
        ASSERT_NO_FATAL_FAILURE(Choose(variety, "i"));
        ui::CTQGridCtrl& grid = *page->Grid();
        ASSERT_GE(RowOf(grid, "i2701"), 0);
        for (int row = 0; row < grid.Rows().ShownRowCount(); ++row) {
          EXPECT_EQ(grid.Rows().ShownText(row, 1), "铁矿石");
        }

        // The tick of iron ore is 0.5.
        ui::testing::WhenMessageBoxes(ui::Answer::kOk, [&](const std::string& text) { messages.push_back(text); });
        ASSERT_NO_FATAL_FAILURE(EditCell(grid, RowOf(grid, "i2701"), 6, "1.2"));
        EXPECT_TRUE(ui::testing::WaitUntil([&] { return messages.size() == 1; }));
        EXPECT_EQ(grid.Rows().ShownText(RowOf(grid, "i2701"), 6), "");
        ASSERT_NO_FATAL_FAILURE(EditCell(grid, RowOf(grid, "i2701"), 7, "1.5"));
        EXPECT_EQ(grid.Rows().ShownText(RowOf(grid, "i2701"), 7), "1.50");
        ui::testing::CancelWatches();

        // The batch for iron ore: the grid's edit stays.
        std::string question;
        ui::testing::WhenMessageBox(ui::Answer::kYes, [&](const std::string& text) { question = text; });
        QTest::keyClicks(Find<QLineEdit>(page, 1100), "5");
        Click(Find<QPushButton>(page, 1103));
        EXPECT_EQ(question, "是否确认对铁矿石品种设置默认手数为5手？");
        EXPECT_EQ(grid.Rows().ShownText(RowOf(grid, "i2701"), 3), "5");
        EXPECT_EQ(grid.Rows().ShownText(RowOf(grid, "i2701"), 7), "1.50");
        grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum() / 2);
        ui::testing::SaveScreenshot(&sheet, "settings_varieties");
        // Another exchange keeps the variety it still lists; other filters
        // show the edits still.
        ASSERT_NO_FATAL_FAILURE(Choose(exchange, "全部"));
        EXPECT_EQ(ui::ToGbk(variety->currentText()), "i");
        EXPECT_EQ(RowOf(grid, "m2701"), -1);
        ASSERT_NO_FATAL_FAILURE(Choose(variety, "全部"));
        EXPECT_GE(RowOf(grid, "m2701"), 0);
        EXPECT_EQ(grid.Rows().ShownText(RowOf(grid, "i2701"), 7), "1.50");
      },
      "ok");
  EXPECT_EQ(messages, Strings{"你输入的价格不符合最小变动价位"});
  EXPECT_EQ(Config("VarietyParamSet.ini", "VarietyParam", "i2701"), "大商所|铁矿石|5|0|0|0.00|1.50|0.00|");
  EXPECT_EQ(Config("VarietyParamSet.ini", "VarietyParam", "i2705"), "大商所|铁矿石|5|0|0|0.00|0.00|0.00|");
  EXPECT_EQ(Config("VarietyParamSet.ini", "VarietyParam", "m2701"), "<missing>");
}

TEST_F(SettingsPages, CancelAfterEditingEveryPageLeavesTheFilesAsTheyWere) {
  // Every file written once, as a confirmed sheet leaves them.
  RunSheet([](shell::SettingsSheet&) {}, "ok");
  const std::map<std::string, std::string> before = shell::testing::ConfigFiles(folder_ / "Config");
  // No variety carries a value yet: that file is not written.
  ASSERT_EQ(before.size(), 3u);
  const client::OrderSettings orders = Records().orders;
  RunSheet(
      [&](shell::SettingsSheet& sheet) {
        QWidget* common = ShowPage(sheet, "常规", "CTQEntrustParamSetCommon");
        ASSERT_NE(common, nullptr);
        Click(Find<QCheckBox>(common, 1104));
        QWidget* gateways = ShowPage(sheet, "设置网关", "CTQTraderServerSet");
        ASSERT_NE(gateways, nullptr);
        Click(Find<QPushButton>(gateways, 1015));
        auto* varieties = dynamic_cast<shell::VarietyParamPage*>(ShowPage(sheet, "品种参数设置", "CTQVarietyParamSet"));
        ASSERT_NE(varieties, nullptr);
        ui::testing::WhenMessageBox(ui::Answer::kYes);
        QTest::keyClicks(Find<QLineEdit>(varieties, 1100), "3");
        Click(Find<QPushButton>(varieties, 1103));
        QWidget* system = ShowPage(sheet, "系统设置", "CTQSysSetSysParam");
        ASSERT_NE(system, nullptr);
        Click(Find<QRadioButton>(system, 1163));
        EXPECT_EQ(dynamic_cast<ui::TreeSheet&>(sheet).CreatedPageCount(), 4);
      },
      "cancel");
  EXPECT_EQ(shell::testing::ConfigFiles(folder_ / "Config"), before);
  EXPECT_EQ(Records().orders.SendOrderAffirmBox, orders.SendOrderAffirmBox);
  EXPECT_EQ(Records().traderServers.gateways.size(), 1u);
}

TEST_F(SettingsPages, TheWatchListAddsAndRemovesContractsInTheMarketWindowAtOnce) {
  auto* futures = dynamic_cast<marketviews::CQuentaraView*>(frame_->MarketTabs()->widget(1));
  ASSERT_NE(futures, nullptr);
  const auto optionalCodes = [&] {
    Strings codes;
    const marketviews::CTQMarketView* tab = futures->TabView(futures->count() - 1);
    for (int row = 0; row < tab->Rows().Rows().ShownRowCount(); ++row) {
      codes.emplace_back(tab->Rows().Rows().ShownText(row, marketviews::market_column::kCode));
    }
    return codes;
  };
  ASSERT_EQ(ui::ToGbk(futures->tabText(futures->count() - 1)), "自选");
  ASSERT_TRUE(optionalCodes().empty());
  // The market window shows the futures' user group.
  QTabBar* outer = frame_->MarketTabs()->tabBar();
  QTest::mouseClick(outer, Qt::LeftButton, {}, outer->tabRect(1).center());
  QTabBar* inner = futures->tabBar();
  QTest::mouseClick(inner, Qt::LeftButton, {}, inner->tabRect(futures->count() - 1).center());
  ASSERT_EQ(futures->currentIndex(), futures->count() - 1);

  RunSheet(
      [&](shell::SettingsSheet& sheet) {
        auto* page = dynamic_cast<shell::WatchListPage*>(ShowPage(sheet, "设置自选合约", "CTqOptionalContractDlg"));
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(ui::ToGbk(Find<QComboBox>(page, 1288)->currentText()), "自选");
        ASSERT_NO_FATAL_FAILURE(Choose(Find<QComboBox>(page, 1287), "大商所"));
        QTableWidget* left = page->Unchosen();
        QTableWidget* right = page->Chosen();
        const Strings codes = Column(left, 1);
        const auto rowOf = [&](const char* code) {
          return static_cast<int>(std::find(codes.begin(), codes.end(), code) - codes.begin());
        };
        ASSERT_LT(rowOf("m2701"), left->rowCount());
        ASSERT_LT(rowOf("m2705"), left->rowCount());
        EXPECT_EQ(Cell(left, rowOf("m2701"), 2), "期货");
        ClickRow(left, rowOf("m2701"));
        ClickRow(left, rowOf("m2705"), Qt::ControlModifier);
        Click(Find<QPushButton>(page, 1289));
        EXPECT_EQ(Column(right, 1), (Strings{"m2701", "m2705"}));
        EXPECT_EQ(Column(left, 1).size(), codes.size() - 2);
        EXPECT_EQ(optionalCodes(), (Strings{"m2701", "m2705"}));
        ui::testing::SaveScreenshot(&sheet, "settings_watch_list_added");
        ui::testing::SaveScreenshot(std::vector<QWidget*>{frame_, &sheet}, "settings_watch_list_market");

        ClickRow(right, 0);
        Click(Find<QPushButton>(page, 1290));
        EXPECT_EQ(Column(right, 1), Strings{"m2705"});
        EXPECT_EQ(optionalCodes(), Strings{"m2705"});
        const Strings unchosen = Column(left, 1);
        EXPECT_NE(std::find(unchosen.begin(), unchosen.end(), "m2701"), unchosen.end());
      },
      "cancel");
  // Cancel does not undo what the page did.
  EXPECT_EQ(optionalCodes(), Strings{"m2705"});
  const quotes::ContractGroup* group = quotes::TheQuoteObject().FindOptionalGroup(quotes::kOptionKind);
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(group->Count(), 1);
  EXPECT_EQ(group->keys[0].Code(), "m2705");
}

// Before the log-in: the login dialog's "配置" shows the communication pages
// alone, and a gateway added there is offered at once.
TEST(LoginSettings, TheLoginDialogsSettingsShowTheCommunicationPagesAndOfferTheAddedGateway) {
  platform_testing::ScopedProgramFolder program("login_settings");
  client::ConfigRegistry registry;
  shell::ShellSettings settings([](std::vector<shell::VarietyContract>&) { return false; });
  shell::RegisterSettingsPages({});
  shell::LoginDialog dialog(nullptr, settings, registry, {},
                            [&](QWidget* parent, const std::string& caption, int mask) {
                              shell::SettingsSheet sheet(parent, caption, mask, registry);
                              sheet.exec();
                            });
  dialog.show();
  QComboBox* gateways = Find<QComboBox>(&dialog, 1168);
  ASSERT_EQ(gateways->count(), 0);

  std::vector<std::pair<int, std::string>> nodes;
  ui::testing::WhenShown("CTQPropertySheet", [&](QWidget* window) {
    auto* sheet = dynamic_cast<shell::SettingsSheet*>(window);
    if (sheet != nullptr) {
      nodes = sheet->NodeCaptions();
      // The first page shows when the sheet opens.
      EXPECT_EQ(sheet->CreatedPageCount(), 1);
      if (QWidget* page = sheet->findChild<QWidget*>("CTQTraderServerSet")) {
        Retype(Find<QLineEdit>(page, 1011), "夜盘网关");
        Retype(Find<QLineEdit>(page, 1170), "127.0.0.9");
        Retype(Find<QLineEdit>(page, 1018), "17009");
        Click(Find<QPushButton>(page, 1013));
      }
    }
    QTest::mouseClick(window->findChild<QPushButton*>("ok"), Qt::LeftButton);
  });
  Click(Find<QPushButton>(&dialog, 1083));
  EXPECT_EQ(nodes, (std::vector<std::pair<int, std::string>>{{0, "通讯设置"}, {1, "设置网关"}, {1, "设置代理服务器"}}));
  ASSERT_EQ(gateways->count(), 1);
  EXPECT_EQ(ui::ToGbk(gateways->itemText(0)), "夜盘网关");
  EXPECT_EQ(platform::ReadIniString(program.PathOf("Config/Configs.ini"), "TraderServerSet", "Port_1", ""), "17009");
  ui::testing::CancelWatches();
  shell::ClearSettingsPages();
}

}  // namespace
