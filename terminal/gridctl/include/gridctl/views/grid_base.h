// CxGridBase: the grid window. It paints its GridModel on a scroll area
// (header, cells by kind, grid lines, the selection), lays out and drives
// the scroll bars (rows one by one, columns whole), shows a cell's whole
// text in a title tip when it does not fit, runs the in-place editors of
// edit and combo cells, and tells its owner what happened with notification
// events. The user's mouse and keys are CxGrid's.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QPointer>
#include <string>
#include <string_view>

#include "gridctl/model/grid_model.h"
#include "gridctl/views/bitmap.h"
#include "gridctl/views/grid_events.h"

namespace gridctl {

class CxInPlaceEdit;
class CxInPlaceComboBox;

// The tip that shows a cell's whole text over the cell. It takes no input:
// the grid under it keeps getting the mouse and hides it.
class CxGridTitleTip : public QWidget {
 public:
  explicit CxGridTitleTip(QWidget* owner);

  // Over the cell (screen rectangle), as wide as " text " and as high as
  // the cell, when that is wider than the cell; false when it did not show.
  // A colour of 0xFF000000 leaves that colour as it is.
  bool Show(std::string_view text, const QRect& cellOnScreen, std::uint32_t textColour, std::uint32_t background,
            const QFont& font, int row, int column);
  void Hide();
  const QRect& CellOnScreen() const { return cell_; }
  int Row() const { return row_; }
  int Column() const { return column_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  QRect cell_;
  QColor textColour_;
  QColor background_;
  int row_ = -1;
  int column_ = -1;
};

class CxGridBase : public QAbstractScrollArea, protected GridModelObserver {
 public:
  // The in-place editors' control ids.
  static constexpr int kEditId = 4097;
  static constexpr int kComboId = 4098;

  explicit CxGridBase(QWidget* parent = nullptr);
  ~CxGridBase() override;

  GridModel& Model() { return model_; }
  const GridModel& Model() const { return model_; }

  virtual void SetControlId(int id) { controlId_ = id; }
  int ControlId() const { return controlId_; }
  // Notifications and commands go to the owner, else to the parent.
  void SetOwner(QWidget* owner) { owner_ = owner; }
  QWidget* NotifyTarget() const;
  // Sends a record without text to the owner; its answer, or 0 when there
  // is no one to tell.
  int CxNotifyOwner(int kind, int row, int column, int code, int extra);

  // The images of image cells.
  void SetImageStrip(CxImageStrip strip);
  const CxImageStrip& ImageStrip() const { return imageStrip_; }

  // The cell's text in the title tip when it does not fit the cell and the
  // grid has title tips; not over a cell being edited.
  void ShowTitleTip(int row, int column);
  void HideTitleTip();
  const CxGridTitleTip* TitleTipWindow() const { return titleTip_; }

  // The in-place editors of an edit or combo cell; each ends the one of its
  // kind that runs first.
  void StartInPlaceEdit(int row, std::int32_t field);
  void StartInPlaceCombo(int row, std::int32_t field);
  // Ends whichever editor runs, as losing the focus would.
  void EndInPlaceEditors();
  CxInPlaceEdit* RunningEdit() const;
  CxInPlaceComboBox* RunningCombo() const;

  // Scrolls as the scroll bars would, ending any running editor first.
  void Scroll(Qt::Orientation orientation, ScrollAction action, int thumbPosition = 0);

  // The column's header cell as it is painted, one pixel less high: the
  // image of a dragged column.
  QImage RenderHeaderCell(int column) const;
  QFont HeaderFont() const { return ToFont(model_.Settings().headerFont); }
  QFont RowFont() const { return ToFont(model_.Settings().rowFont); }
  // The cell's rectangle in the viewport, empty when it is not in view.
  QRect CellRectOf(int row, int column) const;

 protected:
  enum class MouseMode { kIdle = 0, kOverDivider = 1, kResizing = 2, kHeaderPressed = 3, kMovingColumn = 4 };

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // Both run their handlers guarded: no exception leaves them.
  bool event(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;

  void OnGridNotify(int code, int kind, int row, int column, int extra) override;
  void OnGridLayout() override;
  void OnGridRepaint() override;
  void OnGridRepaintCell(int row, std::int32_t field) override;

  // The mouse as CxGrid tracks it; the header paints pressed in mode 3.
  MouseMode mouseMode_ = MouseMode::kIdle;
  int pressedHeader_ = -1;
  // Where the band of a column being resized is painted.
  int resizeBandX_ = -1;

 private:
  static QFont ToFont(const FontSpec& font);
  void LayOutNow();
  void OnScrollAction(Qt::Orientation orientation, int action);
  void OnEditorNotify(const CxGridNotify& record);
  void RepaintRow(int row);
  void PaintHeaderCell(QPainter& painter, int column, const QRect& rect) const;
  void PaintCell(QPainter& painter, int row, int column, int position, const QRect& rect) const;
  void PaintCellContent(QPainter& painter, int row, int column, const QRect& rect, bool selected) const;

  GridModel model_;
  int controlId_ = 0;
  QPointer<QWidget> owner_;
  CxImageStrip imageStrip_;
  CxGridTitleTip* titleTip_ = nullptr;  // made on its first show
  QPointer<CxInPlaceEdit> edit_;
  QPointer<CxInPlaceComboBox> combo_;
  bool layingOut_ = false;
  bool scrolling_ = false;
};

}  // namespace gridctl
