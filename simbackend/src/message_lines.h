// The message pushes as the terminal reads them: 15006 (notices, messages
// and exchange states) and 15007 (a text shown in a message box).
#pragma once

#include <string>
#include <string_view>

#include "simbackend/server.h"

namespace simbackend {

// "R||0|15006|" then field 9 category, 11 addressee, 14 level, 17 text,
// 19 exchange and 20 state.
std::string MessagePushLine(const MessagePush& message);

// "R||0|15007|" then field 8 the title and field 9 the text.
std::string MessageBoxPushLine(std::string_view title, std::string_view text);

}  // namespace simbackend
