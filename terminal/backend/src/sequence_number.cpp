#include "backend/sequence_number.h"

#include "platform/clock.h"

namespace backend {
namespace {

std::int32_t Seed() {
  const platform::LocalTime now = platform::LocalNow();
  return (now.hour * 3600 + now.minute * 60 + now.second) * 10000 + 600001;
}

}  // namespace

std::int32_t SequenceCounter::Next() {
  std::lock_guard lock(mutex_);
  const std::int32_t number = counter_ == 0 ? Seed() : counter_;
  counter_ = number + 1;
  return number;
}

std::int32_t GetNextSequenceNo() {
  static SequenceCounter counter;
  return counter.Next();
}

}  // namespace backend
