// The small makings the order panels and their dialog share: labelled and
// numbered controls, combos filled from texts, items found by text.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <string_view>
#include <vector>

#include "gridctl/views/combo_boxes.h"

namespace tradeviews {

QLabel* MakeLabel(QWidget* parent, int id, std::string_view text);
// A button that Enter does not press: the panels move the focus on Enter.
QPushButton* MakeButton(QWidget* parent, int id, std::string_view text);
// The items in order, the first selected.
void FillCombo(gridctl::CTqComboBox& combo, const std::vector<std::string>& items);
// The item of that text (GBK); -1 for none or an empty text.
int IndexOfText(const QComboBox& combo, std::string_view text);

}  // namespace tradeviews
