// Message boxes with every button set the terminal uses, drawn by the
// toolkit (so tests find and press their buttons like any other window's).
// Texts are GBK. GUI thread only; questions from other threads go through
// QuestionBridge.
#pragma once

#include <QWidget>
#include <string_view>

namespace ui {

enum class Buttons { kOk, kYesNo, kOkCancel, kRetryCancel, kAbortRetryIgnore };
enum class BoxIcon { kNone, kInformation, kQuestion, kWarning, kStop };
// The button pressed; a box closed without one answers the set's declining
// button (Cancel, No, Abort, or OK for a plain message).
enum class Answer { kOk, kCancel, kYes, kNo, kRetry, kAbort, kIgnore };

Answer DecliningAnswer(Buttons buttons);

// Runs a modal box over `parent` (null: over the active window).
Answer RunMessageBox(QWidget* parent, std::string_view text, std::string_view caption, Buttons buttons,
                     BoxIcon icon = BoxIcon::kNone);
// An OK box.
void ShowMessageBox(QWidget* parent, std::string_view text, std::string_view caption);
// Yes and No; true for Yes.
bool AskYesNo(QWidget* parent, std::string_view text, std::string_view caption);

}  // namespace ui
