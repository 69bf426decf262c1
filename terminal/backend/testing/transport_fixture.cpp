#include "backend/testing/transport_fixture.h"

#include <algorithm>

#include "backend/request_queue.h"
#include "backend/server_rotation.h"
#include "backend/testing/transport_calls.h"
#include "backend/transport.h"

namespace backend_testing {

void StateLog::Add(int connection, int flag, int state) {
  std::lock_guard lock(mutex_);
  changes_.emplace_back(connection, flag, state);
  changed_.notify_all();
}

bool StateLog::WaitFor(int flag, int state, std::size_t skip) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, kBound, [&] {
    return std::any_of(
        changes_.begin() + static_cast<std::ptrdiff_t>(std::min(skip, changes_.size())), changes_.end(),
        [&](const Change& change) { return std::get<1>(change) == flag && std::get<2>(change) == state; });
  });
}

std::size_t StateLog::Count() const {
  std::lock_guard lock(mutex_);
  return changes_.size();
}

std::vector<StateLog::Change> StateLog::Changes() const {
  std::lock_guard lock(mutex_);
  return changes_;
}

void TransportFixture::SetUp() {
  std::string message;
  ASSERT_TRUE(backend::StartCommunication(version_, message)) << message;
  backend::SetConnectionStateHook(
      [this](int connection, int flag, int state) { states_.Add(connection, flag, state); });
}

void TransportFixture::TearDown() {
  backend::StopCommunication();
  backend::SetConnectionStateHook(nullptr);
  backend::TheServerRotation().SetGateways({}, 0);
  while (backend::TheResultQueue().TakeNext()) {
  }
}

}  // namespace backend_testing
