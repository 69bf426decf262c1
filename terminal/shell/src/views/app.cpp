// The program: the toolkit's application object runs the terminal's start-up
// and, when it succeeds, the event loop until the main window is gone.
#include <QApplication>
#include <memory>

#include "shell/views/terminal.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("Quentara");
  auto terminal = std::make_unique<shell::Terminal>();
  if (!terminal->Start()) return 0;
  const int result = QApplication::exec();
  terminal.reset();
  return result;
}
