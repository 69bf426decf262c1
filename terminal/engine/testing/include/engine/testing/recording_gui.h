// The GUI as a started engine's callbacks see it: everything the engine
// tells it and writes to the log, kept for the test. Safe to call from the
// engine's threads.
#pragma once

#include <mutex>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "engine/operation_engine.h"
#include "engine/table_change_record.h"

namespace engine_testing {

struct ConnectionStateCall {
  int connection;
  int flag;
  int state;
  bool operator==(const ConnectionStateCall&) const = default;
};

// A table-change record as the tests compare it.
struct Change {
  int tableId;
  char operation;
  int rowIndex;
  bool operator==(const Change&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Change& change);
std::vector<Change> ChangesOf(const std::vector<engine::TableChangeRecord>& records);

class RecordingGui {
 public:
  // The log, table-change, connection-state and download-done callbacks.
  engine::EngineCallbacks Callbacks();

  std::vector<int> ChangedTableIds() const;
  // The records told, as compared.
  std::vector<Change> Changes() const;
  std::vector<std::string> LogTexts() const;
  std::vector<std::pair<int, std::string>> LogLines() const;
  void Clear();

  std::vector<engine::TableChangeRecord> changes;
  std::vector<ConnectionStateCall> connectionStates;
  std::vector<std::pair<int, std::string>> logLines;
  int downloadDoneCalls = 0;

 private:
  mutable std::mutex mutex_;
};

}  // namespace engine_testing
