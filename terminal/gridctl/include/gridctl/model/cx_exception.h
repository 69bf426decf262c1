// The one failure of the grid's field and record store: thrown by value,
// carrying code 0 and a message of at most 1023 bytes.
#pragma once

#include <cstdint>
#include <exception>

namespace gridctl {

class CxException : public std::exception {
 public:
  static constexpr std::size_t kMessageSize = 1024;

  // A null text gives the empty message; a longer one is cut on a character
  // boundary.
  explicit CxException(const char* text) noexcept;

  std::int32_t Code() const noexcept { return code_; }
  const char* Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_; }

 private:
  std::int32_t code_ = 0;
  char message_[kMessageSize] = {};
};

}  // namespace gridctl
