#include "ui/docking_frame.h"

#include <QTabBar>
#include <algorithm>

#include "ui/gbk_text.h"
#include "ui/looks.h"

namespace ui {
namespace {

// Raised when the layout's form changes; older texts are refused.
constexpr int kLayoutVersion = 1;
constexpr std::string_view kLayoutPrefix = "qt1:";

Qt::DockWidgetArea AreaOf(DockSide side) {
  switch (side) {
    case DockSide::kLeft: return Qt::LeftDockWidgetArea;
    case DockSide::kRight: return Qt::RightDockWidgetArea;
    case DockSide::kTop: return Qt::TopDockWidgetArea;
    case DockSide::kBottom: break;
  }
  return Qt::BottomDockWidgetArea;
}

std::string Encode(const QByteArray& bytes) {
  const QByteArray text = bytes.toBase64();
  return std::string(kLayoutPrefix) + std::string(text.constData(), static_cast<std::size_t>(text.size()));
}

bool Decode(const std::string& text, QByteArray& bytes) {
  if (!text.starts_with(kLayoutPrefix)) return false;
  const auto result = QByteArray::fromBase64Encoding(QByteArray::fromStdString(text.substr(kLayoutPrefix.size())),
                                                     QByteArray::AbortOnBase64DecodingErrors);
  if (!result) return false;
  bytes = *result;
  return !bytes.isEmpty();
}

QString Css(std::uint32_t rgb) { return QString("#%1").arg(rgb, 6, 16, QChar('0')); }

}  // namespace

DockingFrame::DockingFrame(std::string_view title, QSize size) : centre_(new QMdiArea(this)) {
  setWindowTitle(FromGbk(title));
  resize(size);
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks | QMainWindow::AllowNestedDocks);
  centre_->setObjectName("centre");
  centre_->setViewMode(QMdiArea::TabbedView);
  centre_->setDocumentMode(true);
  centre_->setTabsMovable(true);
  setCentralWidget(centre_);
}

bool DockingFrame::AddBar(const BarLayout& spec, QWidget* content) {
  if (content == nullptr || HasBar(spec.id)) return false;
  auto* dock = new QDockWidget(FromGbk(spec.caption), this);
  dock->setObjectName(QString("bar%1").arg(spec.id));
  dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                    QDockWidget::DockWidgetFloatable);
  dock->setAllowedAreas(Qt::AllDockWidgetAreas);
  content->setParent(dock);
  dock->setWidget(content);
  QDockWidget* first = nullptr;
  for (const BarLayout& earlier : specs_) {
    if (earlier.side == spec.side) {
      first = bars_.at(earlier.id);
      break;
    }
  }
  addDockWidget(AreaOf(spec.side), dock);
  if (first != nullptr) tabifyDockWidget(first, dock);
  bars_[spec.id] = dock;
  specs_.push_back(spec);
  return true;
}

void DockingFrame::FinishDefaultLayout() {
  QList<QDockWidget*> across, down;
  QList<int> widths, heights;
  for (const DockSide side : {DockSide::kLeft, DockSide::kRight, DockSide::kTop, DockSide::kBottom}) {
    const auto first = std::find_if(specs_.begin(), specs_.end(), [&](const BarLayout& s) { return s.side == side; });
    if (first == specs_.end()) continue;
    QDockWidget* dock = bars_.at(first->id);
    dock->raise();
    if (side == DockSide::kLeft || side == DockSide::kRight) {
      across.push_back(dock);
      widths.push_back(std::min(first->width, width() / 3));
    } else {
      down.push_back(dock);
      heights.push_back(std::min(first->height * 2, height() / 3));
    }
  }
  resizeDocks(across, widths, Qt::Horizontal);
  resizeDocks(down, heights, Qt::Vertical);
}

QDockWidget* DockingFrame::Bar(int id) const {
  const auto found = bars_.find(id);
  return found == bars_.end() ? nullptr : found->second;
}

QWidget* DockingFrame::BarContent(int id) const {
  const QDockWidget* dock = Bar(id);
  return dock == nullptr ? nullptr : dock->widget();
}

std::vector<int> DockingFrame::BarIds() const {
  std::vector<int> ids;
  for (const BarLayout& spec : specs_) ids.push_back(spec.id);
  return ids;
}

int DockingFrame::IdOf(const QDockWidget* dock) const {
  for (const auto& [id, bar] : bars_) {
    if (bar == dock) return id;
  }
  return 0;
}

