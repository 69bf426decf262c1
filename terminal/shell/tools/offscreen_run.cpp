// The terminal run where there is no display: the real program on Qt's
// offscreen platform, the demo customer logged in through the login dialog,
// and once the market window is up and both gateways are connected, its
// main window saved as a PNG file. Usage: quentara_offscreen PICTURE.png
// (the gateway is the one in Config/Configs.ini beside the program).
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "shell/testing/terminal_session.h"
#include "ui/testing/gui_test.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PICTURE.png\n", argv[0]);
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  shell::Terminal terminal;
  if (!shell::testing::StartLoggedIn(terminal)) {
    std::fprintf(stderr, "the terminal did not start\n");
    return 1;
  }
  shell::MainFrame* frame = terminal.Frame();
  const bool ready = shell::testing::WaitForOutputLine(*frame, "行情网关：已经连接。") &&
                     ui::testing::WaitUntil([&] { return frame->MarketWindow() != nullptr; }, std::chrono::seconds(30));
  // A moment for the first quotes and the clock strip.
  ui::testing::WaitUntil([] { return false; }, std::chrono::milliseconds(1500));
  const bool saved = ui::testing::SaveWindowPng(frame, argv[1]);
  frame->CloseFromTray();
  if (!ready) std::fprintf(stderr, "the terminal did not connect both gateways\n");
  if (!saved) std::fprintf(stderr, "the picture could not be written\n");
  return ready && saved ? 0 : 1;
}
