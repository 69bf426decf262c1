#include "ui/dialog_base.h"

#include <QApplication>
#include <QKeyEvent>

#include "ui/gbk_text.h"

namespace ui {

QString ControlName(int id) { return QString("id%1").arg(id); }

void SetControlId(QWidget* control, int id) { control->setObjectName(ControlName(id)); }

EnterMovesFocus::EnterMovesFocus(QWidget* window) : QObject(window), window_(window) { qApp->installEventFilter(this); }

bool EnterMovesFocus::eventFilter(QObject* watched, QEvent* event) {
  if (!enabled_ || event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
  if (key->modifiers() & ~Qt::KeypadModifier) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget != QApplication::focusWidget() || !window_->isAncestorOf(widget)) return false;
  QWidget* next = widget->nextInFocusChain();
  while (next != widget && (!next->isVisible() || !next->isEnabled() || !(next->focusPolicy() & Qt::TabFocus) ||
                            !window_->isAncestorOf(next))) {
    next = next->nextInFocusChain();
  }
  if (next == widget) return false;
  next->setFocus(Qt::TabFocusReason);
  return true;
}

BaseDialog::BaseDialog(QWidget* parent, int id, std::string_view caption)
    : QDialog(parent), enter_(new EnterMovesFocus(this)) {
  setWindowTitle(FromGbk(caption));
  setProperty("dialogId", id);
}

BasePage::BasePage(QWidget* parent) : QWidget(parent), enter_(new EnterMovesFocus(this)) {}

}  // namespace ui
