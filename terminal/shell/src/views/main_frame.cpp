#include "shell/views/main_frame.h"

#include <wx/accel.h>
#include <wx/artprov.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/utils.h>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "shell/frame_routing.h"
#include "shell/views/settings_sheet.h"
#include "shell/views/unlock_prompt.h"
#include "ui/command_ids.h"
#include "ui/gbk_text.h"
#include "ui/looks.h"
#include "ui/message_box.h"

namespace shell {
namespace {

constexpr const char* kTitle = "Quentara";
constexpr const char* kLayoutKey = "MainFrameLayout";

// The bars in the order the frame docks them: id, caption, size, side.
// Their contents come with the modules that fill them; until then each is
// an empty pane in its place.
const ui::BarSpec kBars[] = {
    {142, "普通下单", 1800, 200, ui::DockSide::kLeft},
    {32873, "信息输出", 200, 100, ui::DockSide::kBottom},
    {32863, "成交", 300, 200, ui::DockSide::kRight},
    {32862, "委托", 300, 200, ui::DockSide::kRight},
    {32861, "资金", 200, 100, ui::DockSide::kBottom},
    {32864, "持仓", 200, 100, ui::DockSide::kBottom},
    {32865, "合约", 200, 100, ui::DockSide::kBottom},
    {181, "可放弃执行现货期权", 1800, 200, ui::DockSide::kBottom},
    {183, "可申请执行商品期权", 900, 1300, ui::DockSide::kBottom},
    {185, "商品期权申请委托单", 800, 1000, ui::DockSide::kBottom},
    {32908, "期权T型报价", 500, 500, ui::DockSide::kLeft},
    {166, "结算单", 1800, 200, ui::DockSide::kBottom},
    {167, "出入金", 1800, 200, ui::DockSide::kBottom},
    {168, "公告板", 1800, 200, ui::DockSide::kBottom},
    {100, "关于Quentara", 1800, 200, ui::DockSide::kBottom},
    {179, "帐号状态设置", 1800, 200, ui::DockSide::kBottom},
};
constexpr int kAccountStatusDock = 179;

// Menu commands that show or hide a bar, and the bar.
struct BarCommand {
  int command;
  int bar;
};
constexpr BarCommand kBarCommands[] = {
    {command::kOptionBoard, 32908},
    {command::kOutputBar, 32873},
    {command::kOrderDock, 142},
    {command::kFundBar, 32861},
    {command::kOrderBar, 32862},
    {command::kTradeBar, 32863},
    {command::kPositionBar, 32864},
    {32898, 181},
    {32906, 183},
    {32907, 185},
    {command::kContractBar, 32865},
    {32868, 167},
    {32869, 166},
    {32870, 168},
    {32896, kAccountStatusDock},
    {command::kAbout, 100},
};

const char* const kLookNames[] = {
    "Office 2000",        "Office XP",          "Office 2003",          "Visual Studio 2005", "Windows XP",
    "Office 2007 (蓝色)", "Office 2007 (黑色)", "Office 2007 (水绿色)", "Office 2007 (银色)", "Visual Studio 2008",
    "Visual Studio 2010", "Office 2010 (蓝色)", "Office 2010 (黑色)",   "Office 2010 (银色)"};

int BarOfCommand(int id) {
  for (const BarCommand& entry : kBarCommands) {
    if (entry.command == id) return entry.bar;
  }
  return 0;
}

class TrayIcon : public wxTaskBarIcon {
 public:
  explicit TrayIcon(MainFrame& frame) : frame_(frame) {
    Bind(wxEVT_TASKBAR_LEFT_DCLICK, [this](wxTaskBarIconEvent&) { frame_.RestoreFromTray(); });
  }

 protected:
  wxMenu* CreatePopupMenu() override {
    auto* menu = new wxMenu;
    menu->Append(command::kTrayOpen, ui::FromGbk("打开Quentara(&O)"));
    menu->Append(command::kTrayClose, ui::FromGbk("关闭Quentara(&C)"));
    menu->Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { frame_.RestoreFromTray(); }, command::kTrayOpen);
    menu->Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { frame_.CloseFromTray(); }, command::kTrayClose);
    return menu;
  }

 private:
  MainFrame& frame_;
};

std::string FrameTitle(int role, const std::string& customerNo) {
  const std::string title =
      (role == 1 ? "机构监控管理终端[客户号：" : "布伦纳克期权模拟交易终端[客户号：") + customerNo + "]";
  return title.substr(0, platform::GbkFitLength(title, 127));
}

}  // namespace

