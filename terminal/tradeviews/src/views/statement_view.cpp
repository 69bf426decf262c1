#include "tradeviews/views/statement_view.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "client/investor_service.h"
#include "client/settlement_operations.h"
#include "client/shell_services.h"
#include "platform/clock.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"

namespace tradeviews {

CTQReportQryView::CTQReportQryView(QWidget* parent, const ui::ViewContext& context)
    : CTQOtherQryBaseView(parent, context, 166),
      day_(new QRadioButton(ui::FromGbk("日结单"), Strip())),
      month_(new QRadioButton(ui::FromGbk("月结单"), Strip())),
      date_(new QDateEdit(QDate::currentDate(), Strip())),
      months_(new QComboBox(Strip())) {
  setObjectName("CTQReportQryView");
  ui::SetControlId(day_, 1205);
  ui::SetControlId(month_, 1206);
  ui::SetControlId(date_, 1207);
  ui::SetControlId(months_, 1211);
  date_->setCalendarPopup(true);
  date_->setDisplayFormat("yyyy-MM-dd");
  auto* query = new QPushButton(ui::FromGbk("查询"), Strip());
  ui::SetControlId(query, 1209);
  auto* monitor = new QPushButton(ui::FromGbk("监控中心结算单"), Strip());
  ui::SetControlId(monitor, 1210);
  QHBoxLayout* layout = StripLayout();
  for (QWidget* control : std::initializer_list<QWidget*>{day_, month_, date_, months_, query, monitor}) {
    layout->addWidget(control);
  }
  layout->addStretch(1);
  QObject::connect(day_, &QRadioButton::toggled, this, [this] { ShowPeriodControl(); });
  QObject::connect(query, &QPushButton::clicked, this, [this] { QueryWithThrottle(); });
  QObject::connect(monitor, &QPushButton::clicked, this,
                   [] { client::StartInvestorServiceThread(client::InvestorServiceSite()); });
}

void CTQReportQryView::OnInitialUpdate() {
  for (const std::string& month : StatementMonths(platform::LocalNow())) months_->addItem(ui::FromGbk(month));
  months_->setCurrentIndex(0);
  day_->setChecked(true);
  ShowPeriodControl();
}

void CTQReportQryView::ShowPeriodControl() {
  date_->setVisible(day_->isChecked());
  months_->setVisible(!day_->isChecked());
}

void CTQReportQryView::InitGridParams() {
  CTQOtherQryBaseView::InitGridParams();
  gridStateName_ = "OtherQryReportQryGridState";
}

// The statement lines keep their own layout: they stand from the left.
void CTQReportQryView::InitColumns() { columns_ = {{"结算单", 700, ui::kAlignLeft}}; }

bool CTQReportQryView::DoQuery(backend::CxDataSet& result) {
  std::string customerNo;
  if (!ChosenCustomer(customerNo)) return false;
  Rows().RemoveAllRows();
  const QDate day = date_->date();
  const std::string type = day_->isChecked() ? "1" : "2";
  const std::string date =
      day_->isChecked() ? DateText(day.year(), day.month(), day.day()) : ui::ToGbk(months_->currentText());
  std::string message;
  if (!client::QuerySettlementStatement(customerNo, date, type, result, message)) {
    ShowMessage("查询结算单失败，可能原因为结算单不存在或结算单服务器未启动。", "提示");
    Output(client::kFailureLine, message);
    return false;
  }
  return true;
}

void CTQReportQryView::ShowQueryResult(const backend::CxDataSet& result) {
  std::vector<Cells> rows;
  for (std::string& line : client::StatementLines(result)) rows.push_back({std::move(line)});
  ShowRows(rows);
}

}  // namespace tradeviews
