#include "ui/status_panes.h"

#include "ui/gbk_text.h"

namespace ui {

StatusPanes::StatusPanes(wxWindow* parent, int id, const std::vector<PaneSpec>& panes)
    : wxStatusBar(parent, id, wxSTB_DEFAULT_STYLE) {
  std::vector<int> widths;
  for (const PaneSpec& pane : panes) {
    ids_.push_back(pane.id);
    widths.push_back(pane.width);
  }
  tips_.resize(panes.size());
  SetFieldsCount(static_cast<int>(panes.size()), widths.data());
  for (std::size_t i = 0; i < panes.size(); ++i) SetStatusText(FromGbk(panes[i].text), static_cast<int>(i));
  Bind(wxEVT_MOTION, &StatusPanes::OnMotion, this);
}

int StatusPanes::PaneIndex(int id) const {
  for (std::size_t i = 0; i < ids_.size(); ++i) {
    if (ids_[i] == id) return static_cast<int>(i);
  }
  return -1;
}

bool StatusPanes::SetPaneText(int id, const std::string& text) {
  const int index = PaneIndex(id);
  if (index < 0) return false;
  SetStatusText(FromGbk(text), index);
  return true;
}

bool StatusPanes::SetPaneTip(int id, const std::string& tip) {
  const int index = PaneIndex(id);
  if (index < 0) return false;
  tips_[static_cast<std::size_t>(index)] = FromGbk(tip);
  if (tipShown_ == index) SetToolTip(tips_[static_cast<std::size_t>(index)]);
  return true;
}

std::string StatusPanes::PaneText(int id) const {
  const int index = PaneIndex(id);
  return index < 0 ? std::string() : ToGbk(GetStatusText(index));
}

void StatusPanes::OnMotion(wxMouseEvent& event) {
  int under = -1;
  for (int i = 0; i < GetFieldsCount(); ++i) {
    wxRect rect;
    if (GetFieldRect(i, rect) && rect.Contains(event.GetPosition())) under = i;
  }
  if (under != tipShown_) {
    tipShown_ = under;
    if (under < 0 || tips_[static_cast<std::size_t>(under)].empty()) {
      UnsetToolTip();
    } else {
      SetToolTip(tips_[static_cast<std::size_t>(under)]);
    }
  }
  event.Skip();
}

}  // namespace ui
