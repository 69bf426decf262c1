// The on-screen keypad (dialog 135): ten digit buttons shuffled on every
// opening, backspace, clear, cancel and confirm, typing into its edit.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <random>

#include "shell/login_model.h"
#include "ui/dialog_base.h"

namespace shell {

inline constexpr std::array<int, 10> kKeypadDigitIds{1079, 1063, 1068, 1069, 1071, 1072, 1073, 1075, 1076, 1077};

class KeypadDialog : public ui::BaseDialog {
 public:
  KeypadDialog(QWidget* parent, QLineEdit* target);

  const KeypadModel& Model() const { return model_; }

 private:
  void ShowText();

  QLineEdit* target_;
  KeypadModel model_;
};

// The program's random source for codes and keypads, seeded once.
std::mt19937& ShellRandom();

}  // namespace shell
