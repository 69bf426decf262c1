#include "shell/views/account_dialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "backend/field_text.h"
#include "client/management_operations.h"
#include "client/session_operations.h"
#include "program_title.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"

namespace shell {
namespace {

constexpr int kCtpTextLength = 15;
constexpr std::size_t kPasswordLength = 8;

QPushButton* AddButton(QDialogButtonBox* buttons, int id, const char* text, QDialogButtonBox::ButtonRole role) {
  QPushButton* button = buttons->addButton(ui::FromGbk(text), role);
  ui::SetControlId(button, id);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

// --- CTP check-in

CheckInToCtpDialog::CheckInToCtpDialog(QWidget* parent, LoginArea& login, LoginSettings& settings)
    : ui::BaseDialog(parent, 173, "签入到CTP系统"),
      login_(login),
      settings_(settings),
      user_(new QLineEdit(this)),
      password_(new QLineEdit(this)),
      automatic_(new QCheckBox(ui::FromGbk("后台自动签到"), this)) {
  setObjectName("CTqCheckInToCTPDlg");
  ui::SetControlId(user_, 1243);
  ui::SetControlId(password_, 1246);
  ui::SetControlId(automatic_, 1242);
  user_->setMaxLength(kCtpTextLength);
  password_->setMaxLength(kCtpTextLength);
  password_->setEchoMode(QLineEdit::Password);
  automatic_->setChecked(settings_.autoCheckIn != 0);
  QObject::connect(automatic_, &QCheckBox::toggled, this, [this](bool on) { settings_.autoCheckIn = on ? 1 : 0; });
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(ui::FromGbk("CTP用户名"), this), 0, 0);
  grid->addWidget(user_, 0, 1);
  grid->addWidget(new QLabel(ui::FromGbk("CTP密码"), this), 1, 0);
  grid->addWidget(password_, 1, 1);
  grid->addWidget(automatic_, 2, 1);
  auto* buttons = new QDialogButtonBox(this);
  QObject::connect(AddButton(buttons, 1241, "签到", QDialogButtonBox::ActionRole), &QPushButton::clicked, this,
                   [this] { CheckIn(); });
  AddButton(buttons, 2, "取消", QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
}

CheckInToCtpDialog::~CheckInToCtpDialog() { login_.SaveAutoCheckIn(); }

void CheckInToCtpDialog::CheckIn() {
  const std::string user = ui::ToGbk(user_->text());
  const std::string password = ui::ToGbk(password_->text());
  if (const std::optional<std::string> problem = CheckCtpCheckIn(user, password)) {
    ui::ShowMessageBox(this, *problem, kProgramTitle);
    return;
  }
  std::string result;
  std::string message;
  if (client::CheckInToCTP(backend::TrimBlanks(user), password, automatic_->isChecked() ? "1" : "0", result, message)) {
    accept();
  } else {
    ui::ShowMessageBox(this, message, kProgramTitle);
  }
}

// --- Password change

ChangePasswordDialog::ChangePasswordDialog(QWidget* parent, int role)
    : ui::BaseDialog(parent, 138, "修改密码"),
      role_(role),
      rules_([this](int kind, std::string& rules, std::string& message) {
        const backend::RequestPtr answer = client::QueryPasswordRules(std::to_string(kind), message);
        if (answer == nullptr) return false;
        rules = PasswordRulesText(*answer);
        return true;
      }),
      kindLabel_(new QLabel(ui::FromGbk("密码类型"), this)),
      kinds_(new QComboBox(this)),
      old_(new PasswordEdit(this, 1065, kPasswordLength)),
      new_(new PasswordEdit(this, 1066, kPasswordLength)),
      confirmation_(new PasswordEdit(this, 1067, kPasswordLength)),
      rulesText_(new QLabel(this)) {
  setObjectName("CTQChangePassword");
  ui::SetControlId(kindLabel_, 1222);
  ui::SetControlId(kinds_, 1064);
  ui::SetControlId(rulesText_, 1171);
  rulesText_->setMinimumSize(260, 60);
  rulesText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  rulesText_->setWordWrap(true);
  auto* grid = new QGridLayout;
  grid->addWidget(kindLabel_, 0, 0);
  grid->addWidget(kinds_, 0, 1);
  grid->addWidget(new QLabel(ui::FromGbk("原密码"), this), 1, 0);
  grid->addWidget(old_, 1, 1);
  grid->addWidget(new QLabel(ui::FromGbk("新密码"), this), 2, 0);
  grid->addWidget(new_, 2, 1);
  grid->addWidget(new QLabel(ui::FromGbk("确认密码"), this), 3, 0);
  grid->addWidget(confirmation_, 3, 1);
  grid->addWidget(rulesText_, 4, 0, 1, 2);
  auto* buttons = new QDialogButtonBox(this);
  QObject::connect(AddButton(buttons, 1081, "确定", QDialogButtonBox::ActionRole), &QPushButton::clicked, this,
                   [this] { Change(); });
  AddButton(buttons, 1172, "取消", QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  if (role_ == 1) {
    kindLabel_->hide();
    kinds_->hide();
  } else {
    for (const PasswordKind& kind : kPasswordKinds) kinds_->addItem(ui::FromGbk(kind.text));
    kinds_->setCurrentIndex(0);
  }
  ShowRules();
  QObject::connect(kinds_, &QComboBox::currentIndexChanged, this, [this] { ShowRules(); });
}

int ChangePasswordDialog::ChosenKind() const { return PasswordKindOf(ui::ToGbk(kinds_->currentText())); }

void ChangePasswordDialog::ShowRules() {
  std::string failure;
  const std::string rules = rules_.RulesOf(ChosenKind(), failure);
  if (!failure.empty()) ui::ShowMessageBox(this, failure, kProgramTitle);
  rulesText_->setText(ui::FromGbk(rules));
}

void ChangePasswordDialog::Change() {
  const int kind = role_ == 1 ? 0 : ChosenKind();
  if (const std::optional<PasswordProblem> problem =
          CheckPasswordChange(old_->Text(), new_->Text(), confirmation_->Text(), role_, kind)) {
    ui::ShowMessageBox(this, problem->message, kProgramTitle);
    switch (problem->focus) {
      case PasswordField::kOld: old_->setFocus(); break;
      case PasswordField::kNew: new_->setFocus(); break;
      case PasswordField::kConfirmation: confirmation_->setFocus(); break;
      case PasswordField::kUnchanged: break;
    }
    return;
  }
  std::string message;
  if (client::ChangePassword(old_->Text(), kind, new_->Text(), message)) {
    ui::ShowMessageBox(this, "修改成功！", kProgramTitle);
    for (PasswordEdit* edit : {old_, new_, confirmation_}) edit->SetText("");
  } else {
    ui::ShowMessageBox(this, message, kProgramTitle);
  }
  old_->setFocus();
}

}  // namespace shell
