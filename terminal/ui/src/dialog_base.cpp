#include "ui/dialog_base.h"

namespace ui {

bool MoveFocusOnEnter(wxKeyEvent& event, wxWindow* container) {
  const int key = event.GetKeyCode();
  if (key != WXK_RETURN && key != WXK_NUMPAD_ENTER) return false;
  wxWindow* focused = wxWindow::FindFocus();
  if (focused == nullptr || !container->IsDescendant(focused)) return false;
  return focused->Navigate(wxNavigationKeyEvent::IsForward);
}

BaseDialog::BaseDialog(wxWindow* parent, int id, const wxString& title, long style)
    : wxDialog(parent, id, title, wxDefaultPosition, wxDefaultSize, style) {
  Bind(wxEVT_CHAR_HOOK, &BaseDialog::OnCharHook, this);
}

void BaseDialog::OnCharHook(wxKeyEvent& event) {
  if (enterMovesFocus_ && MoveFocusOnEnter(event, this)) return;
  event.Skip();
}

BasePage::BasePage(wxWindow* parent, int id) : wxPanel(parent, id) {
  Bind(wxEVT_CHAR_HOOK, &BasePage::OnCharHook, this);
}

void BasePage::OnCharHook(wxKeyEvent& event) {
  if (enterMovesFocus_ && MoveFocusOnEnter(event, this)) return;
  event.Skip();
}

}  // namespace ui
