#include "shell/views/keypad_dialog.h"

#include <QGridLayout>
#include <algorithm>
#include <chrono>

#include "ui/gbk_text.h"

namespace shell {

std::mt19937& ShellRandom() {
  static std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  return random;
}

KeypadDialog::KeypadDialog(QWidget* parent, QLineEdit* target)
    : ui::BaseDialog(parent, 135, "密码输入"),
      target_(target),
      model_(ShellRandom(), static_cast<std::size_t>(std::max(0, target->maxLength()))) {
  setObjectName("CInputPasswordDlg");
  model_.Open();
  target_->clear();
  auto* grid = new QGridLayout(this);
  grid->setSpacing(4);
  int cell = 0;
  const auto place = [&](int id, const QString& label, int width, auto action) {
    auto* button = new QPushButton(label, this);
    ui::SetControlId(button, id);
    button->setAutoDefault(false);
    button->setMinimumSize(width, 30);
    grid->addWidget(button, cell / 4, cell % 4);
    ++cell;
    QObject::connect(button, &QPushButton::clicked, this, action);
  };
  for (std::size_t i = 0; i < kKeypadDigitIds.size(); ++i) {
    place(kKeypadDigitIds[i], QString::number(model_.Digits()[i]), 40, [this, i] {
      model_.PressButton(static_cast<int>(i));
      ShowText();
    });
  }
  place(1070, ui::FromGbk("← 退格"), 60, [this] {
    model_.Backspace();
    ShowText();
  });
  place(1080, ui::FromGbk("清除"), 60, [this] {
    model_.Clear();
    ShowText();
  });
  place(1074, ui::FromGbk("取消"), 60, [this] {
    model_.Clear();
    ShowText();
    reject();
  });
  place(1078, ui::FromGbk("确认"), 60, [this] { accept(); });
  adjustSize();
  // Beside the edit: the left edge at its right edge, the bottom at its bottom.
  const QPoint corner = target_->mapToGlobal(QPoint(target_->width(), target_->height()));
  move(corner.x(), corner.y() - height());
}

void KeypadDialog::ShowText() { target_->setText(ui::FromGbk(model_.Text())); }

}  // namespace shell
