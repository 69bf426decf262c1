// Message boxes drawn by the toolkit itself (not the desktop's native ones),
// so that they look alike everywhere and tests can find and press their
// buttons like any other window. Texts are GBK.
#pragma once

#include <wx/window.h>

#include <string_view>

namespace ui {

// An OK box.
void ShowMessageBox(wxWindow* parent, std::string_view text, std::string_view caption);
// Yes and No; true for Yes.
bool AskYesNo(wxWindow* parent, std::string_view text, std::string_view caption);

}  // namespace ui
