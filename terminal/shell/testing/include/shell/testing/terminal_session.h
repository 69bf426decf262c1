// The logged-in terminal of the GUI tests: a program folder of its own, the
// demo back end on a free loopback port as its one gateway, and the demo
// customer logged in through the login dialog as a user would, with the
// start-up dialogs confirmed.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "shell/views/main_frame.h"
#include "shell/views/terminal.h"
#include "simbackend/server.h"

namespace shell::testing {

inline constexpr std::string_view kDemoCustomer = "10001";
inline constexpr std::string_view kDemoPassword = "111111";

// Arms the answers of the login dialog (customer, password, the drawn code,
// "登录" clicked) and of the customer information and statement dialogs.
void AnswerLoginDialogs(std::string_view customer = kDemoCustomer, std::string_view password = kDemoPassword);
// Runs the terminal's start-up with those answers armed; true when its main
// window shows.
bool StartLoggedIn(Terminal& terminal);
// Ends every answer still armed.
void DisarmAnswers();

bool HasOutputLine(const MainFrame& frame, std::string_view part);
bool WaitForOutputLine(const MainFrame& frame, std::string_view part,
                       std::chrono::milliseconds timeout = std::chrono::seconds(30));

// The regular files of a folder, by name: their bytes, to compare a
// configuration folder before and after.
std::map<std::string, std::string> ConfigFiles(const std::filesystem::path& folder);

class TerminalSession : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path folder_;
  std::unique_ptr<simbackend::Server> server_;
};

}  // namespace shell::testing
