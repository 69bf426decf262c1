// A fixture that starts the terminal's transport for each test and records
// the connection state changes the portal reports.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace backend_testing {

// Every change the portal reported: connection number, state before, state.
class StateLog {
 public:
  using Change = std::tuple<int, int, int>;

  void Add(int connection, int flag, int state);
  // Waits, within the bound, for a change from `flag` to `state` among those
  // after the first `skip`.
  bool WaitFor(int flag, int state, std::size_t skip = 0);
  std::size_t Count() const;
  std::vector<Change> Changes() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Change> changes_;
};

// The transport's state is global: every test leaves it as it found it.
class TransportFixture : public ::testing::Test {
 protected:
  // `version` is the terminal version the transport announces.
  explicit TransportFixture(std::string version) : version_(std::move(version)) {}

  void SetUp() override;
  void TearDown() override;

  StateLog states_;

 private:
  std::string version_;
};

}  // namespace backend_testing
