// The bases of the terminal's dialogs and settings pages: Enter moves the
// focus to the next control in tab order instead of pressing the default
// button or closing the window.
#pragma once

#include <QDialog>
#include <QWidget>
#include <string_view>

namespace ui {

// Controls keep their resource numbers as their object names ("id1084"),
// so that the code and the tests find them by number.
void SetControlId(QWidget* control, int id);
QString ControlName(int id);
// The control, named by its number.
template <class Control>
Control* Numbered(Control* control, int id) {
  SetControlId(control, id);
  return control;
}
template <class Control>
Control* FindControl(const QWidget* window, int id) {
  return window->findChild<Control*>(ControlName(id));
}

// Watches the key presses of the application for one window: Enter in any
// control inside `window` moves the focus on.
class EnterMovesFocus : public QObject {
 public:
  explicit EnterMovesFocus(QWidget* window);

  void SetEnabled(bool on) { enabled_ = on; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  bool enabled_ = true;
};

class BaseDialog : public QDialog {
 public:
  // `id` is the dialog's resource number, kept as a property "dialogId".
  BaseDialog(QWidget* parent, int id, std::string_view caption);

  void SetEnterMovesFocus(bool on) { enter_->SetEnabled(on); }

 private:
  EnterMovesFocus* enter_;
};

class BasePage : public QWidget {
 public:
  explicit BasePage(QWidget* parent = nullptr);

 private:
  EnterMovesFocus* enter_;
};

}  // namespace ui
