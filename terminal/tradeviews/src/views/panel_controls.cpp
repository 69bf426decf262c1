#include "panel_controls.h"

#include "ui/dialog_base.h"
#include "ui/gbk_text.h"

namespace tradeviews {

QLabel* MakeLabel(QWidget* parent, int id, std::string_view text) {
  auto* label = new QLabel(ui::FromGbk(text), parent);
  ui::SetControlId(label, id);
  return label;
}

QPushButton* MakeButton(QWidget* parent, int id, std::string_view text) {
  auto* button = new QPushButton(ui::FromGbk(text), parent);
  ui::SetControlId(button, id);
  button->setAutoDefault(false);
  return button;
}

void FillCombo(gridctl::CTqComboBox& combo, const std::vector<std::string>& items) {
  combo.ResetContent();
  for (const std::string& item : items) combo.AddItem(item);
  combo.SetCurSel(0);
}

int IndexOfText(const QComboBox& combo, std::string_view text) {
  return text.empty() ? -1 : combo.findText(ui::FromGbk(text));
}

}  // namespace tradeviews
