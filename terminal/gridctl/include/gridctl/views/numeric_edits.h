// The order panels' numeric edits. CTqEdit takes lots (whole numbers) or
// amounts (real numbers) within bounds and steps them with a spin button
// beside it; CTqEditPrice takes prices with the tick's decimals;
// CTqSpinButtonCtrl repeats while held, faster and faster; and
// CTqNoContextMenuBCGPEdit is a plain edit without a context menu.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <optional>

#include "gridctl/model/numeric_rules.h"

namespace gridctl {

class CTqSpinButtonCtrl : public QWidget {
 public:
  explicit CTqSpinButtonCtrl(QWidget* parent);

  // Shows the button over the rectangle and starts its 30 ms repeat timer.
  void Create(const QRect& rect);
  // Steps are told to the owner, else to the parent, as notifications from
  // the button whose code is +1 (up) or -1 (down).
  void SetOwner(QWidget* owner) { owner_ = owner; }
  int Direction() const { return repeat_.Direction(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Tick();

  QPointer<QWidget> owner_;
  SpinRepeat repeat_;
  QTimer timer_;
};

class CTqEdit : public QLineEdit {
 public:
  explicit CTqEdit(QWidget* parent = nullptr);
  ~CTqEdit() override;

  // Makes the spin button beside the edit once (later calls change only the
  // values), and takes the bounds and the step (a step of at most 1e-6
  // counts as 1) in whole-number mode. False when the edit has no parent
  // to put the button in.
  bool CreateSpinButton(double lower, double upper, double step);
  // The bounds and the step alone, without a spin button.
  void SetBounds(double lower, double upper, double step);
  void SetRealNumbers(bool realNumbers);
  const NumericBounds& Bounds() const { return bounds_; }
  CTqSpinButtonCtrl* SpinButton() const { return spin_.data(); }

  virtual void StepUp();
  virtual void StepDown();
  virtual void SetChanged(bool changed) { changed_ = changed; }
  bool Changed() const { return changed_; }

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

  // Whether the edit takes the typed character, given its text and
  // selection before it.
  virtual bool Takes(char typed, const EditState& state) const;
  // The step as it was asked for, before a tiny step became 1.
  double RequestedStep() const { return requestedStep_; }
  EditState CurrentState() const;

 private:
  void Step(int direction);
  void PlaceSpinButton();
  void UpdateValidator();

  bool changed_ = false;
  NumericBounds bounds_;
  double requestedStep_ = 1.0;
  // The button lives beside the edit in its parent; the edit deletes it.
  QPointer<CTqSpinButtonCtrl> spin_;
  // The colours: the background, then three the panels may use.
  std::uint32_t background_ = 0xFFFFFF;
};

class CTqEditPrice : public CTqEdit {
 public:
  explicit CTqEditPrice(QWidget* parent = nullptr);

  // The spin steps by the contract's tick within the price bounds, and the
  // edit takes the tick's decimals.
  bool SetPriceTick(double tick);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool Takes(char typed, const EditState& state) const override;
};

class CTqNoContextMenuBCGPEdit : public QLineEdit {
 public:
  explicit CTqNoContextMenuBCGPEdit(QWidget* parent = nullptr);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
};

}  // namespace gridctl
