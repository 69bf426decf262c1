#include "gridctl/views/grid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cstdlib>
#include <utility>

#include "gridctl/views/paint_support.h"
#include "platform/clock.h"

namespace gridctl {
namespace {

Point ToPoint(QPoint point) { return {point.x(), point.y()}; }

}  // namespace

CxGrid::CxGrid(QWidget* parent)
    : CxGridBase(parent),
      menu_(new CxPopupMenu(this)),
      dragWindow_(new CxBitmapWnd(viewport())),
      tip_(new CxTitleTip(this)) {
  menu_->Create(ControlId(), kMenuCapacity, this);
  dragWindow_->hide();
  clickTimer_.setInterval(10);
  QObject::connect(&clickTimer_, &QTimer::timeout, this, [this] { OnClickTimer(); });
}

void CxGrid::SetControlId(int id) {
  CxGridBase::SetControlId(id);
  menu_->SetIdentifier(id);
}

bool CxGrid::InsertMenuItem(int position, std::string_view text, std::uint16_t commandId, int flags) {
  return menu_->InsertItem(position, text, commandId, flags);
}

bool CxGrid::AppendMenuItem(std::string_view text, std::uint16_t commandId, int flags) {
  return menu_->AppendItem(text, commandId, flags);
}

bool CxGrid::RemoveMenuItem(std::uint16_t commandId) { return menu_->RemoveItem(commandId); }

bool CxGrid::event(QEvent* event) {
  if (event->type() == CommandEvent::EventType()) {
    const auto* command = static_cast<CommandEvent*>(event);
    SendCommand(parentWidget(), command->Id(), command->Code(), command->Sender());
    return true;
  }
  return CxGridBase::event(event);
}

CxGrid::Hit CxGrid::HitAt(QPoint point) const {
  const int row = Model().RowAt(point.y());
  if (row < 0) return {};
  return {row, Model().ColumnAt(point.x())};
}

CxGrid::Modifier CxGrid::ModifierOf(Qt::KeyboardModifiers modifiers) {
  if ((modifiers & Qt::ShiftModifier) != 0) return Modifier::kShift;
  if ((modifiers & Qt::ControlModifier) != 0) return Modifier::kCtrl;
  return Modifier::kNone;
}

void CxGrid::mouseMoveEvent(QMouseEvent* event) {
  tip_->RelayEvent(QEvent::MouseMove, event->globalPosition().toPoint());
  const QPoint point = event->position().toPoint();
  const GridModel& model = Model();
  switch (mouseMode_) {
    case MouseMode::kHeaderPressed:
      if (std::abs(point.x() - pressPoint_.x()) > model.Settings().dividerTolerance &&
          pressedHeader_ >= model.Settings().fixedColumns) {
        StartColumnDrag();
      }
      return;
    case MouseMode::kMovingColumn: dragWindow_->move(point.x() - dragOffset_, 0); return;
    case MouseMode::kResizing:
      resizeBandX_ = point.x();
      viewport()->update();
      return;
    default: OnPlainMove(point, event->modifiers()); return;
  }
}

void CxGrid::OnPlainMove(QPoint point, Qt::KeyboardModifiers modifiers) {
  GridModel& model = Model();
  if (model.Settings().resizableColumns && !buttonDown_ && model.DividerAt(ToPoint(point)) >= 0) {
    mouseMode_ = MouseMode::kOverDivider;
    viewport()->setCursor(Qt::SplitHCursor);
    return;
  }
  if (buttonDown_) {
    if ((modifiers & Qt::ControlModifier) != 0) return;
    // Dragging a selection: past the rows the grid scrolls towards the
    // pointer, and the row under it joins as with Shift.
    if (point.y() < model.Settings().headerHeight) Scroll(Qt::Vertical, ScrollAction::kLineBack);
    if (point.y() >= viewport()->height()) Scroll(Qt::Vertical, ScrollAction::kLineForward);
    const int row = model.RowAt(point.y());
    if (row >= 0) model.ExtendSelectionTo(row);
    return;
  }
  const Hit hit = HitAt(point);
  const CxGridTitleTip* cellTip = TitleTipWindow();
  if (cellTip != nullptr && cellTip->isVisible() && !cellTip->CellOnScreen().contains(viewport()->mapToGlobal(point))) {
    HideTitleTip();
  }
  if (hit.OnCell()) ShowTitleTip(hit.row, hit.column);
  mouseMode_ = MouseMode::kIdle;
  viewport()->setCursor(Qt::ArrowCursor);
}

void CxGrid::StartColumnDrag() {
  mouseMode_ = MouseMode::kMovingColumn;
  const QRect header = ToQRect(Model().HeaderRect(pressedHeader_));
  dragOffset_ = pressPoint_.x() - header.left();
  dragWindow_->SetBitmap(RenderHeaderCell(pressedHeader_));
  dragWindow_->setGeometry(header.left(), 0, header.width(), std::max(0, header.height() - 1));
  dragWindow_->show();
  dragWindow_->raise();
}

void CxGrid::mousePressEvent(QMouseEvent* event) {
  tip_->RelayEvent(QEvent::MouseButtonPress, event->globalPosition().toPoint());
  HideTitleTip();
  doubleClicked_ = false;
  const QPoint point = event->position().toPoint();
  const Modifier modifier = ModifierOf(event->modifiers());
  GridModel& model = Model();
  switch (event->button()) {
    case Qt::LeftButton: {
      setFocus(Qt::MouseFocusReason);
      buttonDown_ = true;
      pressPoint_ = point;
      if (mouseMode_ == MouseMode::kOverDivider) {
        // Fixed columns keep their width.
        if (model.DividerAt(ToPoint(point)) >= model.FirstScrolledColumn()) {
          mouseMode_ = MouseMode::kResizing;
          resizeBandX_ = point.x();
          viewport()->update();
        }
        return;
      }
      pressedHeader_ = model.HeaderColumnAt(ToPoint(point));
      if (pressedHeader_ >= 0) {
        mouseMode_ = MouseMode::kHeaderPressed;
        viewport()->update();
        return;
      }
      SelectByMouse(point, modifier);
      if (modifier == Modifier::kNone && HitAt(point).OnCell()) Classify(ClickClassifier::Button::kLeft, true, point);
      return;
    }
    case Qt::RightButton:
      setFocus(Qt::MouseFocusReason);
      SelectByMouse(point, Modifier::kNone);
      if (modifier == Modifier::kNone && point.y() >= model.Settings().headerHeight &&
          viewport()->rect().contains(point)) {
        Classify(ClickClassifier::Button::kRight, true, point);
      }
      return;
    case Qt::MiddleButton:
      SelectByMouse(point, Modifier::kNone);
      if (modifier == Modifier::kNone && HitAt(point).OnCell()) Classify(ClickClassifier::Button::kMiddle, true, point);
      return;
    default: return;
  }
}

void CxGrid::mouseReleaseEvent(QMouseEvent* event) {
  tip_->RelayEvent(QEvent::MouseButtonRelease, event->globalPosition().toPoint());
  const QPoint point = event->position().toPoint();
  const bool plain = ModifierOf(event->modifiers()) == Modifier::kNone;
  const bool onCell = HitAt(point).OnCell() && !std::exchange(doubleClicked_, false);
  if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
    if (plain && onCell) {
      Classify(event->button() == Qt::RightButton ? ClickClassifier::Button::kRight : ClickClassifier::Button::kMiddle,
               false, point);
    }
    return;
  }
  if (event->button() != Qt::LeftButton || !buttonDown_) return;
  GridModel& model = Model();
  const MouseMode mode = mouseMode_;
  switch (mode) {
    case MouseMode::kMovingColumn: {
      dragWindow_->hide();
      model.MoveScrolledColumn(model.ColumnAt(pressPoint_.x()), model.ColumnAt(point.x()));
      break;
    }
    case MouseMode::kResizing: model.ResizeColumnFromDivider(pressPoint_.x(), point.x()); break;
    case MouseMode::kHeaderPressed:
      if (model.HeaderColumnAt(ToPoint(point)) == pressedHeader_ && model.Settings().sortOnHeaderClick) {
        model.SortByColumn(pressedHeader_);
      }
      break;
    default: break;
  }
  buttonDown_ = false;
  mouseMode_ = MouseMode::kIdle;
  pressedHeader_ = -1;
  resizeBandX_ = -1;
  viewport()->setCursor(Qt::ArrowCursor);
  viewport()->update();
  const bool onHeader =
      mode == MouseMode::kHeaderPressed || mode == MouseMode::kMovingColumn || mode == MouseMode::kResizing;
  if (!onHeader && plain && onCell) Classify(ClickClassifier::Button::kLeft, false, point);
}

void CxGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  const bool plain = ModifierOf(event->modifiers()) == Modifier::kNone;
  GridModel& model = Model();
  const Hit hit = HitAt(point);
  if (event->button() == Qt::LeftButton) {
    const int divider = model.DividerAt(ToPoint(point));
    if (model.Settings().resizableColumns && divider >= model.FirstScrolledColumn()) {
      const int width = model.FittingWidth(divider, ToolkitTextMeasure());
      if (width != model.Columns()[divider].width) model.SetColumnWidth(divider, width);
      return;
    }
    if (plain && hit.OnCell()) {
      clicks_.Clear();
      doubleClicked_ = true;
      PostCommand(NotifyTarget(), ControlId(), kCommandDoubleClicked, this);
    }
    return;
  }
  if ((event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) && plain && hit.OnCell()) {
    clicks_.Clear();
    doubleClicked_ = true;
    CxNotifyOwner(kGridEventKind, hit.row, model.CurrentColumn(),
                  event->button() == Qt::RightButton ? notify::kRightDouble : notify::kMiddleDouble, 0);
  }
}

void CxGrid::SelectByMouse(QPoint point, Modifier modifier) {
  GridModel& model = Model();
  const Hit hit = HitAt(point);
  if (hit.row < 0) return;
  switch (modifier) {
    case Modifier::kNone:
      model.SetCurrentRow(hit.row);
      model.SetCurrentColumn(model.GetFieldOfColumn(hit.column));
      if (hit.column >= 0) {
        EndInPlaceEditors();
        ActOnCell(point, hit.row, hit.column);
      }
      break;
    case Modifier::kShift: model.ExtendSelectionTo(hit.row); break;
    case Modifier::kCtrl: model.ToggleRowSelection(hit.row); break;
  }
  viewport()->update();
}

