// The password field of the login dialogs: a masked edit with a "..." button
// that opens the on-screen keypad on it, then moves the focus on.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <string>

namespace shell {

class PasswordEdit : public QWidget {
 public:
  PasswordEdit(QWidget* parent, int id, std::size_t maxLength);

  std::string Text() const;  // GBK
  void SetText(const std::string& text);
  QLineEdit* Edit() const { return edit_; }
  QPushButton* BrowseButton() const { return browse_; }
  // Opens the keypad on the edit, as the "..." button does.
  void OpenKeypad();

 private:
  QLineEdit* edit_;
  QPushButton* browse_;
};

}  // namespace shell
