// "设置网关" and "设置代理服务器".
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "backend/field_text.h"
#include "program_title.h"
#include "shell/views/settings_pages.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"

namespace shell {
namespace {

using ui::Numbered;

constexpr int kServerColumns = 6;

// The sort of the last header click, shared by every such list.
ListSort& TheListSort() {
  static ListSort sort;
  return sort;
}

std::string Trimmed(const std::string& text) { return std::string(backend::TrimBlanks(text)); }

QLineEdit* AddressEdit(QWidget* parent, int id) {
  QLineEdit* edit = Numbered(new QLineEdit(parent), id);
  edit->setValidator(new QRegularExpressionValidator(
      QRegularExpression("((25[0-5]|2[0-4]\\d|1?\\d?\\d)\\.){0,3}(25[0-5]|2[0-4]\\d|1?\\d?\\d)?"), edit));
  return edit;
}

QLineEdit* DigitsEdit(QWidget* parent, int id) {
  QLineEdit* edit = Numbered(new QLineEdit(parent), id);
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d{0,9}"), edit));
  return edit;
}

// A port edit that takes no number above 65535.
QLineEdit* PortEdit(QWidget* parent, int id) {
  QLineEdit* edit = Numbered(new QLineEdit(parent), id);
  edit->setValidator(new QRegularExpressionValidator(
      QRegularExpression("(6553[0-5]|655[0-2]\\d|65[0-4]\\d\\d|6[0-4]\\d{3}|[1-5]\\d{4}|\\d{1,4})?"), edit));
  return edit;
}

}  // namespace

TraderServerPage::TraderServerPage(QWidget* parent, client::ConfigRegistry& registry)
    : SettingsPageBase(parent, registry, "CTQTraderServerSet") {
  auto* layout = new QVBoxLayout(this);
  auto* fields = new QGridLayout;
  name_ = Numbered(new QLineEdit(this), 1011);
  address_ = AddressEdit(this, 1170);
  port_ = DigitsEdit(this, 1018);
  const std::pair<const char*, QLineEdit*> labelled[] = {{"名称", name_}, {"地址", address_}, {"端口", port_}};
  int column = 0;
  for (const auto& [label, edit] : labelled) {
    fields->addWidget(new QLabel(ui::FromGbk(label), this), 0, column++);
    fields->addWidget(edit, 0, column++);
  }
  layout->addLayout(fields);
  auto* buttons = new QHBoxLayout;
  const std::pair<const char*, int> buttonSpecs[] = {
      {"增加", 1013}, {"修改", 1014}, {"删除", 1015}, {"手工测速", 1016}};
  std::vector<QPushButton*> pressed;
  for (const auto& [label, id] : buttonSpecs) {
    QPushButton* button = Numbered(new QPushButton(ui::FromGbk(label), this), id);
    button->setAutoDefault(false);
    buttons->addWidget(button);
    pressed.push_back(button);
  }
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(pressed[0], &QPushButton::clicked, this, [this] { OnAdd(); });
  connect(pressed[1], &QPushButton::clicked, this, [this] { OnChange(); });
  connect(pressed[2], &QPushButton::clicked, this, [this] { OnDelete(); });

  list_ = Numbered(new QTableWidget(0, kServerColumns, this), 1012);
  const std::pair<const char*, int> columns[] = {{"网关名称", 100}, {"地址", 150},    {"端口", 80},
                                                 {"延迟(ms)", 100}, {"负载(%)", 100}, {"综合值(越小越优)", 150}};
  for (int i = 0; i < kServerColumns; ++i) {
    list_->setHorizontalHeaderItem(i, new QTableWidgetItem(ui::FromGbk(columns[i].first)));
    list_->setColumnWidth(i, columns[i].second);
  }
  list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  list_->horizontalHeader()->setSortIndicatorShown(true);
  list_->verticalHeader()->hide();
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setShowGrid(true);
  layout->addWidget(list_, 1);
  connect(list_, &QTableWidget::itemSelectionChanged, this, [this] { OnRowChosen(); });
  connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { OnHeaderClick(c); });

