// A status bar whose panes are named by ids, each with its text and its own
// tool tip (the toolkit's status bar has one tip for the whole bar).
#pragma once

#include <wx/statusbr.h>

#include <string>
#include <vector>

namespace ui {

struct PaneSpec {
  int id = 0;
  int width = -1;    // negative: stretches
  std::string text;  // GBK
};

class StatusPanes : public wxStatusBar {
 public:
  StatusPanes(wxWindow* parent, int id, const std::vector<PaneSpec>& panes);

  // False when no pane has the id.
  bool SetPaneText(int id, const std::string& text);
  bool SetPaneTip(int id, const std::string& tip);
  std::string PaneText(int id) const;
  int PaneIndex(int id) const;

 private:
  void OnMotion(wxMouseEvent& event);

  std::vector<int> ids_;
  std::vector<wxString> tips_;
  int tipShown_ = -1;
};

}  // namespace ui
