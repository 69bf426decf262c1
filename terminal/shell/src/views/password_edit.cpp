#include "shell/views/password_edit.h"

#include <wx/sizer.h>

#include "shell/views/keypad_dialog.h"
#include "ui/gbk_text.h"

namespace shell {

PasswordEdit::PasswordEdit(wxWindow* parent, int id, std::size_t maxLength) : wxPanel(parent, wxID_ANY) {
  edit_ = new wxTextCtrl(this, id, wxEmptyString, wxDefaultPosition, wxSize(150, -1), wxTE_PASSWORD);
  edit_->SetMaxLength(static_cast<unsigned long>(maxLength));
  browse_ = new wxButton(this, wxID_ANY, "...", wxDefaultPosition, wxSize(40, -1), wxBU_EXACTFIT);
  auto* sizer = new wxBoxSizer(wxHORIZONTAL);
  sizer->Add(edit_, 1, wxEXPAND);
  sizer->Add(browse_, 0, wxLEFT, 2);
  SetSizer(sizer);
  browse_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OpenKeypad(); });
}

std::string PasswordEdit::Text() const { return ui::ToGbk(edit_->GetValue()); }
void PasswordEdit::SetText(const std::string& text) { edit_->ChangeValue(ui::FromGbk(text)); }

void PasswordEdit::OpenKeypad() {
  KeypadDialog keypad(wxGetTopLevelParent(this), edit_);
  keypad.ShowModal();
  // The focus moves on past the "..." button to the dialog's next control.
  browse_->SetFocus();
  browse_->Navigate(wxNavigationKeyEvent::IsForward);
}

}  // namespace shell