MainFrame::MainFrame(FrameContext context)
    : ui::DockingFrame(nullptr, ui::FromGbk(FrameTitle(context.role, context.customerNo)), wxSize(1280, 800)),
      context_(std::move(context)),
      clockTimer_([this] {
        const std::string text = context_.clocks->Text(platform::LocalNow());
        if (context_.clocks->Built()) SetPaneText(kClockPane, text, false);
      }),
      pumpTimer_([this] { PumpQueue(); }),
      outputTimer_([this] {
        DrainOutputLines();
        if (hotKey_.Poll() && hideState_.HotKey()) {
          if (hideState_.State() == WindowState::kShown) {
            Show(true);
            Raise();
          } else {
            Hide(false);
          }
        }
      }),
      lookId_(context_.registryStore->GetInt(kFrameSettingsSection, "ApplicationLook", ui::kDefaultLookId)),
      hideState_([this] {
        UnlockPrompt prompt(this, context_.password);
        return prompt.ShowModal() == wxID_OK;
      }) {
  SetName("CMainFrame");
  BuildMenu();
  status_ = new ui::StatusPanes(this, wxID_ANY,
                                {{0, -1, ""},
                                 {kClockPane, 396, std::string(kClockPaneInitialText)},
                                 {kTradingStatePane, 90, "交易:正常"},
                                 {kQuoteStatePane, 90, "行情:正常"}});
  SetStatusBar(status_);
  BuildBars();
  SetLook(ui::IsLookId(lookId_) ? lookId_ : ui::kDefaultLookId);
  LoadLayout(context_.registryStore->GetString(kFrameSettingsSection, kLayoutKey, ""));
  if (wxTaskBarIcon::IsAvailable()) {
    tray_ = std::make_unique<TrayIcon>(*this);
  }
  RegisterHotKey();
  clockTimer_.Start(1000);
  pumpTimer_.Start(10);
  outputTimer_.Start(100);
  Bind(wxEVT_MENU, &MainFrame::OnCommand, this);
  Bind(wxEVT_UPDATE_UI, &MainFrame::OnUpdateCommand, this);
  Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
}

MainFrame::~MainFrame() {
  clockTimer_.Stop();
  pumpTimer_.Stop();
  outputTimer_.Stop();
  if (tray_) tray_->RemoveIcon();
}

void MainFrame::BuildMenu() {
  auto* menuBar = new wxMenuBar;
  auto* system = new wxMenu;
  system->Append(ui::ToolkitId(command::kChangePassword), ui::FromGbk("修改密码(&C)"));
  system->Append(ui::ToolkitId(command::kLock), ui::FromGbk("锁屏(&L)"));
  system->Append(ui::ToolkitId(command::kSettings), ui::FromGbk("设置(&C)"));
  system->AppendSeparator();
  system->Append(ui::ToolkitId(command::kExit), ui::FromGbk("退出(&X)"));
  menuBar->Append(system, ui::FromGbk("系统(&S)"));

  auto* view = new wxMenu;
  const auto check = [&](int id, const char* text) { view->AppendCheckItem(ui::ToolkitId(id), ui::FromGbk(text)); };
  check(command::kOrderDock, "普通下单\tF4");
  check(command::kFundBar, "资金\tF6");
  check(command::kOrderBar, "委托\tF7");
  check(command::kTradeBar, "成交\tF8");
  check(command::kPositionBar, "持仓\tF9");
  check(command::kContractBar, "合约(&C)");
  check(command::kOptionBoard, "期权T型报价");
  view->AppendSeparator();
  check(32868, "出入金(&O)");
  check(32869, "结算单(&S)");
  check(32870, "公告板(&B)");
  check(32898, "可放弃执行现货期权查询");
  check(32906, "可申请执行商品期权查询");
  check(32907, "商品期权申请委托单查询");
  view->AppendSeparator();
  check(command::kOutputBar, "信息输出栏\tF2");
  check(command::kStatusBar, "状态栏(&S)");
  view->Append(ui::ToolkitId(command::kMarketArea), ui::FromGbk("行情区\tF3"));
  menuBar->Append(view, ui::FromGbk("视图(&V)"));

  auto* looks = new wxMenu;
  for (int id = ui::kFirstLookId; id <= ui::kLastLookId; ++id) {
    looks->AppendRadioItem(ui::ToolkitId(id), ui::FromGbk(kLookNames[id - ui::kFirstLookId]));
  }
  menuBar->Append(looks, ui::FromGbk("外观(&L)"));

  auto* help = new wxMenu;
  help->Append(ui::ToolkitId(command::kHelp), ui::FromGbk("帮助\tF1"));
  help->Append(ui::ToolkitId(command::kLogFolder), ui::FromGbk("打开日志目录(&D)"));
  help->Append(ui::ToolkitId(command::kCheckUpdate), ui::FromGbk("检查更新(&U)"));
  help->AppendSeparator();
  help->AppendCheckItem(ui::ToolkitId(command::kAbout), ui::FromGbk("关于 Quentara(&A)..."));
  menuBar->Append(help, ui::FromGbk("帮助(&H)"));
  SetMenuBar(menuBar);

  wxAcceleratorEntry keys[] = {
      {wxACCEL_NORMAL, WXK_F1, ui::ToolkitId(command::kHelp)},
      {wxACCEL_NORMAL, WXK_F2, ui::ToolkitId(command::kOutputBar)},
      {wxACCEL_NORMAL, WXK_F3, ui::ToolkitId(command::kMarketArea)},
      {wxACCEL_NORMAL, WXK_F4, ui::ToolkitId(command::kOrderDock)},
      {wxACCEL_NORMAL, WXK_F6, ui::ToolkitId(command::kFundBar)},
      {wxACCEL_NORMAL, WXK_F7, ui::ToolkitId(command::kOrderBar)},
      {wxACCEL_NORMAL, WXK_F8, ui::ToolkitId(command::kTradeBar)},
      {wxACCEL_NORMAL, WXK_F9, ui::ToolkitId(command::kPositionBar)},
  };
  SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(keys)), keys));
}

