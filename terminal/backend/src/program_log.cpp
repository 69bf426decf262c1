#include "backend/program_log.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "backend/field_text.h"
#include "platform/files.h"
#include "protocol/push_codes.h"

namespace backend {
namespace {

constexpr const char* kProgramName = "Quentara";
constexpr const char* kLogFolder = ".\\Log";
constexpr const char* kLogExtension = ".wqz";
constexpr unsigned kYearMonthDay = 7;
constexpr int kDaysToKeep = 30;
// Far more instances than one desktop runs; beyond it numbering gives up.
constexpr int kMaxInstances = 1000;
// Lines held before they are written at once, whatever the interval.
constexpr int kHeldBytes = 256 * 1024;

struct PasswordFields {
  long function;
  std::array<int, 3> fields;  // 0 where unused
};

// Password fields of requests beyond field 8, by function number.
constexpr PasswordFields kExtraRequestPasswordFields[] = {
    {5013, {9, 0, 0}}, {5014, {9, 0, 0}}, {5301, {9, 0, 0}}, {5050, {11, 12, 0}}, {5137, {11, 0, 0}},
};

// Password fields of the status lines of answers, by function number: the
// quote gateway's password in the quote server list, and the three parts of
// the monitoring centre key's password.
constexpr PasswordFields kAnswerPasswordFields[] = {
    {5451, {7, 0, 0}},
    {5406, {8, 9, 10}},
};

// Replaces field n of the line that starts at `lineStart` in `text` by the
// mask: up to its closing separator, or to the end of the text when it has
// none. Nothing when there is no field n.
void MaskField(std::string& text, std::size_t lineStart, int n) {
  const std::ptrdiff_t previous = FindNthSeparator(std::string_view(text).substr(lineStart), kFieldSeparator, n - 1);
  if (previous < 0) return;
  const std::size_t start = lineStart + static_cast<std::size_t>(previous) + 1;
  const std::size_t end = std::min(text.find(kFieldSeparator, start), text.size());
  text.replace(start, end - start, kPasswordMask);
}

// Masks the fields that the table names for `function`.
template <std::size_t N>
void MaskListedFields(std::string& text, std::size_t lineStart, long function, const PasswordFields (&table)[N]) {
  for (const PasswordFields& entry : table) {
    if (entry.function != function) continue;
    for (const int field : entry.fields)
      if (field > 0) MaskField(text, lineStart, field);
  }
}

std::string LockFileName(const std::string& folder, int instance) {
  return folder + "/" + kProgramName + "_" + std::to_string(instance) + ".lock";
}

// The request of a communication line: where its "R|" starts, and its
// field 4 read as a number (0 for an answer).
struct Request {
  std::size_t start;
  long function;
};

// A line that starts as a quote push, "R|" and a field 4 of exactly the
// quote's code: what RequestOf makes of it, told without copying the field.
bool StartsAsQuotePush(std::string_view line) {
  constexpr std::string_view kQuoteCode = "15001|";
  static_assert(kQuoteCode.substr(0, 5) == "15001" && protocol::push_code::kQuote == 15001);
  if (!line.starts_with("R|")) return false;
  const std::ptrdiff_t before = FindNthSeparator(line, kFieldSeparator, 3);
  return before >= 0 && line.substr(static_cast<std::size_t>(before) + 1).starts_with(kQuoteCode);
}

std::optional<Request> RequestOf(std::string_view line) {
  // Nearly every line logged is a quote push.
  if (StartsAsQuotePush(line)) return Request{0, protocol::push_code::kQuote};
  const std::size_t start = line.find("R|");
  if (start == std::string_view::npos) return std::nullopt;
  char code[32];
  GetSeparatedField(4, line.substr(start), kFieldSeparator, code, sizeof code);
  return Request{start, std::strtol(code, nullptr, 10)};
}

// Requests and pushes carry passwords; answers (see MaskAnswerPasswordFields)
// and quote pushes, the most of all lines, carry none.
bool CarriesPasswords(const Request& request) {
  return request.function != 0 && request.function != protocol::push_code::kQuote;
}

void MaskRequest(std::string_view line, const Request& request, std::string& masked) {
  masked.assign(line);
  MaskField(masked, request.start, 8);
  MaskListedFields(masked, request.start, request.function, kExtraRequestPasswordFields);
}

}  // namespace

void MaskPasswordFields(std::string_view line, std::string& masked) {
  const std::optional<Request> request = RequestOf(line);
  if (request && CarriesPasswords(*request)) {
    MaskRequest(line, *request, masked);
  } else {
    masked.assign(line);
  }
}

std::string MaskPasswordFields(std::string_view line) {
  std::string masked;
  MaskPasswordFields(line, masked);
  return masked;
}

std::string MaskAnswerPasswordFields(int function, std::string_view statusLine) {
  std::string masked(statusLine);
  MaskListedFields(masked, 0, function, kAnswerPasswordFields);
  return masked;
}

std::string AcquireInstancePrefix(const std::string& lockFolder, platform::InstanceLock& lock) {
  for (int instance = 0; instance < kMaxInstances; ++instance) {
    if (!lock.TryAcquire(LockFileName(lockFolder, instance))) continue;
    return instance == 0 ? std::string(kProgramName) + "_"
                         : std::string(kProgramName) + "_" + std::to_string(instance) + "_";
  }
  return std::string(kProgramName) + "_";
}

bool ProgramLog::Open() {
  const std::string folder = platform::ResolvePath(kLogFolder);
  CreateDirectoryPath(folder);
  const std::string prefix = AcquireInstancePrefix(folder, instance_);
  if (log_.SetFileMode(kLogFolder, prefix.c_str(), kLogExtension, kYearMonthDay, kDaysToKeep) != 1 ||
      log_.OpenLogFile("") != 1) {
    return false;
  }
  log_.HoldWrites(kHeldBytes, [this] { flushWanted_.Set(); });
  flusher_.Start([this](platform::Event& stop) {
    while (platform::WaitForAny({&stop, &flushWanted_}, kFlushInterval) != 0) log_.FlushSaveFileHead();
  });
  open_ = true;
  return true;
}

void ProgramLog::Close() {
  open_ = false;
  flusher_.Stop();
  log_.CloseLogFile();
  instance_.Release();
}

void ProgramLog::WriteLine(int type, const char* text) {
  if (text != nullptr) WriteLine(type, std::string_view(text));
}

void ProgramLog::WriteLine(int type, std::string_view text) { WriteLines(type, {&text, 1}); }

void ProgramLog::WriteLines(int type, std::span<const std::string_view> lines) {
  if (type == kLogNothing || !IsOpen()) return;
  if (type != kLogCommunication) {
    log_.WriteTexts(0, lines);
    return;
  }
  // Each thread masks into buffers of its own, kept from call to call; the
  // deque keeps each masked copy in place while more are added.
  thread_local std::deque<std::string> masked;
  thread_local std::vector<std::string_view> written;
  written.clear();
  std::size_t maskedCount = 0;
  for (const std::string_view line : lines) {
    const std::optional<Request> request = RequestOf(line);
    if (!request || !CarriesPasswords(*request)) {
      written.push_back(line);
      continue;
    }
    if (maskedCount == masked.size()) masked.emplace_back();
    std::string& copy = masked[maskedCount++];
    MaskRequest(line, *request, copy);
    written.push_back(copy);
  }
  log_.WriteTexts(0, written);
}

void ProgramLog::Flush() { log_.FlushSaveFileHead(); }

ProgramLog& TheProgramLog() {
  static ProgramLog log;
  return log;
}

bool OpenProgramLog() { return TheProgramLog().Open(); }

void CloseProgramLog() { TheProgramLog().Close(); }

void WriteLogLine(int type, const char* text) { TheProgramLog().WriteLine(type, text); }

void WriteLogLines(int type, std::span<const std::string_view> lines) { TheProgramLog().WriteLines(type, lines); }

void WriteAnswerLine(int function, std::string_view line) {
  ProgramLog& log = TheProgramLog();
  if (!log.IsOpen()) return;
  if (std::ranges::none_of(kAnswerPasswordFields,
                           [function](const PasswordFields& entry) { return entry.function == function; })) {
    log.WriteLine(kLogCommunication, line);
    return;
  }
  log.WriteLine(kLogCommunication, MaskAnswerPasswordFields(function, line));
}

}  // namespace backend
