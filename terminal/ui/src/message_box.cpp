#include "ui/message_box.h"

#include <wx/msgdlg.h>
// The generic dialog builds on the declarations of the native one.
#include <wx/generic/msgdlgg.h>

#include "ui/gbk_text.h"

namespace ui {
namespace {

int RunBox(wxWindow* parent, std::string_view text, std::string_view caption, long style) {
  wxGenericMessageDialog box(parent, FromGbk(text), FromGbk(caption), style);
  return box.ShowModal();
}

}  // namespace

void ShowMessageBox(wxWindow* parent, std::string_view text, std::string_view caption) {
  RunBox(parent, text, caption, wxOK | wxCENTRE);
}

bool AskYesNo(wxWindow* parent, std::string_view text, std::string_view caption) {
  return RunBox(parent, text, caption, wxYES_NO | wxCENTRE | wxICON_QUESTION) == wxID_YES;
}

}  // namespace ui
