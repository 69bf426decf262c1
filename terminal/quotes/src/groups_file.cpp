#include "quotes/groups_file.h"

#include <cstring>
#include <string_view>

#include "platform/little_endian.h"

namespace quotes {
namespace {

void AppendInt(std::string& out, std::int32_t value) {
  char bytes[4];
  platform::StoreLittleEndian(bytes, static_cast<std::uint32_t>(value));
  out.append(bytes, sizeof bytes);
}

GroupHeadBytes HeadOf(const ContractGroup& group) {
  GroupHeadBytes head;
  const std::string name = FitGroupName(group.name);
  std::memcpy(head.bytes + GroupHeadBytes::kNameOffset, name.data(), name.size());
  head.bytes[GroupHeadBytes::kHiddenOffset] = group.hidden ? 1 : 0;
  head.bytes[GroupHeadBytes::kBuiltOffset] = group.built ? 1 : 0;
  platform::StoreLittleEndian(head.bytes + GroupHeadBytes::kCapacityOffset, static_cast<std::uint32_t>(group.capacity));
  platform::StoreLittleEndian(head.bytes + GroupHeadBytes::kCountOffset, static_cast<std::uint32_t>(group.Count()));
  platform::StoreLittleEndian(head.bytes + GroupHeadBytes::kTopRowOffset, static_cast<std::uint32_t>(group.topRow));
  return head;
}

std::int32_t IntAt(const std::uint8_t* at) {
  return static_cast<std::int32_t>(platform::LoadLittleEndian<std::uint32_t>(at));
}

// Reads the file front to back; every read fails once the bytes run out.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::optional<std::span<const std::uint8_t>> Take(std::size_t size) {
    if (bytes_.size() - offset_ < size) return std::nullopt;
    const std::span<const std::uint8_t> taken = bytes_.subspan(offset_, size);
    offset_ += size;
    return taken;
  }
  std::optional<std::int32_t> Int() {
    const auto taken = Take(4);
    return taken ? std::optional(IntAt(taken->data())) : std::nullopt;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
};

// One group from its head on; nothing when the file is damaged there.
std::optional<ContractGroup> ReadGroup(Reader& reader) {
  const auto head = reader.Take(GroupHeadBytes::kSize);
  if (!head) return std::nullopt;
  const std::uint8_t* bytes = head->data();
  const std::int32_t count = IntAt(bytes + GroupHeadBytes::kCountOffset);
  if (count < 0 || count > kMaxStoredKeys) return std::nullopt;
  const auto keyBytes = reader.Take(static_cast<std::size_t>(count) * sizeof(ContractKey));
  if (!keyBytes) return std::nullopt;

  ContractGroup group;
  group.name = FitGroupName(
      std::string_view(reinterpret_cast<const char*>(bytes + GroupHeadBytes::kNameOffset), kGroupNameSize));
  group.hidden = bytes[GroupHeadBytes::kHiddenOffset] != 0;
  group.built = bytes[GroupHeadBytes::kBuiltOffset] != 0;
  group.capacity = GroupCapacityFor(count);
  group.keys.reserve(static_cast<std::size_t>(count));
  for (std::int32_t index = 0; index < count; ++index) {
    ContractKey stored;
    std::memcpy(&stored, keyBytes->data() + static_cast<std::size_t>(index) * sizeof stored, sizeof stored);
    // Texts that lack their terminator are cut to fit.
    group.keys.push_back(MakeContractKey(stored.Exchange(), stored.Code()));
  }
  return group;
}

// One list from its head on; false when the file is damaged in it.
bool ReadList(Reader& reader, StoredGroupList& list) {
  const auto head = reader.Take(kListHeadSize);
  if (!head) return false;
  const std::int32_t current = IntAt(head->data());
  const std::int32_t count = IntAt(head->data() + 8);
  if (count < 0 || count > kMaxStoredGroups) return false;
  if (count > 0) list.currentIndex = current;
  for (std::int32_t index = 0; index < count; ++index) {
    std::optional<ContractGroup> group = ReadGroup(reader);
    if (!group) return false;
    if (index == current) list.currentName = group->name;
    if (!group->built) list.groups.push_back(std::move(*group));
  }
  return true;
}

}  // namespace

std::string EncodeGroupsFile(int currentKind, const std::array<std::optional<ContractGroupList>, kGroupKinds>& lists) {
  std::string out;
  AppendInt(out, currentKind);
  for (const std::optional<ContractGroupList>& list : lists) {
    AppendInt(out, list ? list->currentIndex : 0);
    AppendInt(out, list ? list->capacity : 0);
    AppendInt(out, list ? list->Count() : 0);
    if (!list) continue;
    for (const ContractGroup& group : list->groups) {
      const GroupHeadBytes head = HeadOf(group);
      out.append(reinterpret_cast<const char*>(head.bytes), sizeof head.bytes);
      out.append(reinterpret_cast<const char*>(group.keys.data()), group.keys.size() * sizeof(ContractKey));
    }
  }
  return out;
}

StoredGroups DecodeGroupsFile(std::span<const std::uint8_t> bytes) {
  StoredGroups stored;
  Reader reader(bytes);
  const std::optional<std::int32_t> kind = reader.Int();
  if (!kind || bytes.size() > kMaxGroupsFileBytes) {
    stored.damaged = true;
    return stored;
  }
  stored.currentKind = *kind;
  for (StoredGroupList& list : stored.lists) {
    if (!ReadList(reader, list)) {
      stored.damaged = true;
      break;
    }
  }
  return stored;
}

}  // namespace quotes
