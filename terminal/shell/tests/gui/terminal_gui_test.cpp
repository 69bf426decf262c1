// The real program's windows under Xvfb against the simulated back end: log
// in through the dialog, go through the start-up dialogs, see the main frame
// with its panes and connection lines, place an order and see its result
// line, open and cancel the settings sheet,
// close with "Yes" and check the shut-down steps. Saves a screenshot of the
// main frame into the build tree.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
// The generic dialog builds on the declarations of the native one.
#include <wx/generic/msgdlgg.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "order_module/order_module.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "shell/frame_routing.h"
#include "shell/views/login_dialog.h"
#include "shell/views/main_frame.h"
#include "shell/views/terminal.h"
#include "simbackend/server.h"
#include "ui/callback_timer.h"
#include "ui/command_ids.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class TestApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

// The terminal with its shut-down steps recorded.
class RecordingTerminal : public shell::Terminal {
 public:
  void Logout() override {
    Note("logout", [this] { Terminal::Logout(); });
  }
  void StopEngine() override {
    Note("stop engine", [this] { Terminal::StopEngine(); });
  }
  void StopOrderModule() override {
    Note("stop order module", [this] { Terminal::StopOrderModule(); });
  }
  void StopCommunication() override {
    Note("stop communication", [this] { Terminal::StopCommunication(); });
  }
  void CloseLog() override {
    Note("close log", [this] { Terminal::CloseLog(); });
  }

  std::vector<std::string> steps;

 private:
  void Note(const char* step, const std::function<void()>& run) {
    steps.push_back(step);
    run();
  }
};

wxWindow* FindTopLevel(const wxString& name) {
  for (wxWindow* window : wxTopLevelWindows) {
    if (window->GetName() == name && window->IsShown()) return window;
  }
  return nullptr;
}

wxWindow* FindMessageBox() {
  for (wxWindow* window : wxTopLevelWindows) {
    if (dynamic_cast<wxGenericMessageDialog*>(window) != nullptr && window->IsShown()) return window;
  }
  return nullptr;
}

void Press(wxWindow* dialog, int id) {
  wxWindow* button = dialog->FindWindow(id);
  wxCommandEvent click(wxEVT_BUTTON, id);
  click.SetEventObject(button != nullptr ? button : dialog);
  (button != nullptr ? button : dialog)->GetEventHandler()->QueueEvent(click.Clone());
}

void Type(wxWindow* dialog, int id, const std::string& text) {
  auto* edit = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(id));
  ASSERT_NE(edit, nullptr) << id;
  edit->ChangeValue(ui::FromGbk(text));
}

std::string FileText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::map<std::string, std::string> ConfigFiles(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = FileText(entry.path());
  }
  return files;
}

bool HasLine(wxListBox* list, const std::string& part) {
  for (unsigned i = 0; list != nullptr && i < list->GetCount(); ++i) {
    if (ui::ToGbk(list->GetString(i)).find(part) != std::string::npos) return true;
  }
  return false;
}

class TerminalWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("quentara_gui_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "Config");
    fs::create_directories(folder_ / "xdg");
    ::setenv("XDG_CONFIG_HOME", (folder_ / "xdg").c_str(), 1);
    platform::SetProgramFolder(folder_.string());
    std::string error;
    server_ = simbackend::Server::Start({}, error);
    ASSERT_NE(server_, nullptr) << error;
    const std::string ini = (folder_ / "Config" / "Configs.ini").string();
    platform::WriteIniString(ini, "TraderServerSet", "ServerCount", "1");
    platform::WriteIniString(ini, "TraderServerSet", "IP_1", "127.0.0.1");
    platform::WriteIniString(ini, "TraderServerSet", "Port_1", std::to_string(server_->Port()));
    platform::WriteIniString(ini, "TraderServerSet", "ServerName_1", "模拟后台");
  }
  void TearDown() override {
    server_.reset();
    platform::SetProgramFolder("");
    fs::remove_all(folder_);
  }

  fs::path folder_;
  std::unique_ptr<simbackend::Server> server_;
};

