#include "gridctl/views/menu.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOptionButton>

#include "gridctl/views/grid_events.h"
#include "gridctl/views/paint_support.h"
#include "ui/gbk_text.h"

namespace gridctl {
namespace {

MenuMargins PopupMargins() { return {2, 2, 3, 20}; }

}  // namespace

CxMenu::CxMenu(QWidget* parent) : CxMenu(parent, Qt::Widget, MenuMargins{}) {}

CxMenu::CxMenu(QWidget* parent, Qt::WindowFlags flags, MenuMargins margins)
    : QWidget(parent, flags), margins_(margins) {}

CxMenu::~CxMenu() = default;

bool CxMenu::Create(int identifier, int capacity, QWidget* parentObject) {
  if (parentObject == nullptr || capacity < 0) return false;
  parentObject_ = parentObject;
  table_.emplace(identifier, capacity, margins_, ToolkitTextMeasure(), font_);
  return true;
}

bool CxMenu::InsertItem(int position, std::string_view text, std::uint16_t id, int kind,
                        std::unique_ptr<CxMenu> subMenu) {
  return table_ && table_->InsertItem(position, text, id, kind, std::move(subMenu));
}

bool CxMenu::AppendItem(std::string_view text, std::uint16_t id, int kind, std::unique_ptr<CxMenu> subMenu) {
  return table_ && table_->AppendItem(text, id, kind, std::move(subMenu));
}

bool CxMenu::RemoveItem(std::uint16_t id) { return table_ && table_->RemoveItem(id); }

void CxMenu::SetIdentifier(int identifier) {
  if (table_) table_->SetIdentifier(identifier);
}

CxMenu* CxMenu::ParentMenu() const { return dynamic_cast<CxMenu*>(parentObject_); }

int CxMenu::OnMouseOver(QPoint global) {
  CxMenu* parent = ParentMenu();
  return parent == nullptr ? 0 : parent->OnMouseOver(global);
}

void CxMenu::OnItemCommand(int identifier, int itemId) { SendCommand(parentObject_, itemId, identifier, this); }

void CxMenu::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(background_));
  DrawItems(painter);
}

CxPopupMenu::CxPopupMenu(QWidget* parent)
    : CxMenu(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint, PopupMargins()) {
  setMouseTracking(true);
}

void CxPopupMenu::Popup(QPoint global) {
  if (isVisible() || !table_) return;
  const Size size = table_->PopupSize();
  setGeometry(global.x(), global.y(), size.width, size.height);
  table_->SetHighlighted(-1);
  lastPopup_ = global;
  closing_ = false;
  show();
}

void CxPopupMenu::CloseMenu() {
  if (!isVisible()) return;
  if (CxPopupMenu* open = OpenSubMenu()) open->CloseMenu();
  closing_ = true;
  hide();
  closing_ = false;
}

QRect CxPopupMenu::ItemRect(int index) const { return table_ ? ToQRect(table_->ItemRect(index, width())) : QRect(); }

CxPopupMenu* CxPopupMenu::OpenSubMenu() const {
  const int highlighted = Highlighted();
  if (highlighted < 0) return nullptr;
  auto* sub = dynamic_cast<CxPopupMenu*>(table_->Item(highlighted).subMenu.get());
  return sub != nullptr && sub->isVisible() ? sub : nullptr;
}

void CxPopupMenu::Highlight(int index) {
  table_->SetHighlighted(index);
  update();
  if (auto* sub = dynamic_cast<CxPopupMenu*>(table_->Item(index).subMenu.get())) {
    const QRect item = ItemRect(index);
    sub->Popup(mapToGlobal(QPoint(item.left() + item.width() + 2, item.top() - margins_.verticalBorder)));
  }
}

void CxPopupMenu::Unhighlight() {
  if (Highlighted() < 0) return;
  if (auto* sub = dynamic_cast<CxPopupMenu*>(table_->Item(Highlighted()).subMenu.get())) sub->CloseMenu();
  table_->SetHighlighted(-1);
  update();
}

int CxPopupMenu::OnMouseOver(QPoint global) {
  if (table_ && isVisible()) {
    const QPoint local = mapFromGlobal(global);
    const int found = table_->ItemAt({local.x(), local.y()}, width());
    if (found >= 0) {
      if (CxPopupMenu* open = OpenSubMenu()) open->Unhighlight();
      if (found != Highlighted() && table_->Item(found).kind != kSeparatorItem) {
        Unhighlight();
        Highlight(found);
      }
    }
  }
  return CxMenu::OnMouseOver(global);
}

