#include "tradeviews/views/query_form_view.h"

#include <QVBoxLayout>

#include "backend/account_table.h"
#include "order_module/order_record.h"
#include "platform/clock.h"
#include "ui/colours_fonts.h"
#include "ui/context_menus.h"
#include "ui/dialog_base.h"
#include "ui/grid_export_dialog.h"
#include "ui/message_box.h"
#include "ui/order_form.h"
#include "ui/registry_store.h"
#include "ui/view_receivers.h"

namespace tradeviews {
namespace {

constexpr int kGridFontPixels = 14;

}  // namespace

CTQOtherQryBaseView::CTQOtherQryBaseView(QWidget* parent, const ui::ViewContext& context, int templateId)
    : QWidget(parent),
      context_(context),
      strip_(new QWidget(this)),
      stripLayout_(new QHBoxLayout(strip_)),
      grid_(new ui::CTQGridCtrl(rows_, this)) {
  setProperty("formId", templateId);
  strip_->setObjectName("strip");
  strip_->setFixedHeight(kStripHeight);
  stripLayout_->setContentsMargins(4, 2, 4, 2);
  grid_->SetListener(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 1);
  layout->setSpacing(0);
  layout->addWidget(strip_);
  layout->addWidget(grid_, 1);
}

CTQOtherQryBaseView::~CTQOtherQryBaseView() {
  if (!gridStateName_.empty() && context_.registry != nullptr) grid_->SaveState(*context_.registry, gridStateName_);
  // The grid reads the row store: it goes before the store does.
  delete grid_;
}

void CTQOtherQryBaseView::Create() {
  InitGridParams();
  InitGridStyle();
  if (!gridStateName_.empty() && context_.registry != nullptr) grid_->LoadState(*context_.registry, gridStateName_);
  menu_ = std::make_unique<QMenu>();
  menu_->setObjectName("queryViewMenu");
  QObject::connect(ui::AddCommand(menu_.get(), kExportCsvCommand, "导出到CSV(&V)"), &QAction::triggered, this,
                   [this] { ExportToCSV(); });
}

void CTQOtherQryBaseView::OnTableChanged(const engine::TableChangeRecord&) {}

void CTQOtherQryBaseView::InitGridParams() {
  gridId_ = kQueryGridId;
  asynchronous_ = 0;
  gridStateName_.clear();
}

void CTQOtherQryBaseView::InitGridStyle() {
  ui::SetControlId(grid_, gridId_);
  QFont font = ui::FontOf("宋体", 10, ui::FontPitch::kFixed);
  font.setPixelSize(kGridFontPixels);
  font.setWeight(QFont::Normal);
  grid_->setFont(font);
  InitColumns();
  ui::InsertGridColumns(rows_, columns_);
}

bool CTQOtherQryBaseView::DoQuery(backend::CxDataSet&) { return true; }
void CTQOtherQryBaseView::ShowQueryResult(const backend::CxDataSet&) {}

void CTQOtherQryBaseView::QueryWithThrottle() {
  int secondsLeft = 0;
  if (!throttle_.Allow(platform::TickCount(), secondsLeft)) {
    ShowMessage(WaitMessage(secondsLeft));
    return;
  }
  backend::CxDataSet result;
  if (DoQuery(result) && asynchronous_ == 0) ShowQueryResult(result);
}

void CTQOtherQryBaseView::ExportToCSV() { ui::ExportGrid(*grid_, ui::ExportKind::kCsv, CsvFileName(gridStateName_)); }

void CTQOtherQryBaseView::ShowMessage(std::string_view text, std::string_view caption) {
  ui::ShowMessageBox(this, text, caption);
}

void CTQOtherQryBaseView::Output(int type, std::string_view text) const {
  if (context_.output) context_.output(type, text);
}

bool CTQOtherQryBaseView::ChosenCustomer(std::string& customerNo) {
  order_module::OrderRecord record{};
  engine::SetText(record.customerNo, context_.customerNo);
  std::string message;
  ui::OrderForm* form = context_.receivers == nullptr ? nullptr : context_.receivers->Form();
  if (form != nullptr && !form->BuildOrderRecord(record, message, false)) {
    ShowMessage(message);
    return false;
  }
  customerNo = std::string(engine::Text(record.customerNo));
  if (customerNo.empty()) {
    ShowMessage("请选择一个客户再查询！");
    return false;
  }
  return true;
}

void CTQOtherQryBaseView::ShowRows(const std::vector<Cells>& rows) {
  std::vector<std::pair<ui::GridRow, ui::RowKey>> gridRows;
  for (const Cells& cells : rows) gridRows.emplace_back(RowOf(cells), ui::RowKey{});
  rows_.ReplaceRows(std::move(gridRows));
}

ui::GridRow CTQOtherQryBaseView::RowOf(const Cells& cells) const { return RowOfCells(rows_, cells); }

}  // namespace tradeviews