bool DockingFrame::IsBarOpen(int id) const {
  const QDockWidget* dock = Bar(id);
  return dock != nullptr && !dock->isHidden();
}

bool DockingFrame::IsBarInFront(int id) const {
  if (!IsBarOpen(id)) return false;
  const QDockWidget* dock = Bar(id);
  if (dock->isFloating() || TabGroupOf(id).size() == 1) return true;
  // The tab bar of the group shows the bar's title on its current tab.
  for (const QTabBar* tabs : findChildren<QTabBar*>(Qt::FindDirectChildrenOnly)) {
    for (int i = 0; i < tabs->count(); ++i) {
      if (reinterpret_cast<quintptr>(dock) == tabs->tabData(i).value<quintptr>()) return tabs->currentIndex() == i;
    }
  }
  return dock->isVisible();
}

void DockingFrame::ShowBar(int id, bool show) {
  QDockWidget* dock = Bar(id);
  if (dock == nullptr) return;
  dock->setVisible(show);
  if (show) dock->raise();
}

void DockingFrame::ToggleBar(int id) {
  if (!HasBar(id)) return;
  if (!IsBarOpen(id)) {
    ShowBar(id, true);
  } else if (!IsBarInFront(id)) {
    Bar(id)->raise();
  } else {
    ShowBar(id, false);
  }
}

std::vector<int> DockingFrame::TabGroupOf(int id) const {
  QDockWidget* dock = Bar(id);
  if (dock == nullptr) return {};
  // A closed bar keeps its place in the group but has no tab.
  QList<QDockWidget*> others = tabifiedDockWidgets(dock);
  others.removeIf([](const QDockWidget* other) { return other->isHidden(); });
  if (others.isEmpty() || dock->isHidden()) return {id};
  for (const QTabBar* tabs : findChildren<QTabBar*>(Qt::FindDirectChildrenOnly)) {
    std::vector<int> group;
    bool holds = false;
    for (int i = 0; i < tabs->count(); ++i) {
      const auto* member = reinterpret_cast<const QDockWidget*>(tabs->tabData(i).value<quintptr>());
      group.push_back(IdOf(member));
      holds = holds || member == dock;
    }
    if (holds) return group;
  }
  std::vector<int> group{id};
  for (const QDockWidget* other : others) group.push_back(IdOf(other));
  return group;
}

DockSide DockingFrame::SideOf(int id) const {
  QDockWidget* dock = Bar(id);
  switch (dock == nullptr ? Qt::BottomDockWidgetArea : dockWidgetArea(dock)) {
    case Qt::LeftDockWidgetArea: return DockSide::kLeft;
    case Qt::RightDockWidgetArea: return DockSide::kRight;
    case Qt::TopDockWidgetArea: return DockSide::kTop;
    default: return DockSide::kBottom;
  }
}

void DockingFrame::ApplyLook(int lookId) {
  const LookColours& colours = ColoursOfLook(lookId);
  QString sheet =
      QString(
          "QMainWindow { background: %1; }"
          "QMainWindow::separator { background: %1; width: 4px; height: 4px; }"
          "QDockWidget { color: %3; }"
          "QDockWidget::title { background: %2; padding: 3px; border: 1px solid %4; }")
          .arg(Css(colours.background), Css(colours.caption), Css(colours.captionText), Css(colours.border));
  if (LookHasColouredTabs(lookId)) {
    sheet += QString(
                 "QMainWindow > QTabBar::tab, QMdiArea QTabBar::tab { background: %1; color: %2; padding: 3px 10px;"
                 " border: 1px solid %3; border-top-left-radius: 4px; border-top-right-radius: 4px; }"
                 "QMainWindow > QTabBar::tab:selected, QMdiArea QTabBar::tab:selected { background: %4; color: %5; }")
                 .arg(Css(colours.caption), Css(colours.captionText), Css(colours.border), Css(colours.activeCaption),
                      Css(colours.activeCaptionText));
  }
  setStyleSheet(sheet);
}

std::string DockingFrame::SaveLayout() const { return Encode(saveState(kLayoutVersion)); }

bool DockingFrame::LoadLayout(const std::string& layout) {
  QByteArray state;
  return Decode(layout, state) && restoreState(state, kLayoutVersion);
}

std::string DockingFrame::SavePlacement() const { return Encode(saveGeometry()); }

bool DockingFrame::LoadPlacement(const std::string& placement) {
  QByteArray geometry;
  return Decode(placement, geometry) && restoreGeometry(geometry);
}

}  // namespace ui
