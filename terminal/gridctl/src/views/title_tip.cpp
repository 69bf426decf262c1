#include "gridctl/views/title_tip.h"

#include <QCursor>
#include <QPainter>
#include <algorithm>

#include "gridctl/views/paint_support.h"
#include "platform/clock.h"
#include "ui/gbk_text.h"

namespace gridctl {
namespace {

constexpr Qt::WindowFlags kTipFlags =
    Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;

}  // namespace

CxTitleTip::CxTitleTip(QWidget* parent) : QWidget(parent, kTipFlags) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  timer_.setInterval(1);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

bool CxTitleTip::CreateLines(QWidget* owner, const backend::CxDataSet& lines, std::uint32_t delay) {
  if (owner == nullptr) return false;
  owner_ = owner;
  rest_.SetDelay(delay);
  lines_.clear();
  for (std::uint32_t index = 0; index < lines.GetCount(); ++index) {
    const auto value = lines.GetValue(index);
    const std::string_view text(reinterpret_cast<const char*>(value.data()), value.size());
    lines_.emplace_back(text.substr(0, text.find('\0')));
  }
  return true;
}

bool CxTitleTip::CreateText(QWidget* owner, std::string_view text, std::uint32_t delay) {
  backend::CxDataSet lines;
  lines.AddText(text);
  return CreateLines(owner, lines, delay);
}

void CxTitleTip::DestroyTip() {
  timer_.stop();
  Hide();
  owner_ = nullptr;
}

void CxTitleTip::SetColours(std::uint32_t textColour, std::uint32_t background) {
  textColour_ = textColour;
  background_ = background;
  update();
}

void CxTitleTip::RelayEvent(QEvent::Type type, QPoint globalPosition) {
  if (!IsCreated()) return;
  switch (type) {
    case QEvent::MouseMove:
      Apply(rest_.OnMouseMove({globalPosition.x(), globalPosition.y()}, platform::TickCount()));
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: Apply(rest_.OnButton()); break;
    default: break;
  }
}

void CxTitleTip::Tick() {
  if (owner_ == nullptr) return;
  const QPoint cursor = QCursor::pos();
  const bool inside = owner_->isVisible() && owner_->rect().contains(owner_->mapFromGlobal(cursor));
  Apply(rest_.OnTick(Point{cursor.x(), cursor.y()}, inside, platform::TickCount()));
}

void CxTitleTip::Apply(const TitleTipRest::Outcome& outcome) {
  if (outcome.startTimer) timer_.start();
  if (outcome.stopTimer) timer_.stop();
  if (outcome.hide) Hide();
  if (outcome.show) ShowAt({outcome.at.x, outcome.at.y});
}

void CxTitleTip::ShowAt(QPoint globalPosition) {
  if (!IsCreated() || isVisible()) return;
  const QFont font = ToQFont(font_);
  int width = 0;
  int height = 0;
  for (const std::string& line : lines_) {
    const Size size = MeasureText(line, font);
    width = std::max(width, size.width);
    height += size.height;
  }
  setGeometry(globalPosition.x(), globalPosition.y() + 24, width + 12, height + 8);
  show();
  raise();
  rest_.OnShown();
}

void CxTitleTip::Hide() {
  if (isVisible()) hide();
}

void CxTitleTip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(background_));
  const QFont font = ToQFont(font_);
  painter.setFont(font);
  painter.setPen(ToQColor(textColour_));
  // Line under line, each as high as it measured.
  int top = 4;
  for (const std::string& line : lines_) {
    const int height = MeasureText(line, font).height;
    painter.drawText(QRect(6, top, width() - 6, height), Qt::AlignLeft | Qt::AlignTop, ui::FromGbk(line));
    top += height;
  }
}

}  // namespace gridctl