  OpenArea("TraderServerConfig");
  if (list_->rowCount() > 0) {
    list_->selectRow(0);
    list_->setFocus();
  }
}

void TraderServerPage::AddServerRow(const std::vector<std::string>& cells) { InsertRowAt(cells, list_->rowCount()); }

int TraderServerPage::ServerRowCount() const { return list_->rowCount(); }

std::string TraderServerPage::ServerCell(int row, int column) const {
  const QTableWidgetItem* item = list_->item(row, column);
  return item == nullptr ? std::string() : ui::ToGbk(item->text());
}

GatewayFields TraderServerPage::EnteredFields() const {
  return {ui::ToGbk(name_->text()), ui::ToGbk(address_->text()), ui::ToGbk(port_->text())};
}

int TraderServerPage::SelectedRow() const {
  const QList<QTableWidgetSelectionRange> ranges = list_->selectedRanges();
  return ranges.isEmpty() ? -1 : ranges.front().topRow();
}

void TraderServerPage::InsertRowAt(const std::vector<std::string>& cells, int row) {
  list_->insertRow(row);
  for (int column = 0; column < kServerColumns; ++column) {
    const std::size_t index = static_cast<std::size_t>(column);
    list_->setItem(row, column, new QTableWidgetItem(ui::FromGbk(index < cells.size() ? cells[index] : "")));
  }
}

void TraderServerPage::OnAdd() {
  const GatewayFields fields = EnteredFields();
  if (const std::optional<std::string> problem = GatewayFieldsProblem(fields)) {
    ui::ShowMessageBox(this, *problem, kProgramTitle);
    return;
  }
  const std::string name = Trimmed(fields.name);
  for (int row = 0; row < list_->rowCount(); ++row) {
    if (Trimmed(ServerCell(row, 0)) == name) {
      ui::ShowMessageBox(this, fields.name + "名称 在列表已存在", kProgramTitle);
      return;
    }
  }
  AddServerRow({fields.name, fields.address, fields.port});
}

void TraderServerPage::OnChange() {
  const GatewayFields fields = EnteredFields();
  const int row = SelectedRow();
  if (row < 0) {
    ui::ShowMessageBox(this, "请选择需要修改的行", kProgramTitle);
    return;
  }
  const std::string rowName = ServerCell(row, 0);
  if (Trimmed(rowName) != Trimmed(fields.name)) {
    ui::ShowMessageBox(this, fields.name + "的名称 和选中行 " + rowName + "的名称 不一致", kProgramTitle);
    return;
  }
  if (const std::optional<std::string> problem = GatewayFieldsProblem(fields)) {
    ui::ShowMessageBox(this, *problem, kProgramTitle);
    return;
  }
  list_->removeRow(row);
  InsertRowAt({fields.name, fields.address, fields.port}, row);
  copiedRow_ = row;
  list_->selectRow(row);
}

void TraderServerPage::OnDelete() {
  const int row = SelectedRow();
  if (row < 0) {
    ui::ShowMessageBox(this, "请选择需要删除的行", kProgramTitle);
    return;
  }
  list_->removeRow(row);
  copiedRow_ = -1;
}

void TraderServerPage::OnRowChosen() {
  const int row = SelectedRow();
  if (row < 0 || row == copiedRow_) return;
  name_->setText(ui::FromGbk(ServerCell(row, 0)));
  address_->setText(ui::FromGbk(ServerCell(row, 1)));
  port_->setText(ui::FromGbk(ServerCell(row, 2)));
  copiedRow_ = row;
}

