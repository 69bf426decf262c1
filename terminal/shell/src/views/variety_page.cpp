// "品种参数设置": the per-contract order parameters, edited in a working copy
// that OK hands to the area.
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include "engine/query_facade.h"
#include "program_title.h"
#include "shell/views/settings_pages.h"
#include "ui/gbk_text.h"
#include "ui/message_box.h"
#include "ui/registry_store.h"

namespace shell {
namespace {

constexpr const char* kVarietyGridState = "GridStateVarietyParamSet";
constexpr int kCodeColumn = 2;
constexpr int kFirstLotsColumn = 3;
constexpr int kFirstOffsetColumn = 6;
constexpr int kColumns = 9;

// The in-place editor takes digits, and in the offset columns a point.
class NumberCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    auto* editor = new QLineEdit(parent);
    const QString pattern = index.column() >= kFirstOffsetColumn ? "[0-9.]*" : "[0-9]*";
    editor->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), editor));
    return editor;
  }
};

}  // namespace

// The grid that hands each stored edit to the page.
class VarietyParamPage::EditedGrid : public ui::CTQGridCtrl {
 public:
  EditedGrid(ui::GridModel& rows, VarietyParamPage* page) : ui::CTQGridCtrl(rows, page), page_(page) {}

 protected:
  void OnItemChanged(ui::RowId id, int column) override {
    ui::CTQGridCtrl::OnItemChanged(id, column);
    page_->OnCellEdited(id, column);
  }

 private:
  VarietyParamPage* page_;
};

VarietyParamPage::VarietyParamPage(QWidget* parent, client::ConfigRegistry& registry,
                                   const SettingsPageContext& context)
    : SettingsPageBase(parent, registry, "CTQVarietyParamSet"), context_(context) {
  auto* layout = new QVBoxLayout(this);
  auto* strip = new QHBoxLayout;
  exchange_ = new QComboBox(this);
  ui::SetControlId(exchange_, 1101);
  variety_ = new QComboBox(this);
  ui::SetControlId(variety_, 1102);
  lots_ = new QLineEdit(this);
  ui::SetControlId(lots_, 1100);
  lots_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), lots_));
  auto* batch = new QPushButton(ui::FromGbk("批量设置"), this);
  ui::SetControlId(batch, 1103);
  batch->setAutoDefault(false);
  const std::pair<const char*, QWidget*> controls[] = {{"交易所", exchange_}, {"品种", variety_}, {"默认手数", lots_}};
  for (const auto& [label, control] : controls) {
    strip->addWidget(new QLabel(ui::FromGbk(label), this));
    strip->addWidget(control);
  }
  strip->addWidget(batch);
  strip->addStretch(1);
  layout->addLayout(strip);

  // The tables are read unless the engine is busy; busy, the lists hold
  // "全部" alone.
  if (context_.engine != nullptr) model_.SetTables(ReadPageTables(*context_.engine));
  for (const std::string& item : model_.ExchangeItems()) exchange_->addItem(ui::FromGbk(item));
  for (const std::string& item : model_.VarietyItems(kAllItems)) variety_->addItem(ui::FromGbk(item));
  if (exchange_->count() == 0) exchange_->addItem(ui::FromGbk(kAllItems));

  ui::InsertGridColumns(rows_, {ui::ColumnSpec("交易所", 50, ui::kAlignLeft),
                                ui::ColumnSpec("品种", 80, ui::kAlignLeft), ui::ColumnSpec("合约", 50, ui::kAlignLeft),
                                ui::ColumnSpec("默认手数", 80), ui::ColumnSpec("最大现价拆单手数", 120),
                                ui::ColumnSpec("最大市价拆单手数", 120), ui::ColumnSpec("止盈价偏移", 100),
                                ui::ColumnSpec("止损价偏移", 100), ui::ColumnSpec("盈损平仓价格偏移", 120)});
  grid_ = new EditedGrid(rows_, this);
  ui::SetControlId(grid_, 61530);
  grid_->setItemDelegate(new NumberCellDelegate(grid_));
  if (context_.layouts != nullptr) grid_->LoadState(*context_.layouts, kVarietyGridState);
  layout->addWidget(grid_, 1);

  // The area's rows follow the engine's contracts and the file.
  if (client::CTQConfig* area = registry.Find("VarietyParamSet")) area->Load();
  OpenArea("VarietyParamSet");

  connect(exchange_, &QComboBox::activated, this, [this] { OnExchangeChosen(); });
  connect(variety_, &QComboBox::activated, this, [this] { OnVarietyChosen(); });
  connect(batch, &QPushButton::clicked, this, [this] { OnBatch(); });
}

