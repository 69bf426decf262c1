// The program: the toolkit's application object runs the terminal's start-up
// and, when it succeeds, the message loop.
#include <wx/app.h>

#include <memory>

#include "shell/views/terminal.h"

namespace {

class QuentaraApp : public wxApp {
 public:
  bool OnInit() override {
    SetAppName("Quentara");
    terminal_ = std::make_unique<shell::Terminal>();
    return terminal_->Start();
  }

  int OnExit() override {
    terminal_.reset();
    return wxApp::OnExit();
  }

 private:
  std::unique_ptr<shell::Terminal> terminal_;
};

}  // namespace

wxIMPLEMENT_APP(QuentaraApp);
