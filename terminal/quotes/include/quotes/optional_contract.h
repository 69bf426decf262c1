// CtbOptionalContract: the quote object's top layer, the contract groups.
// Three lists of groups, one per kind (0 futures, 1 combinations, 2
// options): at each load one group per exchange is built from the engine's
// tables, and the user's own groups come from the groups file. Of all groups
// one is current, the current group of the current kind; while the object
// watches, the quote table holds a reference for each contract of that
// group's quote window (its rows from the top row on, at most ten), so that
// those are the contracts whose quotes come in. Changes of the groups are
// told to the group watchers through CWatchCallback::OnGroupChanged.
//
// GUI thread only. Failures leave their message (GBK) in the caller's text;
// nothing is shown here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quotes/contract_group.h"
#include "quotes/group_tables.h"
#include "quotes/quotation_ctrl.h"
#include "quotes/watch_callback.h"
#include "quotes/watch_list.h"

namespace quotes {

class CtbOptionalContract : public CtbQuotationCtrl {
 public:
  CtbOptionalContract() = default;
  // Saves the groups when they are watched.
  ~CtbOptionalContract() override;

  // Rebuilds every list: the groups the engine's tables give, then the
  // user's groups of the file "tbOptionalContractMQ.dat" in `folder` (made
  // when missing), and a group "自选" in each list that has none. A watching
  // object first lets go of its quote window and saves its groups, and
  // watches no more. The current kind becomes 0.
  void Load(const std::string& folder, const GroupTables& tables);
  // Watches the groups (once after each load): takes the quote window of
  // the current group of the current kind.
  void StartWatching();
  // Lets go of the quote window and saves the groups; nothing when not
  // watching. The terminal's end.
  void StopWatching();
  bool IsWatching() const { return watching_; }
  // Loads so far; a view whose groups came from an earlier load builds anew.
  std::uint64_t LoadCount() const { return loadCount_; }
  // The groups file's path; empty before the first load.
  const std::string& FilePath() const { return filePath_; }

  int CurrentKind() const { return currentKind_; }
  // Makes the kind current: its current group's window replaces the one
  // held. A kind outside 0 to 2 is ignored.
  void SetCurrentKind(int kind);
  // Makes the named group of the kind current (and the kind with it).
  bool SetCurrentGroup(int kind, std::string_view name, std::string& error);

  // Puts the record's keys at the top of the group of the record's name;
  // the number added, or 0 with the reason.
  int AddContracts(const ContractGroup& record, std::string& error, int kind);
  // Removes the group's rows first to last (cut to the group); the number
  // removed, or 0 with the reason.
  int RemoveContracts(int kind, std::string_view name, int first, int last, std::string& error);
  // Moves the quote window of the current group to start at row `top`
  // (cut to the group). False for a negative row, silently.
  bool ScrollQuoteWindow(std::string& error, int top);
  // The current group's top row; -1 without a current group.
  int GetTopRow() const;

  // The list of a kind; null for a kind outside 0 to 2 or before the first
  // load. Valid until the next load.
  const ContractGroupList* Groups(int kind) const;
  // The group "自选" of the kind, or null.
  const ContractGroup* FindOptionalGroup(int kind) const;

  // The group watchers, as the quote-watch list: registration order,
  // duplicates allowed, the first match removed.
  bool RegisterGroupWatch(CWatchCallback* watcher) { return groupWatchers_.Register(watcher); }
  void UnregisterGroupWatch(CWatchCallback* watcher) { groupWatchers_.Unregister(watcher); }
  // OnGroupChanged of every group watcher, in registration order.
  void NotifyGroupWatchers(int event, int kind, const ContractGroupList* groups);

 private:
  ContractGroupList* List(int kind);
  // The keys of the current group's window while the groups are watched;
  // none else.
  std::vector<ContractKey> WantedWindow() const;
  // How the wanted window differs from the held one: the same group's rows
  // scrolled, or rows that show anew (another group, the group changed).
  enum class WindowChange { kScrolled, kReplaced };
  // Brings the quote table's references in line with the wanted window, in
  // one step. The listeners hear the held quotes of the rows that show anew.
  void SyncQuoteWindow(WindowChange change);
  void Save();
  void ReadFile();

  bool watching_ = false;
  int currentKind_ = kFutureKind;
  std::array<std::optional<ContractGroupList>, kGroupKinds> lists_;
  // The keys whose quote references this object holds.
  std::vector<ContractKey> heldWindow_;
  WatchList groupWatchers_;
  std::string filePath_;
  std::uint64_t loadCount_ = 0;
};

}  // namespace quotes