TEST_F(TerminalWindows, LogInSeeTheFrameCancelTheSettingsAndCloseInOrder) {
  RecordingTerminal terminal;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(90);
  enum class Step { kLogin, kStartupDialogs, kFrame, kOrder, kSheet, kCloseBox, kDone } step = Step::kLogin;
  std::string failure;
  std::map<std::string, std::string> configBefore;
  bool sheetSeen = false, statementSeen = false;

  // Acts on whatever window the step waits for; runs inside modal loops too.
  ui::CallbackTimer driver([&] {
    if (Clock::now() > deadline && step != Step::kDone) {
      failure = "timed out at step " + std::to_string(static_cast<int>(step));
      if (terminal.Frame() != nullptr && terminal.Frame()->OutputList() != nullptr) {
        for (const wxString& line : terminal.Frame()->OutputList()->GetStrings()) failure += "\n" + ui::ToGbk(line);
      }
      step = Step::kDone;
      for (wxWindow* window : wxTopLevelWindows) {
        if (auto* dialog = dynamic_cast<wxDialog*>(window); dialog != nullptr && dialog->IsModal()) {
          dialog->EndModal(wxID_CANCEL);
        }
      }
      if (terminal.Frame() != nullptr) terminal.Frame()->CloseFromTray();
      return;
    }
    switch (step) {
      case Step::kLogin:
        if (auto* login = dynamic_cast<shell::LoginDialog*>(FindTopLevel("CTQLoginDialog"))) {
          Type(login, 1000, "10001");
          Type(login, 1002, "111111");
          Type(login, 1005, login->DrawnCode());
          Press(login, 1084);
          step = Step::kStartupDialogs;
        }
        return;
      case Step::kStartupDialogs:
        if (wxWindow* info = FindTopLevel("CTQCustInformation")) {
          Press(info, wxID_OK);
        } else if (wxWindow* statement = FindTopLevel("CTQLoginReport")) {
          statementSeen = true;
          Press(statement, wxID_OK);
        } else if (terminal.Frame() != nullptr && terminal.Frame()->IsShown()) {
          step = Step::kFrame;
        }
        return;
      case Step::kFrame: {
        shell::MainFrame* frame = terminal.Frame();
        // The trading connection opened before the engine listened; the market
        // gateway's is the first line the engine reports.
        if (!HasLine(frame->OutputList(), "行情网关：已经连接。")) return;
        configBefore = ConfigFiles(folder_ / "Config");
        const std::string shot = std::string(QUENTARA_GUI_SCREENSHOT);
        std::system(("import -window root '" + shot + "' 2>/dev/null").c_str());
        // A limit buy of one lot, as the order panel lists it: the order
        // thread sends it and its result comes back on the frame's timer.
        backend::CGlobalStringList order;
        for (const char* item :
             {"", "", "", "S", "cu2701", "0", "0", "0", "1", "80000", "81000101", "S001", "0", "0", "", "0", "10001"}) {
          order.Append(item);
        }
        if (!terminal.Orders().SubmitOrder(order)) failure = "the order module refused the order";
        step = Step::kOrder;
        return;
      }
      case Step::kOrder: {
        shell::MainFrame* frame = terminal.Frame();
        if (!HasLine(frame->OutputList(), "委托单发送")) return;
        EXPECT_TRUE(HasLine(frame->OutputList(), "[10001]买入|开仓|投机|1|"));
        wxCommandEvent open(wxEVT_MENU, ui::ToolkitId(shell::command::kSettings));
        frame->GetEventHandler()->QueueEvent(open.Clone());
        step = Step::kSheet;
        return;
      }
      case Step::kSheet:
        if (wxWindow* sheet = FindTopLevel("CTQPropertySheet")) {
          sheetSeen = true;
          Press(sheet, wxID_CANCEL);
        } else if (sheetSeen) {
          terminal.Frame()->CallAfter([&terminal] { terminal.Frame()->Close(); });
          step = Step::kCloseBox;
        }
        return;
      case Step::kCloseBox:
        if (wxWindow* box = FindMessageBox()) {
          Press(box, wxID_YES);
          step = Step::kDone;
        }
        return;
      case Step::kDone: return;
    }
  });
  driver.Start(100);

  ASSERT_TRUE(terminal.Start()) << failure;
  shell::MainFrame* frame = terminal.Frame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->PaneText(shell::kTradingStatePane).rfind("交易:", 0), 0u);
  EXPECT_NE(frame->OutputList(), nullptr);
  EXPECT_TRUE(frame->IsBarShown(shell::kOutputBarId));
  EXPECT_TRUE(order_module::TheOrderModule().IsRunning());
  EXPECT_EQ(frame->BarCount(), 15);  // a trading customer has no account-status dock
  EXPECT_EQ(ui::ToGbk(frame->GetTitle()), "布伦纳克期权模拟交易终端[客户号：10001]");

  wxTheApp->OnRun();
  driver.Stop();

  EXPECT_EQ(failure, "");
  EXPECT_TRUE(sheetSeen);
  (void)statementSeen;  // shown only when the back end asks for a confirmation
  EXPECT_EQ(ConfigFiles(folder_ / "Config"), configBefore) << "cancelling the settings changed a file";
  EXPECT_EQ(terminal.steps, (std::vector<std::string>{"logout", "stop engine", "stop order module",
                                                      "stop communication", "close log"}));
  EXPECT_EQ(terminal.Frame(), nullptr);
  EXPECT_FALSE(order_module::TheOrderModule().IsRunning());
  EXPECT_TRUE(fs::exists(QUENTARA_GUI_SCREENSHOT));
}

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // A failed toolkit check ends the run instead of waiting on a dialog.
  wxSetAssertHandler(
      [](const wxString& file, int line, const wxString&, const wxString& condition, const wxString& message) {
        std::fprintf(stderr, "%s:%d: %s %s\n", file.utf8_str().data(), line, condition.utf8_str().data(),
                     message.utf8_str().data());
        std::abort();
      });
  if (!wxEntryStart(argc, argv)) {
    std::fprintf(stderr, "no display for the windows\n");
    return 1;
  }
  wxTheApp->CallOnInit();
  const int result = RUN_ALL_TESTS();
  wxEntryCleanup();
  return result;
}
