#include "gridctl/model/combo_items.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/gbk.h"
#include "platform/little_endian.h"

namespace gridctl {
namespace {

constexpr std::size_t kTextOffset = 8;

}  // namespace

bool ComboItemSet::Insert(int index, const ComboItem& item) {
  std::array<std::uint8_t, kItemSize> record{};
  platform::StoreLittleEndian(record.data(), item.normalTextColour);
  platform::StoreLittleEndian(record.data() + 4, item.selectedTextColour);
  std::memcpy(record.data() + kTextOffset, item.text.data(), platform::GbkFitLength(item.text, kMaxTextLength));
  return items_.InsertItem(static_cast<std::size_t>(std::max(index, 0)), record);
}

std::optional<ComboItem> ComboItemSet::At(int index) const {
  if (index < 0) return std::nullopt;
  const auto value = items_.GetValue(static_cast<std::size_t>(index));
  if (value.size() != kItemSize) return std::nullopt;
  const char* text = reinterpret_cast<const char*>(value.data() + kTextOffset);
  return ComboItem{platform::LoadLittleEndian<std::uint32_t>(value.data()),
                   platform::LoadLittleEndian<std::uint32_t>(value.data() + 4),
                   std::string(text, ::strnlen(text, kItemSize - kTextOffset))};
}

void ComboItemSet::SetTextColours(std::uint32_t normal, std::uint32_t selected) {
  for (int index = 0; index < Count(); ++index) {
    std::uint8_t* record = items_.GetDataPtr(static_cast<std::size_t>(index));
    platform::StoreLittleEndian(record, normal);
    platform::StoreLittleEndian(record + 4, selected);
  }
}

int DealAttributeStep(int current, int direction) { return std::clamp(current + direction, 0, 2); }

}  // namespace gridctl
