#include "wire.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace halvost::wire {
namespace {

void PutUint32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::uint32_t GetUint32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

bool ReadExact(int fd, void* buffer, std::size_t size) {
  auto* at = static_cast<char*>(buffer);
  while (size > 0) {
    const ssize_t got = ::recv(fd, at, size, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    at += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool IsKnownKind(std::uint8_t kind) {
  return kind >= static_cast<std::uint8_t>(FrameKind::kRequest) &&
         kind <= static_cast<std::uint8_t>(FrameKind::kSession);
}

}  // namespace

std::string Encode(const Frame& frame) {
  std::string out;
  out.reserve(kLengthSize + kHeadSize + frame.text.size());
  PutUint32(out, static_cast<std::uint32_t>(kHeadSize + frame.text.size()));
  out.push_back(static_cast<char>(frame.kind));
  PutUint32(out, frame.sequence);
  PutUint32(out, static_cast<std::uint32_t>(frame.function));
  out += frame.text;
  return out;
}

ReadStatus ReadFrame(int fd, Frame& frame) {
  unsigned char length[kLengthSize];
  if (!ReadExact(fd, length, sizeof length)) return ReadStatus::kClosed;
  const std::uint32_t bodySize = GetUint32(length);
  if (bodySize < kHeadSize || bodySize > kMaxBodySize) return ReadStatus::kMalformed;
  unsigned char head[kHeadSize];
  if (!ReadExact(fd, head, sizeof head)) return ReadStatus::kClosed;
  if (!IsKnownKind(head[0])) return ReadStatus::kMalformed;
  frame.kind = static_cast<FrameKind>(head[0]);
  frame.sequence = GetUint32(head + 1);
  frame.function = static_cast<std::int32_t>(GetUint32(head + 5));
  frame.text.assign(bodySize - kHeadSize, '\0');
  if (!frame.text.empty() && !ReadExact(fd, frame.text.data(), frame.text.size())) return ReadStatus::kClosed;
  return ReadStatus::kFrame;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

}  // namespace halvost::wire