VarietyParamPage::~VarietyParamPage() {
  if (context_.layouts != nullptr) grid_->SaveState(*context_.layouts, kVarietyGridState);
}

void VarietyParamPage::ShowRecord(const client::VarietyParamRows& rows) {
  model_.SetRows(rows);
  FillGrid();
}

void VarietyParamPage::ReadRecord(client::VarietyParamRows& rows) { rows = model_.Rows(); }

void VarietyParamPage::FillGrid() {
  std::vector<std::pair<ui::GridRow, ui::RowKey>> shown;
  for (const std::size_t index : model_.ShownRows(exchangeName_, varietyName_)) {
    const client::VarietyParamRow& row = model_.Rows()[index];
    ui::GridRow cells = ui::CreateGridRow(rows_);
    for (int column = 0; column < kColumns; ++column) {
      cells.SetText(column, VarietyPageModel::CellText(row, column));
      cells.SetEditable(column, column >= kFirstLotsColumn);
    }
    shown.emplace_back(std::move(cells), ui::HashRowKey(FieldText(row.contractCode)));
  }
  rows_.ReplaceRows(std::move(shown));
}

void VarietyParamPage::OnExchangeChosen() {
  exchangeName_ = ui::ToGbk(exchange_->currentText());
  const std::string previous = model_.VarietyCodeOfName(varietyName_);
  variety_->clear();
  for (const std::string& item : model_.VarietyItems(exchangeName_)) variety_->addItem(ui::FromGbk(item));
  const int kept = variety_->findText(ui::FromGbk(previous));
  variety_->setCurrentIndex(kept >= 0 ? kept : 0);
  OnVarietyChosen();
}

// The grid shows the working copy again, with the edits made so far.
void VarietyParamPage::OnVarietyChosen() {
  varietyName_ = model_.VarietyName(ui::ToGbk(variety_->currentText()));
  FillGrid();
}

void VarietyParamPage::OnBatch() {
  const std::string lots = ui::ToGbk(lots_->text());
  const std::string exchange = ui::ToGbk(exchange_->currentText());
  const std::string varietyCode = ui::ToGbk(variety_->currentText());
  const std::string question =
      VarietyPageModel::BatchQuestion(lots, exchange, varietyCode, model_.VarietyName(varietyCode));
  if (!ui::AskYesNo(this, question, kProgramTitle)) return;
  model_.ApplyBatch(exchange, varietyCode, lots);
  FillGrid();
}

void VarietyParamPage::OnCellEdited(ui::RowId id, int column) {
  const ui::GridRow* row = rows_.Row(id);
  if (row == nullptr) return;
  const std::optional<VarietyPageModel::Edit> edit = model_.ApplyEdit(
      row->Text(kCodeColumn), column, row->Text(column), [this](std::string_view code, std::string_view price) {
        return context_.engine == nullptr || engine::CheckPriceTick(*context_.engine, code, price);
      });
  if (!edit) return;
  ui::GridRow shown = *row;
  shown.SetText(column, edit->cellText);
  rows_.UpdateRow(id, std::move(shown));
  // Told once the editor has closed.
  if (edit->refused) {
    QTimer::singleShot(0, this, [this] { ui::ShowMessageBox(this, "你输入的价格不符合最小变动价位", kProgramTitle); });
  }
}

}  // namespace shell
