#include "tradeviews/views/account_views.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <cstring>

#include "backend/account_table.h"
#include "backend/server_rotation.h"
#include "backend/transport.h"
#include "client/account_queries.h"
#include "client/management_operations.h"
#include "client/shell_services.h"
#include "engine/operation_engine.h"
#include "engine/query_facade.h"
#include "engine/reference_rows.h"
#include "engine/table_catalogue.h"
#include "tradeviews/model/fund_transfer.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"
#include "ui/view_receivers.h"

namespace tradeviews {
namespace {

// The row of the customer on slot 0, the logged-in account.
const backend::AccountRecord* LoggedInAccount() { return backend::TheAccountTable().FindAccountBySlot(0); }

std::string CustomerOf(const backend::AccountKey& key) {
  return std::string(key.customerNo, strnlen(key.customerNo, sizeof key.customerNo));
}

// The counter version the log-in answer names.
constexpr int kCounterVersionField = 19;
constexpr int kCustomerNameField = 5;

void FillCombo(QComboBox* combo, const std::vector<std::string>& items) {
  combo->clear();
  for (const std::string& item : items) combo->addItem(ui::FromGbk(item));
  combo->setCurrentIndex(-1);
}

QLabel* Label(QWidget* strip, const char* text) { return new QLabel(ui::FromGbk(text), strip); }

}  // namespace

std::vector<std::string> AccountChoices() {
  std::vector<backend::AccountKey> keys;
  backend::TheAccountTable().GetAccountList(keys);
  std::vector<std::string> accounts;
  if (keys.size() < 2) return accounts;
  for (const backend::AccountKey& key : keys) accounts.push_back(CustomerOf(key));
  return accounts;
}

// --- About

CAboutBoxView::CAboutBoxView(QWidget* parent, const ui::ViewContext& context)
    : CTQOtherQryBaseView(parent, context, 100) {
  setObjectName("CAboutBoxView");
  Strip()->hide();
}

void CAboutBoxView::OnInitialUpdate() { QueryWithThrottle(); }

void CAboutBoxView::InitGridParams() {
  CTQOtherQryBaseView::InitGridParams();
  gridStateName_ = "AboutBoxQuentaraGridState";
}

void CAboutBoxView::InitColumns() { columns_ = {{"名称", 150}, {"内容", 200}}; }

void CAboutBoxView::InitGridStyle() {
  CTQOtherQryBaseView::InitGridStyle();
  Grid().Header().setSectionsClickable(false);
}

bool CAboutBoxView::DoQuery(backend::CxDataSet&) {
  AboutFacts facts;
  if (const client::ShellServices* shell = client::TheShellServices()) facts.version = shell->ProgramVersionText();
  if (const backend::AccountRecord* account = LoggedInAccount()) {
    facts.customerNo = CustomerOf(account->key);
    facts.customerName = std::string(account->Field(kCustomerNameField));
    facts.counterVersion = std::string(account->Field(kCounterVersionField));
  }
  facts.localIp = backend::LocalIpAddress();
  facts.localMachine = backend::LocalMachineAddress();
  const backend::ServerRotation& servers = backend::TheServerRotation();
  if (const std::optional<backend::ServerRow> trading = servers.InUse(0)) {
    facts.tradingServer = trading->address;
    facts.tradingPort = trading->port;
  }
  if (const std::optional<backend::ServerRow> quote = servers.InUse(servers.QuoteSlot())) {
    facts.quoteServer = quote->address;
    facts.quotePort = quote->port;
  }
  pairs_ = AboutRows(facts);
  return true;
}

void CAboutBoxView::ShowQueryResult(const backend::CxDataSet&) {
  std::vector<Cells> rows;
  for (const auto& [name, value] : pairs_) rows.push_back({name, value});
  ShowRows(rows);
}

// --- Account status

CTQCustStatusSet::CTQCustStatusSet(QWidget* parent, const ui::ViewContext& context)
    : CTQOtherQryBaseView(parent, context, 179), accounts_(new QComboBox(Strip())), statuses_(new QComboBox(Strip())) {
  setObjectName("CTQCustStatusSet");
  ui::SetControlId(accounts_, 1281);
  ui::SetControlId(statuses_, 1282);
  accounts_->setMinimumWidth(120);
  statuses_->setMinimumWidth(120);
  auto* set = new QPushButton(ui::FromGbk("设置"), Strip());
  ui::SetControlId(set, 1283);
  QHBoxLayout* layout = StripLayout();
  layout->addWidget(Label(Strip(), "交易帐号"));
  layout->addWidget(accounts_);
  layout->addWidget(Label(Strip(), "状态"));
  layout->addWidget(statuses_);
  layout->addWidget(set);
  layout->addStretch(1);
  QObject::connect(set, &QPushButton::clicked, this, [this] { SetStatus(); });
}

void CTQCustStatusSet::OnInitialUpdate() {
  InitCombos();
  if (Context().receivers != nullptr) Context().receivers->AddContractsReadyListener([this] { InitCombos(); });
}

void CTQCustStatusSet::InitCombos() {
  FillCombo(statuses_, {"0-正常", "4-只可平仓"});
  FillCombo(accounts_, AccountChoices());
}

void CTQCustStatusSet::SetStatus() {
  const std::string account = ui::ToGbk(accounts_->currentText());
  const std::string status = ui::ToGbk(statuses_->currentText());
  if (account.empty()) {
    ShowMessage("交易帐号不能为空!");
    return;
  }
  if (status.empty()) {
    ShowMessage("状态不能为空!");
    return;
  }
  std::string message;
  if (client::MaintainCustomerStatus(account, CustomerStatusCode(status), message)) {
    ShowMessage("设置状态成功!");
  } else {
    ShowMessage(message);
  }
}

// --- Fund allocation

CTQFundAllocate::CTQFundAllocate(QWidget* parent, const ui::ViewContext& context)
    : CTQOtherQryBaseView(parent, context, 178),
      paying_(new QComboBox(Strip())),
      receiving_(new QComboBox(Strip())),
      amount_(new gridctl::CTqEditPrice(Strip())) {
  setObjectName("CTQFundAllocate");
  ui::SetControlId(paying_, 1273);
  ui::SetControlId(receiving_, 1274);
  ui::SetControlId(amount_, 1275);
  amount_->SetRealNumbers(true);
  amount_->setMinimumWidth(120);
  paying_->setMinimumWidth(120);
  receiving_->setMinimumWidth(120);
  auto* allocate = new QPushButton(ui::FromGbk("调拨"), Strip());
  ui::SetControlId(allocate, 1276);
  QHBoxLayout* layout = StripLayout();
  layout->addWidget(Label(Strip(), "转出帐号"));
  layout->addWidget(paying_);
  layout->addWidget(Label(Strip(), "转入帐号"));
  layout->addWidget(receiving_);
  layout->addWidget(Label(Strip(), "金额"));
  layout->addWidget(amount_);
  layout->addWidget(allocate);
  layout->addStretch(1);
  QObject::connect(allocate, &QPushButton::clicked, this, [this] { Allocate(); });
}

void CTQFundAllocate::OnInitialUpdate() {
  InitCombos();
  if (ui::ViewReceivers* receivers = Context().receivers) {
    receivers->AddContractsReadyListener([this] { InitCombos(); });
    receivers->AddTableReceiver(engine::table_id::kFunds,
                                [this](const engine::TableChangeRecord& record) { OnTableChanged(record); });
  }
}

void CTQFundAllocate::InitCombos() {
  const std::vector<std::string> accounts = AccountChoices();
  FillCombo(paying_, accounts);
  FillCombo(receiving_, accounts);
}

void CTQFundAllocate::InitGridParams() {
  CTQOtherQryBaseView::InitGridParams();
  gridStateName_ = "FundAllocateState";
}

void CTQFundAllocate::InitColumns() { columns_ = {{"交易帐号", 100}, {"帐号名称", 100}, {"可用资金", 100}}; }

namespace {

Cells FundCells(const engine::FundRow& fund) {
  const std::string account(engine::Text(fund.szTradeAccount));
  std::string name(engine::Text(fund.szAnswerField5));
  if (name.empty()) {
    if (const backend::AccountRecord* record = backend::TheAccountTable().FindAccountByCode(account)) {
      name = std::string(record->Field(kCustomerNameField));
    }
  }
  return {account, name, std::string(engine::Text(fund.szUsableMoney))};
}

}  // namespace

void CTQFundAllocate::OnTableChanged(const engine::TableChangeRecord& record) {
  engine::COperationEngine* engine = Context().engine;
  if (record.Operation() == engine::TableChangeRecord::kReload) {
    Rows().RemoveAllRows();
    backend::CxDataSet funds;
    std::string error;
    if (engine == nullptr || !engine::QueryEngineTable(*engine, engine::table_id::kFunds, funds, error)) return;
    for (std::size_t i = 0; i < funds.GetCount(); ++i) {
      if (const auto fund = engine::RowFromBytes<engine::FundRow>(funds.GetValue(i))) {
        Rows().AddRow(RowOf(FundCells(*fund)), ui::HashRowKey(engine::Text(fund->szTradeAccount)));
      }
    }
    return;
  }
  const auto fund = engine::RowFromBytes<engine::FundRow>(record.Row());
  if (!fund) return;
  if (const std::optional<ui::RowId> id = Rows().FindRow(ui::HashRowKey(engine::Text(fund->szTradeAccount)))) {
    Rows().UpdateRow(*id, RowOf(FundCells(*fund)));
  }
}

void CTQFundAllocate::Allocate() {
  FundTransferServices services;
  services.enter = [](std::string_view account, std::string_view direction, std::string_view amount,
                      std::string& serial, std::string& message) {
    return client::EditCustomerIOMoney(account, "1", "0", direction, amount, " ", serial, message);
  };
  services.review = [](std::string_view serial, std::string& message) {
    return client::ReviewCustomerIOMoney(serial, message);
  };
  services.refreshFunds = [](std::string_view account, std::string& message) {
    return client::QueryFunds(account, message);
  };
  ShowMessage(TransferFunds(ui::ToGbk(paying_->currentText()), ui::ToGbk(receiving_->currentText()),
                            ui::ToGbk(amount_->text()), services));
}

}  // namespace tradeviews
