// The toolkit's table model over a grid's row store: it shows the store's
// shown rows and columns and passes on each change as the store tells it,
// rows inserted, removed and moved where they are, so that a view keeps its
// selection, scroll place and column sizes. Changes of a row's cells are
// gathered and told once per turn of the event loop (once per pump tick):
// each changed row repaints once however often it changed, and only rows
// that changed repaint.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "ui/grid_model.h"

namespace ui {

class GridTableModel final : public QAbstractTableModel, private GridListener {
 public:
  // The store outlives the model.
  explicit GridTableModel(GridModel& rows, QObject* parent = nullptr);
  ~GridTableModel() override;

  GridModel& Rows() const { return rows_; }
  // The row shown at the view row; nothing outside the shown rows.
  std::optional<RowId> RowAt(int viewRow) const;

  // Tells the views now of the changed rows still waiting.
  void Flush();

  // Called after the user's edit of a cell was stored.
  void SetEditedHandler(std::function<void(RowId id, int column)> handler) { edited_ = std::move(handler); }
  // Called after the columns were replaced (true) or what the header shows
  // changed (false).
  void SetHeaderHandler(std::function<void(bool columnsReplaced)> handler) { header_ = std::move(handler); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  void RowsInserting(int first, int last) override;
  void RowsInserted() override;
  void RowsRemoving(int first, int last) override;
  void RowsRemoved() override;
  void RowMoving(int from, int destination) override;
  void RowMoved() override;
  void RowChanged(RowId id) override;
  void OrderChanging() override;
  void OrderChanged() override;
  void ColumnsChanging() override;
  void ColumnsChanged() override;
  void HeaderChanged() override;
  void CellEdited(RowId id, int column) override;

  GridModel& rows_;
  // Rows whose cells changed since the last flush, each once.
  std::vector<RowId> changed_;
  std::vector<bool> isChanged_;
  bool flushPosted_ = false;
  bool moving_ = false;
  // The rows behind the persistent indexes while the order is redone.
  std::vector<RowId> persistentRows_;
  std::function<void(RowId, int)> edited_;
  std::function<void(bool)> header_;
};

}  // namespace ui
