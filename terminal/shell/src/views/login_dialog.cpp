#include "shell/views/login_dialog.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "shell/views/keypad_dialog.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"

namespace shell {
namespace {

constexpr const char* kApplicationTitle = "Quentara";

void SelectText(wxChoice* choice, const std::string& text) {
  const int index = choice->FindString(ui::FromGbk(text), true);
  if (index != wxNOT_FOUND) choice->SetSelection(index);
}

std::string SelectedText(const wxChoice* choice) { return ui::ToGbk(choice->GetStringSelection()); }

}  // namespace

LoginDialog::LoginDialog(wxWindow* parent, ShellSettings& settings, client::ConfigRegistry& registry,
                         LoginServices services, SettingsOpener openSettings)
    : ui::BaseDialog(parent, 130, ui::FromGbk("客户登录")),
      settings_(settings),
      services_(std::move(services)),
      openSettings_(std::move(openSettings)) {
  SetName("CTQLoginDialog");
  customerNo_ = new wxTextCtrl(this, 1000);
  customerNo_->SetMaxLength(kLoginTextMax);
  password_ = new PasswordEdit(this, 1002, kLoginTextMax);
  role_ = new wxChoice(this, 1001);
  role_->Append(ui::FromGbk(kTradingRoleText));
  role_->Append(ui::FromGbk(kManagementRoleText));
  role_->SetSelection(0);
  codeKind_ = new wxChoice(this, 1004);
  codeKind_->Append(ui::FromGbk(kCodeKindText));
  codeKind_->SetSelection(0);
  codeEdit_ = new wxTextCtrl(this, 1005);
  codePicture_ = new wxWindow(this, 1165, wxDefaultPosition, wxSize(80, 28));
  gateway_ = new wxChoice(this, 1168);
  autoSelect_ = new wxCheckBox(this, 1169, ui::FromGbk("自动选择"));
  saveUser_ = new wxCheckBox(this, 1003, ui::FromGbk("记住账号"));
  auto* settingsButton = new wxButton(this, 1083, ui::FromGbk("配置"));
  auto* loginButton = new wxButton(this, 1084, ui::FromGbk("登录"));

  auto* grid = new wxFlexGridSizer(2, 6, 8);
  grid->AddGrowableCol(1);
  const auto row = [&](const char* label, wxWindow* control) {
    grid->Add(new wxStaticText(this, wxID_ANY, ui::FromGbk(label)), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(control, 1, wxEXPAND);
  };
  row("账号", customerNo_);
  row("密码", password_);
  row("角色", role_);
  auto* codeRow = new wxBoxSizer(wxHORIZONTAL);
  codeRow->Add(codeEdit_, 1, wxEXPAND);
  codeRow->Add(codePicture_, 0, wxLEFT, 4);
  grid->Add(codeKind_, 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(codeRow, 1, wxEXPAND);
  row("网关", gateway_);
  auto* checks = new wxBoxSizer(wxHORIZONTAL);
  checks->Add(autoSelect_);
  checks->Add(saveUser_, 0, wxLEFT, 12);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(settingsButton);
  buttons->AddStretchSpacer();
  buttons->Add(loginButton);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(grid, 0, wxEXPAND | wxALL, 12);
  sizer->Add(checks, 0, wxLEFT | wxRIGHT, 12);
  sizer->Add(buttons, 0, wxEXPAND | wxALL, 12);
  SetSizerAndFit(sizer);

  codePicture_->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
    wxPaintDC dc(codePicture_);
    const wxSize size = codePicture_->GetClientSize();
    dc.SetBackground(wxBrush(wxColour(200, 200, 200)));
    dc.Clear();
    dc.SetFont(wxFont(wxFontInfo(14).FaceName(ui::FromGbk("宋体"))));
    dc.DrawText(ui::FromGbk(code_), 2, 2);
    std::uniform_int_distribution<int> x(0, std::max(0, size.x - 1)), y(0, std::max(0, size.y - 1)), c(0, 254);
    for (int i = 0; i < 300; ++i) {
      dc.SetPen(wxPen(wxColour(c(ShellRandom()), c(ShellRandom()), c(ShellRandom()))));
      dc.DrawPoint(x(ShellRandom()), y(ShellRandom()));
    }
  });
  codePicture_->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) { NewCode(); });
  Bind(wxEVT_BUTTON, &LoginDialog::OnLogin, this, 1084);
  Bind(
      wxEVT_BUTTON,
      [this](wxCommandEvent&) {
        openSettings_(this, "设置", 1);
        FillGateways();
      },
      1083);

  NewCode();
  settings_.RegisterAndLoad(registry);
  FillGateways();
  settings_.login.BindPage(this);
  settings_.login.ToPage();
  Focus(customerNo_->IsEmpty() ? LoginField::kCustomerNo : LoginField::kPassword);
}

LoginDialog::~LoginDialog() { settings_.login.BindPage(nullptr); }

void LoginDialog::NewCode() {
  code_ = MakeVerificationCode(ShellRandom());
  codePicture_->Refresh();
}

void LoginDialog::FillGateways() {
  gateway_->Clear();
  for (const TraderServerRecord& row : settings_.records.traderServers.gateways) {
    gateway_->Append(ui::FromGbk(trader_server::Name(row)));
  }
  if (gateway_->GetCount() > 0) gateway_->SetSelection(0);
}

void LoginDialog::Focus(LoginField field) {
  switch (field) {
    case LoginField::kCustomerNo: customerNo_->SetFocus(); break;
    case LoginField::kPassword: password_->Edit()->SetFocus(); break;
    case LoginField::kCode: codeEdit_->SetFocus(); break;
    case LoginField::kGateway: gateway_->SetFocus(); break;
    case LoginField::kNone: break;
  }
}

void LoginDialog::OnLogin(wxCommandEvent&) {
  const LoginInput input{CustomerNoText(), password_->Text(), ui::ToGbk(codeEdit_->GetValue()), GatewayText()};
  const LoginResult result = SubmitLogin(input, code_, settings_.records.traderServers, services_);
  switch (result.outcome) {
    case LoginOutcome::kUnknownGateway: return;
    case LoginOutcome::kInputRejected:
    case LoginOutcome::kRefused:
      ui::ShowMessageBox(this, result.message, kApplicationTitle);
      Focus(result.focus);
      NewCode();
      return;
    case LoginOutcome::kLoggedIn:
      settings_.login.FromPage();
      settings_.login.Save();
      EndModal(wxID_OK);
      return;
  }
}

void LoginDialog::SetRememberChecks(bool saveUser, bool autoSelectServer) {
  saveUser_->SetValue(saveUser);
  autoSelect_->SetValue(autoSelectServer);
}
void LoginDialog::SetCustomerNo(const std::string& customerNo) { customerNo_->ChangeValue(ui::FromGbk(customerNo)); }
void LoginDialog::SelectRoleText(const std::string& text) { SelectText(role_, text); }
void LoginDialog::SelectGatewayText(const std::string& text) { SelectText(gateway_, text); }
bool LoginDialog::SaveUserChecked() const { return saveUser_->GetValue(); }
bool LoginDialog::AutoSelectChecked() const { return autoSelect_->GetValue(); }
std::string LoginDialog::CustomerNoText() const { return ui::ToGbk(customerNo_->GetValue()); }
std::string LoginDialog::RoleText() const { return SelectedText(role_); }
std::string LoginDialog::GatewayText() const { return SelectedText(gateway_); }

}  // namespace shell
