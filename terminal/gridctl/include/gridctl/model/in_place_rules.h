// The rules of the grid's in-place editors that need no window: the keys
// that end an edit, the characters a limited edit takes, the items of a
// combo cell, and the editors' sizes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gridctl {

// Key codes as the grid's notifications carry them.
namespace keys {
inline constexpr int kReturn = 13;
inline constexpr int kEscape = 27;
inline constexpr int kPageUp = 33;
inline constexpr int kPageDown = 34;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kTab = 9;
}  // namespace keys

// The end key an edit records for a key (a code above), or 0 when the key
// does not end the edit: Tab is 37 with Shift and 39 without.
int EndKeyOf(int key, bool shift);

// Whether a character of `characterBytes` GBK bytes fits: a limit of 0
// takes everything; otherwise the text after typing over the selection
// must stay within the limit.
bool FitsLimit(std::size_t textBytes, std::size_t selectedBytes, std::size_t characterBytes, int limit);

// A combo cell stores its items, each ended by a line feed; what follows the
// last line feed is no item. An item is at most 63 bytes, cut on a
// character boundary.
std::vector<std::string> SplitComboItems(std::string_view stored);
inline constexpr std::size_t kMaxComboItemLength = 63;

// The height of a combo's list when the cell gives none.
int ComboDropHeight(int itemCount, int fontHeight);
// The editors' font: two thirds of the row height.
inline int EditorFontHeight(int rowHeight) { return 2 * rowHeight / 3; }

}  // namespace gridctl
