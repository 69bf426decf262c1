#include "quotes/optional_contract.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/testing/temporary_folder.h"
#include "quote_test_support.h"
#include "quotes/groups_file.h"

namespace {

using quotes::ContractGroup;
using quotes::ContractGroupList;
using quotes::ContractKey;
using quotes::GroupTables;
using quotes::MakeContractKey;
using quotes::testing::Codes;
using quotes::testing::Quote;
using quotes::testing::RecordingListener;
using quotes::testing::RecordingSubscriber;
using Strings = std::vector<std::string>;

constexpr int kFutures = quotes::kFutureKind;
constexpr int kOptions = quotes::kOptionKind;

// "cu2701", "cu2702", ...: the n-th futures contract of the copper variety.
std::string Copper(int n) {
  char code[16];
  std::snprintf(code, sizeof code, "cu27%02d", n + 1);
  return code;
}

Strings CopperCodes(int first, int count) {
  Strings codes;
  for (int n = first; n < first + count; ++n) codes.push_back(Copper(n));
  return codes;
}

// The engine's tables of two exchanges with groups: `copper` futures and
// one option of 上期所 (S), one future and one option of 大商所 (D).
GroupTables Tables(int copper, bool withDalian = true) {
  GroupTables tables;
  tables.exchanges.push_back({"上期所", true, false});
  for (int n = 0; n < copper; ++n) tables.contracts.push_back({"上期所", MakeContractKey("S", Copper(n)), false});
  tables.contracts.push_back({"上期所", MakeContractKey("S", "cu2701-C-80000"), true});
  if (withDalian) {
    tables.exchanges.push_back({"大商所", true, true});
    tables.contracts.push_back({"大商所", MakeContractKey("D", "m2701"), false});
    tables.contracts.push_back({"大商所", MakeContractKey("D", "m2701-C-3000"), true});
    tables.combinations.push_back({"大商所", MakeContractKey("D", "SP m2701&m2705"), false});
  }
  return tables;
}

ContractGroup Record(std::string_view name, const Strings& codes, std::string_view exchange = "S") {
  ContractGroup record;
  record.name = name;
  for (const std::string& code : codes) record.keys.push_back(MakeContractKey(exchange, code));
  return record;
}

Strings Names(const ContractGroupList* list) {
  Strings names;
  for (const ContractGroup& group : list->groups) names.push_back(group.name);
  return names;
}

Strings KeyCodes(const ContractGroup& group) {
  Strings codes;
  for (const ContractKey& key : group.keys) codes.emplace_back(key.Code());
  return codes;
}

struct GroupEvent {
  int event;
  int kind;
  const ContractGroupList* list;
  friend bool operator==(const GroupEvent&, const GroupEvent&) = default;
};

class GroupWatcher : public quotes::CWatchCallback {
 public:
  bool OnGroupChanged(int event, int kind, const ContractGroupList* list) override {
    events.push_back({event, kind, list});
    return true;
  }
  std::vector<GroupEvent> events;
};

class ContractGroups : public ::testing::Test {
 protected:
  ContractGroups() {
    groups.SetQuoteSubscriber(&subscriber);
    groups.RegisterWatch(&listener);
    groups.RegisterGroupWatch(&watcher);
  }

  std::string Folder() const { return folder.PathOf("Config/Common"); }
  void Load(const GroupTables& tables) { groups.Load(Folder(), tables); }
  // Loads and watches; the current group is 上期所's futures.
  void Watch(int copper) {
    Load(Tables(copper));
    groups.StartWatching();
    subscriber.lists.clear();
  }
  // The contracts of the quote table, in slot order.
  Strings Held() const { return Codes(groups.CopySlots()); }
  const ContractGroup& Group(int kind, std::string_view name) const {
    const ContractGroupList* list = groups.Groups(kind);
    return list->groups.at(static_cast<std::size_t>(list->Find(name)));
  }
  // A named quote for each of the contracts.
  void QuoteAll(const Strings& codes) {
    for (const std::string& code : codes) ASSERT_TRUE(groups.ApplyQuote(Quote(MakeContractKey("S", code), "铜", 1)));
  }
  bool HasNamedQuote(const std::string& code) const {
    backend::QuoteRecord quote;
    return groups.FindQuote("S", code, quote) && quote.szName[0] != '\0';
  }

