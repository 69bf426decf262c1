#include "day_clock.h"

#include <cstdio>

namespace simbackend {

std::string DateText(const platform::LocalTime& time) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", time.year, time.month, time.day);
  return text;
}

std::string TimeText(const platform::LocalTime& time) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
  return text;
}

std::string TodayText() { return DateText(platform::LocalNow()); }
std::string NowText() { return TimeText(platform::LocalNow()); }

}  // namespace simbackend
