#include "gridctl/views/numeric_edits.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOption>
#include <cmath>

#include "gridctl/views/grid_events.h"
#include "gridctl/views/paint_support.h"
#include "ui/gbk_text.h"

namespace gridctl {
namespace {

constexpr int kSpinWidth = 14;

// The typed character when the key types one printable ASCII character.
std::optional<char> TypedCharacter(const QKeyEvent& event) {
  const QString text = event.text();
  if (text.size() != 1 || !text.at(0).isPrint()) return std::nullopt;
  const char16_t unit = text.at(0).unicode();
  return unit < 0x80 ? std::optional<char>(static_cast<char>(unit)) : std::optional<char>('\x7F');
}

}  // namespace

CTqSpinButtonCtrl::CTqSpinButtonCtrl(QWidget* parent) : QWidget(parent) {
  timer_.setInterval(30);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

void CTqSpinButtonCtrl::Create(const QRect& rect) {
  setGeometry(rect);
  show();
  timer_.start();
}

void CTqSpinButtonCtrl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionSpinBox option;
  option.initFrom(this);
  const int half = height() / 2;
  const struct {
    QStyle::PrimitiveElement arrow;
    QRect rect;
    bool pressed;
  } halves[] = {{QStyle::PE_IndicatorArrowUp, QRect(0, 0, width(), half), repeat_.Direction() > 0},
                {QStyle::PE_IndicatorArrowDown, QRect(0, half, width(), height() - half), repeat_.Direction() < 0}};
  for (const auto& part : halves) {
    QStyleOptionButton button;
    button.initFrom(this);
    button.rect = part.rect;
    button.state |= part.pressed ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);
    option.rect = part.rect.adjusted(2, 2, -2, -2);
    style()->drawPrimitive(part.arrow, &option, &painter, this);
  }
}

void CTqSpinButtonCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  repeat_.Press(SpinRepeat::DirectionOf(static_cast<int>(event->position().y()), height()));
  update();
}

void CTqSpinButtonCtrl::mouseReleaseEvent(QMouseEvent*) {
  repeat_.Release();
  update();
}

void CTqSpinButtonCtrl::Tick() {
  const int direction = repeat_.Tick();
  if (direction == 0) return;
  SendNotify(owner_ ? owner_.data() : parentWidget(), {this, 0, direction, -1, -1, -1, 0, {}});
}

CTqEdit::CTqEdit(QWidget* parent) : QLineEdit(parent) {
  QPalette colours = palette();
  colours.setColor(QPalette::Base, ToQColor(background_));
  setPalette(colours);
}

CTqEdit::~CTqEdit() { delete spin_; }

bool CTqEdit::CreateSpinButton(double lower, double upper, double step) {
  if (!spin_) {
    if (parentWidget() == nullptr) return false;
    spin_ = new CTqSpinButtonCtrl(parentWidget());
    spin_->SetOwner(this);
    spin_->Create(QRect(geometry().right() + 6, geometry().top() - 1, 20, geometry().height() + 1));
    spin_->setVisible(isVisible());
  }
  SetBounds(lower, upper, step);
  PlaceSpinButton();
  return true;
}

void CTqEdit::SetBounds(double lower, double upper, double step) {
  requestedStep_ = step;
  bounds_ = {lower, upper, std::fabs(step) <= 1e-6 ? 1.0 : step, false};
  UpdateValidator();
}

void CTqEdit::SetRealNumbers(bool realNumbers) {
  bounds_.realNumbers = realNumbers;
  UpdateValidator();
}

// Pasted text must be a number too: digits, and one point for real
// numbers. An edit without bounds takes any text.
void CTqEdit::UpdateValidator() {
  if (bounds_.upper <= 0) {
    setValidator(nullptr);
    return;
  }
  const QRegularExpression pattern(bounds_.realNumbers ? QStringLiteral("[0-9]*\\.?[0-9]*") : QStringLiteral("[0-9]*"));
  setValidator(new QRegularExpressionValidator(pattern, this));
}

void CTqEdit::PlaceSpinButton() {
  if (!spin_) return;
  const QRect edit = geometry();
  spin_->setGeometry(edit.left() + edit.width(), edit.top() - 1, kSpinWidth, edit.height() + 1);
  spin_->update();
}

void CTqEdit::StepUp() { Step(1); }

void CTqEdit::StepDown() { Step(-1); }

void CTqEdit::Step(int direction) {
  const std::optional<std::string> stepped = SteppedText(ui::ToGbk(text()), bounds_, direction);
  if (!stepped) return;
  setText(ui::FromGbk(*stepped));
  SetChanged(true);
  end(false);
}

bool CTqEdit::event(QEvent* event) {
  if (event->type() == NotifyEvent::EventType() && spin_) {
    const CxGridNotify& record = static_cast<NotifyEvent*>(event)->Record();
    if (record.sender == spin_) {
      if (record.code > 0) {
        StepUp();
      } else {
        StepDown();
      }
      return true;
    }
  }
  return QLineEdit::event(event);
}

EditState CTqEdit::CurrentState() const {
  const QString shown = text();
  const int start = hasSelectedText() ? selectionStart() : cursorPosition();
  const int end = hasSelectedText() ? selectionEnd() : cursorPosition();
  // Positions in bytes of the GBK text.
  return {ui::ToGbk(shown), static_cast<int>(ui::ToGbk(shown.left(start)).size()),
          static_cast<int>(ui::ToGbk(shown.left(end)).size())};
}

bool CTqEdit::Takes(char typed, const EditState& state) const { return NumericEditTakes(typed, state, bounds_); }

void CTqEdit::keyPressEvent(QKeyEvent* event) {
  const std::optional<char> typed = TypedCharacter(*event);
  if (typed && !Takes(*typed, CurrentState())) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void CTqEdit::moveEvent(QMoveEvent* event) {
  QLineEdit::moveEvent(event);
  PlaceSpinButton();
}

void CTqEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  PlaceSpinButton();
}

void CTqEdit::showEvent(QShowEvent* event) {
  QLineEdit::showEvent(event);
  if (spin_) spin_->show();
}

void CTqEdit::hideEvent(QHideEvent* event) {
  QLineEdit::hideEvent(event);
  if (spin_) spin_->hide();
}

void CTqEdit::focusInEvent(QFocusEvent* event) {
  update();
  QLineEdit::focusInEvent(event);
}

void CTqEdit::focusOutEvent(QFocusEvent* event) {
  update();
  QLineEdit::focusOutEvent(event);
}

CTqEditPrice::CTqEditPrice(QWidget* parent) : CTqEdit(parent) {
  SetBounds(kPriceLower, kPriceUpper, 1);
  SetRealNumbers(true);
}

bool CTqEditPrice::SetPriceTick(double tick) {
  if (!CreateSpinButton(kPriceLower, kPriceUpper, tick)) return false;
  SetRealNumbers(true);
  return true;
}

bool CTqEditPrice::Takes(char typed, const EditState& state) const {
  return PriceEditTakes(typed, state, Bounds(), AllowedDecimals(RequestedStep()));
}

void CTqEditPrice::keyPressEvent(QKeyEvent* event) {
  const std::optional<char> typed = TypedCharacter(*event);
  const bool backspace = event->key() == Qt::Key_Backspace;
  if (typed && !Takes(*typed, CurrentState())) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
  if (typed || backspace) SetChanged(true);
}

void CTqEditPrice::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

CTqNoContextMenuBCGPEdit::CTqNoContextMenuBCGPEdit(QWidget* parent) : QLineEdit(parent) {}

void CTqNoContextMenuBCGPEdit::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

}  // namespace gridctl
