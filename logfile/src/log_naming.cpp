// CLog: the file name from directory, prefix, date and part number, the
// switch to a new file, the clean-up of old files and the viewer.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "log_file_handle.h"
#include "log_scope.h"
#include "logfile/bn_time.h"
#include "logfile/log.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"

namespace {

constexpr std::size_t kMaxDirectoryLength = 259;
constexpr std::size_t kMaxPrefixLength = 49;
constexpr std::size_t kMaxExtensionLength = 19;
constexpr unsigned kYearFlag = 4;
constexpr unsigned kMonthFlag = 2;
constexpr unsigned kDayFlag = 1;
constexpr unsigned kFullDate = kYearFlag | kMonthFlag | kDayFlag;
constexpr int kLastPart = 999;
constexpr std::size_t kDateLength = 8;  // yyyymmdd
constexpr const char* kViewerName = "scrivane";

std::string DatePart(unsigned dateMode, int year, int month, int day) {
  std::string part;
  const auto append = [&part](const char* format, int value) {
    char text[16];
    part.append(text, static_cast<std::size_t>(std::snprintf(text, sizeof text, format, value)));
  };
  if (dateMode & kYearFlag) append("%04d", year);
  if (dateMode & kMonthFlag) append("%02d", month);
  if (dateMode & kDayFlag) append("%02d", day);
  return part;
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The part number of a file name: a last "-" followed by exactly three
// digits where the name ends, once the extension is cut off at its first
// occurrence.
std::optional<int> PartNumber(std::string_view fileName, std::string_view extension) {
  if (!extension.empty()) fileName = fileName.substr(0, fileName.find(extension));
  const std::size_t dash = fileName.rfind('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const std::string_view digits = fileName.substr(dash + 1);
  if (digits.size() != 3 || !AllDigits(digits)) return std::nullopt;
  return (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
}

std::string PartSuffix(int part) {
  // Room for any int, though parts run from 1 to 999.
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "-%03d", part);
  return suffix;
}

std::string_view BaseName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

int CLog::SetFileMode(const char* directory, const char* prefix, const char* extension, unsigned dateMode,
                      int daysToKeep) {
  Scope scope(*this);
  dateMode_ = dateMode;
  daysToKeep_ = daysToKeep;
  const std::string_view directoryText = directory ? directory : "";
  const std::string_view prefixText = prefix ? prefix : "";
  const std::string_view extensionText = extension ? extension : "";
  if (directoryText.size() > kMaxDirectoryLength || prefixText.size() > kMaxPrefixLength ||
      extensionText.size() > kMaxExtensionLength) {
    return 0;
  }
  // New settings name a new file even on the same day.
  if (directoryText != directory_ || prefixText != prefix_ || extensionText != extension_) datePart_.clear();
  directory_ = directoryText;
  prefix_ = prefixText;
  extension_ = extensionText;
  ComputeFileName();
  return 1;
}

void CLog::ComputeFileName() {
  const CBNTime::Fields today = GetBNTime().Current();
  namedYear_ = today.year;
  namedMonth_ = today.month;
  namedDay_ = today.day;
  const std::string datePart = DatePart(dateMode_, today.year, today.month, today.day);
  std::string folder = directory_;
  if (datePart != datePart_ || datePart.empty()) {
    // A new day, or no date at all: continue the day's highest part.
    datePart_ = datePart;
    GetFullPath(folder);
    MakePath(folder);
    const std::string stem = prefix_ + datePart_;
    std::optional<int> highest;
    if (!datePart_.empty()) {
      for (const platform::DirectoryEntry& entry : platform::ListDirectory(folder, stem + "*" + extension_)) {
        if (entry.isDirectory || entry.name.size() < stem.size()) continue;
        const std::optional<int> part = PartNumber(std::string_view(entry.name).substr(stem.size()), extension_);
        if (part && (!highest || *part > *highest)) highest = part;
      }
    }
    fileName_ = folder + stem + (highest ? PartSuffix(*highest) : "") + extension_;
    return;
  }
  if (!file_ || head_.fileSize <= rollOverSize_) return;
  // Part 999 is never left: that file keeps growing.
  const std::optional<int> part = PartNumber(BaseName(fileName_), extension_);
  const int next = part ? std::min(*part + 1, kLastPart) : 0;
  GetFullPath(folder);
  fileName_ = folder + prefix_ + datePart_ + PartSuffix(next) + extension_;
}

void CLog::SetRollOverSize(std::uint32_t bytes) {
  Scope scope(*this);
  rollOverSize_ = bytes;
}

int CLog::CheckFileName() {
  Scope scope(*this);
  return CheckFileNameFor(GetBNTime().Current());
}

int CLog::CheckFileNameFor(const CBNTime::Fields& today) {
  // Every record asks: on the day the name was made, a dated file below its
  // size limit keeps its name.
  if (file_ && !datePart_.empty() && today.day == namedDay_ && today.month == namedMonth_ && today.year == namedYear_ &&
      head_.fileSize <= rollOverSize_) {
    return 1;
  }
  const std::string previous = fileName_;
  ComputeFileName();
  if (fileName_ == previous || !file_) return 1;
  SaveFileHead(1);
  file_.reset();
  ++epoch_;  // what settles later belongs to the old file
  // A file of the new name that is already there is continued, not reset.
  const bool ready = OpenForWriting() && (file_->IsEmpty() ? StartNewFile() : LoadHead(true));
  if (!ready) {
    file_.reset();
    mode_ = kClosed;
    return 0;
  }
  DeleteOutOfDateFiles(daysToKeep_);
  return 1;
}

int CLog::DeleteOutOfDateFiles(int days) {
  Scope scope(*this);
  if (days <= 0 || dateMode_ != kFullDate || mode_ != kWriting) return 0;
  const platform::LocalTime now = platform::LocalNow();
  const platform::CivilDate cut = platform::AddDays({now.year, now.month, now.day}, -days);
  char cutOff[16];
  std::snprintf(cutOff, sizeof cutOff, "%08d", cut.year * 10000 + cut.month * 100 + cut.day);
  std::string folder = directory_;
  GetFullPath(folder);
  for (const platform::DirectoryEntry& entry :
       platform::ListDirectory(folder, prefix_ + std::string(kDateLength, '?') + "*" + extension_)) {
    if (entry.isDirectory || entry.name.size() < prefix_.size() + kDateLength) continue;
    // Another instance's prefix that extends ours puts no date here.
    const std::string_view date = std::string_view(entry.name).substr(prefix_.size(), kDateLength);
    if (AllDigits(date) && date < std::string_view(cutOff)) platform::RemoveFile(folder + entry.name);
  }
  return 1;
}

std::string CLog::GetFileName() const {
  Scope scope(*this);
  return fileName_;
}

int CLog::ViewLogFile() {
  Scope scope(*this);
  const std::string beside = platform::ProgramFolder() + "/" + kViewerName;
  const std::string program =
      platform::IsRegularFile(beside) && ::access(beside.c_str(), X_OK) == 0 ? beside : kViewerName;
  if (platform::StartProcess({program, fileName_})) return 1;
  const std::string commandLine = program + " \"" + fileName_ + "\"";
  std::vector<char> message(commandLine.size() + 64);
  std::snprintf(message.data(), message.size(), "执行命令失败: %s", commandLine.c_str());
  Raise(message.data());
  return 0;
}

void CLog::AddSlash(std::string& path) {
  if (path.empty()) path = ".";
  if (path.back() != '/' && path.back() != '\\') path += '/';
}

int CLog::GetFullPath(std::string& path) {
  AddSlash(path);
  path = platform::ResolvePath(path);
  if (path.empty()) return 0;
  if (path.back() != '/') path += '/';
  return 1;
}

int CLog::MakePath(std::string path) {
  if (!GetFullPath(path)) return 0;
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (!platform::IsDirectory(folder)) platform::MakeDirectory(folder);
  }
  return platform::IsDirectory(path) ? 1 : 0;
}