void CxPopupMenu::OnItemCommand(int identifier, int itemId) {
  if (CxPopupMenu* open = OpenSubMenu()) open->Unhighlight();
  if (CxMenu* parent = ParentMenu()) {
    parent->OnItemCommand(identifier, itemId);
    return;
  }
  CloseMenu();
  CxMenu::OnItemCommand(identifier, itemId);
}

void CxPopupMenu::mouseMoveEvent(QMouseEvent* event) { OnMouseOver(event->globalPosition().toPoint()); }

void CxPopupMenu::mousePressEvent(QMouseEvent* event) {
  if (!table_ || (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) return;
  const QPoint at = event->position().toPoint();
  const int highlighted = Highlighted();
  if (highlighted < 0 || !ItemRect(highlighted).contains(at)) {
    OnItemCommand(table_->Identifier(), kMenuCancelled);
    return;
  }
  MenuItem& item = table_->Item(highlighted);
  if (item.kind == kCheckItem) {
    // Only the box toggles a check item.
    if (!ToQRect(table_->CheckBoxRect(highlighted, width())).contains(at)) return;
    item.checked = item.checked == 0 ? 1 : 0;
    update();
  }
  OnItemCommand(table_->Identifier(), item.id);
}

// The press decided; the release must not reach what lies under the menu.
void CxPopupMenu::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

void CxPopupMenu::hideEvent(QHideEvent* event) {
  CxMenu::hideEvent(event);
  if (closing_ || !table_ || OpenSubMenu() != nullptr) return;
  OnItemCommand(table_->Identifier(), kMenuCancelled);
}

void CxPopupMenu::DrawItems(QPainter& painter) {
  // A raised frame: white top and left, black bottom and right.
  const QRect area = rect();
  painter.setPen(Qt::white);
  painter.drawLine(area.topLeft(), area.topRight());
  painter.drawLine(area.topLeft(), area.bottomLeft());
  painter.setPen(Qt::black);
  painter.drawLine(area.bottomLeft(), area.bottomRight());
  painter.drawLine(area.topRight(), area.bottomRight());
  if (!table_) return;
  for (int index = 0; index < table_->Count(); ++index) DrawItem(painter, index, index == Highlighted());
}

void CxPopupMenu::DrawItem(QPainter& painter, int index, bool highlighted) const {
  const MenuItem& item = table_->Item(index);
  const QRect rect = ItemRect(index);
  if (item.kind == kSeparatorItem) {
    const int middle = rect.top() + rect.height() / 2;
    painter.setPen(Qt::black);
    painter.drawLine(rect.left(), middle, rect.right(), middle);
    painter.setPen(Qt::white);
    painter.drawLine(rect.left(), middle + 1, rect.right(), middle + 1);
    return;
  }
  const QColor background = ToQColor(highlighted ? highlightedBackground_ : background_);
  const QColor text = ToQColor(highlighted ? highlightedText_ : textColour_);
  painter.fillRect(rect, background);
  painter.setFont(ToQFont(font_));
  painter.setPen(text);
  const MenuMargins& margins = margins_;
  QRect textArea =
      rect.adjusted(margins.itemHorizontal, margins.itemVertical, -margins.itemHorizontal, -margins.itemVertical);
  if (item.kind == kCheckItem) {
    QStyleOptionButton box;
    box.rect = ToQRect(table_->CheckBoxRect(index, width()));
    box.state = QStyle::State_Enabled | (item.checked != 0 ? QStyle::State_On : QStyle::State_Off);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, this);
    textArea.setLeft(textArea.left() + rect.height());
  }
  painter.drawText(textArea, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, ui::FromGbk(item.text));
  if (item.subMenu != nullptr) {
    // A small filled triangle pointing right near the right edge.
    const int size = 4;
    const int x = rect.right() - margins.itemHorizontal / 2 - size;
    const int y = rect.center().y();
    painter.setBrush(text);
    painter.drawPolygon(QPolygon({QPoint(x, y - size), QPoint(x + size, y), QPoint(x, y + size)}));
    painter.setBrush(Qt::NoBrush);
  }
}

}  // namespace gridctl
