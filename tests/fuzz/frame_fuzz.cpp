// The portal's frames read from an arbitrary byte stream, as both ends read
// what a hostile peer sends: a reader whose texts are bounded (the back end's,
// for requests) and one that takes every frame up to the largest (the
// terminal's). However the stream is cut into pieces, the reader reports the
// same frames, never keeps the text of an oversized one, and never holds more
// than one frame's worth of bytes once it has given out what it has.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "portal/frame.h"

namespace {

// What a reader fed in pieces reports: one entry per frame, then the status
// that ended the stream when it broke.
std::vector<std::string> Read(const std::string& stream, std::size_t maxText, FuzzedDataProvider& pieces) {
  portal::FrameReader reader(maxText);
  std::vector<std::string> seen;
  for (std::size_t at = 0; at < stream.size();) {
    const std::size_t piece = pieces.ConsumeIntegralInRange<std::size_t>(1, stream.size() - at);
    reader.Append(std::string_view(stream).substr(at, piece));
    at += piece;
    for (portal::DecodeResult next = reader.Next(); next.status != portal::DecodeStatus::kIncomplete;
         next = reader.Next()) {
      if (next.status != portal::DecodeStatus::kComplete && next.status != portal::DecodeStatus::kOversized) {
        seen.push_back("broken " + std::to_string(static_cast<int>(next.status)));
        return seen;
      }
      fuzz::Check(next.frame.text.size() <= maxText, "a text beyond the bound is never given out");
      fuzz::Check(next.status == portal::DecodeStatus::kComplete || next.frame.text.empty(),
                  "an oversized frame comes without its text");
      seen.push_back(std::to_string(static_cast<int>(next.status)) + " " +
                     std::to_string(static_cast<int>(next.frame.kind)) + " " + std::to_string(next.frame.sequence) +
                     " " + next.frame.text);
    }
    fuzz::Check(reader.Pending() < portal::kFrameLengthSize + portal::kFrameHeadSize + maxText,
                "a reader holds no more than the frame it waits for");
  }
  return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t maxText = input.ConsumeBool() ? portal::kMaxFrameTextSize : input.ConsumeIntegralInRange(0, 64);
  const std::string stream = input.ConsumeRandomLengthString(4096);
  const std::vector<std::uint8_t> cuts = input.ConsumeRemainingBytes<std::uint8_t>();
  FuzzedDataProvider once(cuts.data(), cuts.size());
  FuzzedDataProvider byteByByte(nullptr, 0);  // with nothing to draw, every piece is one byte
  fuzz::Check(Read(stream, maxText, once) == Read(stream, maxText, byteByByte), "the pieces do not change the frames");

  // A frame of a text within the bound reads back as it was written.
  const std::string text = stream.substr(0, maxText);
  std::string encoded;
  fuzz::Check(portal::AppendFrame(encoded, portal::FrameKind::kPush, 7, text), "a frame within the bound is encoded");
  const portal::DecodeResult decoded = portal::DecodeFrame(encoded, maxText);
  fuzz::Check(decoded.status == portal::DecodeStatus::kComplete && decoded.frame.text == text &&
                  decoded.consumed == encoded.size(),
              "a frame reads back");
  return 0;
}
