#include "gridctl/views/in_place_editors.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>

#include "gridctl/model/in_place_rules.h"
#include "gridctl/views/grid_base.h"
#include "gridctl/views/paint_support.h"
#include "ui/gbk_text.h"

namespace gridctl {
namespace {

// A toolkit key as the code the editors report.
int KeyCodeOf(int key) {
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return keys::kTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return keys::kReturn;
    case Qt::Key_Escape: return keys::kEscape;
    case Qt::Key_PageUp: return keys::kPageUp;
    case Qt::Key_PageDown: return keys::kPageDown;
    case Qt::Key_Up: return keys::kUp;
    case Qt::Key_Down: return keys::kDown;
    default: return 0;
  }
}

std::size_t GbkLength(const QString& text) { return ui::ToGbk(text).size(); }

// Whether the editor takes the typed text: the grid's character filter
// swallows what it answers true for, and a limited editor takes nothing
// that would not fit after typing over its selection. Backspace and keys
// without text always pass.
bool TakesTyping(const CxGridBase* grid, const QLineEdit& edit, const QKeyEvent& event, int limit) {
  const QString typed = event.text();
  if (typed.isEmpty() || !typed.at(0).isPrint()) return true;
  if (grid != nullptr) {
    const GridModel::CharFilter& filter = grid->Model().GetCharFilter();
    if (filter && filter(typed.at(0).unicode())) return false;
  }
  return FitsLimit(GbkLength(edit.text()), GbkLength(edit.selectedText()), GbkLength(typed), limit);
}

QFont EditorFont(const CxGridBase* grid) {
  return ToQFont({"宋体", EditorFontHeight(grid->Model().Settings().rowHeight)});
}

}  // namespace

CxGridBase* EditedCell::Grid() const { return grid_; }

bool EditedCell::Report(int controlId, int kind, int code, int extra, const QString& text) {
  if (ended_) return false;
  ended_ = code == notify::kEditEnded;
  if (grid_) SendNotify(grid_, {grid_, controlId, code, kind, row_, field_, extra, ui::ToGbk(text)});
  return true;
}

CxInPlaceEdit::CxInPlaceEdit(CxGridBase* grid, int row, std::int32_t field, const QRect& cell, const std::string& text,
                             std::int32_t style, int textLimit)
    : QLineEdit(grid->viewport()), cell_(grid, row, field), textLimit_(textLimit) {
  setGeometry(cell);
  setFont(EditorFont(grid));
  if ((style & kPasswordStyle) != 0) setEchoMode(QLineEdit::Password);
  setText(ui::FromGbk(text));
}

void CxInPlaceEdit::Start() {
  show();
  setFocus(Qt::MouseFocusReason);
  selectAll();
  cell_.Report(CxGridBase::kEditId, static_cast<int>(CellKind::kEdit), notify::kEditStarted, 0, text());
}

bool CxInPlaceEdit::event(QEvent* event) {
  // Tab would move the focus before the key reaches the edit.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QLineEdit::event(event);
}

void CxInPlaceEdit::keyPressEvent(QKeyEvent* event) {
  const bool shift = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier) != 0;
  const int endKey = EndKeyOf(KeyCodeOf(event->key()), shift);
  if (endKey != 0) {
    endKey_ = endKey;
    // The grid taking the focus ends the edit.
    if (CxGridBase* grid = cell_.Grid()) grid->setFocus(Qt::OtherFocusReason);
    End();
    event->accept();
    return;
  }
  if (!TakesTyping(cell_.Grid(), *this, *event, textLimit_)) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void CxInPlaceEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  End();
}

void CxInPlaceEdit::End() {
  if (!cell_.Report(CxGridBase::kEditId, static_cast<int>(CellKind::kEdit), notify::kEditEnded, endKey_, text())) {
    return;
  }
  hide();
  deleteLater();
}

CxInPlaceComboEdit::CxInPlaceComboEdit(CxInPlaceComboBox* combo) : QLineEdit(combo), combo_(combo) {
  QPalette white = palette();
  white.setColor(QPalette::Base, Qt::white);
  setPalette(white);
}

void CxInPlaceComboEdit::keyPressEvent(QKeyEvent* event) {
  if (!TakesTyping(combo_->Grid(), *this, *event, combo_->TextLimit())) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
  // A full text is selected whole, to be typed over.
  if (!event->text().isEmpty() && GbkLength(text()) >= static_cast<std::size_t>(combo_->TextLimit())) selectAll();
}

void CxInPlaceComboEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason && combo_->FocusLeft()) combo_->End();
}

CxInPlaceComboBox::CxInPlaceComboBox(CxGridBase* grid, int row, std::int32_t field, const QRect& cell,
                                     const CellAttributes& attributes, std::string_view stored)
    : QComboBox(grid->viewport()),
      cell_(grid, row, field),
      textLimit_(attributes.textLimit > 0 ? attributes.textLimit : 255),
      dropHeight_(attributes.dropHeight),
      items_(SplitComboItems(stored)) {
  setGeometry(cell);
  const QFont font = EditorFont(grid);
  setFont(font);
  if ((attributes.value & kStyleMask) != kDropDownList) {
    setEditable(true);
    setLineEdit(new CxInPlaceComboEdit(this));
    setInsertPolicy(QComboBox::NoInsert);
  }
  // The list is at least as wide as its widest item.
  const int room =
      2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8;
  int listWidth = cell.width();
  for (const std::string& item : items_) {
    listWidth = std::max(listWidth, MeasureText(item, font).width + room);
    addItem(ui::FromGbk(item));
  }
  view()->setMinimumWidth(listWidth);
}

void CxInPlaceComboBox::Start(const std::string& chosenText) {
  show();
  if (chosenText.empty()) {
    setCurrentIndex(-1);
    if (isEditable()) setEditText(QString());
  } else {
    const QString chosen = ui::FromGbk(chosenText);
    setCurrentIndex(findText(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (isEditable()) setEditText(chosen);
  }
  setFocus(Qt::MouseFocusReason);
  if (isEditable()) lineEdit()->selectAll();
}

void CxInPlaceComboBox::showPopup() {
  QComboBox::showPopup();
  const int height =
      dropHeight_ > 0 ? dropHeight_ : ComboDropHeight(static_cast<int>(items_.size()), fontMetrics().height());
  QWidget* popup = view()->window();
  popup->resize(popup->width(), std::max(height, popup->minimumSizeHint().height()));
}

bool CxInPlaceComboBox::FocusLeft() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus == nullptr || (focus != this && !isAncestorOf(focus) && focus->window() != view()->window());
}

void CxInPlaceComboBox::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason && FocusLeft()) End();
}

void CxInPlaceComboBox::End() {
  const QString text = currentText();
  // Typing over the edit part leaves the list's selection where it was.
  int chosen = currentIndex();
  if (chosen < 0 || itemText(chosen) != text) chosen = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (!cell_.Report(CxGridBase::kComboId, static_cast<int>(CellKind::kCombo), notify::kEditEnded, chosen, text)) {
    return;
  }
  hide();
  deleteLater();
}

}  // namespace gridctl