  platform_testing::TemporaryFolder folder{"contract_groups"};
  RecordingSubscriber subscriber;
  RecordingListener listener;
  GroupWatcher watcher;
  quotes::CtbOptionalContract groups;
  std::string error;
};

TEST_F(ContractGroups, ALoadBuildsAGroupPerExchangeAndKindAndGivesEveryListTheUsersGroup) {
  GroupTables tables = Tables(2);
  tables.exchanges.push_back({"郑商所", false, false});  // no groups
  tables.contracts.push_back({"郑商所", MakeContractKey("Z", "SR701"), false});
  tables.exchanges.push_back({"上期所", true, false});  // a second seat
  Load(tables);

  EXPECT_EQ(Names(groups.Groups(kFutures)), (Strings{"上期所", "大商所", "自选"}));
  EXPECT_EQ(Names(groups.Groups(quotes::kCombinationKind)), (Strings{"大商所", "自选"}));
  EXPECT_EQ(Names(groups.Groups(kOptions)), (Strings{"上期所", "大商所", "自选"}));
  EXPECT_EQ(KeyCodes(Group(kFutures, "上期所")), (Strings{"cu2701", "cu2702"}));
  EXPECT_EQ(KeyCodes(Group(kOptions, "上期所")), Strings{"cu2701-C-80000"});
  EXPECT_EQ(KeyCodes(Group(quotes::kCombinationKind, "大商所")), Strings{"SP m2701&m2705"});
  EXPECT_EQ(Group(kFutures, "大商所").keys.at(0), MakeContractKey("D", "m2701"));
  EXPECT_TRUE(Group(kFutures, "上期所").built);
  const ContractGroup& optional = *groups.FindOptionalGroup(kOptions);
  EXPECT_EQ(optional.name, "自选");
  EXPECT_FALSE(optional.built);
  EXPECT_EQ(optional.capacity, 10);
  for (int kind = 0; kind < quotes::kGroupKinds; ++kind) EXPECT_EQ(groups.Groups(kind)->currentIndex, 0);
  EXPECT_EQ(groups.CurrentKind(), kFutures);
  EXPECT_EQ(groups.GetTopRow(), 0);
  EXPECT_EQ(groups.Groups(7), nullptr);

  // Nothing is watched, and so nothing subscribed, before the watching.
  EXPECT_FALSE(groups.IsWatching());
  EXPECT_TRUE(subscriber.lists.empty());
  EXPECT_TRUE(platform::IsDirectory(Folder()));

  // A busy engine gives no tables: only the users' groups.
  Load(GroupTables{});
  EXPECT_EQ(Names(groups.Groups(kFutures)), Strings{"自选"});
  EXPECT_EQ(groups.LoadCount(), 2u);
}

TEST_F(ContractGroups, WatchingTakesTheQuoteWindowOfTheCurrentGroupOnce) {
  Load(Tables(25));
  groups.StartWatching();
  EXPECT_EQ(subscriber.lists, std::vector<Strings>{CopperCodes(0, 10)});
  groups.StartWatching();
  EXPECT_EQ(subscriber.lists.size(), 1u);

  groups.StopWatching();
  EXPECT_TRUE(Held().empty());
  EXPECT_TRUE(platform::IsRegularFile(groups.FilePath()));
}

TEST_F(ContractGroups, TheUsersGroupsComeBackAfterAReloadBesideFreshlyBuiltGroups) {
  Load(Tables(3, false));
  groups.StartWatching();
  ASSERT_EQ(groups.AddContracts(Record("自选", {"m2701"}, "D"), error, kFutures), 1) << error;
  ASSERT_EQ(groups.AddContracts(Record("自选", {"cu2702"}), error, kFutures), 1) << error;
  ASSERT_TRUE(groups.SetCurrentGroup(kFutures, "自选", error)) << error;
  ASSERT_EQ(groups.AddContracts(Record("自选", {"cu2701-C-80000"}), error, kOptions), 1) << error;

  // The next download brings an exchange more: its group comes before the
  // user's, which stays current.
  Load(Tables(2));
  EXPECT_EQ(Names(groups.Groups(kFutures)), (Strings{"上期所", "大商所", "自选"}));
  EXPECT_EQ(KeyCodes(Group(kFutures, "上期所")), (Strings{"cu2701", "cu2702"}));
  EXPECT_EQ(KeyCodes(Group(kFutures, "自选")), (Strings{"cu2702", "m2701"}));
  EXPECT_EQ(Group(kFutures, "自选").keys[1].Exchange(), "D");
  EXPECT_EQ(groups.Groups(kFutures)->currentIndex, 2);
  EXPECT_EQ(KeyCodes(Group(kOptions, "自选")), Strings{"cu2701-C-80000"});
  EXPECT_EQ(groups.Groups(kOptions)->currentIndex, 0);
  EXPECT_FALSE(groups.IsWatching());

  // Another run reads the same.
  quotes::CtbOptionalContract again;
  again.Load(Folder(), Tables(2));
  EXPECT_EQ(Names(again.Groups(kFutures)), Names(groups.Groups(kFutures)));
  EXPECT_EQ(again.Groups(kFutures)->currentIndex, 2);
}

TEST_F(ContractGroups, ADamagedFileGivesTheGroupsItHoldsWhole) {
  std::array<std::optional<ContractGroupList>, quotes::kGroupKinds> stored;
  stored[kFutures].emplace().groups = {Record("自选", {"au2702", "ag2702"}), Record("常用", {"zn2701", "rb2701"})};
  std::string bytes = quotes::EncodeGroupsFile(0, stored);
  ASSERT_TRUE(platform::MakeDirectory(folder.PathOf("Config")) && platform::MakeDirectory(Folder()));
  const std::string path = Folder() + "/tbOptionalContractMQ.dat";
  std::ofstream(path, std::ios::binary) << bytes.substr(0, bytes.size() - 40);

  Load(Tables(1, false));
  EXPECT_EQ(Names(groups.Groups(kFutures)), (Strings{"上期所", "自选"}));
  EXPECT_EQ(KeyCodes(Group(kFutures, "自选")), (Strings{"au2702", "ag2702"}));

  // Bytes of no groups file at all.
  std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(3000, '\xEE');
  Load(Tables(1, false));
  EXPECT_EQ(Names(groups.Groups(kFutures)), (Strings{"上期所", "自选"}));
  EXPECT_TRUE(Group(kFutures, "自选").keys.empty());
}

TEST_F(ContractGroups, AHiddenGroupNeverBecomesCurrent) {
  std::array<std::optional<ContractGroupList>, quotes::kGroupKinds> stored;
  ContractGroupList& futures = stored[kFutures].emplace();
  futures.groups = {Record("暗组", {"au2702"}), Record("自选", {})};
  futures.groups[0].hidden = true;
  futures.currentIndex = 0;
  ASSERT_TRUE(platform::MakeDirectory(folder.PathOf("Config")) && platform::MakeDirectory(Folder()));
  std::ofstream(Folder() + "/tbOptionalContractMQ.dat", std::ios::binary) << quotes::EncodeGroupsFile(0, stored);

  Load(Tables(1, false));
  EXPECT_EQ(Names(groups.Groups(kFutures)), (Strings{"上期所", "暗组", "自选"}));
  EXPECT_EQ(groups.Groups(kFutures)->currentIndex, 0);
  EXPECT_FALSE(groups.SetCurrentGroup(kFutures, "暗组", error));
  EXPECT_EQ(error, "不能将隐藏组设置成当前组！");
  EXPECT_FALSE(groups.SetCurrentGroup(kFutures, "明组", error));
  EXPECT_EQ(error, "指定的合约组不存在！");
  EXPECT_FALSE(groups.SetCurrentGroup(9, "自选", error));
  EXPECT_EQ(groups.Groups(kFutures)->currentIndex, 0);
  EXPECT_TRUE(watcher.events.empty());
}

TEST_F(ContractGroups, AddingPutsTheContractsFirstGrowsTheGroupAndRefusesRepeatedCodes) {
  Watch(1);
  const ContractGroupList* futures = groups.Groups(kFutures);
  ASSERT_EQ(groups.AddContracts(Record("自选", CopperCodes(10, 9)), error, kFutures), 9);
  EXPECT_EQ(Group(kFutures, "自选").capacity, 10);
  ASSERT_EQ(groups.AddContracts(Record("自选", {"al2701", "zn2701"}), error, kFutures), 2);
  const ContractGroup& optional = Group(kFutures, "自选");
  EXPECT_EQ(optional.capacity, 20);
  EXPECT_EQ(optional.Count(), 11);
  EXPECT_EQ(KeyCodes(optional)[0], "al2701");
  EXPECT_EQ(KeyCodes(optional)[2], "cu2711");
  EXPECT_EQ(watcher.events, (std::vector<GroupEvent>{{4, kFutures, futures}, {4, kFutures, futures}}));

  // The group is not current: its contracts are not watched.
  EXPECT_EQ(Held(), Strings{"cu2701"});
  EXPECT_TRUE(subscriber.lists.empty());

  // A code the group holds under any exchange, or twice in the record.
  EXPECT_EQ(groups.AddContracts(Record("自选", {"rb2701", "zn2701"}, "D"), error, kFutures), 0);
  EXPECT_EQ(error, "合约组内已经存在合约：zn2701！");
  EXPECT_EQ(groups.AddContracts(Record("自选", {"ni2701", "ni2701"}), error, kFutures), 0);
  EXPECT_EQ(error, "合约组内已经存在合约：ni2701！");
  EXPECT_EQ(Group(kFutures, "自选").Count(), 11);
  EXPECT_EQ(groups.AddContracts(Record("常用", {"ni2701"}), error, kFutures), 0);
  EXPECT_EQ(error, "指定的合约组不存在！");
  EXPECT_EQ(watcher.events.size(), 2u);
}

TEST_F(ContractGroups, AWindowThatChangesKeepsTheQuotesOfTheContractsThatStayInIt) {
  Watch(12);
  QuoteAll(CopperCodes(0, 10));
  ASSERT_EQ(groups.AddContracts(Record("上期所", {"al2701", "zn2701"}), error, kFutures), 2);
  // The window shows the new contracts first: the last two copper rows
  // leave it; the rows that stay keep their quotes.
  EXPECT_EQ(subscriber.lists.size(), 1u);
  EXPECT_EQ(Held(), (Strings{"cu2701", "cu2702", "cu2703", "cu2704", "cu2705", "cu2706", "cu2707", "cu2708", "al2701",
                             "zn2701"}));
  EXPECT_TRUE(HasNamedQuote("cu2701"));
  EXPECT_FALSE(HasNamedQuote("cu2709"));

  // 自选 shares a contract with the window it replaces: that contract keeps
  // its slot and its quote, and the listener hears the held quote.
  ASSERT_EQ(groups.AddContracts(Record("自选", {"cu2703", "ni2701"}), error, kFutures), 2);
  listener.quotes.clear();
  subscriber.lists.clear();
  ASSERT_TRUE(groups.SetCurrentGroup(kFutures, "自选", error)) << error;
  EXPECT_EQ(Held(), (Strings{"cu2703", "ni2701"}));
  EXPECT_TRUE(HasNamedQuote("cu2703"));
  ASSERT_EQ(listener.quotes.size(), 1u);
  EXPECT_STREQ(listener.quotes[0].szCode, "cu2703");
  EXPECT_EQ(subscriber.lists.size(), 1u);
  EXPECT_EQ(watcher.events.back(), (GroupEvent{16, kFutures, groups.Groups(kFutures)}));

  // The current group again: nothing happens.
  const std::size_t events = watcher.events.size();
  EXPECT_TRUE(groups.SetCurrentGroup(kFutures, "自选", error));
  EXPECT_EQ(watcher.events.size(), events);
}

TEST_F(ContractGroups, ChangingTheCurrentKindTakesTheWindowOfItsCurrentGroup) {
  Watch(3);
  groups.SetCurrentKind(kOptions);
  EXPECT_EQ(groups.CurrentKind(), kOptions);
  EXPECT_EQ(Held(), Strings{"cu2701-C-80000"});
  EXPECT_EQ(watcher.events, (std::vector<GroupEvent>{{16, kOptions, groups.Groups(kOptions)}}));
  groups.SetCurrentKind(kOptions);
  groups.SetCurrentKind(3);
  groups.SetCurrentKind(-1);
  EXPECT_EQ(watcher.events.size(), 1u);
  EXPECT_EQ(groups.CurrentKind(), kOptions);

  groups.SetCurrentKind(kFutures);
  EXPECT_EQ(Held(), CopperCodes(0, 3));
  EXPECT_EQ(subscriber.lists, (std::vector<Strings>{{"cu2701-C-80000"}, CopperCodes(0, 3)}));
}

TEST_F(ContractGroups, RemovingTakesTheRowsOfTheRangeThatTheGroupHas) {
  Watch(7);
  EXPECT_EQ(groups.RemoveContracts(kFutures, "上期所", 5, 100, error), 2);
  EXPECT_EQ(KeyCodes(Group(kFutures, "上期所")), CopperCodes(0, 5));
  EXPECT_EQ(Held(), CopperCodes(0, 5));
  EXPECT_EQ(watcher.events, (std::vector<GroupEvent>{{8, kFutures, groups.Groups(kFutures)}}));
  EXPECT_EQ(groups.RemoveContracts(kFutures, "上期所", -3, 0, error), 1);
  EXPECT_EQ(KeyCodes(Group(kFutures, "上期所")), CopperCodes(1, 4));

  EXPECT_EQ(groups.RemoveContracts(kFutures, "自选", 0, 0, error), 0);
  EXPECT_EQ(error, "不存在选中删除的合约！");
  EXPECT_EQ(groups.RemoveContracts(kFutures, "上期所", 3, 2, error), 0);
  EXPECT_EQ(groups.RemoveContracts(kOptions, "常用", 0, 0, error), 0);
  EXPECT_EQ(error, "指定的合约组不存在！");
}

TEST_F(ContractGroups, RemovingRowsBelowTheWindowPullsItsTopRowBack) {
  Watch(40);
  ASSERT_TRUE(groups.ScrollQuoteWindow(error, 35));
  EXPECT_EQ(groups.RemoveContracts(kFutures, "上期所", 10, 39, error), 30);
  EXPECT_EQ(groups.GetTopRow(), 9);
  EXPECT_EQ(Held(), Strings{"cu2710"});
}

TEST_F(ContractGroups, ScrollingMovesTheWindowByTheRowsThatLeaveAndJoinIt) {
  Watch(40);
  ASSERT_TRUE(groups.ScrollQuoteWindow(error, 25));
  EXPECT_EQ(Held(), CopperCodes(25, 10));
  EXPECT_EQ(subscriber.lists, std::vector<Strings>{CopperCodes(25, 10)});
  QuoteAll(CopperCodes(25, 10));

  // Back to 20: rows 30 to 34 leave, 20 to 24 join; 25 to 29 keep their
  // quotes.
  ASSERT_TRUE(groups.ScrollQuoteWindow(error, 20));
  EXPECT_EQ(Held(), (Strings{"cu2726", "cu2727", "cu2728", "cu2729", "cu2730", "cu2721", "cu2722", "cu2723", "cu2724",
                             "cu2725"}));
  EXPECT_TRUE(HasNamedQuote("cu2726"));
  EXPECT_EQ(groups.GetTopRow(), 20);

  // The same row, a row beyond the group (its last row) and a negative row.
  subscriber.lists.clear();
  EXPECT_TRUE(groups.ScrollQuoteWindow(error, 20));
  EXPECT_TRUE(subscriber.lists.empty());
  EXPECT_TRUE(groups.ScrollQuoteWindow(error, 100));
  EXPECT_EQ(groups.GetTopRow(), 39);
  EXPECT_EQ(Held(), Strings{"cu2740"});
  error.clear();
  EXPECT_FALSE(groups.ScrollQuoteWindow(error, -1));
  EXPECT_EQ(error, "");

  // A current group without contracts, and no groups at all.
  ASSERT_TRUE(groups.SetCurrentGroup(kFutures, "自选", error));
  EXPECT_FALSE(groups.ScrollQuoteWindow(error, 1));
  EXPECT_EQ(error, "指定的合约组没有设置合约！");
  quotes::CtbOptionalContract unloaded;
  EXPECT_FALSE(unloaded.ScrollQuoteWindow(error, 1));
  EXPECT_EQ(error, "指定的合约组不存在！");
  EXPECT_EQ(unloaded.GetTopRow(), -1);
}

TEST_F(ContractGroups, TheGroupWatchersAreToldInTheirOrderUntilTheyLeave) {
  Watch(1);
  GroupWatcher second;
  groups.RegisterGroupWatch(&second);
  groups.SetCurrentKind(kOptions);
  groups.UnregisterGroupWatch(&watcher);
  groups.SetCurrentKind(kFutures);
  EXPECT_EQ(watcher.events.size(), 1u);
  EXPECT_EQ(second.events.size(), 2u);
  EXPECT_FALSE(groups.RegisterGroupWatch(nullptr));
}

// Writes past `bytes` fail while this lives (the signal that would end the
// program is ignored): a full disk, for root as for anyone.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &before_);
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = before_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &before_);
    ::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit before_{};
  sighandler_t oldHandler_;
};

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST_F(ContractGroups, ASaveThatCannotBeWrittenKeepsTheFileBefore) {
  Watch(1);
  groups.StopWatching();
  const std::string before = FileText(groups.FilePath());
  ASSERT_FALSE(before.empty());

  groups.StartWatching();
  ASSERT_EQ(groups.AddContracts(Record("自选", CopperCodes(10, 60)), error, kFutures), 60);
  {
    FileSizeLimit limit(before.size() + 100);
    groups.StopWatching();
  }
  EXPECT_EQ(FileText(groups.FilePath()), before);
  groups.StartWatching();
  groups.StopWatching();
  EXPECT_EQ(FileText(groups.FilePath()).size(), before.size() + 60 * sizeof(ContractKey));
}

}  // namespace
