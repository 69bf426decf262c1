#include "tradeviews/views/history_views.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <cstring>

#include "backend/account_table.h"
#include "backend/request_record.h"
#include "client/async_operations.h"
#include "client/shell_services.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"
#include "ui/view_receivers.h"

namespace tradeviews {
namespace {

constexpr qint64 kHistoryDays = 30;

// The range's pickers, labelled, in the strip's layout.
DateRange AddRange(QWidget* strip, QHBoxLayout* layout) {
  DateRange range{new QDateEdit(QDate::currentDate(), strip), new QDateEdit(QDate::currentDate(), strip)};
  ui::SetControlId(range.first, 1213);
  ui::SetControlId(range.last, 1214);
  for (QDateEdit* date : {range.first, range.last}) {
    date->setCalendarPopup(true);
    date->setDisplayFormat("yyyy-MM-dd");
  }
  layout->addWidget(new QLabel(ui::FromGbk("起始日期"), strip));
  layout->addWidget(range.first);
  layout->addWidget(new QLabel(ui::FromGbk("结束日期"), strip));
  layout->addWidget(range.last);
  return range;
}

// The query button, which runs the view's throttled query.
void AddQueryButton(CTQOtherQryBaseView* view, QWidget* strip, QHBoxLayout* layout) {
  auto* query = new QPushButton(ui::FromGbk("查询"), strip);
  ui::SetControlId(query, 1216);
  layout->addWidget(query);
  layout->addStretch(1);
  QObject::connect(query, &QPushButton::clicked, view, [view] { view->QueryWithThrottle(); });
}

std::string DateOf(const QDateEdit* edit) {
  const QDate date = edit->date();
  return DateText(date.year(), date.month(), date.day());
}

}  // namespace

// --- Deposits and withdrawals

CTQInOutMoneyQuery::CTQInOutMoneyQuery(QWidget* parent, const ui::ViewContext& context)
    : CTQOtherQryBaseView(parent, context, 167), accounts_(new QComboBox(Strip())) {
  setObjectName("CTQInOutMoneyQuery");
  ui::SetControlId(accounts_, 1284);
  accounts_->setMinimumWidth(100);
  QHBoxLayout* layout = StripLayout();
  layout->addWidget(new QLabel(ui::FromGbk("交易帐号"), Strip()));
  layout->addWidget(accounts_);
  range_ = AddRange(Strip(), layout);
  directions_ = new QComboBox(Strip());
  ui::SetControlId(directions_, 1215);
  directions_->setMinimumWidth(80);
  layout->addWidget(new QLabel(ui::FromGbk("出入金方向"), Strip()));
  layout->addWidget(directions_);
  AddQueryButton(this, Strip(), layout);
}

void CTQInOutMoneyQuery::OnInitialUpdate() {
  for (const char* direction : {"", "出金", "入金"}) directions_->addItem(ui::FromGbk(direction));
  range_.first->setDate(QDate::currentDate().addDays(-kHistoryDays));
  InitCombos();
  if (ui::ViewReceivers* receivers = Context().receivers) {
    receivers->AddContractsReadyListener([this] { InitCombos(); });
    receivers->SetAsyncReceiver(client::kQueryHisIOFundTag, [this](const backend::RequestRecord& record) {
      if (const backend::SubRequest* sub = record.At(0)) ShowQueryResult(sub->answer);
    });
  }
}

void CTQInOutMoneyQuery::InitCombos() {
  std::vector<backend::AccountKey> keys;
  backend::TheAccountTable().GetAccountList(keys);
  accounts_->clear();
  for (const backend::AccountKey& key : keys) {
    accounts_->addItem(ui::FromGbk(std::string_view(key.customerNo, strnlen(key.customerNo, sizeof key.customerNo))));
  }
}

void CTQInOutMoneyQuery::InitGridParams() {
  CTQOtherQryBaseView::InitGridParams();
  asynchronous_ = 1;
  gridStateName_ = "OtherQryInOutMoneyGridState";
}

void CTQInOutMoneyQuery::InitColumns() {
  columns_ = {{"交易帐号", 100}, {"日期", 100},     {"流水号", 100},   {"出入金方向", 100}, {"出金", 100},
              {"入金", 100},     {"币种名称", 100}, {"资金类型", 100}, {"银行代码", 100},   {"摘要", 300}};
}

bool CTQInOutMoneyQuery::DoQuery(backend::CxDataSet&) {
  Rows().RemoveAllRows();
  std::string message;
  if (!client::QueryHisIOFund(Context().customerNo, DateOf(range_.first), DateOf(range_.last),
                              InOutDirectionCode(directions_->currentIndex()), message)) {
    Output(client::kNoticeLine, message);
    return false;
  }
  return true;
}

void CTQInOutMoneyQuery::ShowQueryResult(const backend::CxDataSet& answer) {
  if (answer.GetCount() <= 1) {
    Output(client::kNoticeLine, "查询出入金，没有结果集返回。");
    return;
  }
  ShowRows(InOutMoneyRows(answer, Context().customerNo));
}

// --- Notice board

CTQNoticeBoard::CTQNoticeBoard(QWidget* parent, const ui::ViewContext& context)
    : CTQOtherQryBaseView(parent, context, 168) {
  setObjectName("CTQNoticeBoard");
  QHBoxLayout* layout = StripLayout();
  range_ = AddRange(Strip(), layout);
  levels_ = new QComboBox(Strip());
  ui::SetControlId(levels_, 1215);
  levels_->setMinimumWidth(100);
  layout->addWidget(new QLabel(ui::FromGbk("信息类型"), Strip()));
  layout->addWidget(levels_);
  AddQueryButton(this, Strip(), layout);
}

void CTQNoticeBoard::OnInitialUpdate() {
  for (const char* level : {"", "1-普通", "2-警告", "3-危险", "4-滚动", "5-弹出确认"}) {
    levels_->addItem(ui::FromGbk(level));
  }
  levels_->setCurrentIndex(0);
}

void CTQNoticeBoard::InitGridParams() {
  CTQOtherQryBaseView::InitGridParams();
  gridStateName_ = "OtherQueryNoticeBoardGridState";
}

void CTQNoticeBoard::InitColumns() {
  columns_ = {{"发送日期", 100}, {"发送时间", 100}, {"信息类型", 100}, {"信息内容", 300}};
}

bool CTQNoticeBoard::DoQuery(backend::CxDataSet&) {
  std::string customerNo;
  if (!ChosenCustomer(customerNo)) return false;
  Rows().RemoveAllRows();
  notices_.clear();
  std::string message;
  if (!client::QueryBulletins(customerNo, NoticeLevelCode(levels_->currentIndex()), DateOf(range_.first),
                              DateOf(range_.last), notices_, message)) {
    Output(client::kNoticeLine, message);
    return false;
  }
  return true;
}

void CTQNoticeBoard::ShowQueryResult(const backend::CxDataSet&) {
  if (notices_.empty()) {
    Output(client::kNoticeLine, "查询公告板，没有结果集返回。");
    return;
  }
  ShowRows(NoticeRows(notices_));
}

}  // namespace tradeviews
