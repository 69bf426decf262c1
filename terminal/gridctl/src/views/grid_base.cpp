#include "gridctl/views/grid_base.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

#include "gridctl/model/in_place_rules.h"
#include "gridctl/views/guarded.h"
#include "gridctl/views/in_place_editors.h"
#include "gridctl/views/paint_support.h"
#include "ui/gbk_text.h"

namespace gridctl {
namespace {

// Leaves a colour as it is.
constexpr std::uint32_t kUnchangedColour = 0xFF000000;

std::optional<ScrollAction> ActionOf(int sliderAction) {
  switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollAction::kLineBack;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollAction::kLineForward;
    case QAbstractSlider::SliderPageStepSub: return ScrollAction::kPageBack;
    case QAbstractSlider::SliderPageStepAdd: return ScrollAction::kPageForward;
    case QAbstractSlider::SliderToMinimum: return ScrollAction::kToStart;
    case QAbstractSlider::SliderToMaximum: return ScrollAction::kToEnd;
    case QAbstractSlider::SliderMove: return ScrollAction::kThumb;
    default: return std::nullopt;
  }
}

// What an edit or combo cell shows: a password edit's characters as "*",
// a combo's chosen item.
QString ShownText(const CellAttributes* cell, std::string_view stored) {
  if (cell != nullptr && cell->kind == CellKind::kCombo) return ui::FromGbk(cell->chosenText);
  QString text = ui::FromGbk(stored);
  if (cell != nullptr && cell->kind == CellKind::kEdit && (cell->value & kPasswordStyle) != 0) {
    text.fill(QLatin1Char('*'));
  }
  return text;
}

}  // namespace

CxGridTitleTip::CxGridTitleTip(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput |
                         Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool CxGridTitleTip::Show(std::string_view text, const QRect& cellOnScreen, std::uint32_t textColour,
                          std::uint32_t background, const QFont& font, int row, int column) {
  if (cellOnScreen.isEmpty() || isVisible()) return false;
  text_ = QLatin1Char(' ') + ui::FromGbk(text) + QLatin1Char(' ');
  setFont(font);
  const int width = MeasureText(ui::ToGbk(text_), font).width;
  if (width <= cellOnScreen.width()) return false;
  cell_ = cellOnScreen;
  row_ = row;
  column_ = column;
  if (background != kUnchangedColour) background_ = ToQColor(background);
  if (textColour != kUnchangedColour) textColour_ = ToQColor(textColour);
  setGeometry(cellOnScreen.left(), cellOnScreen.top(), width, cellOnScreen.height());
  show();
  raise();
  return true;
}

void CxGridTitleTip::Hide() {
  if (isVisible()) hide();
}

void CxGridTitleTip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (background_.isValid()) painter.fillRect(rect(), background_);
  if (textColour_.isValid()) painter.setPen(textColour_);
  painter.setFont(font());
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text_);
}

CxGridBase::CxGridBase(QWidget* parent) : QAbstractScrollArea(parent) {
  model_.SetObserver(this);
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QObject::connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
                   [this](int action) { OnScrollAction(Qt::Vertical, action); });
  QObject::connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
                   [this](int action) { OnScrollAction(Qt::Horizontal, action); });
}

CxGridBase::~CxGridBase() {
  // Editors still running go with the grid without reporting to it.
  if (edit_) edit_->Detach();
  if (combo_) combo_->Detach();
  model_.SetObserver(nullptr);
}

QWidget* CxGridBase::NotifyTarget() const { return owner_ ? owner_.data() : parentWidget(); }

int CxGridBase::CxNotifyOwner(int kind, int row, int column, int code, int extra) {
  return SendNotify(NotifyTarget(), {this, controlId_, code, kind, row, column, extra, {}});
}

void CxGridBase::SetImageStrip(CxImageStrip strip) {
  imageStrip_ = std::move(strip);
  model_.Settings().imageSize = {imageStrip_.ImageWidth(), imageStrip_.ImageHeight()};
  viewport()->update();
}

QFont CxGridBase::ToFont(const FontSpec& font) { return ToQFont(font); }

