// The login dialog (dialog 130, "客户登录"): customer number, password with
// its keypad, role, verification code, gateway; "配置" opens the
// communication settings, "登录" logs in. It ends with OK only after a
// successful login.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <functional>
#include <string>

#include "client/settings_registry.h"
#include "shell/login_model.h"
#include "shell/settings_areas.h"
#include "shell/views/password_edit.h"
#include "ui/dialog_base.h"

namespace shell {

class LoginDialog : public ui::BaseDialog, public LoginPage {
 public:
  // Opens the settings sheet of the mask on the parent.
  using SettingsOpener = std::function<void(QWidget* parent, const std::string& caption, int mask)>;

  LoginDialog(QWidget* parent, ShellSettings& settings, client::ConfigRegistry& registry, LoginServices services,
              SettingsOpener openSettings);
  ~LoginDialog() override;

  // The code drawn in the picture.
  const std::string& DrawnCode() const { return code_; }
  // Draws a new code.
  void NewCode();

  // LoginPage
  void SetRememberChecks(bool saveUser, bool autoSelectServer) override;
  void SetCustomerNo(const std::string& customerNo) override;
  void SelectRoleText(const std::string& text) override;
  void SelectGatewayText(const std::string& text) override;
  bool SaveUserChecked() const override;
  bool AutoSelectChecked() const override;
  std::string CustomerNoText() const override;
  std::string RoleText() const override;
  std::string GatewayText() const override;

 private:
  void FillGateways();
  void OnLogin();
  void Focus(LoginField field);

  ShellSettings& settings_;
  LoginServices services_;
  SettingsOpener openSettings_;
  std::string code_;
  QLineEdit* customerNo_;
  PasswordEdit* password_;
  QComboBox* role_;
  QComboBox* codeKind_;
  QLineEdit* codeEdit_;
  QWidget* codePicture_;
  QComboBox* gateway_;
  QCheckBox* autoSelect_;
  QCheckBox* saveUser_;
};

}  // namespace shell
