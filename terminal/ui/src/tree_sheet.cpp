#include "ui/tree_sheet.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/treectrl.h>

#include "ui/gbk_text.h"

namespace ui {

TreeSheet::TreeSheet(wxWindow* parent, const std::string& caption, int navigationWidth)
    : BaseDialog(parent, wxID_ANY, FromGbk(caption), wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  book_ = new wxTreebook(this, wxID_ANY);
  book_->GetTreeCtrl()->SetMinSize(wxSize(navigationWidth, -1));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(book_, 1, wxEXPAND | wxALL, 6);
  auto* buttons = new wxStdDialogButtonSizer();
  buttons->AddButton(new wxButton(this, wxID_OK, FromGbk("确定")));
  buttons->AddButton(new wxButton(this, wxID_CANCEL, FromGbk("取消")));
  buttons->Realize();
  sizer->Add(buttons, 0, wxEXPAND | wxALL, 6);
  SetSizer(sizer);
  SetSize(wxSize(640, 460));
  book_->Bind(wxEVT_TREEBOOK_PAGE_CHANGED, &TreeSheet::OnPageChanged, this);
  Bind(wxEVT_BUTTON, &TreeSheet::OnOk, this, wxID_OK);
}

void TreeSheet::AddCategory(const std::string& caption) {
  auto* holder = new wxPanel(book_);
  book_->AddPage(holder, FromGbk(caption));
  nodes_.push_back({nullptr, holder, true});
}

void TreeSheet::AddPage(const std::string& caption, PageFactory factory) {
  auto* holder = new wxPanel(book_);
  holder->SetSizer(new wxBoxSizer(wxVERTICAL));
  if (nodes_.empty()) {
    book_->AddPage(holder, FromGbk(caption));
  } else {
    book_->AddSubPage(holder, FromGbk(caption));
  }
  nodes_.push_back({std::move(factory), holder, false});
}

void TreeSheet::ExpandAll() {
  for (std::size_t i = 0; i < nodes_.size(); ++i) book_->ExpandNode(i, true);
  if (!nodes_.empty()) {
    book_->SetSelection(0);
    CreatePage(0);
  }
}

int TreeSheet::CreatedPageCount() const {
  int count = 0;
  for (const Node& node : nodes_) count += (node.factory && node.created) ? 1 : 0;
  return count;
}

void TreeSheet::CreatePage(std::size_t index) {
  if (index >= nodes_.size()) return;
  Node& node = nodes_[index];
  if (node.created) return;
  node.created = true;
  if (wxWindow* page = node.factory(node.holder)) {
    node.holder->GetSizer()->Add(page, 1, wxEXPAND);
    node.holder->Layout();
  }
}

void TreeSheet::OnPageChanged(wxBookCtrlEvent& event) {
  if (event.GetSelection() >= 0) CreatePage(static_cast<std::size_t>(event.GetSelection()));
  event.Skip();
}

void TreeSheet::OnOk(wxCommandEvent&) {
  if (OnConfirm()) EndModal(wxID_OK);
}

}  // namespace ui
