// The password field of the login dialogs: a masked edit with a "..." button
// that opens the on-screen keypad on it, then moves the focus on.
#pragma once

#include <wx/button.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include <string>

namespace shell {

class PasswordEdit : public wxPanel {
 public:
  PasswordEdit(wxWindow* parent, int id, std::size_t maxLength);

  std::string Text() const;  // GBK
  void SetText(const std::string& text);
  wxTextCtrl* Edit() const { return edit_; }
  // Opens the keypad on the edit, as the "..." button does.
  void OpenKeypad();

 private:
  wxTextCtrl* edit_;
  wxButton* browse_;
};

}  // namespace shell
