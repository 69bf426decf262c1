#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <mutex>
#include <optional>

#include "ini_text.h"
#include "platform/atomic_file.h"
#include "platform/files.h"

namespace platform {
namespace {

// Held from reading a file to replacing it.
std::mutex editMutex;

// The file's bytes; "" for a file that does not exist; nothing when it
// exists but cannot be read whole.
std::optional<std::string> ReadFileText(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? std::optional<std::string>("") : std::nullopt;
  std::optional<std::string> text;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    text.emplace();
    char buffer[8192];
    for (;;) {
      const ssize_t count = ::read(fd, buffer, sizeof buffer);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) text.reset();
      if (count <= 0) break;
      text->append(buffer, static_cast<std::size_t>(count));
    }
  }
  ::close(fd);
  return text;
}

std::optional<std::string> ReadIniValue(std::string_view path, std::string_view section, std::string_view key) {
  const std::optional<std::string> text = ReadFileText(ResolvePath(path));
  if (!text) return std::nullopt;
  const std::optional<std::string_view> value = ini_text::FindValue(*text, section, key);
  if (!value) return std::nullopt;
  return std::string(*value);
}

std::optional<int> LeadingInteger(std::string_view text) {
  const bool hasSign = !text.empty() && (text.front() == '+' || text.front() == '-');
  std::size_t digitsEnd = hasSign ? 1 : 0;
  while (digitsEnd < text.size() && text[digitsEnd] >= '0' && text[digitsEnd] <= '9') ++digitsEnd;
  if (digitsEnd == (hasSign ? 1u : 0u)) return std::nullopt;
  // from_chars takes a "-" but no "+".
  const std::size_t numberBegin = text.front() == '+' ? 1 : 0;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data() + numberBegin, text.data() + digitsEnd, value);
  if (error != std::errc{}) return std::nullopt;
  return value;
}

// Replaces the file with `edit` of its text, unless the edit refuses or
// changes nothing.
template <typename Edit>
bool EditFile(std::string_view path, Edit edit) {
  const std::string resolved = ResolvePath(path);
  std::lock_guard lock(editMutex);
  const std::optional<std::string> text = ReadFileText(resolved);
  if (!text) return false;
  const std::optional<std::string> edited = edit(*text);
  if (!edited) return false;
  return *edited == *text || WriteFileAtomically(resolved, *edited);
}

}  // namespace

std::string ReadIniString(std::string_view path, std::string_view section, std::string_view key,
                          std::string_view defaultValue) {
  return ReadIniValue(path, section, key).value_or(std::string(defaultValue));
}

int ReadIniInt(std::string_view path, std::string_view section, std::string_view key, int defaultValue) {
  const std::optional<std::string> value = ReadIniValue(path, section, key);
  return value ? LeadingInteger(*value).value_or(defaultValue) : defaultValue;
}

bool WriteIniString(std::string_view path, std::string_view section, std::string_view key, std::string_view value) {
  return EditFile(path, [&](std::string_view text) { return ini_text::WithValue(text, section, key, value); });
}

bool DeleteIniKey(std::string_view path, std::string_view section, std::string_view key) {
  return EditFile(path, [&](std::string_view text) { return ini_text::WithValue(text, section, key, std::nullopt); });
}

bool DeleteIniSection(std::string_view path, std::string_view section) {
  return EditFile(
      path, [&](std::string_view text) { return std::optional<std::string>(ini_text::WithoutSection(text, section)); });
}

}  // namespace platform
