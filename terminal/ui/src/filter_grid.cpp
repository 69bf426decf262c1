#include "ui/filter_grid.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

#include "ui/colours_fonts.h"
#include "ui/context_menus.h"
#include "ui/filter_list_dialog.h"
#include "ui/grid_state.h"
#include "ui/header_layout.h"

namespace ui {
namespace {

constexpr int kMarkSize = 12;
constexpr int kArrowWidth = 9;
constexpr int kRowHeaderWidth = 30;
constexpr int kRowHeight = 20;
constexpr int kFontPixels = 14;

const QColor kMarkColour(0x40, 0x40, 0x40);
const QColor kPlainMarkColour(0x90, 0x90, 0x90);
const QColor kFilterColour(0x1E, 0x5A, 0xC8);

// A small triangle in the box, pointing up or down.
QPolygonF Triangle(const QRectF& box, bool up) {
  const qreal top = box.top() + box.height() * 0.3;
  const qreal bottom = box.bottom() - box.height() * 0.3;
  if (up) return QPolygonF({{box.left(), bottom}, {box.right(), bottom}, {box.center().x(), top}});
  return QPolygonF({{box.left(), top}, {box.right(), top}, {box.center().x(), bottom}});
}

// A funnel filling the box.
QPolygonF Funnel(const QRectF& box) {
  const qreal middle = box.center().x();
  const qreal neck = box.width() * 0.12;
  const qreal waist = box.top() + box.height() * 0.45;
  return QPolygonF({{box.left(), box.top()},
                    {box.right(), box.top()},
                    {middle + neck, waist},
                    {middle + neck, box.bottom()},
                    {middle - neck, box.bottom() - box.height() * 0.15},
                    {middle - neck, waist}});
}

// The menu button in a section's rectangle: at its right, centred.
QRect ButtonIn(const QRect& section) {
  return QRect(section.right() - kMarkSize - 2, section.top() + (section.height() - kMarkSize) / 2, kMarkSize,
               kMarkSize);
}

// What the marks take of a section's right end.
int MarksWidth(int mark) { return kMarkSize + 4 + (mark % 3 != 0 ? kArrowWidth : 0); }

// The mark of a menu button: a drop-down arrow, or a funnel when the column
// filters; beside it an arrow of the sort direction.
void PaintMark(QPainter& painter, const QRect& button, int mark) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const QRectF box = QRectF(button).adjusted(2, 1, -2, -1);
  if (mark >= 3) {
    painter.setBrush(kFilterColour);
    painter.drawPolygon(Funnel(box));
  } else {
    painter.setBrush(mark == 0 ? kPlainMarkColour : kMarkColour);
    painter.drawPolygon(Triangle(box.adjusted(1, 0, -1, 0), false));
  }
  const int sort = mark % 3;
  if (sort != 0) {
    const QRectF arrow(button.left() - kArrowWidth, button.top() + 1, kArrowWidth - 1, button.height() - 2);
    painter.setPen(QPen(kMarkColour, 1.5));
    const qreal x = arrow.center().x();
    painter.drawLine(QPointF(x, arrow.top() + 1), QPointF(x, arrow.bottom() - 1));
    const qreal tip = sort == 1 ? arrow.top() + 1 : arrow.bottom() - 1;
    const qreal back = sort == 1 ? tip + 3.5 : tip - 3.5;
    painter.drawLine(QPointF(x, tip), QPointF(x - 3, back));
    painter.drawLine(QPointF(x, tip), QPointF(x + 3, back));
  }
  painter.restore();
}

}  // namespace

FilterHeader::FilterHeader(CFilterGridCtrl* grid) : QHeaderView(Qt::Horizontal, grid), grid_(grid) {
  setSectionsClickable(true);
  setSectionsMovable(true);
  setHighlightSections(false);
  setDefaultAlignment(Qt::AlignCenter);
}

QRect FilterHeader::MenuButtonRect(int column) const {
  if (column < 0 || column >= count() || isSectionHidden(column)) return {};
  return ButtonIn(QRect(sectionViewportPosition(column), 0, sectionSize(column), height()));
}

void FilterHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  if (!rect.isValid()) return;
  const int mark = grid_->GetHeaderMenuButtonImageIndex(logicalIndex);
  // The caption is centred in what the marks leave of the section.
  QStyleOptionHeader option;
  initStyleOptionForIndex(&option, logicalIndex);
  option.rect = rect;
  option.sortIndicator = QStyleOptionHeader::None;
  painter->save();
  style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
  option.rect = rect.adjusted(0, 0, -MarksWidth(mark), 0);
  style()->drawControl(QStyle::CE_HeaderLabel, &option, painter, this);
  painter->restore();
  PaintMark(*painter, ButtonIn(rect), mark);
}

void FilterHeader::mousePressEvent(QMouseEvent* event) {
  const int column = logicalIndexAt(event->position().toPoint());
  const QRect button = MenuButtonRect(column);
  if (event->button() == Qt::LeftButton && button.contains(event->position().toPoint())) {
    event->accept();
    grid_->OnHeaderMenuButtonClick(column, button);
    return;
  }
  QHeaderView::mousePressEvent(event);
}

void FilterHeader::mouseReleaseEvent(QMouseEvent* event) {
  clickModifiers_ = event->modifiers();
  QHeaderView::mouseReleaseEvent(event);
}

CFilterGridCtrl::CFilterGridCtrl(GridModel& rows, QWidget* parent)
    : QTableView(parent),
      rows_(rows),
      table_(new GridTableModel(rows, this)),
      header_(new FilterHeader(this)),
      headerMenu_(new QMenu(this)) {
  setObjectName("CFilterGridCtrl");
  setHorizontalHeader(header_);
  setModel(table_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::SelectedClicked);
  setWordWrap(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // The right button belongs to the owner, not to a context-menu event.
  setContextMenuPolicy(Qt::PreventContextMenu);
  viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
  QFont font = FontOf("宋体", 10);
  font.setPixelSize(kFontPixels);
  font.setWeight(QFont::Normal);
  setFont(font);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  verticalHeader()->setFixedWidth(kRowHeaderWidth);
  header_->setStretchLastSection(false);

  AddCommand(headerMenu_, kSortAscendingCommand, "升序(&S)");
  AddCommand(headerMenu_, kSortDescendingCommand, "降序(&O)");
  headerMenu_->addSeparator();
  AddCommand(headerMenu_, kSetFilterCommand, "设置过滤(&S)");
  AddCommand(headerMenu_, kClearFilterCommand, "清除过滤(&C)");
  headerMenu_->setObjectName("headerMenu");
  connect(headerMenu_, &QMenu::triggered, this, [this](QAction* action) { RunCommand(CommandOf(action)); });
  connect(header_, &QHeaderView::sectionClicked, this,
          [this](int column) { OnHeaderClicked(column, header_->ClickModifiers() & Qt::ControlModifier); });
  table_->SetHeaderHandler([this](bool columnsReplaced) { columnsReplaced ? ApplyColumns() : SyncHeader(); });
  table_->SetEditedHandler([this](RowId id, int column) { OnItemChanged(id, column); });
  ApplyColumns();
}

CFilterGridCtrl::~CFilterGridCtrl() {
  table_->SetHeaderHandler({});
  table_->SetEditedHandler({});
}

void CFilterGridCtrl::ApplyColumns() {
  for (int column = 0; column < rows_.ColumnCount(); ++column)
    header_->resizeSection(column, rows_.Column(column).width);
  SyncHeader();
}

void CFilterGridCtrl::SyncHeader() {
  if (header_->count() != rows_.ColumnCount()) return;
  for (int column = 0; column < rows_.ColumnCount(); ++column) {
    header_->setSectionHidden(column, !rows_.Column(column).visible);
  }
  header_->viewport()->update();
}

std::optional<RowId> CFilterGridCtrl::RowAt(QPoint point) const { return table_->RowAt(rowAt(point.y())); }

std::optional<RowId> CFilterGridCtrl::SelectedRow() const {
  const QModelIndexList selected = selectionModel()->selectedRows();
  return selected.isEmpty() ? std::nullopt : table_->RowAt(selected.front().row());
}

void CFilterGridCtrl::SetColumnVisible(int column, bool visible) { rows_.SetColumnVisible(column, visible); }

std::vector<int> CFilterGridCtrl::ShownColumns() const {
  std::vector<int> columns;
  for (int visual = 0; visual < header_->count(); ++visual) {
    const int column = header_->logicalIndex(visual);
    if (!header_->isSectionHidden(column)) columns.push_back(column);
  }
  return columns;
}

void CFilterGridCtrl::OnHeaderMenuButtonClick(int column, const QRect& buttonRect) {
  headerMenuColumn_ = column;
  headerMenu_->popup(header_->mapToGlobal(buttonRect.bottomLeft()));
}

void CFilterGridCtrl::OnHeaderClicked(int column, bool add) {
  rows_.Sort(column, rows_.ColumnSortState(column) <= 0, add);
}

void CFilterGridCtrl::RunCommand(int commandId) {
  switch (commandId) {
    case kSortAscendingCommand: OnSortAscending(); break;
    case kSortDescendingCommand: OnSortDescending(); break;
    case kSetFilterCommand: OnSetFilter(); break;
    case kClearFilterCommand: OnClearFilter(); break;
    default: break;
  }
}

void CFilterGridCtrl::OnSortAscending() {
  if (headerMenuColumn_ >= 0) rows_.Sort(headerMenuColumn_, true, false);
}

void CFilterGridCtrl::OnSortDescending() {
  if (headerMenuColumn_ >= 0) rows_.Sort(headerMenuColumn_, false, false);
}

void CFilterGridCtrl::OnSetFilter() {
  if (headerMenuColumn_ < 0) return;
  ColumnFilterState working = rows_.Filter();
  // One column filters at a time: a filter on another column is dropped.
  if (working.column != headerMenuColumn_) working = ColumnFilterState{headerMenuColumn_, true, {}};
  if (RunPickList(rows_.CollectColumnValues(headerMenuColumn_), working)) rows_.SetFilter(std::move(working));
  clearSelection();
}

void CFilterGridCtrl::OnClearFilter() {
  clearSelection();
  rows_.ClearFilter();
}

bool CFilterGridCtrl::RunPickList(std::vector<std::string> values, ColumnFilterState& working) {
  CFilterListDlg dialog(this, std::move(values), working);
  return dialog.exec() == QDialog::Accepted;
}

bool CFilterGridCtrl::SaveState(RegistryStore& registry, std::string_view gridName) const {
  GridState state = CaptureHeaderLayout(*header_, rows_);
  state.sort = rows_.SortColumns();
  return SaveGridState(registry, gridName, state);
}

bool CFilterGridCtrl::LoadState(const RegistryStore& registry, std::string_view gridName) {
  const std::optional<GridState> state = LoadGridState(registry, gridName, rows_.ColumnCount());
  if (!state) return false;
  ApplyHeaderLayout(*header_, *state);
  rows_.SetSortColumns(state->sort);
  return true;
}

void CFilterGridCtrl::OnRightButtonUp(const GridMouse& mouse) {
  if (listener_ != nullptr) listener_->OnGridContextMenu(mouse);
}

void CFilterGridCtrl::OnItemChanged(RowId, int) {}

void CFilterGridCtrl::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) {
    QTableView::mouseReleaseEvent(event);
    return;
  }
  OnRightButtonUp({event->position().toPoint(), event->modifiers()});
}

void CFilterGridCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  if (listener_ == nullptr || event->button() != Qt::LeftButton) {
    QTableView::mouseDoubleClickEvent(event);
    return;
  }
  listener_->OnGridDblClk({event->position().toPoint(), event->modifiers()});
}

void CFilterGridCtrl::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
  // Rows out of sight need no repaint; an open editor still takes the new
  // value through the base.
  const int top = rowAt(0);
  const int bottom = rowAt(viewport()->height() - 1);
  const bool outOfSight = top >= 0 && (bottomRight.row() < top || (bottom >= 0 && topLeft.row() > bottom));
  if (outOfSight && state() != QAbstractItemView::EditingState) return;
  QTableView::dataChanged(topLeft, bottomRight, roles);
}

}  // namespace ui
