#include "portal/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using portal::AppendFrame;
using portal::AppendPushLine;
using portal::DecodeFrame;
using portal::DecodeStatus;
using portal::Frame;
using portal::FrameKind;
using portal::FrameReader;
using portal::SplitPushLines;

using namespace std::string_literals;

std::string Encode(FrameKind kind, std::uint32_t sequence, std::string_view text) {
  std::string out;
  EXPECT_TRUE(AppendFrame(out, kind, sequence, text));
  return out;
}

TEST(Frame, EncodesLengthKindSequenceAndTextLittleEndian) {
  EXPECT_EQ(Encode(FrameKind::kAnswer, 0x01020304, "ab"), "\x07\x00\x00\x00\x02\x04\x03\x02\x01"s + "ab");
  EXPECT_EQ(Encode(FrameKind::kPush, 0, ""), "\x05\x00\x00\x00\x03\x00\x00\x00\x00"s);
}

TEST(Frame, DecodesWhatItEncodes) {
  const std::vector<Frame> frames = {
      {FrameKind::kRequest, 600001, "R|00-11-22-33-44-55|600001|5001|委托|"},
      {FrameKind::kAnswer, 0xFFFFFFFF, ""},
      {FrameKind::kPush, 0, "a\0\0b\0"s},
  };
  for (const Frame& frame : frames) {
    const std::string bytes = Encode(frame.kind, frame.sequence, frame.text) + "tail";
    const auto result = DecodeFrame(bytes);
    ASSERT_EQ(result.status, DecodeStatus::kComplete);
    EXPECT_EQ(result.frame, frame);
    EXPECT_EQ(result.consumed, bytes.size() - 4) << "the bytes after the frame are not taken";
  }
}

TEST(Frame, EveryTruncationOfAFrameIsIncomplete) {
  const std::string bytes = Encode(FrameKind::kAnswer, 7, "R|x|7|Y|");
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    // A copy of exactly `length` bytes, so that ASan sees any read beyond it.
    const std::string prefix = bytes.substr(0, length);
    const auto result = DecodeFrame(prefix);
    EXPECT_EQ(result.status, DecodeStatus::kIncomplete) << "length " << length;
    EXPECT_EQ(result.consumed, 0u);
  }
}

TEST(Frame, RejectsBadLengthsAndKindsAsSoonAsTheirBytesAreIn) {
  struct Case {
    const char* name;
    std::string bytes;
    DecodeStatus expected;
  };
  const std::vector<Case> cases = {
      {"length below the head", "\x04\x00\x00\x00"s, DecodeStatus::kBadLength},
      {"length zero", "\x00\x00\x00\x00"s, DecodeStatus::kBadLength},
      {"absurd length", "\xFF\xFF\xFF\xFF"s, DecodeStatus::kBadLength},
      {"one byte above the largest text", "\x06\x00\x00\x01"s, DecodeStatus::kBadLength},
      {"largest text, not yet arrived", "\x05\x00\x00\x01"s, DecodeStatus::kIncomplete},
      {"kind zero", "\x05\x00\x00\x00\x00"s, DecodeStatus::kBadKind},
      {"kind four", "\x09\x00\x00\x00\x04"s, DecodeStatus::kBadKind},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeFrame(c.bytes).status, c.expected) << c.name;
}

TEST(Frame, RefusesToEncodeAnOversizeText) {
  std::string out = "kept";
  EXPECT_FALSE(AppendFrame(out, FrameKind::kAnswer, 1, std::string(portal::kMaxFrameTextSize + 1, 'x')));
  EXPECT_EQ(out, "kept");
}

TEST(FrameReader, CutsAStreamFedByteByByteIntoFrames) {
  const std::string stream = Encode(FrameKind::kAnswer, 2, "second") + Encode(FrameKind::kPush, 0, "p\0"s) +
                             Encode(FrameKind::kAnswer, 1, "first");
  FrameReader reader;
  std::vector<Frame> frames;
  for (char byte : stream) {
    reader.Append(std::string_view(&byte, 1));
    for (auto next = reader.Next(); next.status == DecodeStatus::kComplete; next = reader.Next())
      frames.push_back(next.frame);
  }
  const std::vector<Frame> expected = {
      {FrameKind::kAnswer, 2, "second"}, {FrameKind::kPush, 0, "p\0"s}, {FrameKind::kAnswer, 1, "first"}};
  EXPECT_EQ(frames, expected);
  EXPECT_EQ(reader.Pending(), 0u);
}