QRect CxGridBase::CellRectOf(int row, int column) const { return ToQRect(model_.CellRect(row, column)); }

void CxGridBase::ShowTitleTip(int row, int column) {
  const GridSettings& settings = model_.Settings();
  const Column* shown = model_.ColumnRecord(column);
  if (!settings.titleTips || shown == nullptr) return;
  const CellAttributes* cell = model_.Cell(row, shown->field);
  if (cell != nullptr && cell->editing) return;
  const QRect rect = CellRectOf(row, column);
  if (rect.isEmpty() || QApplication::activeWindow() == nullptr) return;
  if (titleTip_ == nullptr) titleTip_ = new CxGridTitleTip(this);
  const QFont font = cell != nullptr && cell->font.height != 0 ? ToFont(cell->font) : RowFont();
  titleTip_->Show(ui::ToGbk(ShownText(cell, model_.GetCellText(row, shown->field))),
                  QRect(viewport()->mapToGlobal(rect.topLeft()), rect.size()), settings.tipTextColour,
                  settings.tipBackground, font, row, column);
}

void CxGridBase::HideTitleTip() {
  if (titleTip_ != nullptr) titleTip_->Hide();
}

void CxGridBase::StartInPlaceEdit(int row, std::int32_t field) {
  if (edit_) edit_->End();
  const int column = model_.GetColumnOfField(field);
  const CellAttributes* cell = model_.Cell(row, field);
  const QRect rect = CellRectOf(row, column);
  if (cell == nullptr || rect.isEmpty()) return;
  edit_ = new CxInPlaceEdit(this, row, field, rect, std::string(model_.GetCellText(row, field)), cell->value,
                            model_.Columns()[column].dataWidth - 1);
  model_.SetCellEditing(row, field, true);
  edit_->Start();
}

void CxGridBase::StartInPlaceCombo(int row, std::int32_t field) {
  if (combo_) combo_->End();
  const int column = model_.GetColumnOfField(field);
  const CellAttributes* cell = model_.Cell(row, field);
  const QRect rect = CellRectOf(row, column);
  if (cell == nullptr || rect.isEmpty()) return;
  combo_ = new CxInPlaceComboBox(this, row, field, rect, *cell, model_.GetCellText(row, field));
  model_.SetCellEditing(row, field, true);
  combo_->Start(cell->chosenText);
}

CxInPlaceEdit* CxGridBase::RunningEdit() const { return edit_; }

CxInPlaceComboBox* CxGridBase::RunningCombo() const { return combo_; }

void CxGridBase::EndInPlaceEditors() {
  if (edit_) edit_->End();
  if (combo_) combo_->End();
}

void CxGridBase::OnEditorNotify(const CxGridNotify& record) {
  if (record.code == notify::kEditStarted && record.id == kEditId) {
    SendNotify(NotifyTarget(),
               {this, controlId_, record.code, record.kind, record.row, record.column, record.extra, record.text});
    return;
  }
  if (record.code != notify::kEditEnded) return;
  if (record.id == kEditId) {
    if (record.extra != keys::kEscape) model_.SetCellText(record.row, record.column, record.text, CellKind::kEdit);
    edit_ = nullptr;
  } else if (record.id == kComboId) {
    model_.SetChosenText(record.row, record.column, record.text);
    combo_ = nullptr;
  } else {
    return;
  }
  model_.SetCellEditing(record.row, record.column, false);
  CxNotifyOwner(record.kind, record.row, record.column, record.code, record.extra);
}

void CxGridBase::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  LayOutNow();
}

