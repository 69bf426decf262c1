// The output pane's waiting lines: stamped with the local time where they are
// produced, taken into the visible list by the frame's 100 ms timer. No line
// is ever dropped: a burst larger than one tick's batch waits for the next
// tick. Lines may come from any thread. No toolkit.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "shell/settings_records.h"

namespace shell {

inline constexpr std::size_t kOutputLineMax = 1023;
// The most lines one tick moves into the list.
inline constexpr std::size_t kOutputBatch = 19;

struct OutputLine {
  std::string text;
  int type = 0;
};

// "%04d%02d%02d %02d:%02d:%02d > %s".
std::string StampOutputLine(const platform::LocalTime& now, std::string_view text);
// What the first status pane shows of a line: the text after its first ">".
std::string StatusTextOf(std::string_view line);

class PendingOutputLines {
 public:
  // Keeps the line, cut to 1023 bytes on a character boundary.
  void Push(int type, std::string_view text);
  // The oldest waiting lines, at most one batch.
  std::vector<OutputLine> TakeBatch();
  std::size_t Count() const;

 private:
  mutable std::mutex mutex_;  // guards lines_
  std::deque<OutputLine> lines_;
};

// What a line's alert does: nothing, a beep, or a sound file.
struct Alert {
  enum Kind { kNone, kBeep, kSoundFile } kind = kNone;
  std::string soundFile;
};
// Voice type 1 beeps; 2 plays the sound file of the item whose id is the
// line's type (none: silent); anything else is silent.
Alert AlertFor(const VoiceSettings& voice, int lineType);

}  // namespace shell