TEST(FrameReader, StaysBrokenAfterABadFrame) {
  FrameReader reader;
  reader.Append(Encode(FrameKind::kAnswer, 1, "ok") + "\x02\x00\x00\x00"s + Encode(FrameKind::kAnswer, 2, "lost"));
  EXPECT_EQ(reader.Next().status, DecodeStatus::kComplete);
  EXPECT_EQ(reader.Next().status, DecodeStatus::kBadLength);
  EXPECT_EQ(reader.Next().status, DecodeStatus::kBadLength) << "a broken stream cannot be resynchronised";
}

// What a reader that takes texts of at most 8 bytes makes of a stream fed in
// pieces of `piece` bytes: each frame's status, kind, sequence and text.
std::vector<std::string> ReadBounded(const std::string& stream, std::size_t piece, std::size_t& largestPending) {
  FrameReader reader(8);
  std::vector<std::string> seen;
  largestPending = 0;
  for (std::size_t at = 0; at < stream.size(); at += piece) {
    reader.Append(std::string_view(stream).substr(at, piece));
    largestPending = std::max(largestPending, reader.Pending());
    for (auto next = reader.Next(); next.status != DecodeStatus::kIncomplete; next = reader.Next()) {
      if (next.status != DecodeStatus::kComplete && next.status != DecodeStatus::kOversized) {
        seen.push_back("broken");
        return seen;
      }
      const char* status = next.status == DecodeStatus::kComplete ? "complete" : "oversized";
      seen.push_back(std::string(status) + " " + std::to_string(static_cast<int>(next.frame.kind)) + " " +
                     std::to_string(next.frame.sequence) + " " + next.frame.text);
    }
  }
  return seen;
}

TEST(FrameReader, ReportsAnOversizedFrameByItsHeadDropsItsTextAndGoesOn) {
  const std::string stream = Encode(FrameKind::kRequest, 1, "12345678") + Encode(FrameKind::kRequest, 2, "123456789") +
                             Encode(FrameKind::kRequest, 3, std::string(100000, '|')) +
                             Encode(FrameKind::kPush, 0, "") + Encode(FrameKind::kRequest, 4, "next");
  const std::vector<std::string> expected = {"complete 1 1 12345678", "oversized 1 2 ", "oversized 1 3 ",
                                             "complete 3 0 ", "complete 1 4 next"};
  for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{9}, std::size_t{4096}, stream.size()}) {
    std::size_t largestPending = 0;
    EXPECT_EQ(ReadBounded(stream, piece, largestPending), expected) << "pieces of " << piece;
    // An oversized text never stays in the reader beyond the piece it came in.
    EXPECT_LE(largestPending, piece + 4 * (portal::kFrameLengthSize + portal::kFrameHeadSize + 8)) << piece;
  }
  // The head of an oversized frame is all it takes to report it.
  const std::string head = Encode(FrameKind::kRequest, 9, std::string(9, 'x')).substr(0, 9);
  EXPECT_EQ(DecodeFrame(head, 8).status, DecodeStatus::kOversized);
  EXPECT_EQ(DecodeFrame(head, 8).consumed, head.size());
  EXPECT_EQ(DecodeFrame(head.substr(0, 8), 8).status, DecodeStatus::kIncomplete);
  // A length beyond any frame still breaks the stream.
  std::size_t ignored = 0;
  EXPECT_EQ(ReadBounded("\xFF\xFF\xFF\xFF\x01"s, 5, ignored), std::vector<std::string>{"broken"});
}

TEST(PushLines, BuildAndSplitSeveralLinesWithAnEmptyOne) {
  std::string push;
  ASSERT_TRUE(AppendPushLine(push, "R|x|0|15001|a|"));
  ASSERT_TRUE(AppendPushLine(push, ""));
  ASSERT_TRUE(AppendPushLine(push, "R|x|0|15006|委托被取消!|"));
  EXPECT_EQ(push, "R|x|0|15001|a|\0\0R|x|0|15006|委托被取消!|\0"s);
  EXPECT_EQ(SplitPushLines(push), (std::vector<std::string_view>{"R|x|0|15001|a|", "", "R|x|0|15006|委托被取消!|"}));
}

TEST(PushLines, SplitKeepsAnUnterminatedTailAndBuildRefusesAZeroInsideALine) {
  EXPECT_EQ(SplitPushLines("a\0b"s), (std::vector<std::string_view>{"a", "b"}));
  EXPECT_TRUE(SplitPushLines("").empty());
  std::string push = "a\0"s;
  EXPECT_FALSE(AppendPushLine(push, "b\0c"s));
  EXPECT_EQ(push, "a\0"s);
}

}  // namespace