void MainFrame::BuildBars() {
  for (const ui::BarSpec& spec : kBars) {
    if (spec.id == kAccountStatusDock && context_.role != 1) continue;
    wxWindow* content = nullptr;
    if (spec.id == kOutputBarId) {
      auto* panel = new wxPanel(this, ui::ToolkitId(kOutputBarId));
      outputList_ = new wxListBox(panel, 1, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                                  wxLB_HSCROLL | wxLB_NEEDED_SB | wxLB_SINGLE);
      outputList_->Bind(wxEVT_RIGHT_DOWN, [this](wxMouseEvent&) { outputList_->SetFocus(); });
      auto* sizer = new wxBoxSizer(wxVERTICAL);
      sizer->Add(outputList_, 1, wxEXPAND | wxALL, 1);
      panel->SetSizer(sizer);
      content = panel;
    } else {
      content = new wxPanel(this, ui::ToolkitId(spec.id));
      content->SetName(ui::FromGbk(spec.caption));
    }
    AddBar(spec, content);
  }
  UpdateLayout();
}

void MainFrame::SetPaneText(int paneId, const std::string& text, bool withTip) {
  status_->SetPaneText(paneId, text);
  if (withTip) status_->SetPaneTip(paneId, text);
}

std::string MainFrame::PaneText(int paneId) const { return status_->PaneText(paneId); }

void MainFrame::PumpQueue() {
  // A message box inside the pump runs this timer again: the inner tick
  // leaves the queue to the outer one.
  if (pumping_ || shutDown_) return;
  pumping_ = true;
  while (context_.processReceiveQueue()) {
  }
  context_.deliverOrderResults();
  pumping_ = false;
}

void MainFrame::DrainOutputLines() {
  if (outputList_ == nullptr) return;
  std::string newest;
  for (const OutputLine& line : context_.output->TakeBatch()) {
    outputList_->Append(ui::FromGbk(line.text));
    PlayAlert(line.type);
    newest = line.text;
  }
  if (!newest.empty()) {
    outputList_->EnsureVisible(static_cast<int>(outputList_->GetCount()) - 1);
    status_->SetPaneText(0, StatusTextOf(newest));
  }
}

void MainFrame::PlayAlert(int lineType) {
  const Alert alert = AlertFor(context_.settings->records.voice, lineType);
  if (alert.kind == Alert::kBeep) wxBell();
  if (alert.kind == Alert::kSoundFile) context_.sounds->PlayFile(alert.soundFile);
}

void MainFrame::OnContractsReady() {
  if (market_ == nullptr) {
    market_ = new wxNotebook(Centre(), wxID_ANY);
    market_->SetName("CQuentaraTabView");
    market_->AddPage(new wxPanel(market_), ui::FromGbk("期权合约"), true);
    market_->AddPage(new wxPanel(market_), ui::FromGbk("期货合约"));
    Centre()->AddPage(market_, ui::FromGbk("普通行情"), true);
    context_.clocks->Refresh(context_.clockSources);
  }
  if (client::CTQConfig* varieties = context_.registry->Find("VarietyParamSet")) varieties->Load();
}

