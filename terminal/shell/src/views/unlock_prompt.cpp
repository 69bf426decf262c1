#include "shell/views/unlock_prompt.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "program_title.h"
#include "shell/login_model.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"

namespace shell {

UnlockPrompt::UnlockPrompt(QWidget* parent, std::string password)
    : ui::BaseDialog(parent, 172, "解锁"),
      password_(std::move(password)),
      // As long a password as the login takes.
      edit_(new PasswordEdit(this, 1238, kLoginTextMax)) {
  setObjectName("CIconRButtonResume");
  auto* confirm = new QPushButton(ui::FromGbk("确定"), this);
  ui::SetControlId(confirm, 1239);
  confirm->setAutoDefault(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(ui::FromGbk("交易密码"), this));
  layout->addWidget(edit_);
  layout->addWidget(confirm, 0, Qt::AlignRight);
  QObject::connect(confirm, &QPushButton::clicked, this, [this] {
    if (edit_->Text() == password_) {
      accept();
      return;
    }
    ui::ShowMessageBox(this, "交易密码不正确", kProgramTitle);
    edit_->Edit()->setFocus();
  });
}

}  // namespace shell
