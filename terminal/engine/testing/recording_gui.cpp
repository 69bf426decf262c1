#include "engine/testing/recording_gui.h"

namespace engine_testing {

std::ostream& operator<<(std::ostream& out, const Change& change) {
  return out << change.tableId << change.operation << change.rowIndex;
}

std::vector<Change> ChangesOf(const std::vector<engine::TableChangeRecord>& records) {
  std::vector<Change> changes;
  for (const engine::TableChangeRecord& record : records) {
    changes.push_back({record.TableId(), record.Operation(), record.RowIndex()});
  }
  return changes;
}

engine::EngineCallbacks RecordingGui::Callbacks() {
  engine::EngineCallbacks callbacks;
  callbacks.log = [this](int level, const char* text) {
    std::lock_guard guard(mutex_);
    logLines.emplace_back(level, text);
  };
  callbacks.tableChanged = [this](const engine::TableChangeRecord& record) {
    std::lock_guard guard(mutex_);
    changes.push_back(record);
  };
  callbacks.connectionState = [this](int connection, int flag, int state) {
    std::lock_guard guard(mutex_);
    connectionStates.push_back({connection, flag, state});
  };
  callbacks.downloadDone = [this] {
    std::lock_guard guard(mutex_);
    ++downloadDoneCalls;
  };
  return callbacks;
}

std::vector<int> RecordingGui::ChangedTableIds() const {
  std::lock_guard guard(mutex_);
  std::vector<int> ids;
  for (const engine::TableChangeRecord& record : changes) ids.push_back(record.TableId());
  return ids;
}

std::vector<Change> RecordingGui::Changes() const {
  std::lock_guard guard(mutex_);
  return ChangesOf(changes);
}

std::vector<std::string> RecordingGui::LogTexts() const {
  std::lock_guard guard(mutex_);
  std::vector<std::string> texts;
  for (const auto& line : logLines) texts.push_back(line.second);
  return texts;
}

std::vector<std::pair<int, std::string>> RecordingGui::LogLines() const {
  std::lock_guard guard(mutex_);
  return logLines;
}

void RecordingGui::Clear() {
  std::lock_guard guard(mutex_);
  changes.clear();
  connectionStates.clear();
  logLines.clear();
  downloadDoneCalls = 0;
}

}  // namespace engine_testing
