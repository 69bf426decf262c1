// The password prompt (dialog 172) that brings the locked main window back:
// the trading password of the logged-in account, typed or through the keypad.
#pragma once

#include <string>

#include "shell/views/password_edit.h"
#include "ui/dialog_base.h"

namespace shell {

class UnlockPrompt : public ui::BaseDialog {
 public:
  UnlockPrompt(QWidget* parent, std::string password);

 private:
  std::string password_;
  PasswordEdit* edit_;
};

}  // namespace shell
