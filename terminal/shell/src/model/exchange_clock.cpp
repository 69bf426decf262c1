#include "shell/exchange_clock.h"

#include <chrono>
#include <cstdio>
#include <map>

#include "backend/field_text.h"
#include "client/code_tables.h"

namespace shell {
namespace {

bool ParseServerTime(const std::string& date, const std::string& time, long long& seconds) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (date.size() != 8 || std::sscanf(date.c_str(), "%4d%2d%2d", &year, &month, &day) != 3) return false;
  if (std::sscanf(time.c_str(), "%d:%d:%d", &hour, &minute, &second) != 3) return false;
  return CalendarSeconds(year, month, day, hour, minute, second, seconds);
}

std::string Trimmed(const std::string& text) { return std::string(backend::TrimBlanks(text)); }

}  // namespace

bool CalendarSeconds(int year, int month, int day, int hour, int minute, int second, long long& seconds) {
  using namespace std::chrono;
  const year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                            std::chrono::day{static_cast<unsigned>(day)}};
  if (month < 1 || month > 12 || day < 1 || !date.ok() || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59) {
    return false;
  }
  seconds =
      static_cast<long long>(sys_days(date).time_since_epoch().count()) * 86400 + hour * 3600 + minute * 60 + second;
  return true;
}

void ExchangeClockStrip::Refresh(const ClockSources& sources) {
  std::map<std::string, int> previous;
  for (const ExchangeClock& clock : clocks_) previous[clock.code] = clock.difference;
  clocks_.clear();
  built_ = true;
  std::vector<ClockSeat> seats;
  if (sources.seats && sources.seats(seats)) {
    for (const ClockSeat& seat : seats) {
      if (seat.shown) clocks_.push_back({seat.name, seat.code, 0, {}});
    }
  }
  const auto keepPrevious = [&] {
    for (ExchangeClock& clock : clocks_) clock.difference = previous.count(clock.code) ? previous[clock.code] : 0;
  };

  std::string date, time;
  std::vector<std::pair<std::string, int>> differences;
  long long serverSeconds = 0;
  if (!sources.systemDate(date, time) || !sources.seatDifferences(differences) ||
      !ParseServerTime(date, time, serverSeconds)) {
    timeQueried_ = false;
    keepPrevious();
    return;
  }
  timeQueried_ = true;
  for (const auto& [code, seconds] : differences) {
    for (ExchangeClock& clock : clocks_) {
      if (clock.code == code) clock.difference = seconds;
    }
  }
  std::vector<std::pair<std::string, std::string>> states;
  if (sources.marketStates && sources.marketStates(states)) {
    for (const auto& [code, state] : states) {
      for (ExchangeClock& clock : clocks_) {
        if (clock.code == code) clock.state = state;
      }
    }
  }
  const platform::LocalTime now = sources.now();
  long long localSeconds = 0;
  if (CalendarSeconds(now.year, now.month, now.day, now.hour, now.minute, now.second, localSeconds)) {
    for (ExchangeClock& clock : clocks_) clock.difference += static_cast<int>(serverSeconds - localSeconds);
  }
}

std::string ExchangeClockStrip::Text(const platform::LocalTime& now) const {
  if (!built_) return {};
  std::string text;
  const long long secondOfDay = now.hour * 3600LL + now.minute * 60 + now.second;
  for (const ExchangeClock& clock : clocks_) {
    const long long at = ((secondOfDay + clock.difference) % 86400 + 86400) % 86400;
    char item[160];
    std::snprintf(item, sizeof item, "%s:%02lld:%02lld:%02lld%s|", clock.name.c_str(), at / 3600, at / 60 % 60, at % 60,
                  client::MarketStateText(clock.state));
    text += Trimmed(item) + " ";
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

bool ExchangeClockStrip::UpdateState(const std::vector<std::string>& items) {
  if (!timeQueried_ || items.empty()) return false;
  const std::string& code = items[0];
  const std::string state = items.size() > 1 ? items[1] : std::string();
  for (ExchangeClock& clock : clocks_) {
    if (code.empty() || clock.code == code) clock.state = state;
  }
  return true;
}

}  // namespace shell
