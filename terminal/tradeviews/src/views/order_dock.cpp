#include "tradeviews/views/order_dock.h"

#include <QApplication>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "client/settings_registry.h"
#include "tradeviews/model/engine_order_services.h"
#include "tradeviews/views/classic_order_view.h"
#include "tradeviews/views/property_order_view.h"
#include "tradeviews/views/row_order_view.h"
#include "ui/gbk_text.h"

namespace tradeviews {
namespace {

// The data record registered under the name, or null.
void* SettingsRecord(const client::ConfigRegistry* registry, std::string_view name) {
  if (registry == nullptr) return nullptr;
  for (const client::ConfigEntry& entry : registry->Entries()) {
    if (entry.Name() == name) return entry.data;
  }
  return nullptr;
}

}  // namespace

CTqOrderHostPanel::CTqOrderHostPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("CTqOrderHostPanel");
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
}

QSize CTqOrderHostPanel::minimumSizeHint() const { return view_ != nullptr ? view_->minimumSize() : QSize(); }

void CTqOrderHostPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (view_ == nullptr) return;
  view_->resize(size());
  view_->ContractEdit()->MoveDropDowns();
}

CTqDockableOrder::CTqDockableOrder(QWidget* parent, const ui::ViewContext& context, int style)
    : QWidget(parent), style_(style), scroller_(new QScrollArea(this)), host_(new CTqOrderHostPanel(scroller_)) {
  ownServices_ = std::make_unique<EngineOrderServices>(*context.engine, *context.orders);
  CreateView(*ownServices_, context);
}

CTqDockableOrder::CTqDockableOrder(QWidget* parent, OrderPanelServices& services, const ui::ViewContext& context,
                                   int style)
    : QWidget(parent), style_(style), scroller_(new QScrollArea(this)), host_(new CTqOrderHostPanel(scroller_)) {
  CreateView(services, context);
}

CTqDockableOrder::~CTqDockableOrder() {
  // The view works with the services: it goes first.
  delete scroller_;
}

void CTqDockableOrder::CreateView(OrderPanelServices& services, const ui::ViewContext& context) {
  setObjectName(ui::FromGbk("普通下单"));
  auto* settings = static_cast<client::OrderSettings*>(SettingsRecord(context.settings, "EntrustParamSetCommon"));
  const auto* varieties =
      static_cast<const client::VarietyParamRows*>(SettingsRecord(context.settings, "VarietyParamSet"));
  const OrderPanelContext panel{
      .services = &services,
      .settings = settings != nullptr ? settings : &defaultSettings_,
      .varieties = varieties != nullptr ? varieties : &noVarieties_,
      .commonSettingsArea = context.settings != nullptr ? context.settings->Find("EntrustParamSetCommon") : nullptr,
      .multiAccount = context.role == 1};
  CTqBasicOrderView* view = nullptr;
  switch (style_) {
    case 1: view = new CTqRowOrderView(host_, panel); break;
    case 2: view = new CTqPropertyOrderView(host_, panel); break;
    case 4: view = new CTqClassicOrderView(host_, panel); break;
    default: break;
  }
  host_->SetView(view);
  if (view != nullptr) view->setGeometry(0, 0, 1000, 200);
  scroller_->setFrameShape(QFrame::NoFrame);
  scroller_->setWidgetResizable(true);
  scroller_->setWidget(host_);
  host_->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroller_);
  // Tab and Enter move the focus along the panel: the part that takes it
  // comes into sight.
  QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now != nullptr && host_->isAncestorOf(now)) scroller_->ensureWidgetVisible(now);
  });
}

// A view laid out anew (another input sequence) may want more room.
bool CTqDockableOrder::eventFilter(QObject* watched, QEvent* event) {
  if (watched == host_ && event->type() == QEvent::LayoutRequest) {
    host_->updateGeometry();
    QCoreApplication::postEvent(scroller_, new QEvent(QEvent::LayoutRequest));
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tradeviews
