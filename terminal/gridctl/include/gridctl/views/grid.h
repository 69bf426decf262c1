// CxGrid: the grid the user works: selection by mouse (Shift and Ctrl when
// several rows are selectable), clicks told from double clicks and held
// buttons, column sizing by the header dividers (a double click fits the
// column), columns dragged by their header to another place, sorting by a
// header click, a popup menu, the wheel and the arrow keys. Commands it
// receives (a menu choice) go on to its parent.
#pragma once

#include <QTimer>
#include <string_view>

#include "gridctl/model/click_classifier.h"
#include "gridctl/views/bitmap.h"
#include "gridctl/views/grid_base.h"
#include "gridctl/views/menu.h"
#include "gridctl/views/title_tip.h"

namespace gridctl {

class CxGrid : public CxGridBase {
 public:
  // Room of the popup menu.
  static constexpr int kMenuCapacity = 32;

  explicit CxGrid(QWidget* parent = nullptr);

  // The popup menu's commands carry the control id as their code.
  void SetControlId(int id) override;

  // The popup menu's items (`flags` is the item kind).
  bool InsertMenuItem(int position, std::string_view text, std::uint16_t commandId, int flags);
  bool AppendMenuItem(std::string_view text, std::uint16_t commandId, int flags);
  bool RemoveMenuItem(std::uint16_t commandId);
  CxPopupMenu* PopupMenu() const { return menu_; }
  // The tip its owner may give lines (the grid relays the mouse to it).
  CxTitleTip* TitleTip() const { return tip_; }
  // The window that carries a dragged column's header.
  const CxBitmapWnd* DragWindow() const { return dragWindow_; }

 protected:
  bool event(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

  // The row and column under a viewport point, -1 each where there is none.
  struct Hit {
    int row = -1;
    int column = -1;
    bool OnCell() const { return row >= 0 && column >= 0; }
  };
  Hit HitAt(QPoint point) const;

 private:
  enum class Modifier { kNone, kShift, kCtrl };
  static Modifier ModifierOf(Qt::KeyboardModifiers modifiers);
  void SelectByMouse(QPoint point, Modifier modifier);
  void ActOnCell(QPoint point, int row, int column);
  void Classify(ClickClassifier::Button button, bool press, QPoint point);
  void OnClickTimer();
  void StartColumnDrag();
  void OnPlainMove(QPoint point, Qt::KeyboardModifiers modifiers);

  CxPopupMenu* menu_;
  CxBitmapWnd* dragWindow_;
  CxTitleTip* tip_;
  QTimer clickTimer_;
  ClickClassifier clicks_;
  bool buttonDown_ = false;
  // The release that ends a double click is no click of its own.
  bool doubleClicked_ = false;
  QPoint pressPoint_;
  int dragOffset_ = 0;
};

}  // namespace gridctl
