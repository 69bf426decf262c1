// The terminal's main window: menu, status panes, the bars in their tab
// groups around the market window, the three timers (exchange clock, the
// 10 ms queue pump, the output lines), hiding to the tray with the lock,
// the hot key, the looks, the routing of what the back end, the engine and
// the order module hand the views, and the shut-down on close.
#pragma once

#include <QElapsedTimer>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "client/settings_registry.h"
#include "engine/table_change_record.h"
#include "shell/exchange_clock.h"
#include "shell/hide_state.h"
#include "shell/output_lines.h"
#include "shell/settings_areas.h"
#include "ui/docking_frame.h"
#include "ui/global_hot_key.h"
#include "ui/registry_store.h"
#include "ui/sound_service.h"
#include "ui/status_panes.h"
#include "ui/tray_icon.h"
#include "ui/view_context.h"
#include "ui/view_factories.h"
#include "ui/view_receivers.h"

namespace shell {

namespace command {
inline constexpr int kChangePassword = 32852;
inline constexpr int kLock = 32854;
inline constexpr int kExit = 57665;
inline constexpr int kOptionBoard = 32908;
inline constexpr int kOutputBar = 32873;
inline constexpr int kStatusBar = 59393;
inline constexpr int kOrderDock = 32855;
inline constexpr int kSettings = 32857;
inline constexpr int kFundBar = 32861;
inline constexpr int kOrderBar = 32862;
inline constexpr int kTradeBar = 32863;
inline constexpr int kPositionBar = 32864;
inline constexpr int kContractBar = 32865;
inline constexpr int kHelp = 32860;
inline constexpr int kLogFolder = 32858;
inline constexpr int kCheckUpdate = 32859;
inline constexpr int kAbout = 57664;
inline constexpr int kMarketArea = 32817;
inline constexpr int kAccountStatusDock = 32896;
inline constexpr int kCheckInToCtp = 32889;
inline constexpr int kTrayOpen = 1236;
inline constexpr int kTrayClose = 1237;
}  // namespace command

// The bars by id.
namespace bar {
inline constexpr int kTrade = 32863;
inline constexpr int kOrder = 32862;
inline constexpr int kOutput = 32873;
inline constexpr int kFund = 32861;
inline constexpr int kPosition = 32864;
inline constexpr int kContract = 32865;
inline constexpr int kOptionBoard = 32908;
inline constexpr int kOrderDock = 142;
inline constexpr int kStatement = 166;
inline constexpr int kFundInOut = 167;
inline constexpr int kNoticeBoard = 168;
inline constexpr int kAbout = 100;
inline constexpr int kAccountStatus = 179;
inline constexpr int kAbandonableOptions = 181;
inline constexpr int kExercisableOptions = 183;
inline constexpr int kExerciseOrders = 185;
}  // namespace bar

// The query docks, whose content is the form view their caption names.
bool IsQueryDock(int barId);

inline constexpr int kClockPane = 59142;
inline constexpr int kOutputBarId = bar::kOutput;
inline constexpr const char* kFrameSettingsSection = "Settings";
inline constexpr const char* kLayoutKey = "MainFrameLayout";
inline constexpr const char* kPlacementKey = "MainFramePlacement";

// What the frame works with; everything outlives it.
struct FrameContext {
  ShellSettings* settings = nullptr;
  client::ConfigRegistry* registry = nullptr;
  ui::RegistryStore* registryStore = nullptr;
  PendingOutputLines* output = nullptr;
  ExchangeClockStrip* clocks = nullptr;
  ClockSources clockSources;
  ui::SoundService* sounds = nullptr;
  int role = 2;
  std::string customerNo;
  std::string customerName;
  std::string password;
  // One item of the result and push queue; false when it is to rest.
  std::function<bool()> processReceiveQueue;
  // Installs the call that the result queue makes, on the posting thread,
  // when items arrive at a queue the pump had emptied; an empty call
  // uninstalls it, after which it no longer runs. May be empty: the timer
  // alone drains the queue.
  std::function<void(std::function<void()>)> watchArrivals;
  std::function<void()> deliverOrderResults;
  // The shut-down steps of the running parts (log-out to the log).
  std::function<void()> shutdown;
  // Handed to every bar and view (the frame fills in its receivers).
  ui::ViewContext views;
  // The modules' bar and market-tab factories; may be null.
  const ui::ViewFactories* factories = nullptr;
};

class MainFrame : public ui::DockingFrame {
 public:
  explicit MainFrame(FrameContext context);
  ~MainFrame() override;

  // Status pane text (and its tip) by pane id.
  void SetPaneText(int paneId, const std::string& text, bool withTip);
  std::string PaneText(int paneId) const;
  std::string PaneTip(int paneId) const;
  QListWidget* OutputList() const { return outputList_; }
  // The market window and its tabs; null before the contracts are ready.
  QMdiSubWindow* MarketWindow() const { return marketWindow_; }
  QTabWidget* MarketTabs() const { return marketTabs_; }
  ui::ViewReceivers& Receivers() { return receivers_; }
  const ui::ViewContext& Views() const { return context_.views; }

  // What the back-end client, the engine and the order module hand the
  // frame, routed to the views.
  void OnContractsReady();
  void OnTableChanged(const engine::TableChangeRecord& record);
  bool OnAsyncRequestDone(const backend::RequestRecord& record, std::string_view handlerTag);
  // After an order-module result's lines and box: the order form is reset
  // and focused by the settings, then the views that asked get the result.
  void AfterOrderResult(const ui::OrderResult& result);

  // Moves the waiting output lines into the list now (the 100 ms timer).
  void DrainOutputLines();

  int LookId() const { return lookId_; }
  void SetLook(int lookId);
  // Registers the hide hot key from the settings; why not, when it failed
  // (also said in the output pane).
  std::string RegisterHotKey();

  // The menu command's action (null for none), and running a command as
  // its menu item, key or tray item does.
  QAction* CommandAction(int commandId) const;
  void RunCommand(int commandId);

  // Hiding and showing again: the lock command, the hot key, the tray.
  void OnHotKey();
  void RestoreFromTray();
  // The tray menu's close: shut down without asking.
  void CloseFromTray();
  WindowState HideStateNow() const { return hideState_.State(); }
  const ui::TrayIcon& Tray() const { return *tray_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  void BuildBars();
  QWidget* MakeBarContent(const ui::BarLayout& spec);
  void AddBarCommand(QMenu* menu, int commandId, int barId, std::string_view text, const char* key = nullptr);
  void PumpQueue();
  // On the GUI thread, after items arrived: drains the queue as soon as the
  // spacing between woken drains allows.
  void OnItemsArrived();
  void HideToTray();
  void ShowFromTray();
  void FinishShutdown();
  void PlayAlert(int lineType);
  void CreateMarketWindow();

  FrameContext context_;
  ui::ViewReceivers receivers_;
  ui::StatusPanes* status_ = nullptr;
  QListWidget* outputList_ = nullptr;
  QMdiSubWindow* marketWindow_ = nullptr;
  QTabWidget* marketTabs_ = nullptr;
  std::map<int, QAction*> commands_;
  QTimer clockTimer_;
  QTimer pumpTimer_;
  // The drain that arriving items asked for, and when the last drain ended.
  QTimer wakeTimer_;
  QElapsedTimer sinceDrain_;
  QTimer outputTimer_;
  bool pumping_ = false;
  bool shutDown_ = false;
  int lookId_;
  HideState hideState_;
  ui::GlobalHotKey hotKey_;
  std::unique_ptr<QMenu> trayMenu_;
  std::unique_ptr<ui::TrayIcon> tray_;
};

}  // namespace shell
