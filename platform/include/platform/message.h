// Messages to the user from code below the windows. A program with windows
// installs a handler that shows a message box; without one the text goes to
// standard error.
#pragma once

#include <functional>
#include <string_view>

namespace platform {

using MessageHandler = std::function<void(std::string_view text, std::string_view caption)>;

void ShowMessage(std::string_view text, std::string_view caption = {});
// An empty handler restores the default.
void SetMessageHandler(MessageHandler handler);

}  // namespace platform
