#include "shell/views/keypad_dialog.h"

#include <wx/sizer.h>

#include <chrono>

#include "ui/gbk_text.h"

namespace shell {

std::mt19937& ShellRandom() {
  static std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  return random;
}

KeypadDialog::KeypadDialog(wxWindow* parent, wxTextCtrl* target)
    : ui::BaseDialog(parent, 135, ui::FromGbk("密码输入")), target_(target), model_(ShellRandom()) {
  model_.Open();
  target_->Clear();
  auto* grid = new wxGridSizer(4, 4, 4, 4);
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i] = new wxButton(this, kKeypadDigitIds[i], wxString::Format("%d", model_.Digits()[i]), wxDefaultPosition,
                               wxSize(40, 30));
    grid->Add(buttons_[i], 0, wxEXPAND);
    Bind(
        wxEVT_BUTTON,
        [this, i](wxCommandEvent&) {
          model_.PressButton(static_cast<int>(i));
          ShowText();
        },
        kKeypadDigitIds[i]);
  }
  const auto add = [&](int id, const char* label, auto action) {
    grid->Add(new wxButton(this, id, ui::FromGbk(label), wxDefaultPosition, wxSize(60, 30)), 0, wxEXPAND);
    Bind(wxEVT_BUTTON, action, id);
  };
  add(1070, "← 退格", [this](wxCommandEvent&) {
    model_.Backspace();
    ShowText();
  });
  add(1080, "清除", [this](wxCommandEvent&) {
    model_.Clear();
    ShowText();
  });
  add(1074, "取消", [this](wxCommandEvent&) {
    model_.Clear();
    ShowText();
    EndModal(wxID_CANCEL);
  });
  add(1078, "确认", [this](wxCommandEvent&) { EndModal(wxID_OK); });
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(grid, 1, wxEXPAND | wxALL, 6);
  SetSizerAndFit(sizer);
  // Beside the edit: the left edge at its right edge, the bottom at its bottom.
  const wxRect edit = target_->GetScreenRect();
  SetPosition(wxPoint(edit.GetRight(), edit.GetBottom() - GetSize().GetHeight()));
}

void KeypadDialog::ShowText() { target_->ChangeValue(ui::FromGbk(model_.Text())); }

}  // namespace shell
