// What the query form views show, made from what they asked: the month list
// and dates of the queries, the rows of the deposit and withdrawal history,
// of the notice board and of the about view, and the codes the account
// status and the queries send. Texts are GBK. No toolkit.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backend/cx_data_set.h"
#include "client/notice_operations.h"
#include "platform/clock.h"
#include "ui/grid_model.h"

namespace tradeviews {

// One grid row's cells, in column order.
using Cells = std::vector<std::string>;

// A read-only row of the grid holding these cells.
ui::GridRow RowOfCells(const ui::GridModel& grid, const Cells& cells);

// Line `index` of an answer, without the zero bytes that end it in the list.
std::string_view AnswerLine(const backend::CxDataSet& answer, std::size_t index);

// The default CSV file name of a query grid by its grid state name; empty
// for the views without one.
std::string CsvFileName(std::string_view gridStateName);

// "%04d%02d%02d".
std::string DateText(int year, int month, int day);

// The twelve months before the current one, newest first, as "%04d%02d":
// the statements that the month list offers (the running month has none).
std::vector<std::string> StatementMonths(const platform::LocalTime& now);

// The code of a status text such as "4-只可平仓": the part before its first
// "-" (empty when it has none), each byte 0x01 read as "|".
std::string CustomerStatusCode(std::string_view statusText);

// The direction filter of the history query by the direction list's item:
// "0" withdrawals (item 1), "1" deposits (item 2), empty for all.
std::string InOutDirectionCode(int item);

// The history rows of an answer (its lines after the status line), each
// "交易帐号", "日期", "流水号", "出入金方向", "出金", "入金", "币种名称",
// "资金类型", "银行代码", "摘要". The total line ("合计") names no account
// and no direction; any other line is a withdrawal when its withdrawn amount
// is not zero, else a deposit.
std::vector<Cells> InOutMoneyRows(const backend::CxDataSet& answer, std::string_view customerNo);

// The level filter of the notice query by the level list's item: the item
// number for items 1 to 5, empty for the first (every level).
std::string NoticeLevelCode(int item);

// "发送日期", "发送时间", "信息类型", "信息内容" of each bulletin.
std::vector<Cells> NoticeRows(const std::vector<client::BulletinRecord>& bulletins);

// What the about view tells of the program, the account and the servers.
struct AboutFacts {
  std::string version;
  std::string customerNo;
  std::string customerName;
  std::string localIp;
  std::string localMachine;
  std::string counterVersion;
  std::string tradingServer;
  int tradingPort = 0;
  std::string quoteServer;
  int quotePort = 0;
};

// The name and value pairs, in the about view's order.
std::vector<std::pair<std::string, std::string>> AboutRows(const AboutFacts& facts);

}  // namespace tradeviews
