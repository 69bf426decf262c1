#include "ui/docking_frame.h"

#include "ui/gbk_text.h"
#include "ui/looks.h"

namespace ui {
namespace {

constexpr const char* kCentreName = "centre";

wxColour ColourOf(std::uint32_t rgb) { return wxColour((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

wxAuiPaneInfo& Dock(wxAuiPaneInfo& pane, DockSide side) {
  switch (side) {
    case DockSide::kLeft: return pane.Left();
    case DockSide::kRight: return pane.Right();
    case DockSide::kTop: return pane.Top();
    case DockSide::kBottom: break;
  }
  return pane.Bottom();
}

}  // namespace

DockingFrame::DockingFrame(wxWindow* parent, const wxString& title, const wxSize& size)
    : wxFrame(parent, wxID_ANY, title, wxDefaultPosition, size) {
  manager_.SetManagedWindow(this);
  centre_ = new wxAuiNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                              wxAUI_NB_TOP | wxAUI_NB_TAB_SPLIT | wxAUI_NB_TAB_MOVE | wxAUI_NB_SCROLL_BUTTONS);
  manager_.AddPane(centre_, wxAuiPaneInfo().Name(kCentreName).CenterPane().PaneBorder(false));
}

DockingFrame::~DockingFrame() { manager_.UnInit(); }

wxString DockingFrame::PaneName(int id) { return wxString::Format("bar%d", id); }

bool DockingFrame::AddBar(const BarSpec& spec, wxWindow* content) {
  if (content == nullptr || bars_.count(spec.id) != 0) return false;
  wxAuiPaneInfo pane;
  pane.Name(PaneName(spec.id))
      .Caption(FromGbk(spec.caption))
      .BestSize(spec.width, spec.height)
      .FloatingSize(spec.width, spec.height)
      .Gripper(false)
      .CaptionVisible(true)
      .CloseButton(true)
      .MaximizeButton(true)
      .Floatable(true)
      .Dockable(true)
      .DestroyOnClose(false);
  Dock(pane, spec.side);
  if (!manager_.AddPane(content, pane)) return false;
  bars_[spec.id] = content;
  return true;
}

bool DockingFrame::HasBar(int id) const { return bars_.count(id) != 0; }

wxWindow* DockingFrame::BarWindow(int id) const {
  const auto found = bars_.find(id);
  return found == bars_.end() ? nullptr : found->second;
}

bool DockingFrame::IsBarShown(int id) const {
  const wxWindow* window = BarWindow(id);
  return window != nullptr && const_cast<wxAuiManager&>(manager_).GetPane(PaneName(id)).IsShown();
}

void DockingFrame::ShowBar(int id, bool show) {
  if (!HasBar(id)) return;
  manager_.GetPane(PaneName(id)).Show(show);
  manager_.Update();
}

void DockingFrame::ToggleBar(int id) { ShowBar(id, !IsBarShown(id)); }

bool DockingFrame::IsCentreShown() const { return const_cast<wxAuiManager&>(manager_).GetPane(kCentreName).IsShown(); }

void DockingFrame::ToggleCentre() {
  manager_.GetPane(kCentreName).Show(!IsCentreShown());
  manager_.Update();
}

void DockingFrame::ApplyLook(int lookId) {
  const LookColours& colours = ColoursOfLook(lookId);
  wxAuiDockArt* art = manager_.GetArtProvider();
  art->SetColour(wxAUI_DOCKART_BACKGROUND_COLOUR, ColourOf(colours.background));
  art->SetColour(wxAUI_DOCKART_SASH_COLOUR, ColourOf(colours.background));
  art->SetColour(wxAUI_DOCKART_INACTIVE_CAPTION_COLOUR, ColourOf(colours.caption));
  art->SetColour(wxAUI_DOCKART_INACTIVE_CAPTION_GRADIENT_COLOUR, ColourOf(colours.caption));
  art->SetColour(wxAUI_DOCKART_INACTIVE_CAPTION_TEXT_COLOUR, ColourOf(colours.captionText));
  art->SetColour(wxAUI_DOCKART_ACTIVE_CAPTION_COLOUR, ColourOf(colours.activeCaption));
  art->SetColour(wxAUI_DOCKART_ACTIVE_CAPTION_GRADIENT_COLOUR, ColourOf(colours.activeCaption));
  art->SetColour(wxAUI_DOCKART_ACTIVE_CAPTION_TEXT_COLOUR, ColourOf(colours.activeCaptionText));
  art->SetColour(wxAUI_DOCKART_BORDER_COLOUR, ColourOf(colours.border));
  if (LookHasColouredTabs(lookId)) {
    centre_->SetArtProvider(new wxAuiGenericTabArt());
    centre_->GetArtProvider()->SetColour(ColourOf(colours.caption));
    centre_->GetArtProvider()->SetActiveColour(ColourOf(colours.activeCaption));
  } else {
    centre_->SetArtProvider(new wxAuiSimpleTabArt());
  }
  SetBackgroundColour(ColourOf(colours.background));
  manager_.Update();
  Refresh();
}

std::string DockingFrame::SaveLayout() { return manager_.SavePerspective().ToStdString(); }

bool DockingFrame::LoadLayout(const std::string& layout) {
  if (layout.empty()) return false;
  return manager_.LoadPerspective(wxString::FromUTF8(layout.c_str()), true);
}

}  // namespace ui
