#include "ui/grid_table_model.h"

#include <QColor>
#include <algorithm>

#include "ui/colours_fonts.h"
#include "ui/gbk_text.h"

namespace ui {
namespace {

// The cells of the first sort column are marked with this background.
const QColor kSortedColumnBackground(0xF4, 0xF4, 0xF4);

Qt::Alignment AlignmentOf(int alignment) {
  switch (alignment) {
    case kAlignLeft: return Qt::AlignLeft | Qt::AlignVCenter;
    case kAlignCentre: return Qt::AlignCenter;
    default: return Qt::AlignRight | Qt::AlignVCenter;
  }
}

}  // namespace

GridTableModel::GridTableModel(GridModel& rows, QObject* parent) : QAbstractTableModel(parent), rows_(rows) {
  rows_.SetListener(this);
}

GridTableModel::~GridTableModel() { rows_.SetListener(nullptr); }

std::optional<RowId> GridTableModel::RowAt(int viewRow) const {
  if (viewRow < 0 || viewRow >= rows_.ShownRowCount()) return std::nullopt;
  return rows_.ShownRow(viewRow);
}

int GridTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_.ShownRowCount(); }

int GridTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_.ColumnCount(); }

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_.ShownRowCount()) return {};
  const GridRow& row = *rows_.Row(rows_.ShownRow(index.row()));
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return FromGbk(row.Text(index.column()));
    case Qt::TextAlignmentRole: return QVariant::fromValue(AlignmentOf(rows_.Column(index.column()).alignment));
    case Qt::ForegroundRole: {
      const std::uint32_t colour = row.Colour(index.column());
      return colour == kDefaultColour ? QVariant() : QVariant(ColourFromRef(colour));
    }
    case Qt::BackgroundRole: {
      const bool sorted = !rows_.SortColumns().empty() && rows_.SortColumns().front().column == index.column();
      return sorted ? QVariant(kSortedColumnBackground) : QVariant();
    }
    default: return {};
  }
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= rows_.ColumnCount()) return {};
  if (role == Qt::DisplayRole) return FromGbk(rows_.Column(section).caption);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
  return {};
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= rows_.ShownRowCount()) return Qt::NoItemFlags;
  const bool editable = rows_.Row(rows_.ShownRow(index.row()))->IsEditable(index.column());
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | (editable ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

bool GridTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.row() >= rows_.ShownRowCount()) return false;
  return rows_.EditCell(rows_.ShownRow(index.row()), index.column(), ToGbk(value.toString()));
}

void GridTableModel::Flush() {
  flushPosted_ = false;
  std::vector<int> positions;
  positions.reserve(changed_.size());
  for (const RowId id : changed_) {
    if (id < isChanged_.size()) isChanged_[id] = false;
    const int position = rows_.ShownPositionOf(id);
    if (position >= 0) positions.push_back(position);
  }
  changed_.clear();
  std::sort(positions.begin(), positions.end());
  const int lastColumn = rows_.ColumnCount() - 1;
  // Neighbouring rows are told as one range.
  for (std::size_t first = 0; first < positions.size();) {
    std::size_t last = first;
    while (last + 1 < positions.size() && positions[last + 1] <= positions[last] + 1) ++last;
    emit dataChanged(index(positions[first], 0), index(positions[last], lastColumn));
    first = last + 1;
  }
}

void GridTableModel::RowsInserting(int first, int last) { beginInsertRows({}, first, last); }
void GridTableModel::RowsInserted() { endInsertRows(); }
void GridTableModel::RowsRemoving(int first, int last) { beginRemoveRows({}, first, last); }
void GridTableModel::RowsRemoved() { endRemoveRows(); }
void GridTableModel::RowMoving(int from, int destination) {
  // The store moves a row only to another place, which the toolkit takes;
  // should it refuse, the move is told as a new order.
  moving_ = beginMoveRows({}, from, from, {}, destination);
  if (!moving_) emit layoutAboutToBeChanged();
}

void GridTableModel::RowMoved() {
  if (moving_) {
    endMoveRows();
  } else {
    emit layoutChanged();
  }
}

void GridTableModel::RowChanged(RowId id) {
  if (id >= isChanged_.size()) isChanged_.resize(id + 1, false);
  if (!isChanged_[id]) {
    isChanged_[id] = true;
    changed_.push_back(id);
  }
  if (!flushPosted_) {
    flushPosted_ = true;
    QMetaObject::invokeMethod(
        this, [this] { Flush(); }, Qt::QueuedConnection);
  }
}

void GridTableModel::OrderChanging() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  persistentRows_.clear();
  for (const QModelIndex& index : persistentIndexList()) {
    persistentRows_.push_back(index.row() < rows_.ShownRowCount() ? rows_.ShownRow(index.row()) : RowId(-1));
  }
}

void GridTableModel::OrderChanged() {
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (qsizetype i = 0; i < from.size(); ++i) {
    const int position = i < static_cast<qsizetype>(persistentRows_.size())
                             ? rows_.ShownPositionOf(persistentRows_[static_cast<std::size_t>(i)])
                             : -1;
    to.push_back(position < 0 ? QModelIndex() : index(position, from[i].column()));
  }
  changePersistentIndexList(from, to);
  persistentRows_.clear();
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GridTableModel::ColumnsChanging() { beginResetModel(); }

void GridTableModel::ColumnsChanged() {
  endResetModel();
  if (header_) header_(true);
}

void GridTableModel::HeaderChanged() {
  if (rows_.ColumnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, rows_.ColumnCount() - 1);
  if (header_) header_(false);
}

void GridTableModel::CellEdited(RowId id, int column) {
  if (edited_) edited_(id, column);
}

}  // namespace ui
