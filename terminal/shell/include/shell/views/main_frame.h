// The terminal's main window: menu, status panes, docking bars around the
// market area, the three timers (exchange clock, the 10 ms queue pump, the
// output lines), hiding to the tray with the lock, the hot key, the looks,
// and the shut-down on close.
#pragma once

#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/taskbar.h>

#include <functional>
#include <memory>
#include <string>

#include "client/settings_registry.h"
#include "shell/exchange_clock.h"
#include "shell/hide_state.h"
#include "shell/output_lines.h"
#include "shell/settings_areas.h"
#include "ui/callback_timer.h"
#include "ui/docking_frame.h"
#include "ui/global_hot_key.h"
#include "ui/registry_store.h"
#include "ui/sound_service.h"
#include "ui/status_panes.h"

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
inline constexpr int kTrayOpen = 1236;
inline constexpr int kTrayClose = 1237;
}  // namespace command

inline constexpr int kClockPane = 59142;
inline constexpr int kOutputBarId = 32873;
inline constexpr const char* kFrameSettingsSection = "Settings";

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
  std::function<void()> deliverOrderResults;
  // The shut-down steps of the running parts (log-out to the log).
  std::function<void()> shutdown;
};

class MainFrame : public ui::DockingFrame {
 public:
  explicit MainFrame(FrameContext context);
  ~MainFrame() override;

  // Status pane text and tip by pane id.
  void SetPaneText(int paneId, const std::string& text, bool withTip);
  std::string PaneText(int paneId) const;
  // The lines in the output list.
  wxListBox* OutputList() const { return outputList_; }
  wxNotebook* MarketWindow() const { return market_; }

  // The contract list has arrived (first time: the market window).
  void OnContractsReady();
  // Moves the waiting output lines into the list now (the 100 ms timer).
  void DrainOutputLines();

  int LookId() const { return lookId_; }
  void SetLook(int lookId);
  // Registers the hide hot key from the settings; why not, when it failed.
  std::string RegisterHotKey();

  // The tray menu's close: shut down without asking.
  void CloseFromTray();
  void RestoreFromTray();

 private:
  void BuildMenu();
  void BuildBars();
  void OnCommand(wxCommandEvent& event);
  void OnUpdateCommand(wxUpdateUIEvent& event);
  void OnClose(wxCloseEvent& event);
  void PumpQueue();
  void Hide(bool locked);
  void FinishShutdown();
  void PlayAlert(int lineType);

  FrameContext context_;
  ui::StatusPanes* status_ = nullptr;
  wxListBox* outputList_ = nullptr;
  wxNotebook* market_ = nullptr;
  ui::CallbackTimer clockTimer_;
  ui::CallbackTimer pumpTimer_;
  ui::CallbackTimer outputTimer_;
  bool pumping_ = false;
  bool shutDown_ = false;
  int lookId_;
  HideState hideState_;
  ui::GlobalHotKey hotKey_;
  std::unique_ptr<wxTaskBarIcon> tray_;
};

}  // namespace shell
