#include "shell/output_lines.h"

#include <cstdio>

#include "platform/gbk.h"

namespace shell {

std::string StampOutputLine(const platform::LocalTime& now, std::string_view text) {
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d %02d:%02d:%02d > ", now.year, now.month, now.day, now.hour,
                now.minute, now.second);
  return stamp + std::string(text);
}

std::string StatusTextOf(std::string_view line) {
  const std::size_t mark = line.find('>');
  return mark == std::string_view::npos ? std::string() : std::string(line.substr(mark + 1));
}

void PendingOutputLines::Push(int type, std::string_view text) {
  OutputLine line{std::string(text.substr(0, platform::GbkFitLength(text, kOutputLineMax))), type};
  std::lock_guard lock(mutex_);
  lines_.push_back(std::move(line));
}

std::vector<OutputLine> PendingOutputLines::TakeBatch() {
  std::lock_guard lock(mutex_);
  const std::size_t count = std::min(lines_.size(), kOutputBatch);
  std::vector<OutputLine> batch(std::make_move_iterator(lines_.begin()),
                                std::make_move_iterator(lines_.begin() + static_cast<std::ptrdiff_t>(count)));
  lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(count));
  return batch;
}

std::size_t PendingOutputLines::Count() const {
  std::lock_guard lock(mutex_);
  return lines_.size();
}

Alert AlertFor(const VoiceSettings& voice, int lineType) {
  if (voice.voiceType == 1) return {Alert::kBeep, {}};
  if (voice.voiceType != 2) return {};
  const VoiceItem* item = FindVoiceItem(voice, lineType);
  if (item == nullptr) return {};
  return {Alert::kSoundFile, std::string(FieldText(item->soundFile))};
}

}  // namespace shell
