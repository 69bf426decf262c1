// The items of the order panels' combo boxes: each kept as a 72-byte record
// (normal text colour, selected text colour, a text of at most 63 bytes) in
// a packed list in combo index order; the buy/sell entries with their
// colours; and the deal-attribute combo's arrow-key steps.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "backend/cx_data_set.h"

namespace gridctl {

struct ComboItem {
  std::uint32_t normalTextColour = 0;
  std::uint32_t selectedTextColour = 0;
  std::string text;
};

class ComboItemSet {
 public:
  static constexpr std::size_t kItemSize = backend::CxDataSet::kItemSize;
  static constexpr std::size_t kMaxTextLength = 63;

  // Inserts the item at the index (appended beyond the count), its text cut
  // to 63 bytes on a character boundary; false when memory runs out.
  bool Insert(int index, const ComboItem& item);
  std::optional<ComboItem> At(int index) const;
  int Count() const { return static_cast<int>(items_.GetCount()); }
  // Writes both text colours into every item.
  void SetTextColours(std::uint32_t normal, std::uint32_t selected);
  void Reset() { items_.FreeBlock(); }

 private:
  backend::CxDataSet items_;
};

struct BuySellEntry {
  std::string_view text;
  std::uint32_t colour;
};
// Buy in red, sell in green, in this order.
inline constexpr BuySellEntry kBuySellEntries[] = {{"买入", 0x0000FF}, {"卖出", 0x00A000}};
// The selection after a double click in the buy/sell list: the other side.
inline int SwappedBuySell(int current) { return current == 1 ? 0 : 1; }

// The deal-attribute combo's selection after Down (+1) or Up (-1): one of
// its three entries, staying at the ends.
int DealAttributeStep(int current, int direction);

}  // namespace gridctl
