#include "ui/command_ids.h"

#include <map>
#include <mutex>

namespace ui {
namespace {

// Toolkit ids handed out from here on; no command of the terminal below
// 0x7FFF lies in this range.
constexpr int kFirstToolkitId = 0x6000;
constexpr int kToolkitLimit = 0x7FFF;

struct Table {
  std::mutex mutex;  // guards the maps
  std::map<int, int> toToolkit;
  std::map<int, int> toCommand;
};

Table& TheTable() {
  static Table table;
  return table;
}

}  // namespace

int ToolkitId(int commandId) {
  if (commandId < kToolkitLimit) return commandId;
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  const auto found = table.toToolkit.find(commandId);
  if (found != table.toToolkit.end()) return found->second;
  const int id = kFirstToolkitId + static_cast<int>(table.toToolkit.size());
  table.toToolkit[commandId] = id;
  table.toCommand[id] = commandId;
  return id;
}

int CommandOf(int toolkitId) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  const auto found = table.toCommand.find(toolkitId);
  return found == table.toCommand.end() ? toolkitId : found->second;
}

}  // namespace ui
