// The base of the terminal's dialogs and settings pages: Enter moves the
// focus to the next control in tab order instead of closing the window.
#pragma once

#include <wx/dialog.h>
#include <wx/panel.h>

namespace ui {

// Moves the focus on from the focused child of `container` when the key is
// Enter; true when the key was consumed.
bool MoveFocusOnEnter(wxKeyEvent& event, wxWindow* container);

class BaseDialog : public wxDialog {
 public:
  BaseDialog(wxWindow* parent, int id, const wxString& title, long style = wxDEFAULT_DIALOG_STYLE);

  void SetEnterMovesFocus(bool on) { enterMovesFocus_ = on; }

 private:
  void OnCharHook(wxKeyEvent& event);
  bool enterMovesFocus_ = true;
};

class BasePage : public wxPanel {
 public:
  explicit BasePage(wxWindow* parent, int id = wxID_ANY);

 private:
  void OnCharHook(wxKeyEvent& event);
  bool enterMovesFocus_ = true;
};

}  // namespace ui
