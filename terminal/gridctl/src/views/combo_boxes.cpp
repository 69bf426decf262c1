#include "gridctl/views/combo_boxes.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "gridctl/views/paint_support.h"
#include "ui/gbk_text.h"

namespace gridctl {
namespace {

// Hands the drawing of every list item to its combo.
class ComboItemDelegate : public QStyledItemDelegate {
 public:
  explicit ComboItemDelegate(CTqComboBox* combo) : QStyledItemDelegate(combo), combo_(combo) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const bool selected = (option.state & (QStyle::State_Selected | QStyle::State_HasFocus)) != 0;
    combo_->DrawItem(*painter, option.rect, index.row(), selected);
  }

  // As high as a blank in the combo's font.
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), MeasureText(" ", combo_->font()).height};
  }

 private:
  CTqComboBox* combo_;
};

}  // namespace

CTqComboBox::CTqComboBox(QWidget* parent, Style style) : QComboBox(parent) {
  setItemDelegate(new ComboItemDelegate(this));
  if (style != Style::kDropDownList) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    edit_ = new CTqEdit(this);
    setLineEdit(edit_);
  }
  // A choice in the list shows in the edit part at once.
  QObject::connect(this, &QComboBox::activated, this, [this](int index) {
    if (const std::optional<ComboItem> item = items_.At(index); item && edit_ != nullptr) {
      edit_->setText(ui::FromGbk(item->text));
    }
  });
}

int CTqComboBox::AddItem(std::string_view text) {
  // The list is at least as wide as its widest text.
  const int needed = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                     style()->pixelMetric(QStyle::PM_ScrollBarExtent) + MeasureText(text, font()).width + 8;
  if (view()->minimumWidth() < needed) view()->setMinimumWidth(needed);
  addItem(ui::FromGbk(text));
  const int index = count() - 1;
  items_.Insert(index, {normalText_, selectedText_, std::string(text)});
  return index;
}

void CTqComboBox::ResetContent() {
  clear();
  items_.Reset();
  SetCurSel(-1);
}

int CTqComboBox::SetCurSel(int index) {
  const int chosen = index >= 0 && index < count() ? index : -1;
  setCurrentIndex(chosen);
  if (edit_ != nullptr) {
    const std::optional<ComboItem> item = items_.At(chosen);
    edit_->setText(item ? ui::FromGbk(item->text) : QString());
  }
  return chosen;
}

void CTqComboBox::DrawItem(QPainter& painter, const QRect& rect, int index, bool selected) {
  const std::optional<ComboItem> item = items_.At(index);
  if (!item) return;
  painter.save();
  painter.fillRect(rect, ToQColor(selected ? selectedBackground_ : normalBackground_));
  if (selected) {
    // The focus rectangle: a dotted frame just inside the item.
    painter.setPen(QPen(ToQColor(selected ? item->selectedTextColour : item->normalTextColour), 1, Qt::DotLine));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
  }
  painter.setFont(font());
  painter.setPen(ToQColor(selected ? item->selectedTextColour : item->normalTextColour));
  const QString text = painter.fontMetrics().elidedText(ui::FromGbk(item->text), Qt::ElideRight, rect.width() - 4);
  painter.drawText(rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
  painter.restore();
}

void CTqComboBox::paintEvent(QPaintEvent* event) {
  if (isEditable()) {
    QComboBox::paintEvent(event);
    return;
  }
  // The box: the frame and arrow of the style, the chosen item drawn as the
  // list draws it, selected while the combo has the focus.
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText.clear();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  DrawItem(painter, field, currentIndex(), hasFocus());
}

CTqColorComboBS::CTqColorComboBS(QWidget* parent, Style style) : CTqComboBox(parent, style) {
  view()->viewport()->installEventFilter(this);
}

void CTqColorComboBS::InitItems() {
  ResetContent();
  entries_.clear();
  for (const BuySellEntry& entry : kBuySellEntries) entries_.push_back({AddItem(entry.text), entry.colour, entry.text});
  SetCurSel(0);
}

std::string CTqColorComboBS::GetSelText() const {
  const int chosen = currentIndex();
  if (chosen < 0 || chosen >= static_cast<int>(entries_.size())) return {};
  return std::string(entries_[static_cast<std::size_t>(chosen)].text);
}

void CTqColorComboBS::DrawItem(QPainter& painter, const QRect& rect, int index, bool selected) {
  if (index < 0 || index >= static_cast<int>(entries_.size())) return;
  // Each side in its own colour, on yellow when selected.
  const Entry& entry = entries_[static_cast<std::size_t>(index)];
  selectedText_ = entry.colour;
  normalText_ = entry.colour;
  selectedBackground_ = 0x00FFFF;
  items_.SetTextColours(normalText_, selectedText_);
  CTqComboBox::DrawItem(painter, rect, index, selected);
}

void CTqColorComboBS::Swap() {
  SetCurSel(SwappedBuySell(currentIndex()));
  hidePopup();
}

bool CTqColorComboBS::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view()->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    Swap();
    return true;
  }
  return CTqComboBox::eventFilter(watched, event);
}

void CTqColorComboBS::mouseDoubleClickEvent(QMouseEvent*) { Swap(); }

void CTqComboDealAttr::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
    // Three entries, or fewer while the list is being filled.
    SetCurSel(std::min(DealAttributeStep(currentIndex(), event->key() == Qt::Key_Down ? 1 : -1), count() - 1));
    event->accept();
    return;
  }
  CTqComboBox::keyPressEvent(event);
}

}  // namespace gridctl
