#include "platform/message.h"

#include <cstdio>
#include <mutex>

namespace platform {
namespace {

std::mutex messageMutex;
MessageHandler installedMessage;

}  // namespace

void ShowMessage(std::string_view text, std::string_view caption) {
  MessageHandler handler;
  {
    std::lock_guard lock(messageMutex);
    handler = installedMessage;
  }
  if (handler) {
    handler(text, caption);
    return;
  }
  std::fprintf(stderr, "%.*s%s%.*s\n", static_cast<int>(caption.size()), caption.data(), caption.empty() ? "" : ": ",
               static_cast<int>(text.size()), text.data());
}

void SetMessageHandler(MessageHandler handler) {
  std::lock_guard lock(messageMutex);
  installedMessage = std::move(handler);
}

}  // namespace platform