void CxGrid::ActOnCell(QPoint point, int row, int column) {
  GridModel& model = Model();
  const std::int32_t field = model.GetFieldOfColumn(column);
  const CellAttributes* cell = model.Cell(row, field);
  const QRect rect = CellRectOf(row, column);
  switch (cell == nullptr ? CellKind::kText : cell->kind) {
    case CellKind::kCheckBox: {
      const int side = rect.height() - 6;
      if (!QRect(rect.left() + 3, rect.top() + 3, side, side).contains(point)) return;
      model.SetCellStyle(row, field, cell->value == 0 ? 1 : 0);
      CxNotifyOwner(static_cast<int>(CellKind::kCheckBox), row, field, notify::kCellPressed, 0);
      return;
    }
    case CellKind::kImage: {
      const Size image = model.Settings().imageSize;
      const int inset = (rect.height() - image.height) / 2;
      if (!QRect(rect.left() + inset, rect.top() + inset, image.width, image.height).contains(point)) return;
      CxNotifyOwner(static_cast<int>(CellKind::kImage), row, field, notify::kCellPressed, 0);
      return;
    }
    case CellKind::kEdit: StartInPlaceEdit(row, field); return;
    case CellKind::kCombo: StartInPlaceCombo(row, field); return;
    case CellKind::kText: PostCommand(NotifyTarget(), ControlId(), kCommandCellClicked, this); return;
  }
}

void CxGrid::Classify(ClickClassifier::Button button, bool press, QPoint point) {
  if (press) {
    clicks_.Press(button, ToPoint(point), platform::TickCount());
  } else {
    clicks_.Release(button, ToPoint(point), platform::TickCount());
  }
  clickTimer_.start();
}

void CxGrid::OnClickTimer() {
  const bool hasItems = menu_->Table() != nullptr && menu_->Table()->Count() > 0;
  const ClickClassifier::Due due = clicks_.Tick(platform::TickCount(), hasItems);
  if (!clicks_.Pending()) clickTimer_.stop();
  const GridModel& model = Model();
  switch (due.action) {
    case ClickClassifier::Action::kNone: return;
    case ClickClassifier::Action::kLeftClick:
      CxNotifyOwner(kGridEventKind, model.CurrentRow(), model.CurrentColumn(), notify::kLeftClick, 0);
      return;
    case ClickClassifier::Action::kRightClick:
      CxNotifyOwner(kGridEventKind, model.CurrentRow(), model.CurrentColumn(), notify::kRightClick, 0);
      return;
    case ClickClassifier::Action::kMiddleClick:
      CxNotifyOwner(kGridEventKind, model.CurrentRow(), model.CurrentColumn(), notify::kMiddleClick, 0);
      return;
    case ClickClassifier::Action::kShowMenu:
      menu_->Popup(viewport()->mapToGlobal(QPoint(due.point.x, due.point.y)));
      return;
  }
}

void CxGrid::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) {
    CxGridBase::wheelEvent(event);
    return;
  }
  // One line per started 120 units.
  const int lines = (std::abs(delta) - 1) / 120 + 1;
  for (int line = 0; line < lines; ++line) {
    Scroll(Qt::Vertical, delta > 0 ? ScrollAction::kLineBack : ScrollAction::kLineForward);
  }
  event->accept();
}

void CxGrid::keyPressEvent(QKeyEvent* event) {
  HideTitleTip();
  if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
    Model().MoveCurrentRow(event->key() == Qt::Key_Down ? 1 : -1);
    viewport()->update();
    event->accept();
    return;
  }
  CxGridBase::keyPressEvent(event);
}

void CxGrid::focusOutEvent(QFocusEvent* event) {
  CxGridBase::focusOutEvent(event);
  HideTitleTip();
  dragWindow_->hide();
  buttonDown_ = false;
  mouseMode_ = MouseMode::kIdle;
  pressedHeader_ = -1;
  resizeBandX_ = -1;
  viewport()->update();
}

}  // namespace gridctl
