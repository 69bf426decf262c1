// CxTitleTip: a small tip window of one or more lines. Its owner relays
// mouse moves and button presses to it; when the mouse rests on the owner's
// window for the delay, the tip shows its lines 24 px below the cursor, once
// per rest, and any movement or press hides it.
#pragma once

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"
#include "gridctl/model/title_tip_rest.h"

namespace gridctl {

class CxTitleTip : public QWidget {
 public:
  explicit CxTitleTip(QWidget* parent = nullptr);

  // Takes the owner, the delay in milliseconds and a copy of every text
  // entry of the list as a line, and makes the tip ready; false without an
  // owner.
  bool CreateLines(QWidget* owner, const backend::CxDataSet& lines, std::uint32_t delay);
  bool CreateText(QWidget* owner, std::string_view text, std::uint32_t delay);
  bool IsCreated() const { return owner_ != nullptr; }
  // Stops the timer, hides the tip and forgets the owner.
  void DestroyTip();

  // A mouse move (QEvent::MouseMove) or press or release of the left or
  // right button, at the global position; nothing before the tip is
  // created.
  void RelayEvent(QEvent::Type type, QPoint globalPosition);
  // Shows the lines with their top left corner 24 px below the point, when
  // the tip is created and not already shown.
  void ShowAt(QPoint globalPosition);
  void Hide();

  const std::vector<std::string>& Lines() const { return lines_; }
  void SetColours(std::uint32_t textColour, std::uint32_t background);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Apply(const TitleTipRest::Outcome& outcome);
  void Tick();

  QWidget* owner_ = nullptr;
  std::vector<std::string> lines_;
  FontSpec font_{"宋体", 14};
  std::uint32_t textColour_ = 0x000000;
  std::uint32_t background_ = 0xE0FFFF;
  TitleTipRest rest_;
  QTimer timer_;
};

}  // namespace gridctl
