// A property sheet in tree look: a navigation tree of categories on the left
// and the page of the selected node on the right, with OK and Cancel. Pages
// are created when first shown, so only visited pages exist when the sheet
// is confirmed.
#pragma once

#include <wx/treebook.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/dialog_base.h"

namespace ui {

class TreeSheet : public BaseDialog {
 public:
  using PageFactory = std::function<wxWindow*(wxWindow* parent)>;

  TreeSheet(wxWindow* parent, const std::string& caption, int navigationWidth = 150);

  // A top-level node; its own page is empty.
  void AddCategory(const std::string& caption);
  // A page below the last category.
  void AddPage(const std::string& caption, PageFactory factory);

  // Expands every node and selects the first; call before ShowModal.
  void ExpandAll();

  wxTreebook* Book() const { return book_; }
  // The pages that have been created so far.
  int CreatedPageCount() const;

 protected:
  // Called on OK before the sheet closes; false keeps it open.
  virtual bool OnConfirm() { return true; }

 private:
  struct Node {
    PageFactory factory;
    wxWindow* holder = nullptr;
    bool created = false;
  };

  void CreatePage(std::size_t index);
  void OnPageChanged(wxBookCtrlEvent& event);
  void OnOk(wxCommandEvent& event);

  wxTreebook* book_ = nullptr;
  std::vector<Node> nodes_;
};

}  // namespace ui
