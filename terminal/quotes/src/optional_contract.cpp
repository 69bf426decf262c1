#include "quotes/optional_contract.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>
#include <utility>

#include "backend/field_text.h"
#include "backend/program_log.h"
#include "platform/atomic_file.h"
#include "quotes/groups_file.h"

namespace quotes {
namespace {

constexpr const char* kNoSuchGroup = "指定的合约组不存在！";
constexpr const char* kHiddenGroup = "不能将隐藏组设置成当前组！";
constexpr const char* kEmptyGroup = "指定的合约组没有设置合约！";
constexpr const char* kNoRowsToRemove = "不存在选中删除的合约！";
constexpr const char* kNoMemory = "新增自选合约申请内存失败！";

void LogNote(const std::string& text) { backend::WriteLogLine(backend::kLogNote, text.c_str()); }

// The keys of `from` less one of each key of `less`, in the order of `from`.
std::vector<ContractKey> Without(const std::vector<ContractKey>& from, std::vector<ContractKey> less) {
  std::vector<ContractKey> kept;
  for (const ContractKey& key : from) {
    const auto found = std::find(less.begin(), less.end(), key);
    if (found == less.end()) {
      kept.push_back(key);
    } else {
      less.erase(found);
    }
  }
  return kept;
}

// The first code of the record that the group, or the record before it,
// holds already (the exchange is not compared); empty when none.
std::string_view RepeatedCode(const ContractGroup& group, const ContractGroup& record) {
  const auto sameCode = [](const ContractKey& key) {
    return [code = key.Code()](const ContractKey& other) { return other.Code() == code; };
  };
  for (auto key = record.keys.begin(); key != record.keys.end(); ++key) {
    if (std::any_of(group.keys.begin(), group.keys.end(), sameCode(*key)) ||
        std::any_of(record.keys.begin(), key, sameCode(*key))) {
      return key->Code();
    }
  }
  return {};
}

// The file's bytes; nothing when it is missing, unreadable or larger than
// any groups file.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return std::nullopt;
  if (size > kMaxGroupsFileBytes) {
    LogNote("合约组文件过大，未读取：" + path);
    return std::nullopt;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  return bytes;
}

}  // namespace

CtbOptionalContract::~CtbOptionalContract() {
  if (watching_) Save();
}

void CtbOptionalContract::Load(const std::string& folder, const GroupTables& tables) {
  if (watching_) {
    watching_ = false;
    SyncQuoteWindow(WindowChange::kReplaced);
    Save();
  }
  const std::array<std::vector<ContractGroup>, kGroupKinds> built = BuildGroups(tables);
  for (int kind = 0; kind < kGroupKinds; ++kind) {
    ContractGroupList& list = lists_[static_cast<std::size_t>(kind)].emplace();
    for (const ContractGroup& group : built[static_cast<std::size_t>(kind)]) {
      if (!list.IsFull()) list.groups.push_back(group);
    }
  }
  backend::CreateDirectoryPath(folder);
  filePath_ = (std::filesystem::path(folder) / kGroupsFileName).string();
  ReadFile();
  for (std::optional<ContractGroupList>& list : lists_) {
    if (list->Find(kOptionalGroupName) < 0) {
      if (list->IsFull()) list->capacity += ContractGroupList::kGrowth;
      ContractGroup optional;
      optional.name = kOptionalGroupName;
      list->groups.push_back(std::move(optional));
    }
    list->SettleCurrentIndex();
  }
  currentKind_ = kFutureKind;
  ++loadCount_;
}

// The user's groups follow the built ones while the list has room. The
// current group is found again by its name: the built groups before it may
// differ from those of the run that wrote the file.
void CtbOptionalContract::ReadFile() {
  const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(filePath_);
  if (!bytes) return;
  const StoredGroups stored = DecodeGroupsFile(*bytes);
  if (stored.damaged) LogNote("合约组文件已损坏，只读取了其中完整的合约组：" + filePath_);
  for (int kind = 0; kind < kGroupKinds; ++kind) {
    ContractGroupList& list = *lists_[static_cast<std::size_t>(kind)];
    const StoredGroupList& file = stored.lists[static_cast<std::size_t>(kind)];
    for (const ContractGroup& group : file.groups) {
      if (!list.IsFull()) list.groups.push_back(group);
    }
    if (file.currentIndex >= 0) list.currentIndex = file.currentName.empty() ? -1 : list.Find(file.currentName);
  }
}

void CtbOptionalContract::Save() {
  if (filePath_.empty()) return;
  if (!platform::WriteFileAtomically(filePath_, EncodeGroupsFile(currentKind_, lists_))) {
    LogNote("保存合约组文件失败：" + filePath_);
  }
}

void CtbOptionalContract::StartWatching() {
  if (watching_) return;
  watching_ = true;
  SyncQuoteWindow(WindowChange::kReplaced);
}

void CtbOptionalContract::StopWatching() {
  if (!watching_) return;
  watching_ = false;
  SyncQuoteWindow(WindowChange::kReplaced);
  Save();
}

void CtbOptionalContract::SetCurrentKind(int kind) {
  if (!IsGroupKind(kind) || kind == currentKind_) return;
  currentKind_ = kind;
  NotifyGroupWatchers(kCurrentGroupEvent, kind, List(kind));
  SyncQuoteWindow(WindowChange::kReplaced);
}

bool CtbOptionalContract::SetCurrentGroup(int kind, std::string_view name, std::string& error) {
  ContractGroupList* list = List(kind);
  const int index = list == nullptr ? -1 : list->Find(name);
  if (index < 0) {
    error = kNoSuchGroup;
    return false;
  }
  if (list->groups[static_cast<std::size_t>(index)].hidden) {
    error = kHiddenGroup;
    return false;
  }
  if (kind == currentKind_ && index == list->currentIndex) return true;
  currentKind_ = kind;
  list->currentIndex = index;
  NotifyGroupWatchers(kCurrentGroupEvent, kind, list);
  SyncQuoteWindow(WindowChange::kReplaced);
  return true;
}

int CtbOptionalContract::AddContracts(const ContractGroup& record, std::string& error, int kind) {
  ContractGroupList* list = List(kind);
  const int index = list == nullptr ? -1 : list->Find(record.name);
  if (index < 0) {
    error = kNoSuchGroup;
    return 0;
  }
  ContractGroup& group = list->groups[static_cast<std::size_t>(index)];
  if (const std::string_view code = RepeatedCode(group, record); !code.empty()) {
    error = "合约组内已经存在合约：" + std::string(code) + "！";
    return 0;
  }
  if (record.keys.empty()) return 0;
  try {
    group.keys.insert(group.keys.begin(), record.keys.begin(), record.keys.end());
  } catch (const std::bad_alloc&) {
    error = kNoMemory;
    return 0;
  }
  if (group.Count() > group.capacity) group.capacity = GroupCapacityFor(group.Count());
  // The watchers refill what shows the group before its window's quotes come
  // again.
  NotifyGroupWatchers(kContractsAddedEvent, kind, list);
  SyncQuoteWindow(WindowChange::kReplaced);
  return record.Count();
}

int CtbOptionalContract::RemoveContracts(int kind, std::string_view name, int first, int last, std::string& error) {
  ContractGroupList* list = List(kind);
  const int index = list == nullptr ? -1 : list->Find(name);
  if (index < 0) {
    error = kNoSuchGroup;
    return 0;
  }
  ContractGroup& group = list->groups[static_cast<std::size_t>(index)];
  last = std::min(last, group.Count() - 1);
  first = std::max(first, 0);
  if (last < first) {
    error = kNoRowsToRemove;
    return 0;
  }
  group.keys.erase(group.keys.begin() + first, group.keys.begin() + last + 1);
  group.topRow = std::max(std::min(group.topRow, group.Count() - 1), 0);
  NotifyGroupWatchers(kContractsRemovedEvent, kind, list);
  SyncQuoteWindow(WindowChange::kReplaced);
  return last - first + 1;
}

bool CtbOptionalContract::ScrollQuoteWindow(std::string& error, int top) {
  if (top < 0) return false;
  ContractGroupList* list = List(currentKind_);
  if (list == nullptr) {
    error = kNoSuchGroup;
    return false;
  }
  ContractGroup* group = list->Current();
  if (group == nullptr || group->keys.empty()) {
    error = kEmptyGroup;
    return false;
  }
  top = std::min(top, group->Count() - 1);
  if (top == group->topRow) return true;
  group->topRow = top;
  SyncQuoteWindow(WindowChange::kScrolled);
  return true;
}

int CtbOptionalContract::GetTopRow() const {
  const ContractGroupList* list = Groups(currentKind_);
  const ContractGroup* group = list == nullptr ? nullptr : list->Current();
  return group == nullptr ? -1 : group->topRow;
}

const ContractGroupList* CtbOptionalContract::Groups(int kind) const {
  return IsGroupKind(kind) && lists_[static_cast<std::size_t>(kind)] ? &*lists_[static_cast<std::size_t>(kind)]
                                                                     : nullptr;
}

ContractGroupList* CtbOptionalContract::List(int kind) { return const_cast<ContractGroupList*>(Groups(kind)); }

const ContractGroup* CtbOptionalContract::FindOptionalGroup(int kind) const {
  const ContractGroupList* list = Groups(kind);
  const int index = list == nullptr ? -1 : list->Find(kOptionalGroupName);
  return index < 0 ? nullptr : &list->groups[static_cast<std::size_t>(index)];
}

void CtbOptionalContract::NotifyGroupWatchers(int event, int kind, const ContractGroupList* groups) {
  groupWatchers_.ForEach([&](CWatchCallback& watcher) { watcher.OnGroupChanged(event, kind, groups); });
}

std::vector<ContractKey> CtbOptionalContract::WantedWindow() const {
  const ContractGroupList* list = Groups(currentKind_);
  const ContractGroup* group = list == nullptr ? nullptr : list->Current();
  if (!watching_ || group == nullptr) return {};
  const std::span<const ContractKey> window = group->WindowAt(group->topRow);
  return {window.begin(), window.end()};
}

// The held window is updated before the table calls the listeners, which
// may move the window again.
void CtbOptionalContract::SyncQuoteWindow(WindowChange change) {
  std::vector<ContractKey> wanted = WantedWindow();
  std::vector<ContractKey> released = std::exchange(heldWindow_, wanted);
  if (change == WindowChange::kScrolled) {
    // The rows that stay show where they showed: only those that leave or
    // join the window change the table.
    std::vector<ContractKey> added = Without(wanted, released);
    released = Without(released, wanted);
    wanted = std::move(added);
  }
  if (released.empty() && wanted.empty()) return;
  MoveQuoteRefs(released, wanted);
}

}  // namespace quotes