void CxGridBase::LayOutNow() {
  if (layingOut_) return;
  layingOut_ = true;
  const GridSettings& settings = model_.Settings();
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  const QSize client = contentsRect().size();
  const ScrollLayout& layout = model_.LayOut({client.width(), client.height()}, {extent, extent});
  setVerticalScrollBarPolicy(layout.verticalShown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(layout.horizontalShown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  {
    const QSignalBlocker quiet(verticalScrollBar());
    verticalScrollBar()->setRange(0, layout.verticalMax);
    verticalScrollBar()->setSingleStep(std::max(1, settings.rowHeight));
    verticalScrollBar()->setPageStep(std::max(1, layout.viewport.height - settings.headerHeight));
    verticalScrollBar()->setValue(layout.verticalPosition);
  }
  {
    const QSignalBlocker quiet(horizontalScrollBar());
    horizontalScrollBar()->setRange(0, layout.horizontalMax);
    horizontalScrollBar()->setPageStep(std::max(1, layout.viewport.width - model_.FixedColumnsWidth()));
    horizontalScrollBar()->setValue(layout.horizontalPosition);
  }
  layingOut_ = false;
  viewport()->update();
}

void CxGridBase::OnScrollAction(Qt::Orientation orientation, int sliderAction) {
  const std::optional<ScrollAction> action = ActionOf(sliderAction);
  if (!action || scrolling_) return;
  scrolling_ = true;
  QScrollBar* bar = orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
  Scroll(orientation, *action, bar->sliderPosition());
  bar->setSliderPosition(orientation == Qt::Vertical ? model_.Layout().verticalPosition
                                                     : model_.Layout().horizontalPosition);
  scrolling_ = false;
}

void CxGridBase::Scroll(Qt::Orientation orientation, ScrollAction action, int thumbPosition) {
  EndInPlaceEditors();
  if (orientation == Qt::Vertical) {
    model_.ScrollVertical(action, thumbPosition);
  } else {
    model_.ScrollHorizontal(action, thumbPosition);
  }
}

// The scroll bars' values follow the model; painting reads it.
void CxGridBase::scrollContentsBy(int, int) { viewport()->update(); }

void CxGridBase::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  RepaintRow(model_.CurrentRow());
}

void CxGridBase::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  RepaintRow(model_.CurrentRow());
}

void CxGridBase::RepaintRow(int row) {
  const int position = model_.PositionOfRow(row);
  if (position < 0) return;
  const GridSettings& settings = model_.Settings();
  viewport()->update(
      QRect(0, settings.headerHeight + position * settings.rowHeight, viewport()->width(), settings.rowHeight));
}

bool CxGridBase::event(QEvent* event) {
  return Guarded(
      [&] {
        if (event->type() == NotifyEvent::EventType()) {
          OnEditorNotify(static_cast<NotifyEvent*>(event)->Record());
          return true;
        }
        return QAbstractScrollArea::event(event);
      },
      true);
}

bool CxGridBase::viewportEvent(QEvent* event) {
  return Guarded([&] { return QAbstractScrollArea::viewportEvent(event); }, true);
}

void CxGridBase::OnGridNotify(int code, int kind, int row, int column, int extra) {
  CxNotifyOwner(kind, row, column, code, extra);
}

void CxGridBase::OnGridLayout() { LayOutNow(); }

void CxGridBase::OnGridRepaint() { viewport()->update(); }

void CxGridBase::OnGridRepaintCell(int row, std::int32_t field) {
  const QRect rect = CellRectOf(row, model_.GetColumnOfField(field));
  if (!rect.isEmpty()) viewport()->update(rect);
}

void CxGridBase::paintEvent(QPaintEvent* event) {
  const QRect clip = event->rect();
  if (clip.isEmpty()) return;
  QPainter painter(viewport());
  const GridSettings& settings = model_.Settings();
  const std::vector<int> shown = model_.ShownColumns();
  int contentRight = 0;
  for (const int column : shown) {
    if (model_.Columns()[column].ShownWidth() == 0) continue;
    const QRect header = ToQRect(model_.HeaderRect(column));
    contentRight = header.left() + header.width();
    if (header.intersects(clip)) PaintHeaderCell(painter, column, header);
  }
  const int visible = model_.VisibleRowCount();
  for (int position = 0; position < visible; ++position) {
    const int row = position < settings.fixedRows ? position : position + model_.TopRow();
    for (const int column : shown) {
      const QRect rect = CellRectOf(row, column);
      if (!rect.isEmpty() && rect.intersects(clip)) PaintCell(painter, row, column, position, rect);
    }
  }
  const QColor background = ToQColor(settings.background);
  const int bottom = settings.headerHeight + visible * settings.rowHeight;
  painter.fillRect(QRect(contentRight, 0, viewport()->width() - contentRight, viewport()->height()), background);
  painter.fillRect(QRect(0, bottom, contentRight, viewport()->height() - bottom), background);
  if (mouseMode_ == MouseMode::kResizing && resizeBandX_ >= 0) {
    // The band where the divider would go, over everything.
    painter.fillRect(QRect(resizeBandX_ - 2, 0, 4, viewport()->height()), QColor(0, 0, 0, 128));
  }
}

