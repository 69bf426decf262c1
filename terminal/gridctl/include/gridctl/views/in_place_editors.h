// The in-place editors of a grid's edit and combo cells. A press on such a
// cell opens one exactly over it; when it loses the focus (or the grid ends
// it) it reports its text to the grid, which stores it and tells its own
// owner, and it closes and deletes itself.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <string>
#include <vector>

#include "gridctl/model/grid_model.h"

namespace gridctl {

class CxGridBase;

// The cell an editor works on, and how it reports to its grid: once, with
// the record of its kind.
class EditedCell {
 public:
  EditedCell(CxGridBase* grid, int row, std::int32_t field) : grid_(grid), row_(row), field_(field) {}
  CxGridBase* Grid() const;
  // The grid is going: report nothing more.
  void Detach() { grid_ = nullptr; }
  // Sends the notification from the editor of that control id and kind;
  // false once it was sent with the end code.
  bool Report(int controlId, int kind, int code, int extra, const QString& text);

 private:
  QPointer<CxGridBase> grid_;
  int row_;
  std::int32_t field_;
  bool ended_ = false;
};

class CxInPlaceEdit : public QLineEdit {
 public:
  // Over the cell's rectangle (in the grid's viewport), showing the text
  // with the edit style bits of the cell; `textLimit` in GBK bytes, 0 none.
  CxInPlaceEdit(CxGridBase* grid, int row, std::int32_t field, const QRect& cell, const std::string& text,
                std::int32_t style, int textLimit);

  // Takes the focus, selects the text and tells the grid the edit started.
  void Start();
  // Reports the text and the end key to the grid and closes; once.
  void End();
  // The grid is going: end without reporting.
  void Detach() { cell_.Detach(); }
  int EndKey() const { return endKey_; }

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  EditedCell cell_;
  int textLimit_;
  int endKey_ = 0;
};

class CxInPlaceComboBox;

// The edit part of an in-place combo: it filters and limits what is typed.
class CxInPlaceComboEdit : public QLineEdit {
 public:
  explicit CxInPlaceComboEdit(CxInPlaceComboBox* combo);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  CxInPlaceComboBox* combo_;
};

class CxInPlaceComboBox : public QComboBox {
 public:
  // Combo style bits: a drop-down list takes no typing.
  static constexpr std::int32_t kStyleMask = 3;
  static constexpr std::int32_t kDropDownList = 3;

  // Over the cell's rectangle; its items are the cell's stored lines, its
  // list `dropHeight` px high (0: from the items), its edit part limited to
  // `textLimit` GBK bytes (0: 255).
  CxInPlaceComboBox(CxGridBase* grid, int row, std::int32_t field, const QRect& cell, const CellAttributes& attributes,
                    std::string_view stored);

  // Takes the focus and shows the chosen text.
  void Start(const std::string& chosenText);
  // Reports the text and the chosen item (or -1) to the grid and closes;
  // once.
  void End();
  void Detach() { cell_.Detach(); }
  int TextLimit() const { return textLimit_; }
  const std::vector<std::string>& Items() const { return items_; }
  CxGridBase* Grid() const { return cell_.Grid(); }
  // Whether the focus went somewhere outside the combo, its edit part and
  // its list.
  bool FocusLeft() const;

 protected:
  void showPopup() override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  EditedCell cell_;
  int textLimit_;
  int dropHeight_;
  std::vector<std::string> items_;
};

}  // namespace gridctl
