#include "tradeviews/views/register_query_bars.h"

#include <QPointer>

#include "tradeviews/model/client_bar_services.h"
#include "tradeviews/views/query_bars.h"
#include "ui/view_receivers.h"

namespace tradeviews {
namespace {

// A bar of the running terminal that follows its engine table. The frame's
// receivers may outlive the bar: a bar that is gone hears nothing.
template <class Bar>
void RegisterTableBar(ui::ViewFactories& factories, int barId, int tableId) {
  factories.SetBarFactory(barId, [tableId](QWidget* parent, const ui::ViewContext& context) -> QWidget* {
    auto* bar = new Bar(parent, context, std::make_unique<ClientBarServices>(context));
    if (context.receivers != nullptr) {
      context.receivers->AddTableReceiver(tableId,
                                          [guard = QPointer<Bar>(bar)](const engine::TableChangeRecord& record) {
                                            if (guard) guard->OnTableChanged(record);
                                          });
    }
    return bar;
  });
}

}  // namespace

void RegisterQueryBars(ui::ViewFactories& factories) {
  RegisterTableBar<CTQDoneReturnViewBar>(factories, kTradeBarId, kTradeTable);
  RegisterTableBar<CTQEntrustReturnViewBar>(factories, kOrderBarId, kOrderTable);
  RegisterTableBar<CTQFundQueryViewBar>(factories, kFundBarId, kFundTable);
  RegisterTableBar<CTQPositionQueryViewBar>(factories, kPositionBarId, kPositionTable);
  factories.SetBarFactory(kContractBarId, [](QWidget* parent, const ui::ViewContext& context) -> QWidget* {
    auto* bar = new CTQContractQueryViewBar(parent, context, std::make_unique<ClientBarServices>(context));
    if (context.receivers != nullptr) {
      context.receivers->AddContractsReadyListener([guard = QPointer(bar)] {
        if (guard) guard->LoadContracts();
      });
    }
    return bar;
  });
}

}  // namespace tradeviews
