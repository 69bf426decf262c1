// The frames that carry requests, answers and pushes between the middleware
// and a back end over TCP: a 4-byte little-endian length of what follows, a
// kind byte, a 4-byte little-endian sequence number (chosen by the sender of
// a request and echoed by its answer, 0 for a request without answer and
// for a push), a 4-byte little-endian function number, then the GBK text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace halvost::wire {

enum class FrameKind : std::uint8_t {
  kRequest = 1,
  kAnswer = 2,
  kPush = 3,     // a run of NUL-terminated lines
  kSession = 4,  // the session text a reply hook made; gets no answer
};

struct Frame {
  FrameKind kind = FrameKind::kRequest;
  std::uint32_t sequence = 0;
  std::int32_t function = 0;
  std::string text;
};

inline constexpr std::size_t kLengthSize = 4;
inline constexpr std::size_t kHeadSize = 1 + 4 + 4;
// A frame announcing more than this is taken as garbage, not allocated.
inline constexpr std::size_t kMaxBodySize = 1u << 20;

std::string Encode(const Frame& frame);

enum class ReadStatus { kFrame, kClosed, kMalformed };

// Reads one whole frame from a blocking socket. kClosed at the end of the
// stream or on an error; kMalformed for an unknown kind or a bad length.
ReadStatus ReadFrame(int fd, Frame& frame);

// Writes all of `bytes`; false when the socket failed.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace halvost::wire
