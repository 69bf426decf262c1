#include "marketviews/views/market_view.h"

#include <QPointer>
#include <QScrollBar>
#include <QVBoxLayout>

#include "order_module/order_submission.h"
#include "ui/gbk_text.h"
#include "ui/grid_state.h"
#include "ui/header_layout.h"
#include "ui/order_form.h"
#include "ui/view_receivers.h"

namespace marketviews {

CTQMarketView::CTQMarketView(MarketRows& rows, ui::RegistryStore* registry, QWidget* parent)
    : CTQMarketView(rows, registry, new CTQMarketGridCtrl(rows.Rows()), parent) {}

CTQMarketView::CTQMarketView(MarketRows& rows, ui::RegistryStore* registry, CTQMarketGridCtrl* grid, QWidget* parent)
    : QWidget(parent), rows_(rows), registry_(registry), grid_(grid) {
  setObjectName(rows.IsOptionGrid() ? "CTQMarketOptionView" : "CTQMarketView");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(grid_);
  if (registry_ != nullptr) {
    if (const auto state = ui::LoadGridState(*registry_, rows_.Title(), rows_.Rows().ColumnCount())) {
      ui::ApplyHeaderLayout(*grid_->horizontalHeader(), *state);
    }
  }
}

CTQMarketView::~CTQMarketView() {
  if (registry_ != nullptr) {
    ui::SaveGridState(*registry_, rows_.Title(), ui::CaptureHeaderLayout(*grid_->horizontalHeader(), rows_.Rows()));
  }
}

CTQMarketOptionView::CTQMarketOptionView(MarketRows& rows, QWidget* parent)
    : CTQMarketView(rows, nullptr, new CTQMarketOptionGridCtrl(rows.Rows()), parent) {}

CQuentaraView::CQuentaraView(const ui::ViewContext& context, int kind, QWidget* parent)
    : QTabWidget(parent),
      context_(context),
      model_(std::make_unique<MarketTabs>(*context.quotes, kind, [engine = context.engine] {
        return engine == nullptr ? ContractCatalogue() : ContractCatalogue::FromEngine(*engine);
      })) {
  setObjectName("CQuentaraView");
  setTabPosition(QTabWidget::South);
  setDocumentMode(true);
  connect(this, &QTabWidget::currentChanged, this, [this](int index) {
    if (!building_) model_->OnTabActivated(index);
  });
  model_->SetRefilledHandler([this](int tab, int windowTop) { OnRefilled(tab, windowTop); });
  if (context_.receivers != nullptr) {
    context_.receivers->AddContractsReadyListener([view = QPointer<CQuentaraView>(this)] {
      if (view) view->Refresh();
    });
  }
  Refresh();
}

// The tabs' rows belong to the model: the windows over them go first.
CQuentaraView::~CQuentaraView() { RemoveTabs(); }

void CQuentaraView::RemoveTabs() {
  building_ = true;
  while (count() > 0) {
    QWidget* tab = widget(0);
    removeTab(0);
    delete tab;
  }
}

CTQMarketView* CQuentaraView::TabView(int index) const { return static_cast<CTQMarketView*>(widget(index)); }

void CQuentaraView::Refresh() {
  if (!model_->Stale()) return;
  RemoveTabs();
  model_->Refresh();
  BuildTabs();
}

void CQuentaraView::BuildTabs() {
  for (int index = 0; index < model_->TabCount(); ++index) {
    MarketRows& rows = model_->Tab(index);
    CTQMarketView* view =
        rows.IsOptionGrid() ? new CTQMarketOptionView(rows) : new CTQMarketView(rows, context_.registry);
    view->Grid().SetScrollHandler(
        [this, index](const ScrollPosition& scroll) { model_->OnTabScrolled(index, scroll); });
    view->Grid().SetCellPressHandler([this, index](int row, int column) { OnCellPressed(index, row, column); });
    addTab(view, ui::FromGbk(rows.Title()));
  }
  building_ = false;
  // The option groups open at their current group, the futures at the
  // first.
  const int initial = model_->Kind() == quotes::kOptionKind ? model_->CurrentGroupTab() : 0;
  if (initial >= 0 && initial < count()) setCurrentIndex(initial);
  model_->OnTabActivated(currentIndex());
  if (isVisible()) Activate();
}

void CQuentaraView::showEvent(QShowEvent* event) {
  QTabWidget::showEvent(event);
  Activate();
}

void CQuentaraView::Activate() {
  const int tab = model_->OnViewActivated();
  if (tab >= 0) setCurrentIndex(tab);
  model_->OnTabActivated(currentIndex());
}

void CQuentaraView::OnCellPressed(int tab, int row, int column) {
  const ClickContext click{
      .priceLevel = OrderPriceLevel(context_), .role = context_.role, .customerNo = context_.customerNo};
  const std::optional<order_module::OrderRecord> order = model_->ClickOrder(tab, row, column, click);
  if (!order || context_.receivers == nullptr) return;
  if (ui::OrderForm* form = context_.receivers->Form()) form->FillFromOrderRecord(*order);
}

void CQuentaraView::OnRefilled(int tab, int windowTop) {
  if (CTQMarketView* view = TabView(tab)) view->Grid().verticalScrollBar()->setValue(windowTop);
}

int OrderPriceLevel(const ui::ViewContext& context) {
  return context.orderSettings == nullptr ? 0 : context.orderSettings->EntrySettings().priceLevel;
}

}  // namespace marketviews
