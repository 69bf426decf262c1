// The history views: the customer's deposits and withdrawals in a date
// range (form 167, dock "出入金"; the answer comes later, through the
// frame) and the notices of a customer in a date range (form 168, dock
// "公告板").
#pragma once

#include <QComboBox>
#include <QDateEdit>

#include "client/notice_operations.h"
#include "tradeviews/views/query_form_view.h"

namespace tradeviews {

// The two date pickers of a date range, today's date in both.
struct DateRange {
  QDateEdit* first;
  QDateEdit* last;
};

class CTQInOutMoneyQuery : public CTQOtherQryBaseView {
 public:
  CTQInOutMoneyQuery(QWidget* parent, const ui::ViewContext& context);

  // The directions, the range's start 30 days back, the routing of the
  // answer.
  void OnInitialUpdate() override;
  // The accounts the logged-in customer may query.
  void InitCombos() override;
  void InitGridParams() override;
  void InitColumns() override;
  bool DoQuery(backend::CxDataSet& result) override;
  // The answer's lines (the status line first).
  void ShowQueryResult(const backend::CxDataSet& answer) override;

 private:
  QComboBox* accounts_;
  DateRange range_;
  QComboBox* directions_;
};

class CTQNoticeBoard : public CTQOtherQryBaseView {
 public:
  CTQNoticeBoard(QWidget* parent, const ui::ViewContext& context);

  void OnInitialUpdate() override;
  void InitGridParams() override;
  void InitColumns() override;
  bool DoQuery(backend::CxDataSet& result) override;
  void ShowQueryResult(const backend::CxDataSet& result) override;

 private:
  DateRange range_;
  QComboBox* levels_;
  std::vector<client::BulletinRecord> notices_;
};

}  // namespace tradeviews
