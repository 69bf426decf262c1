// The cached wall clock of the log library. Reading the calendar clock for
// every record would be slow, so the clock is advanced from the millisecond
// tick counter and read from the calendar only at least every 10 seconds, at
// a change of day, or when the tick counter wraps around.
#pragma once

#include <cstdint>
#include <mutex>

#include "logfile/export.h"

class QUILLMERE_API CBNTime {
 public:
  // Reads the calendar clock.
  CBNTime();
  virtual ~CBNTime();
  CBNTime(const CBNTime&) = delete;
  CBNTime& operator=(const CBNTime&) = delete;

  // Brings the fields up to date and returns the object.
  CBNTime& GetTickCount();
  // Reads the calendar clock now.
  void ReflushTime2();

  int GetYear() const;
  int GetMonth() const;  // 1..12
  int GetDay() const;    // 1..31
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetMSecond() const;    // the tick counter's millisecond, not the calendar's
  int GetDayOfWeek() const;  // 1 = Sunday .. 7 = Saturday

 private:
  // CLog stamps records with all fields taken under one lock, so a stamp
  // never mixes two moments.
  friend class CLog;
  struct Fields {
    int year = 0;
    int month = 0;
    int day = 0;
    int dayOfWeek = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msecond = 0;
  };
  // The fields as last brought up to date: after GetBNTime, which has just
  // done so, the clock is not read a second time.
  Fields Current() const;

  // Both expect the lock to be held.
  void BringUpToDate();
  void ReflushTime();

  mutable std::mutex lock_;
  std::uint32_t lastUpdateTick_ = 0;
  // Each clock keeps its own last full read: a shared one would let two
  // clocks cut each other's 10-second window short, and race between them.
  std::uint32_t lastFullReadTick_ = 0;
  Fields now_;
};

// The library's one clock, brought up to date.
QUILLMERE_API CBNTime& GetBNTime();
