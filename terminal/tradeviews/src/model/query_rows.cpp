#include "tradeviews/model/query_rows.h"

#include <cstdio>
#include <cstdlib>

#include "backend/field_text.h"
#include "client/code_tables.h"
#include "client/operation_frame.h"

namespace tradeviews {
namespace {

constexpr std::string_view kTotalDate = "合计";

bool IsZeroAmount(std::string_view text) { return std::strtod(std::string(text).c_str(), nullptr) == 0.0; }

}  // namespace

ui::GridRow RowOfCells(const ui::GridModel& grid, const Cells& cells) {
  ui::GridRow row = ui::CreateGridRow(grid);
  for (std::size_t column = 0; column < cells.size(); ++column) row.SetText(static_cast<int>(column), cells[column]);
  return row;
}

std::string_view AnswerLine(const backend::CxDataSet& answer, std::size_t index) {
  const std::span<const std::uint8_t> value = answer.GetValue(index);
  std::string_view line(reinterpret_cast<const char*>(value.data()), value.size());
  while (!line.empty() && line.back() == '\0') line.remove_suffix(1);
  return line;
}

std::string CsvFileName(std::string_view gridStateName) {
  static constexpr std::pair<std::string_view, std::string_view> kNames[] = {
      {"OtherQueryNoticeBoardGridState", "NoticeBoardGrid"},
      {"OtherQryInOutMoneyGridState", "InOutMoneyGrid"},
      {"OtherQryReportQryGridState", "StatementGrid"},
      {"OtherQryOptionsExerciseGridState", "ExecQuitGrid"},
      {"OtherQryOptionsExerciseApplyGridState", "ExecApplyGrid"},
      {"OtherQryOptionsExerciseOrdersGridState", "ExecOrderGrid"}};
  for (const auto& [state, file] : kNames) {
    if (state == gridStateName) return std::string(file);
  }
  return {};
}

std::string DateText(int year, int month, int day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
  return text;
}

std::vector<std::string> StatementMonths(const platform::LocalTime& now) {
  std::vector<std::string> months;
  int year = now.year;
  int month = now.month;
  for (int i = 0; i < 12; ++i) {
    if (--month == 0) {
      month = 12;
      --year;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d", year, month);
    months.emplace_back(text);
  }
  return months;
}

std::string CustomerStatusCode(std::string_view statusText) {
  const std::size_t dash = statusText.find('-');
  std::string code(dash == std::string_view::npos ? std::string_view() : statusText.substr(0, dash));
  for (char& c : code) {
    if (c == '\x01') c = '|';
  }
  return code;
}

std::string InOutDirectionCode(int item) {
  switch (item) {
    case 1: return "0";
    case 2: return "1";
    default: return {};
  }
}

std::vector<Cells> InOutMoneyRows(const backend::CxDataSet& answer, std::string_view customerNo) {
  std::vector<Cells> rows;
  for (std::size_t index = 1; index < answer.GetCount(); ++index) {
    const std::string_view line = AnswerLine(answer, index);
    const std::string date = client::FieldOf(line, 4, 30);
    const std::string withdrawal = client::FieldOf(line, 6, 16);
    const bool total = date == kTotalDate;
    std::string direction;
    if (!total) direction = IsZeroAmount(withdrawal) ? "入金" : "出金";
    rows.push_back({total ? std::string() : std::string(customerNo), date, client::FieldOf(line, 5, 16), direction,
                    withdrawal, client::FieldOf(line, 7, 16), client::FieldOf(line, 10, 32),
                    client::MoneyTypeText(client::FieldOf(line, 12, 8)), client::FieldOf(line, 13, 16),
                    client::FieldOf(line, 8, 100)});
  }
  return rows;
}

std::string NoticeLevelCode(int item) { return item > 0 ? std::to_string(item) : std::string(); }

std::vector<Cells> NoticeRows(const std::vector<client::BulletinRecord>& bulletins) {
  std::vector<Cells> rows;
  for (const client::BulletinRecord& bulletin : bulletins) {
    rows.push_back({bulletin.sendDate, bulletin.sendTime, client::NoticeLevelText(bulletin.level), bulletin.text});
  }
  return rows;
}

std::vector<std::pair<std::string, std::string>> AboutRows(const AboutFacts& facts) {
  return {{"当前版本号", facts.version},         {"客户号", facts.customerNo},
          {"客户姓名", facts.customerName},      {"本机IP", facts.localIp},
          {"本机网卡地址", facts.localMachine},  {"柜台版本号", facts.counterVersion},
          {"交易服务器IP", facts.tradingServer}, {"交易服务器端口", std::to_string(facts.tradingPort)},
          {"行情服务器IP", facts.quoteServer},   {"行情服务器端口", std::to_string(facts.quotePort)}};
}

}  // namespace tradeviews
