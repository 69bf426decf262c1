#include "ui/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include "ui/gbk_text.h"

namespace ui {
namespace {

QMessageBox::StandardButtons ButtonsOf(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOk: return QMessageBox::Ok;
    case Buttons::kYesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::kOkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::kRetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case Buttons::kAbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kNone: return QMessageBox::NoIcon;
    case BoxIcon::kInformation: return QMessageBox::Information;
    case BoxIcon::kQuestion: return QMessageBox::Question;
    case BoxIcon::kWarning: return QMessageBox::Warning;
    case BoxIcon::kStop: return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

// The buttons' own texts, as the desktop's boxes label them.
const char* LabelOf(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Ok: return "确定";
    case QMessageBox::Cancel: return "取消";
    case QMessageBox::Yes: return "是(&Y)";
    case QMessageBox::No: return "否(&N)";
    case QMessageBox::Retry: return "重试(&R)";
    case QMessageBox::Abort: return "中止(&A)";
    case QMessageBox::Ignore: return "忽略(&I)";
    default: return "";
  }
}

Answer AnswerOf(QMessageBox::StandardButton button, Buttons buttons) {
  switch (button) {
    case QMessageBox::Ok: return Answer::kOk;
    case QMessageBox::Cancel: return Answer::kCancel;
    case QMessageBox::Yes: return Answer::kYes;
    case QMessageBox::No: return Answer::kNo;
    case QMessageBox::Retry: return Answer::kRetry;
    case QMessageBox::Abort: return Answer::kAbort;
    case QMessageBox::Ignore: return Answer::kIgnore;
    default: return DecliningAnswer(buttons);
  }
}

}  // namespace

Answer DecliningAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOk: return Answer::kOk;
    case Buttons::kYesNo: return Answer::kNo;
    case Buttons::kOkCancel:
    case Buttons::kRetryCancel: return Answer::kCancel;
    case Buttons::kAbortRetryIgnore: return Answer::kAbort;
  }
  return Answer::kCancel;
}

Answer RunMessageBox(QWidget* parent, std::string_view text, std::string_view caption, Buttons buttons, BoxIcon icon) {
  if (parent == nullptr) parent = QApplication::activeWindow();
  QMessageBox box(IconOf(icon), FromGbk(caption), FromGbk(text), ButtonsOf(buttons), parent);
  box.setObjectName("MessageBox");
  for (QAbstractButton* button : box.buttons()) {
    button->setText(FromGbk(LabelOf(box.standardButton(button))));
  }
  // Escape and the close button take the declining button.
  switch (buttons) {
    case Buttons::kYesNo: box.setEscapeButton(QMessageBox::No); break;
    case Buttons::kAbortRetryIgnore: box.setEscapeButton(QMessageBox::Abort); break;
    default: break;
  }
  box.exec();
  return AnswerOf(box.standardButton(box.clickedButton()), buttons);
}

void ShowMessageBox(QWidget* parent, std::string_view text, std::string_view caption) {
  RunMessageBox(parent, text, caption, Buttons::kOk);
}

bool AskYesNo(QWidget* parent, std::string_view text, std::string_view caption) {
  return RunMessageBox(parent, text, caption, Buttons::kYesNo, BoxIcon::kQuestion) == Answer::kYes;
}

}  // namespace ui
