// A status bar whose panes are named by ids, each with its own text and tip.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <string>
#include <vector>

namespace ui {

struct PaneSpec {
  int id = 0;
  int width = -1;    // negative: stretches; else at least its text's width
  std::string text;  // GBK
};

class StatusPanes : public QStatusBar {
 public:
  StatusPanes(QWidget* parent, const std::vector<PaneSpec>& panes);

  // False when no pane has the id.
  bool SetPaneText(int id, const std::string& text);
  bool SetPaneTip(int id, const std::string& tip);
  std::string PaneText(int id) const;
  std::string PaneTip(int id) const;

 private:
  QLabel* Pane(int id) const;

  std::vector<std::pair<int, QLabel*>> panes_;
};

}  // namespace ui
