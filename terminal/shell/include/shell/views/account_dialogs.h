// The account dialogs of the main frame: the check-in to the outside CTP
// trading system (dialog 173) and the change of a password (dialog 138),
// which stays open after a change so that another password can be changed.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "shell/account_dialogs.h"
#include "shell/settings_areas.h"
#include "shell/views/password_edit.h"
#include "ui/dialog_base.h"

namespace shell {

class CheckInToCtpDialog : public ui::BaseDialog {
 public:
  // The check box shows and sets the login settings' "AutoCheckIn", which
  // is written to the settings file when the dialog goes, however it
  // closed.
  CheckInToCtpDialog(QWidget* parent, LoginArea& login, LoginSettings& settings);
  ~CheckInToCtpDialog() override;

 private:
  void CheckIn();

  LoginArea& login_;
  LoginSettings& settings_;
  QLineEdit* user_;
  QLineEdit* password_;
  QCheckBox* automatic_;
};

class ChangePasswordDialog : public ui::BaseDialog {
 public:
  // Role 1 changes its one password (kind 0) without a kind list.
  ChangePasswordDialog(QWidget* parent, int role);

 private:
  void ShowRules();
  void Change();
  int ChosenKind() const;

  int role_;
  PasswordRules rules_;
  QLabel* kindLabel_;
  QComboBox* kinds_;
  PasswordEdit* old_;
  PasswordEdit* new_;
  PasswordEdit* confirmation_;
  QLabel* rulesText_;
};

}  // namespace shell
