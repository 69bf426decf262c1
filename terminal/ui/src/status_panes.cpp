#include "ui/status_panes.h"

#include <algorithm>

#include "ui/colours_fonts.h"
#include "ui/gbk_text.h"

namespace ui {

StatusPanes::StatusPanes(QWidget* parent, const std::vector<PaneSpec>& panes) : QStatusBar(parent) {
  for (const PaneSpec& spec : panes) {
    auto* label = new QLabel(FromGbk(spec.text), this);
    label->setObjectName(QString("pane%1").arg(spec.id));
    if (spec.width < 0) {
      label->setMinimumWidth(1);
      addWidget(label, 1);
    } else {
      // At least as wide as its first text in this desktop's font.
      label->setFixedWidth(std::max(spec.width, TextWidth(label->font(), spec.text) + 8));
      addPermanentWidget(label);
    }
    panes_.emplace_back(spec.id, label);
  }
}

QLabel* StatusPanes::Pane(int id) const {
  for (const auto& [paneId, label] : panes_) {
    if (paneId == id) return label;
  }
  return nullptr;
}

bool StatusPanes::SetPaneText(int id, const std::string& text) {
  QLabel* label = Pane(id);
  if (label == nullptr) return false;
  label->setText(FromGbk(text));
  return true;
}

bool StatusPanes::SetPaneTip(int id, const std::string& tip) {
  QLabel* label = Pane(id);
  if (label == nullptr) return false;
  label->setToolTip(FromGbk(tip));
  return true;
}

std::string StatusPanes::PaneText(int id) const {
  const QLabel* label = Pane(id);
  return label == nullptr ? std::string() : ToGbk(label->text());
}

std::string StatusPanes::PaneTip(int id) const {
  const QLabel* label = Pane(id);
  return label == nullptr ? std::string() : ToGbk(label->toolTip());
}

}  // namespace ui
