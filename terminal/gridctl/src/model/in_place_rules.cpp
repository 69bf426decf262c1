#include "gridctl/model/in_place_rules.h"

#include <algorithm>

#include "platform/gbk.h"

namespace gridctl {

int EndKeyOf(int key, bool shift) {
  switch (key) {
    case keys::kTab: return shift ? keys::kLeft : keys::kRight;
    case keys::kReturn:
    case keys::kEscape:
    case keys::kPageUp:
    case keys::kPageDown:
    case keys::kUp:
    case keys::kDown: return key;
    default: return 0;
  }
}

bool FitsLimit(std::size_t textBytes, std::size_t selectedBytes, std::size_t characterBytes, int limit) {
  if (limit <= 0) return true;
  return textBytes - std::min(selectedBytes, textBytes) + characterBytes <= static_cast<std::size_t>(limit);
}

std::vector<std::string> SplitComboItems(std::string_view stored) {
  std::vector<std::string> items;
  for (std::size_t end = stored.find('\n'); end != std::string_view::npos; end = stored.find('\n')) {
    const std::string_view item = stored.substr(0, end);
    items.emplace_back(item.substr(0, platform::GbkFitLength(item, kMaxComboItemLength)));
    stored.remove_prefix(end + 1);
  }
  return items;
}

int ComboDropHeight(int itemCount, int fontHeight) { return (itemCount + 1) * fontHeight * 3 / 2 + 2; }

}  // namespace gridctl