void MainFrame::SetLook(int lookId) {
  wxBusyCursor busy;
  lookId_ = lookId;
  Freeze();
  ApplyLook(lookId);
  Thaw();
  if (wxMenuItem* item = GetMenuBar()->FindItem(ui::ToolkitId(lookId))) item->Check(true);
  context_.registryStore->SetInt(kFrameSettingsSection, "ApplicationLook", lookId);
  context_.registryStore->SetInt(kFrameSettingsSection, "OneNoteTabs",
                                 context_.registryStore->GetInt(kFrameSettingsSection, "OneNoteTabs", 1));
}

std::string MainFrame::RegisterHotKey() {
  hotKey_.Unregister();
  const HotKeySettings& settings = context_.settings->records.hotKey;
  if (!settings.use) return {};
  const ui::HotKeyResult result = hotKey_.Register(settings.modifiers, settings.virtualKey);
  return ui::HotKeyProblemText(result);
}

void MainFrame::Hide(bool locked) {
  if (tray_) {
    tray_->SetIcon(wxArtProvider::GetIcon(wxART_INFORMATION),
                   ui::FromGbk("Pellora:" + context_.customerName + " -已登录"));
    wxFrame::Show(false);
  } else {
    // No tray on this desktop: the window goes to the task bar instead.
    Iconize(true);
  }
  (void)locked;
}

void MainFrame::RestoreFromTray() {
  if (!hideState_.Restore()) return;
  if (tray_) tray_->RemoveIcon();
  Iconize(false);
  wxFrame::Show(true);
  Raise();
}

void MainFrame::CloseFromTray() {
  FinishShutdown();
  Destroy();
}

void MainFrame::OnCommand(wxCommandEvent& event) {
  const int id = ui::CommandOf(event.GetId());
  if (const int bar = BarOfCommand(id)) {
    ToggleBar(bar);
    return;
  }
  if (ui::IsLookId(id)) {
    SetLook(id);
    return;
  }
  switch (id) {
    case command::kLock:
      if (hideState_.Lock()) Hide(true);
      return;
    case command::kExit: Close(); return;
    case command::kStatusBar:
      status_->Show(!status_->IsShown());
      SendSizeEvent();
      return;
    case command::kSettings: {
      SettingsSheet sheet(this, "系统设置", kCommunicationPages | kOtherPages, *context_.registry);
      sheet.ShowModal();
      const std::string problem = RegisterHotKey();
      if (!problem.empty()) context_.output->Push(5, StampOutputLine(platform::LocalNow(), problem));
      return;
    }
    case command::kHelp: {
      const std::string help = platform::ResolvePath("Quentara.mht");
      if (!platform::IsRegularFile(help)) {
        ui::ShowMessageBox(this, "帮助文档不存在", kTitle);
      } else if (!platform::StartProcess({"xdg-open", help})) {
        ui::ShowMessageBox(this, "加载帮助系统失败", kTitle);
      }
      return;
    }
    case command::kLogFolder: platform::StartProcess({"xdg-open", platform::ResolvePath(".\\Log")}); return;
    case command::kMarketArea: ToggleCentre(); return;
    default: event.Skip();
  }
}

void MainFrame::OnUpdateCommand(wxUpdateUIEvent& event) {
  const int id = ui::CommandOf(event.GetId());
  if (const int bar = BarOfCommand(id)) {
    event.Enable(HasBar(bar));
    event.Check(IsBarShown(bar));
  } else if (id == command::kStatusBar) {
    event.Check(status_->IsShown());
  } else if (ui::IsLookId(id)) {
    event.Check(id == lookId_);
  } else if (id == command::kCheckUpdate || id == command::kChangePassword) {
    event.Enable(false);
  } else {
    event.Skip();
  }
}

void MainFrame::OnClose(wxCloseEvent& event) {
  if (event.CanVeto() && !ui::AskYesNo(this, "确定退出程序吗？", kTitle)) {
    event.Veto();
    return;
  }
  FinishShutdown();
  Destroy();
}

void MainFrame::FinishShutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  context_.shutdown();
  pumpTimer_.Stop();
  clockTimer_.Stop();
  outputTimer_.Stop();
  context_.registryStore->SetString(kFrameSettingsSection, kLayoutKey, SaveLayout());
  if (tray_) tray_->RemoveIcon();
  hotKey_.Unregister();
}

}  // namespace shell
