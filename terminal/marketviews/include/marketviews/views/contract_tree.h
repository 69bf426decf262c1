// CContractTreeDlg: the series picker that drops down below the option
// quote board's series combo ("合约树"): exchanges, groups of series that
// share all but their last character, and the series as leaves. A double
// click on a series shows it on the board; the picker hides when it loses
// the focus while the owner keeps it.
#pragma once

#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <string>

#include "marketviews/model/option_series.h"

namespace marketviews {

class CContractTreeDlg final : public QWidget {
 public:
  static constexpr int kTreeId = 1280;

  explicit CContractTreeDlg(QWidget* owner);

  // Builds the tree from the map, once; later calls change nothing.
  void FillTree(const OptionMap& map);
  bool Filled() const { return filled_; }
  QTreeWidget& Tree() const { return *tree_; }

  // The series the board shows.
  const std::string& CurrentText() const { return current_; }
  void SetCurrentText(std::string text) { current_ = std::move(text); }
  // The series last selected in the tree.
  const std::string& LastSelected() const { return lastSelected_; }
  // Set by the owner while the mouse is over the picker.
  void SetKeep(bool keep) { keep_ = keep; }
  bool Keep() const { return keep_; }

  // Depth first, the first leaf whose text holds the text: expanded and
  // selected. False when none does.
  bool SelectLeafContaining(const std::string& text);
  // The selected item's text when it is a leaf; empty else.
  std::string SelectedLeaf() const;

  // Told the series a double click chose.
  void SetChosenHandler(std::function<void(const std::string& series)> handler) { chosen_ = std::move(handler); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool IsSeries(const QTreeWidgetItem* item) const;
  void OnSelectionChanged();
  void OnDoubleClicked(QTreeWidgetItem* item);

  QTreeWidget* tree_;
  const OptionMap* map_ = nullptr;
  bool filled_ = false;
  bool keep_ = false;
  std::string current_;
  std::string lastSelected_;
  std::function<void(const std::string&)> chosen_;
};

}  // namespace marketviews
