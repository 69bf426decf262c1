// The back end's clock as its answers write it.
#pragma once

#include <string>

#include "platform/clock.h"

namespace simbackend {

// "YYYYMMDD" and "HH:MM:SS" of a local time.
std::string DateText(const platform::LocalTime& time);
std::string TimeText(const platform::LocalTime& time);

// The local date and time now: the trading day and the time of an event.
std::string TodayText();
std::string NowText();

}  // namespace simbackend
