#include "quotes/groups_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/little_endian.h"

namespace {

using quotes::ContractGroup;
using quotes::ContractGroupList;
using quotes::DecodeGroupsFile;
using quotes::EncodeGroupsFile;
using quotes::MakeContractKey;
using quotes::StoredGroups;

using Lists = std::array<std::optional<ContractGroupList>, quotes::kGroupKinds>;

ContractGroup Group(std::string name, std::vector<std::string> codes, bool built = false, bool hidden = false) {
  ContractGroup group;
  group.name = std::move(name);
  group.built = built;
  group.hidden = hidden;
  for (const std::string& code : codes) group.keys.push_back(MakeContractKey("S", code));
  group.capacity = quotes::GroupCapacityFor(group.Count());
  return group;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::string> Names(const std::vector<ContractGroup>& groups) {
  std::vector<std::string> names;
  for (const ContractGroup& group : groups) names.push_back(group.name);
  return names;
}

std::vector<std::string> Codes(const ContractGroup& group) {
  std::vector<std::string> codes;
  for (const quotes::ContractKey& key : group.keys) codes.emplace_back(key.Code());
  return codes;
}

// Kind 0: two built groups and two of the user's, the current one of them;
// kind 1 absent; kind 2: the user's group alone.
Lists SampleLists() {
  Lists lists;
  ContractGroupList& futures = lists[0].emplace();
  futures.groups = {Group("上期所", {"cu2701", "al2701"}, true), Group("大商所", {"m2701"}, true),
                    Group("自选", {"cu2701", "IF2701", "SR701"}), Group("常用", {"au2702"}, false, true)};
  futures.groups[2].topRow = 2;
  futures.currentIndex = 2;
  ContractGroupList& options = lists[2].emplace();
  options.groups = {Group("自选", {})};
  options.currentIndex = 0;
  return lists;
}

TEST(GroupsFile, WritesEveryGroupAndReadsBackTheUsersOnesWithTheCurrentGroupsName) {
  const std::string file = EncodeGroupsFile(2, SampleLists());
  // Kind, three list heads, four heads of kind 0 and one of kind 2, the keys.
  EXPECT_EQ(file.size(), 4 + 3 * 12 + 5 * 46 + 7 * 34u);
  const StoredGroups stored = DecodeGroupsFile(Bytes(file));
  EXPECT_FALSE(stored.damaged);
  EXPECT_EQ(stored.currentKind, 2);

  const quotes::StoredGroupList& futures = stored.lists[0];
  EXPECT_EQ(futures.currentIndex, 2);
  EXPECT_EQ(futures.currentName, "自选");
  ASSERT_EQ(Names(futures.groups), (std::vector<std::string>{"自选", "常用"}));
  EXPECT_EQ(Codes(futures.groups[0]), (std::vector<std::string>{"cu2701", "IF2701", "SR701"}));
  EXPECT_EQ(futures.groups[0].topRow, 0);  // a window starts at the top after a load
  EXPECT_EQ(futures.groups[0].capacity, 10);
  EXPECT_FALSE(futures.groups[0].hidden);
  EXPECT_TRUE(futures.groups[1].hidden);
  EXPECT_TRUE(stored.lists[1].groups.empty());
  EXPECT_EQ(stored.lists[1].currentIndex, -1);
  EXPECT_EQ(Names(stored.lists[2].groups), std::vector<std::string>{"自选"});
}

TEST(GroupsFile, KeepsTheLayoutOfItsHeads) {
  Lists lists;
  ContractGroupList& futures = lists[0].emplace();
  futures.capacity = 40;
  futures.currentIndex = 1;
  futures.groups = {Group("自选", {"cu2701"}, false, true), Group("x", {})};
  futures.groups[0].built = true;
  futures.groups[0].capacity = 20;
  futures.groups[0].topRow = 7;
  const std::string file = EncodeGroupsFile(1, lists);
  const auto at = [&](std::size_t offset) {
    return static_cast<std::int32_t>(platform::LoadLittleEndian<std::uint32_t>(file.data() + offset));
  };
  EXPECT_EQ(at(0), 1);
  EXPECT_EQ(at(4), 1);  // current index, capacity, count of kind 0
  EXPECT_EQ(at(8), 40);
  EXPECT_EQ(at(12), 2);
  const std::size_t head = 16;
  EXPECT_EQ(file.substr(head, 32), std::string("自选") + std::string(32 - std::string("自选").size(), '\0'));
  EXPECT_EQ(file[head + 32], 1);  // hidden
  EXPECT_EQ(file[head + 33], 1);  // built
  EXPECT_EQ(at(head + 34), 20);
  EXPECT_EQ(at(head + 38), 1);
  EXPECT_EQ(at(head + 42), 7);
  EXPECT_EQ(file.substr(head + 46, 34), std::string("S\0cu2701", 8) + std::string(26, '\0'));
  // The absent lists are 12 zero bytes each.
  EXPECT_EQ(file.substr(file.size() - 24), std::string(24, '\0'));
}

TEST(GroupsFile, AFileCutAnywhereKeepsTheGroupsReadWholeBeforeTheCut) {
  const std::string whole = EncodeGroupsFile(0, SampleLists());
  const StoredGroups complete = DecodeGroupsFile(Bytes(whole));
  for (std::size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    const StoredGroups stored = DecodeGroupsFile(Bytes(whole.substr(0, length)));
    EXPECT_TRUE(stored.damaged);
    for (int kind = 0; kind < quotes::kGroupKinds; ++kind) {
      const std::vector<std::string> read = Names(stored.lists[kind].groups);
      const std::vector<std::string> all = Names(complete.lists[kind].groups);
      ASSERT_LE(read.size(), all.size());
      EXPECT_EQ(read, std::vector<std::string>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(read.size())));
      for (std::size_t index = 0; index < read.size(); ++index) {
        EXPECT_EQ(Codes(stored.lists[kind].groups[index]), Codes(complete.lists[kind].groups[index]));
      }
    }
  }
}

// A file whose count at `offset` is replaced by `count`.
std::vector<std::uint8_t> WithCount(std::string file, std::size_t offset, std::int32_t count) {
  platform::StoreLittleEndian(file.data() + offset, static_cast<std::uint32_t>(count));
  return Bytes(file);
}

TEST(GroupsFile, CountsBeyondTheirBoundsStopTheReading) {
  const std::string file = EncodeGroupsFile(0, SampleLists());
  const std::size_t kindZeroCount = 12;
  const std::size_t userGroupHead = 16 + (46 + 2 * 34) + (46 + 34);
  const std::size_t userGroupKeyCount = userGroupHead + 38;
  const struct {
    const char* what;
    std::size_t offset;
    std::int32_t count;
    std::vector<std::string> kept;
  } cases[] = {
      {"negative group count", kindZeroCount, -1, {}},
      {"a million groups", kindZeroCount, 1'000'000, {}},
      {"negative key count", userGroupKeyCount, -34, {}},
      {"keys beyond the bound", userGroupKeyCount, quotes::kMaxStoredKeys + 1, {}},
      {"keys beyond the file", userGroupKeyCount, 1000, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const StoredGroups stored = DecodeGroupsFile(WithCount(file, c.offset, c.count));
    EXPECT_TRUE(stored.damaged);
    EXPECT_EQ(Names(stored.lists[0].groups), c.kept);
    EXPECT_TRUE(stored.lists[2].groups.empty());
  }
  // A hidden group whose keys overrun: the whole group before it stays.
  const std::size_t hiddenKeyCount = userGroupHead + 46 + 3 * 34 + 38;
  const StoredGroups stored = DecodeGroupsFile(WithCount(file, hiddenKeyCount, 100));
  EXPECT_TRUE(stored.damaged);
  EXPECT_EQ(Names(stored.lists[0].groups), std::vector<std::string>{"自选"});

  std::vector<std::uint8_t> huge(quotes::kMaxGroupsFileBytes + 1);
  EXPECT_TRUE(DecodeGroupsFile(huge).damaged);
}

TEST(GroupsFile, TextsWithoutTheirTerminatorAreCutToFit) {
  Lists lists;
  lists[0].emplace().groups = {Group("g", {"cu2701"})};
  std::string file = EncodeGroupsFile(0, lists);
  // The name: 16 two-byte characters filling all 32 bytes; the code: 32
  // letters, and an exchange text of two.
  const std::string longName = [] {
    std::string name;
    for (int i = 0; i < 16; ++i) name += "铜";
    return name;
  }();
  file.replace(16, 32, longName);
  file.replace(16 + 46, 34, "SX" + std::string(32, 'a'));
  const StoredGroups stored = DecodeGroupsFile(Bytes(file));
  ASSERT_FALSE(stored.damaged);
  ASSERT_EQ(stored.lists[0].groups.size(), 1u);
  EXPECT_EQ(stored.lists[0].groups[0].name, longName.substr(0, 30));
  const quotes::ContractKey& key = stored.lists[0].groups[0].keys.at(0);
  EXPECT_EQ(key.Exchange(), "S");
  EXPECT_EQ(key.Code(), std::string(31, 'a'));
}

}  // namespace
