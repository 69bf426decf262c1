#include "portal/frame.h"

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

DecodeResult DecodeFrame(std::string_view input) {
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
  if (input.size() - kFrameLengthSize < length) return result;
  result.status = DecodeStatus::kComplete;
  result.consumed = kFrameLengthSize + length;
  result.frame.kind = static_cast<FrameKind>(input[kFrameLengthSize]);
  result.frame.sequence = ReadU32(input, kFrameLengthSize + 1);
  result.frame.text.assign(input.substr(kFrameLengthSize + kFrameHeadSize, length - kFrameHeadSize));
  return result;
}

void FrameReader::Append(std::string_view bytes) {
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
  DecodeResult result = DecodeFrame(std::string_view(buffer_).substr(start_));
  switch (result.status) {
    case DecodeStatus::kComplete:
      start_ += result.consumed;
      if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
      }
      break;
    case DecodeStatus::kIncomplete: break;
    case DecodeStatus::kBadLength:
    case DecodeStatus::kBadKind: broken_ = result.status; break;
  }
  return result;
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
