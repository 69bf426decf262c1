#include "tradeviews/views/query_bar.h"

#include <QVBoxLayout>

#include "tradeviews/views/bar_dialogs.h"
#include "ui/context_menus.h"
#include "ui/dialog_base.h"
#include "ui/grid_export_dialog.h"
#include "ui/message_box.h"

namespace tradeviews {
namespace {

// The windows the row actions open, over the bar.
class DialogPrompts final : public BarPrompts {
 public:
  DialogPrompts(QWidget* owner, BarServices& services) : owner_(owner), services_(services) {}

  void ShowMessage(std::string_view text) override { ui::ShowMessageBox(owner_, text, ApplicationTitle()); }
  bool AskOkCancel(std::string_view text) override {
    return ui::RunMessageBox(owner_, text, ApplicationTitle(), ui::Buttons::kOkCancel, ui::BoxIcon::kQuestion) ==
           ui::Answer::kOk;
  }
  void ShowChangePrice(const ChangePriceRecord& record) override {
    CChgPriceOrder dialog(owner_, record, services_);
    dialog.exec();
  }
  void ShowReverseOrder(const PositionOrderRecord& record) override {
    CReverseOrder dialog(owner_, record, services_);
    dialog.exec();
  }

 private:
  QWidget* owner_;
  BarServices& services_;
};

}  // namespace

CTQReturnViewBar::CTQReturnViewBar(QWidget* parent, const ui::ViewContext& context, QueryBarLayout spec,
                                   std::unique_ptr<BarServices> services, std::optional<BarTableKind> table)
    : QWidget(parent),
      spec_(std::move(spec)),
      registry_(context.registry),
      institution_(context.role == 1),
      services_(std::move(services)),
      prompts_(std::make_unique<DialogPrompts>(this, *services_)),
      lookups_(services_->Engine()),
      menu_(new QMenu(this)) {
  rows_.SetColumns(spec_.columns);
  if (table) table_.emplace(*table, rows_, lookups_);
  grid_ = new ui::CFilterGridCtrl(rows_, this);
  ui::SetControlId(grid_, spec_.gridId);
  grid_->SetListener(this);
  menu_->setObjectName("barMenu");
  connect(menu_, &QMenu::triggered, this, [this](QAction* action) { RunCommand(ui::CommandOf(action)); });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(grid_);
  if (registry_ != nullptr) grid_->LoadState(*registry_, spec_.gridStateName);
  // Whatever the saved layout says, the account column follows the
  // terminal's kind.
  if (spec_.accountColumn) grid_->SetColumnVisible(kAccountColumn, institution_);
}

CTQReturnViewBar::~CTQReturnViewBar() {
  if (registry_ != nullptr) grid_->SaveState(*registry_, spec_.gridStateName);
  grid_->SetListener(nullptr);
}

void CTQReturnViewBar::OnTableChanged(const engine::TableChangeRecord& record) {
  if (table_) table_->Apply(record);
}

bool CTQReturnViewBar::RunCommand(int commandId) {
  switch (commandId) {
    case bar_command::kExportCsv: ExportToCSV(); return true;
    case bar_command::kExportHtml: ExportToHtml(); return true;
    default: return OnCommand(commandId);
  }
}

void CTQReturnViewBar::ExportToCSV() { ui::ExportGrid(*grid_, ui::ExportKind::kCsv, spec_.gridStateName); }

void CTQReturnViewBar::ExportToHtml() { ui::ExportGrid(*grid_, ui::ExportKind::kHtml, spec_.gridStateName); }

void CTQReturnViewBar::AppendMenuItems(QMenu&) {}

bool CTQReturnViewBar::OnCommand(int) { return false; }

void CTQReturnViewBar::OnGridContextMenu(const ui::GridMouse& mouse) {
  const auto has = [this](int id) {
    for (const QAction* action : menu_->actions()) {
      if (ui::CommandOf(action) == id) return true;
    }
    return false;
  };
  if (!has(bar_command::kExportCsv)) {
    AppendMenuItems(*menu_);
    menu_->addSeparator();
    ui::AddCommand(menu_, bar_command::kExportCsv, "导出到CSV(&V)");
    ui::AddCommand(menu_, bar_command::kExportHtml, "导出到Html(&H)");
  }
  for (QAction* action : menu_->actions()) {
    const int id = ui::CommandOf(action);
    if (id == bar_command::kExportCsv || id == bar_command::kExportHtml) action->setEnabled(rows_.RowCount() > 0);
  }
  menu_->popup(grid_->viewport()->mapToGlobal(mouse.point));
}

void CTQReturnViewBar::OnGridDblClk(const ui::GridMouse&) {}

const ui::GridRow* CTQReturnViewBar::SelectedRow() const {
  const std::optional<ui::RowId> id = grid_->SelectedRow();
  return id ? rows_.Row(*id) : nullptr;
}

const ui::GridRow* CTQReturnViewBar::RowAt(QPoint point) const {
  const std::optional<ui::RowId> id = grid_->RowAt(point);
  return id ? rows_.Row(*id) : nullptr;
}

}  // namespace tradeviews
