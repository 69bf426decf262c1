// The statement query view (form 166, dock "结算单"): the customer's day
// statement of a chosen date or month statement of one of the twelve months
// before this one, one statement line per grid row, and the button that
// opens the monitoring centre's investor-service page.
#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QRadioButton>

#include "tradeviews/views/query_form_view.h"

namespace tradeviews {

class CTQReportQryView : public CTQOtherQryBaseView {
 public:
  CTQReportQryView(QWidget* parent, const ui::ViewContext& context);

  void OnInitialUpdate() override;
  void InitGridParams() override;
  void InitColumns() override;
  bool DoQuery(backend::CxDataSet& result) override;
  void ShowQueryResult(const backend::CxDataSet& result) override;

 private:
  // The date picker for a day statement, the month list for a month one.
  void ShowPeriodControl();

  QRadioButton* day_;
  QRadioButton* month_;
  QDateEdit* date_;
  QComboBox* months_;
};

}  // namespace tradeviews
