#include "log_file_handle.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace logfile {

std::unique_ptr<LogFileHandle> LogFileHandle::OpenForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  return std::unique_ptr<LogFileHandle>(new LogFileHandle(fd));
}

std::unique_ptr<LogFileHandle> LogFileHandle::OpenForWriting(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<LogFileHandle>(new LogFileHandle(fd));
}

LogFileHandle::~LogFileHandle() { ::close(fd_); }

bool LogFileHandle::IsEmpty() const {
  struct stat info {};
  return ::fstat(fd_, &info) == 0 && info.st_size == 0;
}

bool LogFileHandle::ReadAt(std::uint64_t offset, void* data, std::size_t size) const {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t done = ::pread(fd_, bytes, size, static_cast<off_t>(offset));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    offset += static_cast<std::uint64_t>(done);
    size -= static_cast<std::size_t>(done);
  }
  return true;
}

bool LogFileHandle::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t done = ::pwrite(fd_, bytes, size, static_cast<off_t>(offset));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    offset += static_cast<std::uint64_t>(done);
    size -= static_cast<std::size_t>(done);
  }
  return true;
}

}  // namespace logfile
