// The engine's three ways to the GUI: connection-state changes, the end of
// the initial download, and table changes. The engine calls them on the GUI
// thread when it delivers its records (never with its lock held).
#pragma once

#include <string>

#include "engine/operation_engine.h"
#include "engine/table_change_record.h"

namespace quotes {
class CtbQuotationCom;
}

namespace client {

// The contract groups of the quote views (CtbOptionalContract): loaded from
// the engine's varieties and the groups file once the contracts are known,
// then watched, which takes the quote references of the visible rows. The
// groups layer installs itself here once it exists.
class ContractGroupsHook {
 public:
  // Rebuilds the groups from the engine and the groups file in `folder`.
  virtual void Load(const std::string& folder) = 0;
  // Starts watching the current group's visible rows (effective once).
  virtual void StartWatching() = 0;

 protected:
  ~ContractGroupsHook() = default;
};

// The folder of the groups file: "Config/Common" in the program's folder.
std::string ContractGroupsFolder();

class EngineGuiCallbacks {
 public:
  // The engine tells which slot carries the quotes; the quote table is asked
  // to subscribe again when that slot reconnects. The groups may be null
  // while the groups layer is not there.
  EngineGuiCallbacks(const engine::COperationEngine& engine, quotes::CtbQuotationCom& quotes,
                     ContractGroupsHook* contractGroups = nullptr);

  // A connection's new state (and the state before it): a dropped slot is
  // closed, the quotes are subscribed again when the quote connection is
  // back, and the shell shows the state.
  void OnEngineConnectionState(int slot, int flag, int state);
  // The initial download has ended: the contract groups are loaded and
  // watched, then the shell builds its contract views.
  void OnEngineDownloadDone();
  // Hands the record to the shell.
  void OnEngineTableChange(const engine::TableChangeRecord& record);

  // Points the engine's connection-state, download-done and table-change
  // callbacks at this object, which must outlive the engine's use of them.
  void BindTo(engine::EngineCallbacks& callbacks);

 private:
  const engine::COperationEngine& engine_;
  quotes::CtbQuotationCom& quotes_;
  ContractGroupsHook* contractGroups_;
};

}  // namespace client
