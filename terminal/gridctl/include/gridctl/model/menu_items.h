// The item table of the grid library's own menus: a fixed capacity of
// text, check and separator items, each sized when it is added, and where
// each lies in a pop-up menu.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gridctl/model/grid_types.h"

namespace gridctl {

inline constexpr int kTextItem = 0;
inline constexpr int kCheckItem = 8;
inline constexpr int kSeparatorItem = 2048;
// The item id of the command a menu sends when it is cancelled.
inline constexpr int kMenuCancelled = 0xFFFF;

// A sub-menu an item owns (deleted with the item).
class MenuNode {
 public:
  virtual ~MenuNode() = default;
};

struct MenuMargins {
  int verticalBorder = 2;  // between the window edge and the items
  int horizontalBorder = 2;
  int itemVertical = 2;  // between an item's edge and its text
  int itemHorizontal = 4;
};

struct MenuItem {
  std::uint16_t id = 0;
  int kind = kTextItem;
  int checked = 0;
  Size size;
  std::string text;
  std::unique_ptr<MenuNode> subMenu;
};

class MenuItemTable {
 public:
  MenuItemTable(int identifier, int capacity, MenuMargins margins, TextMeasure measure, FontSpec font);

  // Inserts at the position (appends beyond the count); false when the
  // table is full. An item with a sub-menu is always a text item.
  bool InsertItem(int position, std::string_view text, std::uint16_t id, int kind,
                  std::unique_ptr<MenuNode> subMenu = nullptr);
  bool AppendItem(std::string_view text, std::uint16_t id, int kind, std::unique_ptr<MenuNode> subMenu = nullptr);
  // Removes every item of the id with its sub-menu; true even when none
  // had it.
  bool RemoveItem(std::uint16_t id);

  int Identifier() const { return identifier_; }
  void SetIdentifier(int identifier) { identifier_ = identifier; }
  int Capacity() const { return capacity_; }
  int Count() const { return static_cast<int>(items_.size()); }
  const MenuItem& Item(int index) const { return items_[static_cast<std::size_t>(index)]; }
  MenuItem& Item(int index) { return items_[static_cast<std::size_t>(index)]; }
  int Highlighted() const { return highlighted_; }
  void SetHighlighted(int index) { highlighted_ = index; }
  const MenuMargins& Margins() const { return margins_; }

  // The pop-up's size: the widest item and all heights, with the borders.
  Size PopupSize() const;
  // Client co-ordinates in a pop-up of that width.
  Rect ItemRect(int index, int menuWidth) const;
  // The box of a check item.
  Rect CheckBoxRect(int index, int menuWidth) const;
  // The item under the client point, or -1.
  int ItemAt(Point point, int menuWidth) const;

 private:
  int identifier_;
  int capacity_;
  MenuMargins margins_;
  TextMeasure measure_;
  FontSpec font_;
  std::vector<MenuItem> items_;
  int highlighted_ = -1;
};

}  // namespace gridctl
