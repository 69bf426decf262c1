// The row fill of each query bar: the grid row it shows for one engine row,
// with its texts and colours, and the key by which a table-change record
// finds that grid row again. A fill writes into `blank` when given one (a
// grid's NewRow, whose block it reuses), else into a new row. No toolkit.
#pragma once

#include "engine/reference_rows.h"
#include "engine/trading_rows.h"
#include "tradeviews/model/bar_cells.h"
#include "ui/grid_row.h"
#include "ui/row_keys.h"

namespace tradeviews {

ui::GridRow OrderGridRow(const engine::OrderRow& order, BarLookups& lookups, ui::GridRow blank = {});
// Of the placing seat, the contract code and the order number.
ui::RowKey OrderRowKeyOf(const engine::OrderRow& order);

ui::GridRow TradeGridRow(const engine::TradeRow& trade, BarLookups& lookups, ui::GridRow blank = {});
// Of the order number: the trades of one order share it.
ui::RowKey TradeRowKeyOf(const engine::TradeRow& trade);

ui::GridRow FundGridRow(const engine::FundRow& fund, ui::GridRow blank = {});
// Of the customer number.
ui::RowKey FundRowKeyOf(const engine::FundRow& fund);

ui::GridRow PositionGridRow(const engine::PositionSummaryRow& position, BarLookups& lookups, ui::GridRow blank = {});
ui::RowKey PositionRowKeyOf(const engine::PositionSummaryRow& position);
// The shown row after an update of its position: the volumes, profits,
// prices, margins and product kind anew, the other columns as shown.
ui::GridRow RefreshedPositionGridRow(const ui::GridRow& shown, const engine::PositionSummaryRow& position,
                                     BarLookups& lookups);

ui::GridRow ContractGridRow(const engine::ContractRow& contract);

}  // namespace tradeviews
