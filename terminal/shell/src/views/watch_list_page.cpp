// "设置自选合约": contracts moved into and out of the user's groups of the
// quote object at once, whatever the sheet's OK or Cancel.
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <algorithm>

#include "program_title.h"
#include "quotes/optional_contract.h"
#include "shell/views/settings_pages.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"

namespace shell {
namespace {

QTableWidget* WatchGrid(QWidget* parent, int id, const char* codeCaption) {
  auto* grid = new QTableWidget(0, 3, parent);
  ui::SetControlId(grid, id);
  const std::pair<const char*, int> columns[] = {{"合约名称", 70}, {codeCaption, 100}, {"交易类别", 70}};
  for (int i = 0; i < 3; ++i) {
    grid->setHorizontalHeaderItem(i, new QTableWidgetItem(ui::FromGbk(columns[i].first)));
    grid->setColumnWidth(i, columns[i].second);
  }
  grid->verticalHeader()->hide();
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  return grid;
}

void Fill(QTableWidget* grid, const std::vector<WatchRow>& rows) {
  grid->clearContents();
  grid->setRowCount(static_cast<int>(rows.size()));
  for (int row = 0; row < grid->rowCount(); ++row) {
    const WatchRow& watch = rows[static_cast<std::size_t>(row)];
    const std::string* cells[] = {&watch.name, &watch.code, &watch.kind};
    for (int column = 0; column < 3; ++column)
      grid->setItem(row, column, new QTableWidgetItem(ui::FromGbk(*cells[column])));
  }
}

// The selected rows, in the order they were selected.
std::vector<int> SelectedRows(const QTableWidget* grid) {
  std::vector<int> rows;
  for (const QModelIndex& index : grid->selectionModel()->selectedRows()) rows.push_back(index.row());
  return rows;
}

quotes::ContractKey KeyOf(const WatchRow& row) { return quotes::MakeContractKey(row.exchangeCode, row.code); }

}  // namespace

WatchListPage::WatchListPage(QWidget* parent, client::ConfigRegistry& registry, const SettingsPageContext& context)
    : SettingsPageBase(parent, registry, "CTqOptionalContractDlg"), context_(context) {
  auto* layout = new QGridLayout(this);
  exchange_ = new QComboBox(this);
  ui::SetControlId(exchange_, 1287);
  group_ = new QComboBox(this);
  ui::SetControlId(group_, 1288);
  auto* add = new QPushButton(ui::FromGbk("添加>>"), this);
  ui::SetControlId(add, 1289);
  auto* remove = new QPushButton(ui::FromGbk("<<删除"), this);
  ui::SetControlId(remove, 1290);
  for (QPushButton* button : {add, remove}) button->setAutoDefault(false);
  left_ = WatchGrid(this, 33333, "未选合约");
  right_ = WatchGrid(this, 33334, "自选合约");
  layout->addWidget(new QLabel(ui::FromGbk("交易所"), this), 0, 0);
  layout->addWidget(exchange_, 0, 1);
  layout->addWidget(new QLabel(ui::FromGbk(" 自选合约组"), this), 0, 3);
  layout->addWidget(group_, 0, 4);
  layout->addWidget(left_, 1, 0, 3, 2);
  layout->addWidget(add, 1, 2);
  layout->addWidget(remove, 2, 2);
  layout->addWidget(right_, 1, 3, 3, 2);
  layout->setRowStretch(3, 1);

  if (context_.engine != nullptr) tables_ = ReadPageTables(*context_.engine);
  exchange_->addItem(ui::FromGbk(kAllItems));
  for (const std::string& name : tables_.exchanges) exchange_->addItem(ui::FromGbk(name));
  if (context_.groups != nullptr) {
    for (const std::string& name : OwnGroupNames(*context_.groups)) group_->addItem(ui::FromGbk(name));
  }
  FillChosen();
  FillUnchosen();
  if (context_.groups != nullptr) context_.groups->RegisterGroupWatch(this);

  connect(exchange_, &QComboBox::activated, this, [this] { FillUnchosen(); });
  connect(group_, &QComboBox::activated, this, [this] { FillChosen(); });
  connect(add, &QPushButton::clicked, this, [this] { OnAdd(); });
  connect(remove, &QPushButton::clicked, this, [this] { OnRemove(); });
}

WatchListPage::~WatchListPage() {
  if (context_.groups != nullptr) context_.groups->UnregisterGroupWatch(this);
}

bool WatchListPage::OnGroupChanged(int event, int, const quotes::ContractGroupList*) {
  if (event == quotes::kContractsAddedEvent || event == quotes::kContractsRemovedEvent) {
    FillChosen();
    FillUnchosen();
  }
  return true;
}

void WatchListPage::FillChosen() {
  chosenRows_ =
      context_.groups == nullptr ? std::vector<WatchRow>() : ChosenRows(tables_, OptionalGroupKeys(*context_.groups));
  Fill(right_, chosenRows_);
  if (rowToSelect_ < right_->rowCount()) right_->selectRow(rowToSelect_);
}

void WatchListPage::FillUnchosen() {
  const std::vector<quotes::ContractKey> chosen =
      context_.groups == nullptr ? std::vector<quotes::ContractKey>() : OptionalGroupKeys(*context_.groups);
  unchosenRows_ = UnchosenRows(tables_, ui::ToGbk(exchange_->currentText()), chosen);
  Fill(left_, unchosenRows_);
}

void WatchListPage::OnAdd() {
  const std::string groupName = ui::ToGbk(group_->currentText());
  const std::vector<int> selected = SelectedRows(left_);
  if (context_.groups == nullptr || groupName.empty() || selected.empty()) return;
  std::vector<quotes::ContractKey> keys;
  for (const int row : selected) keys.push_back(KeyOf(unchosenRows_[static_cast<std::size_t>(row)]));
  const std::vector<int> chosenSelection = SelectedRows(right_);
  rowToSelect_ = chosenSelection.empty() ? 0 : chosenSelection.front();
  for (const std::string& problem : AddWatchContracts(*context_.groups, groupName, keys)) {
    ui::ShowMessageBox(this, problem, kProgramTitle);
  }
}

void WatchListPage::OnRemove() {
  const std::string groupName = ui::ToGbk(group_->currentText());
  std::vector<int> selected = SelectedRows(right_);
  if (context_.groups == nullptr || groupName.empty() || selected.empty()) return;
  std::sort(selected.begin(), selected.end());
  std::vector<quotes::ContractKey> keys;
  for (const int row : selected) keys.push_back(KeyOf(chosenRows_[static_cast<std::size_t>(row)]));
  // The row that takes the first removed one's place, or the one before
  // when the last row goes.
  const int remaining = right_->rowCount() - static_cast<int>(selected.size());
  rowToSelect_ = std::max(0, std::min(selected.front(), remaining - 1));
  RemoveWatchContracts(*context_.groups, groupName, keys);
}

}  // namespace shell
