#include "shell/views/password_edit.h"

#include <QHBoxLayout>

#include "shell/views/keypad_dialog.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"

namespace shell {

PasswordEdit::PasswordEdit(QWidget* parent, int id, std::size_t maxLength)
    : QWidget(parent), edit_(new QLineEdit(this)), browse_(new QPushButton("...", this)) {
  ui::SetControlId(edit_, id);
  edit_->setEchoMode(QLineEdit::Password);
  edit_->setMaxLength(static_cast<int>(maxLength));
  edit_->setMinimumWidth(150);
  browse_->setFixedWidth(40);
  browse_->setObjectName("browse");
  browse_->setAutoDefault(false);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(edit_, 1);
  layout->addWidget(browse_);
  setFocusProxy(edit_);
  QObject::connect(browse_, &QPushButton::clicked, this, [this] { OpenKeypad(); });
}

std::string PasswordEdit::Text() const { return ui::ToGbk(edit_->text()); }
void PasswordEdit::SetText(const std::string& text) { edit_->setText(ui::FromGbk(text)); }

void PasswordEdit::OpenKeypad() {
  KeypadDialog keypad(window(), edit_);
  keypad.exec();
  // The focus moves on past the "..." button to the dialog's next control.
  QWidget* next = browse_->nextInFocusChain();
  while (next != browse_ && (!next->isVisible() || !next->isEnabled() || !(next->focusPolicy() & Qt::TabFocus))) {
    next = next->nextInFocusChain();
  }
  next->setFocus(Qt::TabFocusReason);
}

}  // namespace shell
