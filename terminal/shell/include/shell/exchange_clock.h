// The exchange clock strip of the second status pane: each exchange's time
// (the local clock corrected by the back end's clock and the seat's time
// difference) and market state. No toolkit: the sources are functions.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace shell {

inline constexpr std::string_view kClockPaneInitialText =
    "上海:8:00:00开盘 大连:8:00:00开盘 郑州:8:00:00开盘 中金所:8:00:00开盘  ";

struct ExchangeClock {
  std::string name;
  std::string code;
  int difference = 0;  // seconds to add to the local clock
  std::string state;   // market state code
};

// One exchange seat of the engine's table 10.
struct ClockSeat {
  std::string name;
  std::string code;
  bool shown = false;  // the seat's first group flag is "1"
};

struct ClockSources {
  // False while the engine reconnects or downloads.
  std::function<bool(std::vector<ClockSeat>& seats)> seats;
  // Function 5122: "YYYYMMDD" and "HH:MM:SS".
  std::function<bool(std::string& date, std::string& time)> systemDate;
  // Function 5125: (exchange code, seconds) per seat.
  std::function<bool(std::vector<std::pair<std::string, int>>& differences)> seatDifferences;
  // Function 5127: (exchange code, status) per exchange.
  std::function<bool(std::vector<std::pair<std::string, std::string>>& states)> marketStates;
  std::function<platform::LocalTime()> now;
};

class ExchangeClockStrip {
 public:
  // Rebuilds the list from the seats and queries the times and states. When
  // the date or the seat query fails, or the back end's time is no valid
  // time, the exchanges keep the differences they had.
  void Refresh(const ClockSources& sources);

  // The pane text at `now`; empty before the first refresh (the pane then
  // keeps its first text).
  std::string Text(const platform::LocalTime& now) const;

  // A market-state notice: item 1 the exchange code (empty: every
  // exchange), item 2 the state. False before the times were queried or
  // without items.
  bool UpdateState(const std::vector<std::string>& items);

  bool Built() const { return built_; }
  bool TimeQueried() const { return timeQueried_; }
  const std::vector<ExchangeClock>& Clocks() const { return clocks_; }

 private:
  std::vector<ExchangeClock> clocks_;
  bool built_ = false;
  bool timeQueried_ = false;
};

// Seconds since 1970 of a calendar time taken as UTC; nothing when a part
// is out of range.
bool CalendarSeconds(int year, int month, int day, int hour, int minute, int second, long long& seconds);

}  // namespace shell
