#include "tradeviews/model/fund_transfer.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace tradeviews {
namespace {

constexpr std::string_view kWithdrawal = "2";
constexpr std::string_view kDeposit = "1";

// An amount is a whole decimal number above zero.
bool IsPositiveAmount(std::string_view text) {
  const std::string amount(text);
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(amount.c_str(), &end);
  return end != amount.c_str() && *end == '\0' && errno == 0 && std::isfinite(value) && value > 0;
}

// One leg: the entry and its review.
bool MoveLeg(std::string_view account, std::string_view direction, std::string_view amount,
             const FundTransferServices& services, std::string& serial, std::string& message) {
  return services.enter(account, direction, amount, serial, message) && services.review(serial, message);
}

}  // namespace

std::string TransferFunds(std::string_view payingAccount, std::string_view receivingAccount, std::string_view amount,
                          const FundTransferServices& services) {
  if (payingAccount.empty() || receivingAccount.empty() || amount.empty()) {
    return "转出、转入交易帐号和金额都不能为空!";
  }
  if (payingAccount == receivingAccount) return "转出和转入交易帐号不能相同!";
  if (!IsPositiveAmount(amount)) return "调拨金额必须大于0!";
  std::string serial;
  std::string message;
  if (!MoveLeg(payingAccount, kWithdrawal, amount, services, serial, message)) return message;
  // The funds are asked for only to show the move; a refresh that fails
  // must not leave the money withdrawn and not deposited.
  std::string ignored;
  services.refreshFunds(payingAccount, ignored);
  const std::string withdrawalSerial = serial;
  if (!MoveLeg(receivingAccount, kDeposit, amount, services, serial, message)) {
    return "交易帐号" + std::string(payingAccount) + "的出金已经完成（流水号" + withdrawalSerial + "），但交易帐号" +
           std::string(receivingAccount) + "的入金没有完成：" + message;
  }
  services.refreshFunds(receivingAccount, ignored);
  return std::string(kTransferDoneText);
}

}  // namespace tradeviews
