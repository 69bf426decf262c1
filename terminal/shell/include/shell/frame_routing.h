// Where the main frame sends what the back-end client, the engine and the
// order module hand it: connection states to the status panes and the output
// pane, table changes to the bars and views, cancel answers to output lines;
// and the filter of the document tabs' context menu. No toolkit.
#pragma once

#include <string>
#include <vector>

#include "backend/request_record.h"

namespace shell {

inline constexpr int kTradingStatePane = 59143;
inline constexpr int kQuoteStatePane = 59144;

struct ConnectionDisplay {
  bool shown = false;    // false: states of 4 and above are ignored
  std::string line;      // the output line (type 4)
  int pane = 0;          // the status pane, 0 for none
  std::string paneText;  // its text and tip
};

// State 1 connected, 2 and 3 reconnecting, others disconnected; slot 0 is the
// trading gateway, `quoteSlot` the market gateway, other slots get a line
// without a prefix and no pane.
ConnectionDisplay DescribeConnectionState(int state, int slot, int quoteSlot);

enum class TableView { kFundBar, kOrderBar, kTradeBar, kPositionBar, kExerciseApplyView, kExerciseOrdersView };
// The views a table change goes to, in order; none for other tables.
std::vector<TableView> RouteTableChange(int tableId);

// The type-1 output lines of a batch cancel's answer: per sub-request its
// error, or "撤单：<field 6>|<field 9>|", or "接收撤单异常错误！"; one line
// "多笔撤单没有返回结果！" for a request without sub-requests.
std::vector<std::string> CancelResultLines(const backend::RequestRecord& record);

// The document tabs' context menu: the items of menu 146 (dropping a tab) or
// 147 after taking out those the toolkit does not allow (bit 2 new vertical
// group 32875, bit 1 new horizontal group 32876, bit 8 next group 32877,
// bit 4 previous group 32878, bit 16 tabbed document 32874) and 32880
// always. The menu is shown only when more than one item remains.
std::vector<int> TabMenuItems(bool dropping, unsigned allowedItems);
bool ShowTabMenu(const std::vector<int>& items);

}  // namespace shell
