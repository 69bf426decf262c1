// The order dock's form of the market views' GUI tests, as the order panel
// registers itself: it keeps the records the grids fill it from.
#pragma once

#include <QLineEdit>
#include <vector>

#include "order_module/order_record.h"
#include "ui/order_form.h"

namespace marketviews::testing {

class RecordingOrderForm : public QLineEdit, public ui::OrderForm {
 public:
  bool FillFromOrderRecord(const order_module::OrderRecord& record) override {
    filled.push_back(record);
    return true;
  }
  void ResetAfterOrder() override {}
  void FocusFieldAfterOrder(int) override {}
  void ReloadContracts() override {}

  std::vector<order_module::OrderRecord> filled;
};

}  // namespace marketviews::testing
