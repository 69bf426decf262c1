// Where the engine's log lines go: the host's log function, or else the daily
// log file "GTN%04d%02d%02d.txt" in the engine folder.
#pragma once

#include <string>
#include <string_view>

#include "securelogin/bnGatelin.h"

namespace gatelin {

// A log line holds at most this many bytes.
inline constexpr std::size_t kLogLineLimit = 511;

class EngineLog {
 public:
  // A null function selects the daily log file of `folder`.
  void Configure(GtnLogFunction hostFunction, std::string folder);
  // Writes one line, cut to kLogLineLimit bytes on a character boundary;
  // the sink's result.
  int Write(std::string_view line) const;
  // "%s(CID=%d):%s": a request or answer of a connection.
  int WriteExchange(std::string_view title, int connection, std::string_view text) const;

 private:
  GtnLogFunction hostFunction_ = nullptr;
  std::string folder_;
};

// Appends the line and a line feed to the day's file in `folder`; 1 when
// written, 0 when the file could not be opened (or no folder is known).
int WriteDailyLog(const std::string& folder, std::string_view line);

// A request as it may be logged: field 7 (the password) and, for a log-in
// of kind 1, field 18 (the secret) are shown as "******" where present.
std::string MaskedForLog(std::string request, bool maskField18);

}  // namespace gatelin
