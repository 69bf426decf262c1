#include "shell/testing/terminal_session.h"

#include <unistd.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <sstream>

#include "platform/files.h"
#include "platform/ini_file.h"
#include "shell/views/login_dialog.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"
#include "ui/testing/gui_test.h"

namespace shell::testing {
namespace {

namespace fs = std::filesystem;

void TypeInto(QWidget* window, int id, std::string_view text) {
  auto* edit = ui::FindControl<QLineEdit>(window, id);
  if (edit == nullptr) {
    ADD_FAILURE() << "no edit " << id;
    return;
  }
  edit->setFocus();
  edit->clear();
  QTest::keyClicks(edit, ui::FromGbk(text));
}

void Click(QWidget* window, const QString& name) {
  if (auto* button = window->findChild<QPushButton*>(name)) {
    QTest::mouseClick(button, Qt::LeftButton);
  } else {
    ADD_FAILURE() << "no button " << name.toStdString();
  }
}

}  // namespace

void AnswerLoginDialogs(std::string_view customer, std::string_view password) {
  ui::testing::WhenShown("CTQLoginDialog",
                         [customer = std::string(customer), password = std::string(password)](QWidget* window) {
                           auto* login = static_cast<LoginDialog*>(window);
                           TypeInto(login, 1000, customer);
                           TypeInto(login, 1002, password);
                           TypeInto(login, 1005, login->DrawnCode());
                           Click(login, ui::ControlName(1084));
                         });
  ui::testing::WhenShown("CTQCustInformation", [](QWidget* window) { Click(window, "ok"); });
  ui::testing::WhenShown("CTQLoginReport", [](QWidget* window) { Click(window, "ok"); });
}

void DisarmAnswers() { ui::testing::CancelWatches(); }

bool StartLoggedIn(Terminal& terminal) {
  AnswerLoginDialogs();
  const bool started = terminal.Start();
  return started && terminal.Frame() != nullptr && terminal.Frame()->isVisible();
}

std::map<std::string, std::string> ConfigFiles(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream file(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    files[entry.path().filename().string()] = text.str();
  }
  return files;
}

bool HasOutputLine(const MainFrame& frame, std::string_view part) {
  const QListWidget* list = frame.OutputList();
  for (int i = 0; list != nullptr && i < list->count(); ++i) {
    if (ui::ToGbk(list->item(i)->text()).find(part) != std::string::npos) return true;
  }
  return false;
}

bool WaitForOutputLine(const MainFrame& frame, std::string_view part, std::chrono::milliseconds timeout) {
  return ui::testing::WaitUntil([&] { return HasOutputLine(frame, part); }, timeout);
}

void TerminalSession::SetUp() {
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

void TerminalSession::TearDown() {
  DisarmAnswers();
  server_.reset();
  platform::SetProgramFolder("");
  fs::remove_all(folder_);
}

}  // namespace shell::testing
