// CTqEntrustExtInfoPanel: the side panel of order panel style 4, five
// read-only fields of which the closeable-volume answer fills the
// available funds and the long and short holdings.
#pragma once

#include <QLineEdit>
#include <QWidget>

#include "engine/order_quantities.h"

namespace tradeviews {

class CTqEntrustExtInfoPanel : public QWidget {
 public:
  explicit CTqEntrustExtInfoPanel(QWidget* parent);

  // "可用金" as "%.2f" and "买持/卖持" as "%d/%d"; the other three stay empty.
  void ShowFundsAndHoldings(const engine::QuantityRecord& answer);
};

}  // namespace tradeviews