void CxGridBase::PaintHeaderCell(QPainter& painter, int column, const QRect& rect) const {
  const GridSettings& settings = model_.Settings();
  const Column& header = model_.Columns()[column];
  painter.fillRect(rect, ToQColor(header.headerBackground, settings.headerBackground));
  const QColor light = ToQColor(settings.headerLightEdge);
  const QColor dark = ToQColor(settings.headerDarkEdge);
  const bool pressed = mouseMode_ == MouseMode::kHeaderPressed && pressedHeader_ == column;
  const int far = pressed ? 1 : 2;
  painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 2), pressed ? dark : light);
  painter.fillRect(QRect(rect.left(), rect.top(), 2, rect.height()), pressed ? dark : light);
  painter.fillRect(QRect(rect.right() + 1 - far, rect.top(), far, rect.height()), dark);
  painter.fillRect(QRect(rect.left(), rect.bottom() + 1 - far, rect.width(), far), dark);
  QRect textArea = rect.adjusted(3, 0, -3, 0);
  const int size = settings.headerHeight / 2 - 2;
  if (header.field == model_.SortField() && model_.SortDirection() != 0 && size > 0) {
    // An etched triangle at the right end: apex up ascending, down
    // descending.
    const int left = rect.right() - 4 - size;
    const int top = rect.top() + (rect.height() - size) / 2;
    const bool up = model_.SortDirection() > 0;
    const QPoint apex(left + size / 2, up ? top : top + size);
    const QPoint baseLeft(left, up ? top + size : top);
    const QPoint baseRight(left + size, up ? top + size : top);
    // Etched: the outline in the shadow colour, its lit edges again one
    // pixel lower right in the highlight colour.
    const QPolygon triangle({apex, baseLeft, baseRight});
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(apex + QPoint(1, 1), baseRight + QPoint(1, 1));
    if (up) painter.drawLine(baseLeft + QPoint(1, 1), baseRight + QPoint(1, 1));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawPolygon(triangle);
    textArea.setRight(rect.right() - size - 5);
  }
  painter.setFont(HeaderFont());
  painter.setPen(ToQColor(header.headerTextColour, settings.headerTextColour));
  const char* name = model_.Store().GetFieldName(header.field);
  painter.drawText(textArea,
                   Qt::TextSingleLine | Qt::AlignVCenter | (header.alignRight ? Qt::AlignRight : Qt::AlignLeft),
                   ui::FromGbk(name == nullptr ? "" : name));
}

QImage CxGridBase::RenderHeaderCell(int column) const {
  const Column* header = model_.ColumnRecord(column);
  const int height = model_.Settings().headerHeight - 1;
  if (header == nullptr || header->ShownWidth() == 0 || height <= 0) return {};
  QImage image(header->ShownWidth(), height, QImage::Format_RGB32);
  QPainter painter(&image);
  PaintHeaderCell(painter, column, QRect(0, 0, image.width(), model_.Settings().headerHeight));
  return image;
}

