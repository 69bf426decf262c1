// An open log file, read and written at explicit offsets.
//
// A writer holds an exclusive flock on the file for as long as it keeps it
// open, so a second writer (another object or another program) is refused
// as a share-deny-write open would refuse it. Readers take no lock: the
// viewer can read a file while it is being written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace logfile {

class LogFileHandle {
 public:
  // The file must exist. Null when it cannot be opened.
  static std::unique_ptr<LogFileHandle> OpenForReading(const std::string& path);
  // Creates the file where missing. Null when it cannot be opened or
  // created, or another writer holds it.
  static std::unique_ptr<LogFileHandle> OpenForWriting(const std::string& path);

  ~LogFileHandle();
  LogFileHandle(const LogFileHandle&) = delete;
  LogFileHandle& operator=(const LogFileHandle&) = delete;

  bool IsEmpty() const;
  // True only when all `size` bytes were read or written.
  bool ReadAt(std::uint64_t offset, void* data, std::size_t size) const;
  bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);

 private:
  explicit LogFileHandle(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace logfile
