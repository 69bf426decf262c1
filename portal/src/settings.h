// What OV_Start fixes for the whole run: limits and the caller's callbacks.
#pragma once

#include <chrono>
#include <string>

#include "portal/Orvanet.h"

namespace portal {

enum LogType : int {
  kLogTransportError = 1,
  kLogConnection = 2,
  kLogNote = 3,
  kLogCommunication = 4,
};

struct Settings {
  int reconnectAttempts = 0;
  std::chrono::milliseconds answerTimeout{0};
  std::chrono::milliseconds connectTimeout{0};
  std::chrono::milliseconds retryPause{0};
  OV_ConnectionStateCallback onState = nullptr;
  OV_PushDataCallback onPush = nullptr;
  OV_LogCallback onLog = nullptr;
  OV_NextServerCallback onNextServer = nullptr;

  void Log(LogType type, const std::string& text) const {
    if (onLog != nullptr) onLog(type, text.c_str());
  }
};

}  // namespace portal
