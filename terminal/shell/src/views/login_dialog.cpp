#include "shell/views/login_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "program_title.h"
#include "shell/views/keypad_dialog.h"
#include "ui/colours_fonts.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"

namespace shell {
namespace {

using ui::Numbered;

// The verification code on a noisy grey ground; a click draws a new code.
class CodePicture : public QWidget {
 public:
  CodePicture(QWidget* parent, const std::string& code, std::function<void()> clicked)
      : QWidget(parent), code_(code), clicked_(std::move(clicked)) {
    setFixedSize(80, 28);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(200, 200, 200));
    painter.setFont(ui::FontOf("宋体", 14));
    painter.drawText(rect().adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, ui::FromGbk(code_));
    std::uniform_int_distribution<int> x(0, std::max(0, width() - 1)), y(0, std::max(0, height() - 1)), c(0, 254);
    for (int i = 0; i < 300; ++i) {
      painter.setPen(QColor(c(ShellRandom()), c(ShellRandom()), c(ShellRandom())));
      painter.drawPoint(x(ShellRandom()), y(ShellRandom()));
    }
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) clicked_();
  }

 private:
  const std::string& code_;
  std::function<void()> clicked_;
};

void SelectText(QComboBox* combo, const std::string& text) {
  const int index = combo->findText(ui::FromGbk(text), Qt::MatchExactly);
  if (index >= 0) combo->setCurrentIndex(index);
}

std::string SelectedText(const QComboBox* combo) { return ui::ToGbk(combo->currentText()); }

}  // namespace

LoginDialog::LoginDialog(QWidget* parent, ShellSettings& settings, client::ConfigRegistry& registry,
                         LoginServices services, SettingsOpener openSettings)
    : ui::BaseDialog(parent, 130, "客户登录"),
      settings_(settings),
      services_(std::move(services)),
      openSettings_(std::move(openSettings)),
      customerNo_(Numbered(new QLineEdit(this), 1000)),
      password_(new PasswordEdit(this, 1002, kLoginTextMax)),
      role_(Numbered(new QComboBox(this), 1001)),
      codeKind_(Numbered(new QComboBox(this), 1004)),
      codeEdit_(Numbered(new QLineEdit(this), 1005)),
      codePicture_(Numbered(new CodePicture(this, code_, [this] { NewCode(); }), 1165)),
      gateway_(Numbered(new QComboBox(this), 1168)),
      autoSelect_(Numbered(new QCheckBox(ui::FromGbk("自动选择"), this), 1169)),
      saveUser_(Numbered(new QCheckBox(ui::FromGbk("记住账号"), this), 1003)) {
  setObjectName("CTQLoginDialog");
  customerNo_->setMaxLength(static_cast<int>(kLoginTextMax));
  role_->addItem(ui::FromGbk(kTradingRoleText));
  role_->addItem(ui::FromGbk(kManagementRoleText));
  codeKind_->addItem(ui::FromGbk(kCodeKindText));
  auto* settingsButton = Numbered(new QPushButton(ui::FromGbk("配置"), this), 1083);
  auto* loginButton = Numbered(new QPushButton(ui::FromGbk("登录"), this), 1084);
  settingsButton->setAutoDefault(false);
  loginButton->setAutoDefault(false);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(8);
  int row = 0;
  const auto addRow = [&](QWidget* label, QWidget* control) {
    grid->addWidget(label, row, 0);
    grid->addWidget(control, row++, 1);
  };
  addRow(new QLabel(ui::FromGbk("账号"), this), customerNo_);
  addRow(new QLabel(ui::FromGbk("密码"), this), password_);
  addRow(new QLabel(ui::FromGbk("角色"), this), role_);
  auto* codeRow = new QWidget(this);
  auto* codeLayout = new QHBoxLayout(codeRow);
  codeLayout->setContentsMargins(0, 0, 0, 0);
  codeLayout->addWidget(codeEdit_, 1);
  codeLayout->addWidget(codePicture_);
  addRow(codeKind_, codeRow);
  addRow(new QLabel(ui::FromGbk("网关"), this), gateway_);
  auto* checks = new QHBoxLayout;
  checks->addWidget(autoSelect_);
  checks->addSpacing(12);
  checks->addWidget(saveUser_);
  checks->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(settingsButton);
  buttons->addStretch();
  buttons->addWidget(loginButton);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->addLayout(grid);
  layout->addLayout(checks);
  layout->addLayout(buttons);

  QObject::connect(loginButton, &QPushButton::clicked, this, [this] { OnLogin(); });
  QObject::connect(settingsButton, &QPushButton::clicked, this, [this] {
    openSettings_(this, "设置", 1);
    FillGateways();
  });

  NewCode();
  settings_.RegisterAndLoad(registry);
  FillGateways();
  settings_.login.BindPage(this);
  settings_.login.ToPage();
  Focus(customerNo_->text().isEmpty() ? LoginField::kCustomerNo : LoginField::kPassword);
}

LoginDialog::~LoginDialog() { settings_.login.BindPage(nullptr); }

void LoginDialog::NewCode() {
  code_ = MakeVerificationCode(ShellRandom());
  codePicture_->update();
}

void LoginDialog::FillGateways() {
  gateway_->clear();
  for (const TraderServerRecord& row : settings_.records.traderServers.gateways) {
    gateway_->addItem(ui::FromGbk(trader_server::Name(row)));
  }
  if (gateway_->count() > 0) gateway_->setCurrentIndex(0);
}

void LoginDialog::Focus(LoginField field) {
  switch (field) {
    case LoginField::kCustomerNo: customerNo_->setFocus(); break;
    case LoginField::kPassword: password_->Edit()->setFocus(); break;
    case LoginField::kCode: codeEdit_->setFocus(); break;
    case LoginField::kGateway: gateway_->setFocus(); break;
    case LoginField::kNone: break;
  }
}

void LoginDialog::OnLogin() {
  const LoginInput input{CustomerNoText(), password_->Text(), ui::ToGbk(codeEdit_->text()), GatewayText()};
  const LoginResult result = SubmitLogin(input, code_, settings_.records.traderServers, services_);
  switch (result.outcome) {
    case LoginOutcome::kUnknownGateway: return;
    case LoginOutcome::kInputRejected:
    case LoginOutcome::kRefused:
      ui::ShowMessageBox(this, result.message, kProgramTitle);
      Focus(result.focus);
      NewCode();
      return;
    case LoginOutcome::kLoggedIn:
      settings_.login.FromPage();
      settings_.login.Save();
      accept();
      return;
  }
}

void LoginDialog::SetRememberChecks(bool saveUser, bool autoSelectServer) {
  saveUser_->setChecked(saveUser);
  autoSelect_->setChecked(autoSelectServer);
}
void LoginDialog::SetCustomerNo(const std::string& customerNo) { customerNo_->setText(ui::FromGbk(customerNo)); }
void LoginDialog::SelectRoleText(const std::string& text) { SelectText(role_, text); }
void LoginDialog::SelectGatewayText(const std::string& text) { SelectText(gateway_, text); }
bool LoginDialog::SaveUserChecked() const { return saveUser_->isChecked(); }
bool LoginDialog::AutoSelectChecked() const { return autoSelect_->isChecked(); }
std::string LoginDialog::CustomerNoText() const { return ui::ToGbk(customerNo_->text()); }
std::string LoginDialog::RoleText() const { return SelectedText(role_); }
std::string LoginDialog::GatewayText() const { return SelectedText(gateway_); }

}  // namespace shell
