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
  // A log tells what its program did: only its owner reads it.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  // A file that an earlier version left readable by all is closed to them.
  ::fchmod(fd, S_IRUSR | S_IWUSR);
  return std::unique_ptr<LogFileHandle>(new LogFileHandle(fd));
}

LogFileHandle::~LogFileHandle() { ::close(fd_); }

bool LogFileHandle::IsEmpty() const {
  struct stat info {};
  return ::fstat(fd_, &info) == 0 && info.st_size == 0;
}

namespace {

// Runs pread or pwrite until all `size` bytes are moved; a short transfer
// (end of file, full disk) is a failure.
template <typename Byte, typename Transfer>
bool TransferAll(Byte* bytes, std::uint64_t offset, std::size_t size, Transfer transfer) {
  while (size > 0) {
    const ssize_t done = transfer(bytes, size, static_cast<off_t>(offset));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    offset += static_cast<std::uint64_t>(done);
    size -= static_cast<std::size_t>(done);
  }
  return true;
}

}  // namespace

bool LogFileHandle::ReadAt(std::uint64_t offset, void* data, std::size_t size) const {
  return TransferAll(static_cast<char*>(data), offset, size,
                     [this](char* at, std::size_t n, off_t where) { return ::pread(fd_, at, n, where); });
}

bool LogFileHandle::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  return TransferAll(static_cast<const char*>(data), offset, size,
                     [this](const char* at, std::size_t n, off_t where) { return ::pwrite(fd_, at, n, where); });
}

}  // namespace logfile
