#include "gridctl/model/menu_items.h"

#include <algorithm>

namespace gridctl {

MenuItemTable::MenuItemTable(int identifier, int capacity, MenuMargins margins, TextMeasure measure, FontSpec font)
    : identifier_(identifier),
      capacity_(std::max(capacity, 0)),
      margins_(margins),
      measure_(std::move(measure)),
      font_(std::move(font)) {}

bool MenuItemTable::InsertItem(int position, std::string_view text, std::uint16_t id, int kind,
                               std::unique_ptr<MenuNode> subMenu) {
  if (Count() >= capacity_) return false;
  MenuItem item;
  item.id = id;
  item.kind = subMenu != nullptr ? kTextItem : kind;
  item.text = std::string(text);
  item.subMenu = std::move(subMenu);
  if (item.kind == kSeparatorItem) {
    item.size = {0, 10};
  } else {
    const Size textSize = measure_(item.text, font_);
    item.size = {textSize.width + 2 * margins_.itemHorizontal, textSize.height + 2 * margins_.itemVertical};
    // Room for the box, a square as high as the item.
    if (item.kind == kCheckItem) item.size.width += item.size.height;
  }
  const auto at = items_.begin() + std::clamp(position, 0, Count());
  items_.insert(at, std::move(item));
  return true;
}

bool MenuItemTable::AppendItem(std::string_view text, std::uint16_t id, int kind, std::unique_ptr<MenuNode> subMenu) {
  return InsertItem(Count(), text, id, kind, std::move(subMenu));
}

bool MenuItemTable::RemoveItem(std::uint16_t id) {
  if (std::erase_if(items_, [id](const MenuItem& item) { return item.id == id; }) > 0) highlighted_ = -1;
  return true;
}

Size MenuItemTable::PopupSize() const {
  Size size{0, 2 * margins_.verticalBorder};
  for (const MenuItem& item : items_) {
    size.width = std::max(size.width, item.size.width);
    size.height += item.size.height;
  }
  size.width += 2 * margins_.horizontalBorder;
  return size;
}

Rect MenuItemTable::ItemRect(int index, int menuWidth) const {
  if (index < 0 || index >= Count()) return {};
  int top = margins_.verticalBorder;
  for (int before = 0; before < index; ++before) top += Item(before).size.height;
  return {margins_.horizontalBorder, top, menuWidth - margins_.horizontalBorder, top + Item(index).size.height};
}

Rect MenuItemTable::CheckBoxRect(int index, int menuWidth) const {
  const Rect item = ItemRect(index, menuWidth);
  const int side = item.Height() - 2 * margins_.itemVertical;
  const int left = item.left + margins_.itemHorizontal;
  const int top = item.top + margins_.itemVertical;
  return {left, top, left + side, top + side};
}

int MenuItemTable::ItemAt(Point point, int menuWidth) const {
  for (int index = 0; index < Count(); ++index) {
    if (ItemRect(index, menuWidth).Contains(point)) return index;
  }
  return -1;
}

}  // namespace gridctl
