// The frames in which the portal and the back end exchange texts over TCP.
//
// Wire layout of one frame:
//   u32 little-endian  length of everything that follows (head and text)
//   u8                 kind: 1 request, 2 answer, 3 push
//   u32 little-endian  sequence number: chosen by the sender of a request,
//                      echoed by its answer, 0 for a push
//   bytes              the GBK text
// A push text holds one or more lines, each ended by a zero byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace portal {

enum class FrameKind : std::uint8_t { kRequest = 1, kAnswer = 2, kPush = 3 };

struct Frame {
  FrameKind kind = FrameKind::kRequest;
  std::uint32_t sequence = 0;
  std::string text;

  friend bool operator==(const Frame&, const Frame&) = default;
};

inline constexpr std::size_t kFrameLengthSize = 4;
// Kind and sequence number: counted by the length, in front of the text.
inline constexpr std::size_t kFrameHeadSize = 5;
// Far above any answer or push block; a larger length means a broken stream.
inline constexpr std::size_t kMaxFrameTextSize = std::size_t{16} << 20;

// Appends the encoded frame to `out`. False, with nothing appended, when the
// text is longer than kMaxFrameTextSize.
bool AppendFrame(std::string& out, FrameKind kind, std::uint32_t sequence, std::string_view text);

enum class DecodeStatus {
  kComplete,    // a whole frame was taken
  kIncomplete,  // the input ends inside a frame: wait for more bytes
  kBadLength,   // the length cannot be a frame's (too short or absurdly long)
  kBadKind,     // the kind byte is none of the three kinds
  kOversized,   // a well-formed frame whose text is longer than the reader takes
};

struct DecodeResult {
  DecodeStatus status = DecodeStatus::kIncomplete;
  // Bytes of the input that the frame took: the whole frame (kComplete) or
  // its length and head (kOversized).
  std::size_t consumed = 0;
  // kComplete: the frame; kOversized: its kind and sequence, without text.
  Frame frame;
};

// Decodes the frame at the start of `input` and never reads beyond it. A bad
// length or kind is reported as soon as its bytes are in, so that a broken
// stream is never buffered up to its announced length; so is a text longer
// than `maxTextSize` (at most kMaxFrameTextSize), as soon as the head is in.
DecodeResult DecodeFrame(std::string_view input, std::size_t maxTextSize = kMaxFrameTextSize);

// Collects the bytes of a stream as they arrive and cuts them into frames.
class FrameReader {
 public:
  // A frame whose text is longer than `maxTextSize` (at most
  // kMaxFrameTextSize) is reported once as kOversized, with its head, and
  // its text is dropped as it arrives, never kept; the stream goes on after
  // it.
  explicit FrameReader(std::size_t maxTextSize = kMaxFrameTextSize);

  void Append(std::string_view bytes);
  // The next frame when one is complete. Once a frame is bad the stream cannot
  // be resynchronised: every later call reports the same bad status.
  DecodeResult Next();
  // Bytes received but not yet taken as frames (the text of an oversized
  // frame is never counted: it is not kept).
  std::size_t Pending() const { return buffer_.size() - start_; }

 private:
  // Drops `bytes` taken from the front of the buffer.
  void Take(std::size_t bytes);

  std::size_t maxTextSize_;
  std::string buffer_;
  std::size_t start_ = 0;
  std::size_t skipping_ = 0;  // text bytes of an oversized frame still to drop
  DecodeStatus broken_ = DecodeStatus::kComplete;
};

// Appends one line and its terminating zero byte to a push text. False, with
// nothing appended, when the line itself holds a zero byte.
bool AppendPushLine(std::string& pushText, std::string_view line);

// The lines of a push text, empty ones included, in order. Bytes after the
// last zero byte count as one more line, so nothing received is lost.
std::vector<std::string_view> SplitPushLines(std::string_view pushText);

}  // namespace portal
