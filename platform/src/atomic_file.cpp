#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace platform {
namespace {

bool WriteAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t written = ::write(fd, contents.data(), contents.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    contents.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A new file gets the permissions that the process's umask gives.
bool KeepPermissions(int fd, const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno == ENOENT;
  return ::fchmod(fd, info.st_mode & 07777) == 0;
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

std::string TemporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
  const std::string temporary = TemporaryPathFor(path);
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool written = WriteAll(fd, contents) && KeepPermissions(fd, path) && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (written && ::rename(temporary.c_str(), path.c_str()) == 0) {
    SyncFolderOf(path);
    return true;
  }
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace platform