void TraderServerPage::OnHeaderClick(int column) {
  ListSort& sort = TheListSort();
  sort.Click(column);
  list_->horizontalHeader()->setSortIndicator(column, sort.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
  std::vector<std::string> cells;
  for (int row = 0; row < list_->rowCount(); ++row) cells.push_back(ServerCell(row, column));
  std::vector<std::vector<QTableWidgetItem*>> taken;
  for (const int row : SortedRows(cells, sort.descending)) {
    std::vector<QTableWidgetItem*> items;
    for (int c = 0; c < kServerColumns; ++c) items.push_back(list_->takeItem(row, c));
    taken.push_back(std::move(items));
  }
  for (int row = 0; row < static_cast<int>(taken.size()); ++row) {
    for (int c = 0; c < kServerColumns; ++c) list_->setItem(row, c, taken[static_cast<std::size_t>(row)][c]);
  }
  list_->clearSelection();
  copiedRow_ = -1;
}

ProxyServerPage::ProxyServerPage(QWidget* parent, client::ConfigRegistry& registry)
    : SettingsPageBase(parent, registry, "CTQProxyServerSet") {
  auto* outer = new QVBoxLayout(this);
  auto* box = new QGroupBox(ui::FromGbk("代理服务器"), this);
  auto* layout = new QGridLayout(box);
  type_ = Numbered(new QComboBox(box), 1058);
  for (const char* item : kProxyTypeItems) type_->addItem(ui::FromGbk(item));
  address_ = AddressEdit(box, 1059);
  port_ = PortEdit(box, 1060);
  verify_ = Numbered(new QCheckBox(ui::FromGbk("验证用户"), box), 1057);
  user_ = Numbered(new QLineEdit(box), 1061);
  password_ = Numbered(new QLineEdit(box), 1062);
  password_->setEchoMode(QLineEdit::Password);
  const std::pair<const char*, QWidget*> rows[] = {{"代理类型", type_}, {"地址", address_}, {"端口", port_},
                                                   {"", verify_},       {"用户", user_},    {"密码", password_}};
  int row = 0;
  for (const auto& [label, control] : rows) {
    layout->addWidget(new QLabel(ui::FromGbk(label), box), row, 0);
    layout->addWidget(control, row++, 1);
  }
  outer->addWidget(box);
  outer->addStretch(1);
  type_->setCurrentIndex(0);
  OpenArea("ProxyServerSet");
  ApplyType(true);
  connect(type_, &QComboBox::activated, this, [this] { ApplyType(false); });
  connect(verify_, &QCheckBox::clicked, this, [this] { EnableUser(); });
}

void ProxyServerPage::ApplyType(bool keepTexts) {
  if (!keepTexts) {
    for (QLineEdit* edit : {address_, port_, user_, password_}) edit->clear();
  }
  const ProxyEnabling enabling = ProxyEnablingOf(type_->currentIndex());
  address_->setEnabled(enabling.address);
  port_->setEnabled(enabling.port);
  verify_->setEnabled(enabling.verifyBox);
  if (enabling.uncheckBox) verify_->setChecked(false);
  EnableUser();
}

void ProxyServerPage::EnableUser() {
  user_->setEnabled(verify_->isChecked());
  password_->setEnabled(verify_->isChecked());
}

void ProxyServerPage::ShowRecord(const ProxySettings& record) {
  if (const std::optional<int> item = ProxyItemOfType(record.server.proxyType)) type_->setCurrentIndex(*item);
  address_->setText(ui::FromGbk(FieldText(record.server.proxyIp)));
  port_->setText(QString::number(record.server.proxyPort));
  verify_->setChecked(record.verifyUser);
  user_->setText(ui::FromGbk(FieldText(record.server.user)));
  password_->setText(ui::FromGbk(FieldText(record.server.userPassword)));
}

void ProxyServerPage::ReadRecord(ProxySettings& record) {
  const int item = type_->findText(type_->currentText());
  if (item >= 0) record.server.proxyType = ProxyTypeOfItem(item, verify_->isChecked());
  SetField(record.server.proxyIp, ui::ToGbk(address_->text()));
  const int port = backend::ParseDecimal(backend::TrimBlanks(ui::ToGbk(port_->text()))).value_or(0);
  record.server.proxyPort = static_cast<std::uint16_t>(port >= 0 && port <= 0xFFFF ? port : 0);
  record.verifyUser = verify_->isChecked();
  SetField(record.server.user, ui::ToGbk(user_->text()));
  SetField(record.server.userPassword, ui::ToGbk(password_->text()));
}

}  // namespace shell
