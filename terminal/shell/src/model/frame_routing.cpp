#include "shell/frame_routing.h"

#include <algorithm>

#include "backend/field_text.h"

namespace shell {
namespace {

constexpr int kTabbedDocument = 32874;
constexpr int kNewVerticalGroup = 32875;
constexpr int kNewHorizontalGroup = 32876;
constexpr int kNextGroup = 32877;
constexpr int kPreviousGroup = 32878;
constexpr int kCancel = 32879;
constexpr int kClose = 32880;

std::string_view LineText(const backend::CxDataSet& answer, std::size_t index) {
  const std::span<const std::uint8_t> value = answer.GetValue(index);
  std::string_view text(reinterpret_cast<const char*>(value.data()), value.size());
  while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  return text;
}

}  // namespace

ConnectionDisplay DescribeConnectionState(int state, int slot, int quoteSlot) {
  ConnectionDisplay display;
  if (state >= 4) return display;
  display.shown = true;
  std::string prefix;
  if (slot == 0) {
    prefix = "交易网关：";
    display.paneText = "交易:";
    display.pane = kTradingStatePane;
  } else if (slot == quoteSlot) {
    prefix = "行情网关：";
    display.paneText = "行情:";
    display.pane = kQuoteStatePane;
  }
  if (state == 1) {
    display.line = prefix + "已经连接。";
    display.paneText += "正常";
  } else if (state == 2 || state == 3) {
    display.line = prefix + "正在重新连接。";
    display.paneText += "重连";
  } else {
    display.line = prefix + "断开连接。";
    display.paneText += "断连";
  }
  if (display.pane == 0) display.paneText.clear();
  return display;
}

std::vector<TableView> RouteTableChange(int tableId) {
  switch (tableId) {
    case 1: return {TableView::kFundBar};
    case 2: return {TableView::kOrderBar};
    case 4: return {TableView::kTradeBar};
    case 5: return {TableView::kPositionBar, TableView::kExerciseApplyView};
    case 20: return {TableView::kExerciseApplyView};
    case 21: return {TableView::kExerciseOrdersView};
    default: return {};
  }
}

std::vector<std::string> CancelResultLines(const backend::RequestRecord& record) {
  if (record.count <= 0) return {"多笔撤单没有返回结果！"};
  std::vector<std::string> lines;
  for (int index = 0; index < record.count; ++index) {
    std::string message;
    if (backend::CheckReplyResult(index, message, &record) != 0) {
      lines.push_back(message);
      continue;
    }
    const backend::SubRequest* sub = record.At(index);
    if (sub != nullptr && sub->answer.GetCount() > 0) {
      const std::string_view first = LineText(sub->answer, 0);
      lines.push_back("撤单：" + backend::GetSeparatedFieldText(6, first) + "|" +
                      backend::GetSeparatedFieldText(9, first) + "|");
    } else {
      lines.push_back("接收撤单异常错误！");
    }
  }
  return lines;
}

std::vector<int> TabMenuItems(bool dropping, unsigned allowedItems) {
  std::vector<int> items =
      dropping ? std::vector<int>{kNewVerticalGroup, kNewHorizontalGroup, kNextGroup, kPreviousGroup, kCancel}
               : std::vector<int>{kTabbedDocument, kNewVerticalGroup, kNewHorizontalGroup,
                                  kNextGroup,      kPreviousGroup,    kClose};
  const auto drop = [&](int id) { items.erase(std::remove(items.begin(), items.end(), id), items.end()); };
  if (!(allowedItems & 2)) drop(kNewVerticalGroup);
  if (!(allowedItems & 1)) drop(kNewHorizontalGroup);
  if (!(allowedItems & 8)) drop(kNextGroup);
  if (!(allowedItems & 4)) drop(kPreviousGroup);
  if (!(allowedItems & 16)) drop(kTabbedDocument);
  drop(kClose);
  return items;
}

bool ShowTabMenu(const std::vector<int>& items) { return items.size() > 1; }

}  // namespace shell
