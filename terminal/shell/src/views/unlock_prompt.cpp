#include "shell/views/unlock_prompt.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "shell/login_model.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"

namespace shell {

UnlockPrompt::UnlockPrompt(wxWindow* parent, std::string password)
    : ui::BaseDialog(parent, 172, ui::FromGbk("解锁")), password_(std::move(password)) {
  SetName("CIconRButtonResume");
  // As long a password as the login takes.
  edit_ = new PasswordEdit(this, 1238, kLoginTextMax);
  auto* confirm = new wxButton(this, 1239, ui::FromGbk("确定"));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(new wxStaticText(this, wxID_ANY, ui::FromGbk("交易密码")), 0, wxALL, 8);
  sizer->Add(edit_, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
  sizer->Add(confirm, 0, wxALIGN_RIGHT | wxALL, 8);
  SetSizerAndFit(sizer);
  Bind(
      wxEVT_BUTTON,
      [this](wxCommandEvent&) {
        if (edit_->Text() == password_) {
          EndModal(wxID_OK);
          return;
        }
        ui::ShowMessageBox(this, "交易密码不正确", "Quentara");
        edit_->Edit()->SetFocus();
      },
      1239);
}

}  // namespace shell
