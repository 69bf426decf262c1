// The terminal's top-level window: docking bars around a tabbed centre area,
// over the toolkit's AUI manager. Bars are named by their command ids; each
// can float, dock on any side, be closed (hidden) and shown again. The centre
// is a notebook whose pages are the documents (the market window).
//
// What the AUI manager does not have: bars docked together form a row of
// panes rather than tabs, and there is no auto-hide; a bar that would
// auto-hide is closed and shown again by its menu command instead.
#pragma once

#include <wx/aui/aui.h>
#include <wx/frame.h>

#include <map>
#include <string>

namespace ui {

enum class DockSide { kLeft, kRight, kTop, kBottom };

struct BarSpec {
  int id = 0;
  std::string caption;  // GBK
  int width = 200;
  int height = 100;
  DockSide side = DockSide::kBottom;
};

class DockingFrame : public wxFrame {
 public:
  DockingFrame(wxWindow* parent, const wxString& title, const wxSize& size);
  ~DockingFrame() override;

  // Adds `content` (a child of this frame) as the bar; false when the id is
  // taken or the content is missing.
  bool AddBar(const BarSpec& spec, wxWindow* content);
  bool HasBar(int id) const;
  wxWindow* BarWindow(int id) const;
  int BarCount() const { return static_cast<int>(bars_.size()); }
  bool IsBarShown(int id) const;
  void ShowBar(int id, bool show);
  // Shows a hidden bar and hides a shown one.
  void ToggleBar(int id);

  // The tabbed centre area.
  wxAuiNotebook* Centre() const { return centre_; }
  bool IsCentreShown() const;
  void ToggleCentre();

  // Colours the docking art and the centre's tabs after the look.
  void ApplyLook(int lookId);

  // The arrangement of the bars as text, and back; false when the text does
  // not describe this frame's bars.
  std::string SaveLayout();
  bool LoadLayout(const std::string& layout);

  // Lays the bars out again after changes.
  void UpdateLayout() { manager_.Update(); }

 private:
  static wxString PaneName(int id);

  wxAuiManager manager_;
  wxAuiNotebook* centre_ = nullptr;
  std::map<int, wxWindow*> bars_;
};

}  // namespace ui
