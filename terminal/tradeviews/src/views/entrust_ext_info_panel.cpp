#include "tradeviews/views/entrust_ext_info_panel.h"

#include <QLabel>

#include "tradeviews/model/order_entry.h"
#include "ui/dialog_base.h"
#include "ui/gbk_text.h"

namespace tradeviews {
namespace {

constexpr int kFundsId = 1255;
constexpr int kHoldingsId = 1256;

}  // namespace

CTqEntrustExtInfoPanel::CTqEntrustExtInfoPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("CTqEntrustExtInfoPanel");
  const std::pair<int, std::string_view> fields[] = {
      {kFundsId, "可用金"}, {kHoldingsId, "买持/卖持"}, {1257, "最大量"}, {1258, "跌停价"}, {1141, "涨停价"}};
  int y = 8;
  for (const auto& [id, caption] : fields) {
    auto* label = new QLabel(ui::FromGbk(caption), this);
    label->setGeometry(6, y + 3, 64, 20);
    auto* edit = new QLineEdit(this);
    ui::SetControlId(edit, id);
    edit->setReadOnly(true);
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setGeometry(72, y, 110, 24);
    y += 30;
  }
}

void CTqEntrustExtInfoPanel::ShowFundsAndHoldings(const engine::QuantityRecord& answer) {
  ui::FindControl<QLineEdit>(this, kFundsId)->setText(ui::FromGbk(FundsText(answer)));
  ui::FindControl<QLineEdit>(this, kHoldingsId)->setText(ui::FromGbk(HoldingsText(answer)));
}

}  // namespace tradeviews
