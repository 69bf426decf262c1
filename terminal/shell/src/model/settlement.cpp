#include "shell/settlement.h"

#include <cstdio>
#include <cstring>

#include "backend/field_text.h"
#include "backend/program_log.h"
#include "shell/login_model.h"

namespace shell {
namespace {

constexpr const char* kPromptCaption = "提示";

std::string RiskLevelText(std::string_view code) {
  if (code == "1") return "追加";
  if (code == "2") return "强平";
  if (code == "3") return "穿仓";
  if (code == "4") return "低权";
  return "正常";
}

std::string ChannelText(std::string_view code) {
  static constexpr const char* kChannels[] = {"DOS嵌套", "电话委托", "网上交易", "WEB查询", "单帐户版", "多帐户版"};
  if (code.size() == 1 && code[0] >= '1' && code[0] <= '6') return kChannels[code[0] - '1'];
  return std::string(code);
}

std::string RiskDegreeText(std::string_view field) {
  double degree = 0;
  std::sscanf(std::string(field).c_str(), "%lf", &degree);
  char text[64];
  std::snprintf(text, sizeof text, "%.2f%%", degree * 100);
  return text;
}

int NumberOf(std::string_view field) { return backend::ParseDecimal(field).value_or(0); }

}  // namespace

CustomerInformation DescribeCustomer(const backend::AccountRecord& account, int role,
                                     const std::function<bool(std::string& notices)>& queryNotices) {
  CustomerInformation texts;
  texts[0] = account.Field(5);
  texts[1] = std::string(account.key.customerNo, strnlen(account.key.customerNo, sizeof account.key.customerNo));
  texts[2] = RiskLevelText(account.Field(8));
  texts[3] = RiskDegreeText(account.Field(6));
  texts[4] = account.Field(10);
  texts[5] = account.Field(11);
  texts[6] = account.Field(12);
  texts[7] = ChannelText(account.Field(13));
  if (role == backend::kTradingLogin && account.Field(16) == "1") {
    std::string notices;
    if (queryNotices(notices)) texts[8] = notices;
  }
  return texts;
}

bool ConfirmSettlementStatementAtLogin(const backend::AccountRecord& account, int role,
                                       const StatementServices& services) {
  if (role == backend::kManagementLogin) return true;
  const int mode = NumberOf(account.Field(14));
  if (mode == 0 || NumberOf(account.Field(15)) != 0) return true;

  std::vector<std::string> lines;
  std::string message;
  if (!services.query(lines, message)) {
    services.log(backend::kLogTransportError, message);
    services.message("查询结算单不成功，可能原因为结算单不存在或结算单服务器未启动。", kPromptCaption);
    return true;
  }
  services.log(backend::kLogNote, "查询结算单成功。");
  if (services.showReport(lines)) {
    if (mode != 2) {
      services.log(backend::kLogNote, "下载了结算单但不需要确认结算单。");
      return true;
    }
    if (!services.confirm(message)) {
      const std::string text = "需要确认结算单，但确认结算单失败：" + message;
      services.log(backend::kLogTransportError, text);
      services.message(text, kPromptCaption);
      return false;
    }
    services.log(backend::kLogNote, "下载了结算单并确认成功。");
    return true;
  }
  services.log(backend::kLogNote, "没有选择确认结算单。");
  if (mode != 2) return true;
  const std::string text = "需要确认结算单但未确认，退出程序。";
  services.message(text, kPromptCaption);
  services.log(backend::kLogNote, text);
  return false;
}

}  // namespace shell
