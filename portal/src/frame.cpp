#include "portal/frame.h"

#include <algorithm>
#include <cstring>

#include "platform/little_endian.h"

namespace portal {
namespace {

void AppendU32(std::string& out, std::uint32_t value) {
  char bytes[4];
  platform::StoreLittleEndian(bytes, value);
  out.append(bytes, sizeof bytes);
}

std::uint32_t ReadU32(std::string_view input, std::size_t offset) {
  return platform::LoadLittleEndian<std::uint32_t>(input.data() + offset);
}

bool IsKnownKind(unsigned char kind) {
  return kind == static_cast<unsigned char>(FrameKind::kRequest) ||
         kind == static_cast<unsigned char>(FrameKind::kAnswer) || kind == static_cast<unsigned char>(FrameKind::kPush);
}

// Once this many bytes have been taken from the front of the reader's buffer,
// they are dropped, so a long-lived stream keeps a small buffer.
constexpr std::size_t kCompactThreshold = 64 * 1024;

}  // namespace

bool AppendFrame(std::string& out, FrameKind kind, std::uint32_t sequence, std::string_view text) {
  if (text.size() > kMaxFrameTextSize) return false;
  out.reserve(out.size() + kFrameLengthSize + kFrameHeadSize + text.size());
  AppendU32(out, static_cast<std::uint32_t>(kFrameHeadSize + text.size()));
  out.push_back(static_cast<char>(kind));
  AppendU32(out, sequence);
  out.append(text);
  return true;
}

DecodeResult DecodeFrame(std::string_view input, std::size_t maxTextSize) {
  DecodeResult result;
  if (input.size() < kFrameLengthSize) return result;
  const std::uint32_t length = ReadU32(input, 0);
  if (length < kFrameHeadSize || length - kFrameHeadSize > kMaxFrameTextSize) {
    result.status = DecodeStatus::kBadLength;
    return result;
  }
  if (input.size() > kFrameLengthSize && !IsKnownKind(static_cast<unsigned char>(input[kFrameLengthSize]))) {
    result.status = DecodeStatus::kBadKind;
    return result;
  }
  const bool oversized = length - kFrameHeadSize > maxTextSize;
  if (input.size() < kFrameLengthSize + (oversized ? kFrameHeadSize : length)) return result;
  result.status = oversized ? DecodeStatus::kOversized : DecodeStatus::kComplete;
  result.consumed = kFrameLengthSize + (oversized ? kFrameHeadSize : length);
  result.frame.kind = static_cast<FrameKind>(input[kFrameLengthSize]);
  result.frame.sequence = ReadU32(input, kFrameLengthSize + 1);
  if (!oversized) result.frame.text.assign(input.substr(kFrameLengthSize + kFrameHeadSize, length - kFrameHeadSize));
  return result;
}

FrameReader::FrameReader(std::size_t maxTextSize) : maxTextSize_(std::min(maxTextSize, kMaxFrameTextSize)) {}

void FrameReader::Append(std::string_view bytes) {
  const std::size_t dropped = std::min(skipping_, bytes.size());
  skipping_ -= dropped;
  bytes.remove_prefix(dropped);
  if (start_ >= kCompactThreshold) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  buffer_.append(bytes);
}

DecodeResult FrameReader::Next() {
  if (broken_ != DecodeStatus::kComplete) {
    DecodeResult result;
    result.status = broken_;
    return result;
  }
  if (skipping_ > 0) return DecodeResult{};
  DecodeResult result = DecodeFrame(std::string_view(buffer_).substr(start_), maxTextSize_);
  switch (result.status) {
    case DecodeStatus::kComplete: Take(result.consumed); break;
    case DecodeStatus::kOversized: {
      skipping_ = ReadU32(buffer_, start_) - kFrameHeadSize;
      Take(result.consumed);
      // The text that is already in goes now, the rest as it arrives.
      const std::size_t dropped = std::min(skipping_, Pending());
      skipping_ -= dropped;
      Take(dropped);
      break;
    }
    case DecodeStatus::kIncomplete: break;
    case DecodeStatus::kBadLength:
    case DecodeStatus::kBadKind: broken_ = result.status; break;
  }
  return result;
}

void FrameReader::Take(std::size_t bytes) {
  start_ += bytes;
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  }
}

bool AppendPushLine(std::string& pushText, std::string_view line) {
  if (line.find('\0') != std::string_view::npos) return false;
  pushText.append(line);
  pushText.push_back('\0');
  return true;
}

std::vector<std::string_view> SplitPushLines(std::string_view pushText) {
  std::vector<std::string_view> lines;
  while (!pushText.empty()) {
    const std::size_t end = pushText.find('\0');
    if (end == std::string_view::npos) {
      lines.push_back(pushText);
      break;
    }
    lines.push_back(pushText.substr(0, end));
    pushText.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace portal
