// The one place where the terminal's GBK text meets the toolkit's strings.
// Everything below the windows keeps GBK bytes; a window converts on the way
// in and on the way out, and nowhere else.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace ui {

// GBK bytes as a toolkit string; bytes that are no GBK text become U+FFFD
// each instead of emptying the whole text, and so does a character cut in
// half at the end.
QString FromGbk(std::string_view text);
// A toolkit string as GBK bytes; a character GBK cannot hold becomes "?".
std::string ToGbk(const QString& text);

}  // namespace ui
