// Numbering of running program instances with lock files. The lock is held
// with flock, so the kernel releases it when a program dies.
#pragma once

#include <string>

namespace platform {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock() { Release(); }
  InstanceLock(InstanceLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  InstanceLock& operator=(InstanceLock&& other) noexcept;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Creates the file where missing and takes its lock without waiting; false
  // when another holder has it or the file cannot be made.
  bool TryAcquire(const std::string& path);
  void Release();
  bool IsHeld() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace platform
