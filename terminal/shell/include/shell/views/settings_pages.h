// The settings sheet's pages. Each page is built when first shown: it finds
// its settings areas in the sheet's registry, binds itself to them and
// shows their records; the sheet's OK reads every bound page back, and a
// page unbinds itself when it goes. The watch-list page alone has no area:
// it changes the quote object's groups at once.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "client/order_settings.h"
#include "client/settings_registry.h"
#include "quotes/watch_callback.h"
#include "shell/settings_areas.h"
#include "shell/settings_pages_model.h"
#include "ui/dialog_base.h"
#include "ui/grid_model.h"
#include "ui/query_grid.h"

namespace engine {
class COperationEngine;
}
namespace quotes {
class CtbOptionalContract;
}
namespace ui {
class RegistryStore;
class SoundService;
}  // namespace ui

namespace shell {

// What the pages read and change besides their areas.
struct SettingsPageContext {
  engine::COperationEngine* engine = nullptr;
  quotes::CtbOptionalContract* groups = nullptr;
  ui::RegistryStore* layouts = nullptr;  // the grids' column layouts
  ui::SoundService* sounds = nullptr;
};

// Puts the pages into the sheet's page list in their order: "设置网关" and
// "设置代理服务器" (通讯设置), "品种参数设置", "常规" and "高级" (委托设置),
// "系统设置" (系统参数), "设置自选合约" (自选合约).
void RegisterSettingsPages(const SettingsPageContext& context);
// Empties the list (the context goes away).
void ClearSettingsPages();

// The page protocol: binds the page to its areas and shows them; unbinds
// when the page goes.
class SettingsPageBase : public ui::BasePage, public virtual client::SettingsPage {
 public:
  SettingsPageBase(QWidget* parent, client::ConfigRegistry& registry, const char* objectName);
  ~SettingsPageBase() override;

 protected:
  // Finds the area by name, binds this page to it and shows its record;
  // false when there is no such area.
  bool OpenArea(std::string_view name);

 private:
  client::ConfigRegistry& registry_;
  std::vector<std::string> bound_;
};

// "常规": the order settings of section "EntrustCommon".
class EntrustCommonPage : public SettingsPageBase, public RecordPage<client::OrderSettings> {
 public:
  EntrustCommonPage(QWidget* parent, client::ConfigRegistry& registry);
  void ShowRecord(const client::OrderSettings& record) override;
  void ReadRecord(client::OrderSettings& record) override;

 private:
  std::array<QCheckBox*, 4> checks_{};
  QComboBox* cursor_;
  QRadioButton* closeAtOnce_;
  QRadioButton* fillPanel_;
  std::array<QRadioButton*, 3> clear_{};
  std::array<QRadioButton*, 2> reverse_{};
  std::array<QLineEdit*, 5> keys_{};
};

// "高级": the order settings of section "EntrustAdv".
class EntrustAdvancedPage : public SettingsPageBase, public RecordPage<client::OrderSettings> {
 public:
  EntrustAdvancedPage(QWidget* parent, client::ConfigRegistry& registry);
  void ShowRecord(const client::OrderSettings& record) override;
  void ReadRecord(client::OrderSettings& record) override;

 private:
  void EnableCancelKinds();

  QCheckBox* todayFirst_;
  QCheckBox* split_;
  QCheckBox* autoCancel_;
  QRadioButton* cancelAll_;
  QRadioButton* cancelEach_;
  QLineEdit* priceLevel_;
};

// "设置网关": the gateways the login dialog offers, added, changed, removed
// and sorted by a header click.
class TraderServerPage : public SettingsPageBase, public ServerListPage {
 public:
  TraderServerPage(QWidget* parent, client::ConfigRegistry& registry);

  void AddServerRow(const std::vector<std::string>& cells) override;
  int ServerRowCount() const override;
  std::string ServerCell(int row, int column) const override;

  QTableWidget* List() const { return list_; }

 private:
  GatewayFields EnteredFields() const;
  int SelectedRow() const;
  void InsertRowAt(const std::vector<std::string>& cells, int row);
  void OnAdd();
  void OnChange();
  void OnDelete();
  void OnRowChosen();
  void OnHeaderClick(int column);