void CxGridBase::PaintCell(QPainter& painter, int row, int column, int position, const QRect& rect) const {
  const GridSettings& settings = model_.Settings();
  const Column& shown = model_.Columns()[column];
  const CellAttributes* cell = model_.Cell(row, shown.field);
  const bool selected = model_.IsRowSelected(row);
  const bool keep = settings.keepCellColoursWhenSelected;
  const std::uint32_t rowColour =
      !settings.alternateRows || (position + model_.TopRow()) % 2 != 0 ? settings.oddRowColour : settings.evenRowColour;
  const std::uint32_t back = cell != nullptr && cell->background != kDefaultColour ? cell->background : rowColour;
  painter.fillRect(rect, ToQColor(selected && !keep ? settings.selectionColour : back));
  if (selected && keep) {
    // A frame round the whole selected row, one pixel in the selection
    // colour.
    const std::vector<int> columns = model_.ShownColumns();
    int first = -1;
    int last = -1;
    for (const int candidate : columns) {
      if (model_.Columns()[candidate].ShownWidth() == 0) continue;
      if (first < 0) first = candidate;
      last = candidate;
    }
    painter.setPen(ToQColor(settings.selectionColour));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    if (column == first) painter.drawLine(rect.topLeft(), rect.bottomLeft());
    if (column == last) painter.drawLine(rect.topRight(), rect.bottomRight());
  }
  const bool fixed = column < settings.fixedColumns;
  if (settings.verticalLines) {
    painter.setPen(ToQColor(fixed ? settings.fixedLineColour : settings.gridLineColour));
    painter.drawLine(rect.topRight(), rect.bottomRight());
  }
  if (settings.horizontalLines) {
    painter.setPen(ToQColor(settings.gridLineColour));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
  }
  PaintCellContent(painter, row, column, rect, selected);
}

void CxGridBase::PaintCellContent(QPainter& painter, int row, int column, const QRect& rect, bool selected) const {
  const GridSettings& settings = model_.Settings();
  const Column& shown = model_.Columns()[column];
  const CellAttributes* cell = model_.Cell(row, shown.field);
  const CellKind kind = cell == nullptr ? CellKind::kText : cell->kind;
  if ((kind == CellKind::kEdit || kind == CellKind::kCombo) && cell->editing) return;
  const std::string_view text = model_.GetCellText(row, shown.field);
  const bool selectedColours = selected && !settings.keepCellColoursWhenSelected;
  painter.setPen(selectedColours ? ToQColor(settings.selectedTextColour)
                                 : ToQColor(cell == nullptr ? kDefaultColour : cell->textColour, settings.textColour));
  const int align = Qt::TextSingleLine | Qt::AlignVCenter | (shown.alignRight ? Qt::AlignRight : Qt::AlignLeft);
  // Boxes and images leave a square of the cell's height at the left.
  const QRect besideSquare(rect.left() + rect.height(), rect.top() + 2, rect.width() - rect.height() - 3,
                           rect.height() - 4);
  painter.setFont(RowFont());
  switch (kind) {
    case CellKind::kText:
      if (cell != nullptr && cell->font.height != 0) painter.setFont(ToFont(cell->font));
      painter.drawText(rect.adjusted(3, 2, -3, -2), align, ui::FromGbk(text));
      break;
    case CellKind::kCheckBox: {
      QStyleOptionButton box;
      const int side = rect.height() - 6;
      box.rect = QRect(rect.left() + 3, rect.top() + 3, side, side);
      box.state = QStyle::State_Enabled | (cell->value != 0 ? QStyle::State_On : QStyle::State_Off);
      style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, this);
      painter.drawText(besideSquare, align, ui::FromGbk(text));
      break;
    }
    case CellKind::kImage: {
      const int inset = (rect.height() - imageStrip_.ImageHeight()) / 2;
      imageStrip_.Draw(painter, cell->value, rect.left() + inset, rect.top() + inset);
      painter.drawText(QRect(rect.left() + settings.rowHeight, rect.top() + 2, rect.width() - settings.rowHeight - 3,
                             rect.height() - 4),
                       align, ui::FromGbk(text));
      break;
    }
    case CellKind::kEdit:
    case CellKind::kCombo:
      painter.drawText(rect.adjusted(3, 2, -3, -2), align, ShownText(cell, text));
      // The mark of an editable cell.
      painter.fillRect(QRect(rect.left() + 1, rect.bottom() - 1, rect.width() - 4, 2), palette().color(QPalette::Dark));
      break;
  }
}

}  // namespace gridctl
