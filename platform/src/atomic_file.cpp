#include "platform/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>

namespace platform {
namespace {

constexpr std::string_view kTemporaryExtension = ".tmp";

bool WriteAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t written = ::write(fd, contents.data(), contents.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    contents.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The permissions of the file at `path`; the owner's alone for a file that
// does not exist yet. None when it cannot be told.
std::optional<mode_t> TargetPermissions(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
  if (errno == ENOENT) return S_IRUSR | S_IWUSR;
  return std::nullopt;
}

// Makes the rename itself last through a crash.
void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// "<path>.<pid>.<n>.tmp": named for the writing process, so that a writer
// that died is known by its name.
std::string TemporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + std::string(kTemporaryExtension);
}

// The process that wrote the temporary file `name` of the file `base`; none
// when the name is not one of its temporary names.
std::optional<pid_t> WriterOf(std::string_view name, std::string_view base) {
  if (!name.starts_with(base) || !name.ends_with(kTemporaryExtension)) return std::nullopt;
  const std::string_view middle = name.substr(base.size(), name.size() - base.size() - kTemporaryExtension.size());
  const char* at = middle.data();
  const char* const end = at + middle.size();
  if (at == end || *at++ != '.') return std::nullopt;
  pid_t writer = 0;
  const auto [afterWriter, writerError] = std::from_chars(at, end, writer);
  if (writerError != std::errc() || writer <= 0 || afterWriter == end || *afterWriter != '.') return std::nullopt;
  unsigned number = 0;
  const auto [afterNumber, numberError] = std::from_chars(afterWriter + 1, end, number);
  if (numberError != std::errc() || afterNumber != end) return std::nullopt;
  return writer;
}

// Removes the temporary files that writers of `path` left when they died
// mid-way; those of running processes (this one included) stay.
void RemoveStaleTemporaries(const std::string& path) {
  const std::filesystem::path target(path);
  const std::string base = target.filename().string();
  std::error_code error;
  std::filesystem::directory_iterator entries(target.has_parent_path() ? target.parent_path() : ".", error);
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    const std::optional<pid_t> writer = WriterOf(entries->path().filename().string(), base);
    if (!writer || *writer == ::getpid()) continue;
    if (::kill(*writer, 0) != 0 && errno == ESRCH) ::unlink(entries->path().c_str());
  }
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
  const std::optional<mode_t> permissions = TargetPermissions(path);
  if (!permissions) return false;
  RemoveStaleTemporaries(path);
  const std::string temporary = TemporaryPathFor(path);
  // Created with no more than the target's permissions, and given exactly
  // those (the umask may have taken some) before a byte is in it.
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, *permissions);
  if (fd < 0) return false;
  bool written = ::fchmod(fd, *permissions) == 0 && WriteAll(fd, contents) && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (written && ::rename(temporary.c_str(), path.c_str()) == 0) {
    SyncFolderOf(path);
    return true;
  }
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace platform
