// The order panels' combo boxes. CTqComboBox keeps a copy of every item
// (text and two text colours) beside the toolkit's own strings, draws the
// items itself, widens its list to the widest text and puts the chosen
// item's text into its edit part (a CTqEdit). CTqColorComboBS is the
// buy/sell combo, each side in its own colour, a double click in its list
// swapping them; CTqComboDealAttr steps through its three entries with the
// arrow keys; CTqComboEO and CTqComboOrderType add nothing.
#pragma once

#include <QComboBox>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gridctl/model/combo_items.h"
#include "gridctl/views/numeric_edits.h"

namespace gridctl {

class CTqComboBox : public QComboBox {
 public:
  // The styles of a combo: a list with an edit part always shown, one that
  // drops down under its edit part, one without an edit part.
  enum class Style { kSimple = 1, kDropDown = 2, kDropDownList = 3 };

  explicit CTqComboBox(QWidget* parent = nullptr, Style style = Style::kDropDownList);

  // The new item's index.
  int AddItem(std::string_view text);
  void ResetContent();
  // Selects the item (-1 for none) and shows its text in the edit part;
  // the selection made, -1 for an index outside the items.
  int SetCurSel(int index);
  const ComboItemSet& Items() const { return items_; }
  CTqEdit* EditPart() const { return edit_; }

  // Draws one item: nothing for an index outside the items.
  virtual void DrawItem(QPainter& painter, const QRect& rect, int index, bool selected);

 protected:
  void paintEvent(QPaintEvent* event) override;

  std::uint32_t normalBackground_ = 0xFFFFFF;
  std::uint32_t selectedBackground_ = 0xFF0000;
  std::uint32_t normalText_ = 0x000000;
  std::uint32_t selectedText_ = 0xFFFFFF;
  ComboItemSet items_;

 private:
  CTqEdit* edit_ = nullptr;
};

class CTqColorComboBS : public CTqComboBox {
 public:
  explicit CTqColorComboBS(QWidget* parent = nullptr, Style style = Style::kDropDownList);

  // 买入 in red and 卖出 in green; 买入 selected.
  void InitItems();
  // The chosen side's text, or "".
  std::string GetSelText() const;
  void DrawItem(QPainter& painter, const QRect& rect, int index, bool selected) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  struct Entry {
    int index;
    std::uint32_t colour;
    std::string_view text;
  };
  void Swap();

  std::vector<Entry> entries_;
};

class CTqComboDealAttr : public CTqComboBox {
 public:
  using CTqComboBox::CTqComboBox;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

class CTqComboEO : public CTqComboBox {
 public:
  using CTqComboBox::CTqComboBox;
};

class CTqComboOrderType : public CTqComboBox {
 public:
  using CTqComboBox::CTqComboBox;
};

}  // namespace gridctl
