#include "tradeviews/views/option_views.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "client/account_queries.h"
#include "client/async_operations.h"
#include "client/shell_services.h"
#include "engine/operation_engine.h"
#include "engine/query_facade.h"
#include "engine/table_catalogue.h"
#include "ui/colours_fonts.h"
#include "ui/context_menus.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"
#include "ui/view_receivers.h"

namespace tradeviews {
namespace {

constexpr int kMaxLots = 999999;
constexpr int kQuantityLength = 15;

// The rows of an engine table; false while the engine cannot give them.
template <class Row>
bool ReadTable(engine::COperationEngine* engine, int tableId, std::vector<Row>& rows) {
  backend::CxDataSet copy;
  std::string error;
  if (engine == nullptr || !engine::QueryEngineTable(*engine, tableId, copy, error)) return false;
  for (std::size_t i = 0; i < copy.GetCount(); ++i) {
    if (const std::optional<Row> row = engine::RowFromBytes<Row>(copy.GetValue(i))) rows.push_back(*row);
  }
  return true;
}

std::string ExchangeName(engine::COperationEngine* engine, std::string_view exchange) {
  std::string name;
  if (engine != nullptr) engine::GetExchangeName(*engine, exchange, name);
  return name;
}

QPushButton* AddButton(QWidget* strip, QHBoxLayout* layout, int id, const char* text) {
  auto* button = new QPushButton(ui::FromGbk(text), strip);
  ui::SetControlId(button, id);
  layout->addWidget(button);
  return button;
}

Cells CellsOfRow(const ui::GridModel& rows, ui::RowId id) {
  Cells cells;
  if (const ui::GridRow* row = rows.Row(id)) {
    for (int column = 0; column < row->ColumnCount(); ++column) cells.emplace_back(row->Text(column));
  }
  return cells;
}

}  // namespace

// --- The abandon confirmation

COptionsExerciseConfirmDlg::COptionsExerciseConfirmDlg(QWidget* parent, AbandonableOptionRecord& record,
                                                       std::function<void(int, std::string_view)> output)
    : ui::BaseDialog(parent, 182, "期权放弃执行申请"),
      record_(record),
      output_(std::move(output)),
      quantity_(new QLineEdit(this)) {
  setObjectName("COptionsExerciseConfirmDlg");
  static constexpr std::pair<int, std::size_t> kShown[] = {
      {1295, abandon_member::kContract},      {1303, abandon_member::kBuyPosition},
      {1304, abandon_member::kSellPosition},  {1305, abandon_member::kSuggested},
      {1306, abandon_member::kLargest},       {1307, abandon_member::kApplied},
      {1308, abandon_member::kForecastProfit}};
  static constexpr const char* kLabels[] = {"合约",         "买持仓量",     "卖持仓量",    "建议放弃量",
                                            "最大可放弃量", "已申请放弃量", "预测执行盈亏"};
  auto* grid = new QGridLayout;
  for (std::size_t i = 0; i < std::size(kShown); ++i) {
    const int row = static_cast<int>(i);
    grid->addWidget(new QLabel(ui::FromGbk(kLabels[i]), this), row, 0);
    auto* value = new QLabel(ui::FromGbk(record_.members[kShown[i].second]), this);
    ui::SetControlId(value, kShown[i].first);
    grid->addWidget(value, row, 1);
  }
  const int quantityRow = static_cast<int>(std::size(kShown));
  grid->addWidget(new QLabel(ui::FromGbk("放弃数量"), this), quantityRow, 0);
  ui::SetControlId(quantity_, 1293);
  quantity_->setMaxLength(kQuantityLength);
  grid->addWidget(quantity_, quantityRow, 1);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* submit = buttons->addButton(ui::FromGbk("提交"), QDialogButtonBox::ActionRole);
  ui::SetControlId(submit, 1309);
  submit->setAutoDefault(false);
  QPushButton* cancel = buttons->addButton(ui::FromGbk("取消"), QDialogButtonBox::RejectRole);
  ui::SetControlId(cancel, 1310);
  cancel->setAutoDefault(false);
  QObject::connect(submit, &QPushButton::clicked, this, [this] { Submit(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  // The suggestion is taken as if typed.
  quantity_->setText(ui::FromGbk(record_.members[abandon_member::kSuggested]));
  OnQuantityChanged();
  QObject::connect(quantity_, &QLineEdit::textEdited, this, [this] { OnQuantityChanged(); });
}

void COptionsExerciseConfirmDlg::OnQuantityChanged() {
  const std::string text = ui::ToGbk(quantity_->text());
  switch (CheckAbandonQuantity(text, record_.members[abandon_member::kLargest])) {
    case QuantityEntry::kTaken: record_.members[abandon_member::kApplied] = text; return;
    case QuantityEntry::kEmpty: return;
    case QuantityEntry::kRefused: {
      ui::ShowMessageBox(this, kAbandonQuantityRefusedText, "提示");
      // The edit shows the quantity the record holds.
      const QSignalBlocker blocker(quantity_);
      quantity_->setText(ui::FromGbk(record_.members[abandon_member::kApplied]));
      return;
    }
  }
}

void COptionsExerciseConfirmDlg::Submit() {
  std::string message;
  if (client::ApplyOptionsAbandon(record_, message)) {
    accept();
    return;
  }
  ui::ShowMessageBox(this, message, "错误");
  if (output_) output_(client::kNoticeLine, message);
}

// --- Abandonable options

CTqOptionsExercise::CTqOptionsExercise(QWidget* parent, const ui::ViewContext& context)
    : CTQOtherQryBaseView(parent, context, 181) {
  setObjectName("CTqOptionsExercise");
  QHBoxLayout* layout = StripLayout();
  QObject::connect(AddButton(Strip(), layout, 1291, "查询"), &QPushButton::clicked, this, [this] { Query(); });
  QObject::connect(AddButton(Strip(), layout, 1292, "提交放弃执行申请"), &QPushButton::clicked, this,
                   [this] { SubmitAbandon(); });
  layout->addStretch(1);
}

void CTqOptionsExercise::OnInitialUpdate() {
  if (ui::ViewReceivers* receivers = Context().receivers) {
    receivers->SetAsyncReceiver(client::kQueryOptionsExerciseTag, [this](const backend::RequestRecord& record) {
      ShowAbandonableOptions(BuildOptionExerciseRows(record));
    });
  }
}

void CTqOptionsExercise::InitGridParams() {
  CTQOtherQryBaseView::InitGridParams();
  asynchronous_ = 1;
  gridStateName_ = "OtherQryOptionsExerciseGridState";
}

void CTqOptionsExercise::InitColumns() {
  columns_ = {{"合约", 110},         {"买持仓量", 100},     {"卖持仓量", 100},     {"建议放弃量", 110},
              {"最大可放弃量", 110}, {"已申请放弃量", 110}, {"预测执行盈亏", 120}, {"预测交割结算价", 120},
              {"交易编码", 100},     {"交易所", 80}};
}

void CTqOptionsExercise::Query() {
  std::string message;
  if (client::QueryOptionsExercise(message)) return;
  ShowMessage(message, "错误");
  Output(client::kNoticeLine, message);
}

Cells CTqOptionsExercise::CellsOf(const AbandonableOptionRecord& record) const {
  engine::COperationEngine* engine = Context().engine;
  const double tick =
      engine == nullptr ? 1.0 : engine::GetPriceTick(*engine, record.members[abandon_member::kContract]);
  return AbandonableCells(record, SettlementPriceDecimals(tick));
}

void CTqOptionsExercise::ShowAbandonableOptions(const std::vector<AbandonableOptionRecord>& records) {
  if (records.empty()) {
    // Nothing is left to abandon: the rows of an earlier answer go too.
    Rows().RemoveAllRows();
    Output(client::kNoticeLine, kNoAbandonableOptionsText);
    return;
  }
  std::vector<Cells> rows;
  for (const AbandonableOptionRecord& record : records) rows.push_back(CellsOf(record));
  ShowRows(rows);
}

QMenu* CTqOptionsExercise::GridPopupMenu() {
  QMenu* menu = CTQOtherQryBaseView::GridPopupMenu();
  const QList<QAction*> actions = menu->actions();
  const bool present = std::any_of(actions.begin(), actions.end(), [](const QAction* action) {
    return action->data().toInt() == kSubmitAbandonCommand;
  });
  if (!present) {
    QObject::connect(ui::AddCommand(menu, kSubmitAbandonCommand, "提交放弃执行申请(&C)"), &QAction::triggered, this,
                     [this] { SubmitAbandon(); });
  }
  return menu;
}

void CTqOptionsExercise::OnGridDblClk(const ui::GridMouse& mouse) {
  if (Grid().RowAt(mouse.point)) SubmitAbandon();
}

void CTqOptionsExercise::SubmitAbandon() {
  const std::optional<ui::RowId> id = Grid().SelectedRow();
  if (!id) return;
  AbandonableOptionRecord record = AbandonableRecordFromCells(CellsOfRow(Rows(), *id));
  COptionsExerciseConfirmDlg dialog(this, record, Context().output);
  if (dialog.exec() == QDialog::Accepted) Rows().UpdateRow(*id, RowOf(CellsOf(record)));
}

// --- Exercise applications

CTqOptionsExerciseApply::CTqOptionsExerciseApply(QWidget* parent, const ui::ViewContext& context)
    : CTQOtherQryBaseView(parent, context, 183),
      contract_(new gridctl::CTqContractEdit(Strip())),
      quantity_(new gridctl::CTqEditPrice(Strip())) {
  setObjectName("CTqOptionsExerciseApply");
  ui::SetControlId(contract_, 1293);
  ui::SetControlId(quantity_, 1294);
  QFont font = ui::FontOf("Tahoma", 10);
  font.setPixelSize(17);
  font.setWeight(QFont::Black);
  contract_->setFont(font);
  quantity_->setFont(font);
  contract_->setMinimumWidth(160);
  quantity_->setMinimumWidth(90);
  QHBoxLayout* layout = StripLayout();
  layout->addWidget(new QLabel(ui::FromGbk("合约"), Strip()));
  layout->addWidget(contract_);
  layout->addWidget(new QLabel(ui::FromGbk("手数"), Strip()));
  layout->addWidget(quantity_);
  layout->addSpacing(20);
  QObject::connect(AddButton(Strip(), layout, 1312, "执行"), &QPushButton::clicked, this, [this] { Send("1"); });
  QObject::connect(AddButton(Strip(), layout, 1313, "放弃"), &QPushButton::clicked, this, [this] { Send("2"); });
  QObject::connect(AddButton(Strip(), layout, 1314, "清空"), &QPushButton::clicked, this, [this] {
    contract_->clear();
    quantity_->clear();
  });
  layout->addStretch(1);
  Grid().viewport()->installEventFilter(this);
}

void CTqOptionsExerciseApply::OnInitialUpdate() {
  quantity_->CreateSpinButton(1, kMaxLots, 1);
  contract_->CreateDropDowns();
  engine::COperationEngine* engine = Context().engine;
  ExerciseApplySources sources;
  sources.positions = [engine](std::vector<engine::PositionSummaryRow>& rows) {
    return ReadTable(engine, engine::table_id::kPositionSummary, rows);
  };
  sources.quantities = [engine](std::vector<engine::ExercisableQuantityRow>& rows) {
    return ReadTable(engine, engine::table_id::kExercisableQuantities, rows);
  };
  sources.engineBusy = [engine] {
    return engine == nullptr || engine->GetEngineState() != engine::EngineState::kReady;
  };
  sources.exchangeAbbreviation = [engine](std::string_view exchange) {
    std::string abbreviation;
    if (engine != nullptr) engine::GetExchangeCode(*engine, exchange, abbreviation);
    return abbreviation;
  };
  sources.exchangeName = [engine](std::string_view exchange) { return ExchangeName(engine, exchange); };
  model_ = std::make_unique<ExerciseApplyRows>(Rows(), std::move(sources));
  ui::ViewReceivers* receivers = Context().receivers;
  if (receivers == nullptr) return;
  for (const int table : {engine::table_id::kPositionSummary, engine::table_id::kExercisableQuantities}) {
    receivers->AddTableReceiver(table, [this](const engine::TableChangeRecord& record) { OnTableChanged(record); });
  }
  receivers->AddContractsReadyListener([this, engine] {
    backend::CxDataSet contracts;
    if (engine != nullptr && engine::EngineQueryContracts(*engine, contracts, false)) {
      contract_->SetContractData(contracts);
    }
  });
}

void CTqOptionsExerciseApply::OnTableChanged(const engine::TableChangeRecord& record) {
  if (model_) model_->OnTableChanged(record);
}

void CTqOptionsExerciseApply::InitGridParams() {
  CTQOtherQryBaseView::InitGridParams();
  asynchronous_ = 1;
  gridStateName_ = "OtherQryOptionsExerciseApplyGridState";
}

void CTqOptionsExerciseApply::InitColumns() { columns_ = ExerciseApplyColumns(); }

bool CTqOptionsExerciseApply::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Grid().viewport() && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    TakeSelectedRow();
  }
  return CTQOtherQryBaseView::eventFilter(watched, event);
}

void CTqOptionsExerciseApply::TakeSelectedRow() {
  const std::optional<ui::RowId> id = Grid().SelectedRow();
  const ui::GridRow* row = id ? Rows().Row(*id) : nullptr;
  if (row == nullptr) return;
  contract_->setText(ui::FromGbk(row->Text(apply_column::kContract)));
  quantity_->setText(ui::FromGbk(row->Text(apply_column::kPosition)));
}

void CTqOptionsExerciseApply::Send(std::string_view type) {
  engine::COperationEngine* engine = Context().engine;
  const std::string contract = ui::ToGbk(contract_->text());
  const std::string quantity = ui::ToGbk(quantity_->text());
  const std::string problems = CheckExerciseInput(contract, quantity, [&](std::string& error) {
    for (int position = 0; position < Rows().ShownRowCount(); ++position) {
      if (Rows().ShownText(position, apply_column::kContract) == contract) return true;
    }
    std::string exchange;
    return engine != nullptr && engine::GetContractExchange(*engine, contract, error, exchange);
  });
  if (!problems.empty()) {
    ShowMessage(problems, "提示");
    return;
  }
  const std::string& customerNo = Context().customerNo;
  client::ContractTradingCode code;
  std::string message;
  if (!client::GetContractTradingCode(customerNo, contract, "0", code, message)) {
    ShowMessage(message, "提示");
    return;
  }
  const int instructions =
      engine == nullptr ? 0 : engine::GetExerciseInstructionCode(*engine, code.exchangeCode, code.seat);
  if (const std::string_view refusal = InstructionRefusal(instructions, type == "1"); !refusal.empty()) {
    ShowMessage(refusal, "提示");
    return;
  }
  backend::ExerciseOrderRow answer{};
  const bool sent = client::SendOptionsExerciseOrder(
      {code.exchangeCode, contract, "0", "0", quantity, code.tradeCode, code.seat, type}, customerNo, answer, message);
  const ExerciseOrderFields order(answer);
  Output(client::kNoticeLine, ExerciseOrderLine(sent, sent ? order.Type() : type, customerNo, "0", "0", quantity,
                                                sent ? order.OrderNo() : std::string_view(message)));
}

// --- Exercise orders

CTqOptionsExerciseOrders::CTqOptionsExerciseOrders(QWidget* parent, const ui::ViewContext& context)
    : CTQOtherQryBaseView(parent, context, 185),
      waitingOnly_(new QCheckBox(ui::FromGbk("只显示等待的委托单"), Strip())) {
  setObjectName("CTqOptionsExerciseOrders");
  ui::SetControlId(waitingOnly_, 1316);
  QHBoxLayout* layout = StripLayout();
  QObject::connect(AddButton(Strip(), layout, 1317, "撤单"), &QPushButton::clicked, this, [this] { CancelSelected(); });
  layout->addWidget(waitingOnly_);
  layout->addStretch(1);
  QObject::connect(waitingOnly_, &QCheckBox::toggled, this, [this](bool on) { ShowWaitingOnly(on); });
}

void CTqOptionsExerciseOrders::OnInitialUpdate() {
  waitingOnly_->setChecked(false);
  for (const int column : {order_column::kCustomer, order_column::kOrderSeat, order_column::kTradingCode}) {
    Grid().SetColumnVisible(column, false);
  }
  Grid().setSelectionMode(QAbstractItemView::ExtendedSelection);
  engine::COperationEngine* engine = Context().engine;
  ExerciseOrderSources sources;
  sources.orders = [engine](std::vector<backend::ExerciseOrderRow>& rows) {
    return ReadTable(engine, engine::table_id::kExerciseOrders, rows);
  };
  sources.exchangeName = [engine](std::string_view exchange) { return ExchangeName(engine, exchange); };
  model_ = std::make_unique<ExerciseOrderRows>(Rows(), std::move(sources));
  if (ui::ViewReceivers* receivers = Context().receivers) {
    receivers->AddTableReceiver(engine::table_id::kExerciseOrders,
                                [this](const engine::TableChangeRecord& record) { OnTableChanged(record); });
  }
}

void CTqOptionsExerciseOrders::OnTableChanged(const engine::TableChangeRecord& record) {
  if (model_) model_->OnTableChanged(record);
}

void CTqOptionsExerciseOrders::InitGridParams() {
  CTQOtherQryBaseView::InitGridParams();
  asynchronous_ = 1;
  gridStateName_ = "OtherQryOptionsExerciseOrdersGridState";
}

void CTqOptionsExerciseOrders::InitColumns() { columns_ = ExerciseOrderColumns(); }

void CTqOptionsExerciseOrders::OnGridDblClk(const ui::GridMouse& mouse) {
  if (const std::optional<ui::RowId> id = Grid().RowAt(mouse.point)) Cancel(*id);
}

void CTqOptionsExerciseOrders::CancelSelected() {
  std::vector<int> positions;
  for (const QModelIndex& index : Grid().selectionModel()->selectedRows()) positions.push_back(index.row());
  std::sort(positions.begin(), positions.end());
  std::vector<ui::RowId> ids;
  for (const int position : positions) {
    if (const std::optional<ui::RowId> id = Grid().TableModel().RowAt(position)) ids.push_back(*id);
  }
  for (const ui::RowId id : ids) Cancel(id);
}

void CTqOptionsExerciseOrders::Cancel(ui::RowId id) {
  const ui::GridRow* row = Rows().Row(id);
  if (row == nullptr || !IsCancellable(row->Text(order_column::kState))) return;
  const std::string orderNo(row->Text(order_column::kOrderNo));
  if (orderNo.empty()) return;
  const std::string contract(row->Text(order_column::kContract));
  const std::string seat(row->Text(order_column::kSeat));
  const std::string orderSeat(row->Text(order_column::kOrderSeat));
  const std::string& customerNo = Context().customerNo;
  std::string exchange;
  std::string message;
  if (Context().engine != nullptr) engine::GetContractExchange(*Context().engine, contract, message, exchange);
  message.clear();
  backend::ExerciseOrderRow answer{};
  if (!client::CancelOptionsExerciseOrder({orderNo, seat, customerNo, exchange, orderSeat}, customerNo, answer,
                                          message) &&
      !message.empty()) {
    ShowMessage(message);
  }
}

void CTqOptionsExerciseOrders::ShowWaitingOnly(bool on) {
  if (on) {
    Rows().SetFilter(WaitingOrdersFilter());
  } else {
    Rows().ClearFilter();
  }
}

}  // namespace tradeviews
