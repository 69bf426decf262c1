// A property sheet in tree look: a navigation tree of categories on the left
// and the page of the selected node on the right, with OK and Cancel. Pages
// are created when first shown, so only visited pages exist when the sheet
// is confirmed.
#pragma once

#include <QStackedWidget>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "ui/dialog_base.h"

namespace ui {

class TreeSheet : public BaseDialog {
 public:
  using PageFactory = std::function<QWidget*(QWidget* parent)>;

  TreeSheet(QWidget* parent, const std::string& caption, int navigationWidth = 150);

  // A top-level node; its own page is empty.
  void AddCategory(const std::string& caption);
  // A page below the last category.
  void AddPage(const std::string& caption, PageFactory factory);

  // Expands every node and selects the first; call before exec().
  void ExpandAll();

  QTreeWidget* Tree() const { return tree_; }
  // The pages that have been created so far.
  int CreatedPageCount() const;
  // The captions of the nodes, depth first, each with its depth.
  std::vector<std::pair<int, std::string>> NodeCaptions() const;

 protected:
  // Called on OK before the sheet closes; false keeps it open.
  virtual bool OnConfirm() { return true; }

 private:
  struct Node {
    PageFactory factory;
    QWidget* holder = nullptr;
    QTreeWidgetItem* item = nullptr;
    bool created = false;
  };

  void Select(QTreeWidgetItem* item);
  void CreatePage(Node& node);

  QTreeWidget* tree_;
  QStackedWidget* pages_;
  std::vector<Node> nodes_;
  QTreeWidgetItem* category_ = nullptr;
};

}  // namespace ui