  QLineEdit* name_;
  QLineEdit* address_;
  QLineEdit* port_;
  QTableWidget* list_;
  int copiedRow_ = -1;
};

// "设置代理服务器".
class ProxyServerPage : public SettingsPageBase, public RecordPage<ProxySettings> {
 public:
  ProxyServerPage(QWidget* parent, client::ConfigRegistry& registry);
  void ShowRecord(const ProxySettings& record) override;
  void ReadRecord(ProxySettings& record) override;

 private:
  // Enables the fields for the chosen type; `keepTexts` off empties them.
  void ApplyType(bool keepTexts);
  void EnableUser();

  QComboBox* type_;
  QLineEdit* address_;
  QLineEdit* port_;
  QCheckBox* verify_;
  QLineEdit* user_;
  QLineEdit* password_;
};

// The hot-key field: takes one key with its modifiers, shows it as "Ctrl+
// Alt+H" and keeps the key's virtual-key code.
class HotKeyField : public QLineEdit {
 public:
  explicit HotKeyField(QWidget* parent = nullptr);
  int VirtualKey() const { return virtualKey_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int virtualKey_ = 0;
};

// The desktop virtual-key code of a toolkit key; 0 for a key without one.
int VirtualKeyOfQtKey(int key);

// "系统设置": the hide hot key and the alert sounds.
class SysParamPage : public SettingsPageBase, public RecordPage<HotKeySettings>, public RecordPage<VoiceSettings> {
 public:
  SysParamPage(QWidget* parent, client::ConfigRegistry& registry, const SettingsPageContext& context);
  ~SysParamPage() override;
  void ShowRecord(const HotKeySettings& record) override;
  void ReadRecord(HotKeySettings& record) override;
  void ShowRecord(const VoiceSettings& record) override;
  void ReadRecord(VoiceSettings& record) override;

  ui::CTQGridCtrl* SoundGrid() const { return grid_; }
  // Chooses a sound file for the row with the file dialog.
  void BrowseSoundFile(int row);
  // Plays the file the row's path cell holds now.
  void PlayRow(int row);

 private:
  void ApplyVoiceChoice();

  SettingsPageContext context_;
  QCheckBox* useHotKey_;
  HotKeyField* hotKey_;
  std::array<QRadioButton*, 3> voice_{};
  ui::GridModel rows_;
  ui::CTQGridCtrl* grid_;
  int voiceChoice_ = 0;
};

// "品种参数设置": default lots, largest lots and price offsets per contract.
class VarietyParamPage : public SettingsPageBase, public RecordPage<client::VarietyParamRows> {
 public:
  VarietyParamPage(QWidget* parent, client::ConfigRegistry& registry, const SettingsPageContext& context);
  ~VarietyParamPage() override;
  void ShowRecord(const client::VarietyParamRows& rows) override;
  void ReadRecord(client::VarietyParamRows& rows) override;

  ui::CTQGridCtrl* Grid() const { return grid_; }

 private:
  class EditedGrid;
  void FillGrid();
  void OnExchangeChosen();
  void OnVarietyChosen();
  void OnBatch();
  void OnCellEdited(ui::RowId id, int column);

  SettingsPageContext context_;
  VarietyPageModel model_;
  QComboBox* exchange_;
  QComboBox* variety_;
  QLineEdit* lots_;
  ui::GridModel rows_;
  ui::CTQGridCtrl* grid_;
  std::string exchangeName_;
  std::string varietyName_;
};

// "设置自选合约": contracts moved into and out of the user's groups at once.
class WatchListPage : public SettingsPageBase, public quotes::CWatchCallback {
 public:
  WatchListPage(QWidget* parent, client::ConfigRegistry& registry, const SettingsPageContext& context);
  ~WatchListPage() override;

  QTableWidget* Unchosen() const { return left_; }
  QTableWidget* Chosen() const { return right_; }

  bool OnGroupChanged(int event, int kind, const quotes::ContractGroupList* groups) override;

 private:
  void FillChosen();
  void FillUnchosen();
  void OnAdd();
  void OnRemove();

  SettingsPageContext context_;
  PageTables tables_;
  QComboBox* exchange_;
  QComboBox* group_;
  QTableWidget* left_;
  QTableWidget* right_;
  std::vector<WatchRow> chosenRows_;
  std::vector<WatchRow> unchosenRows_;
  int rowToSelect_ = 0;
};

}  // namespace shell
