// The engine's three ways to the GUI: connection-state changes, the end of
// the initial download, and table changes. The engine calls them on the GUI
// thread when it delivers its records (never with its lock held).
#pragma once

#include <string>

#include "engine/operation_engine.h"
#include "engine/table_change_record.h"

namespace quotes {
class CtbOptionalContract;
}

namespace client {

// The folder of the groups file: "Config/Common" in the program's folder.
std::string ContractGroupsFolder();

class EngineGuiCallbacks {
 public:
  // The engine tells which slot carries the quotes and holds the tables the
  // contract groups are built from; the quote object subscribes again when
  // the quote slot reconnects, and loads and watches its groups when the
  // contracts are in. Both must outlive this object.
  EngineGuiCallbacks(engine::COperationEngine& engine, quotes::CtbOptionalContract& quotes);

  // A connection's new state (and the state before it): a dropped slot is
  // closed, the quotes are subscribed again when the quote connection is
  // back, and the shell shows the state.
  void OnEngineConnectionState(int slot, int flag, int state);
  // The initial download has ended: the contract groups are built afresh
  // from the engine's tables and the groups file and watched (which sends
  // the quote subscription of the current group's window), then the shell
  // builds or refreshes its contract views.
  void OnEngineDownloadDone();
  // Hands the record to the shell.
  void OnEngineTableChange(const engine::TableChangeRecord& record);

  // Points the engine's connection-state, download-done and table-change
  // callbacks at this object, which must outlive the engine's use of them.
  void BindTo(engine::EngineCallbacks& callbacks);

 private:
  engine::COperationEngine& engine_;
  quotes::CtbOptionalContract& quotes_;
};

}  // namespace client
