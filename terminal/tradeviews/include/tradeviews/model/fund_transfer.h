// Moving money from one trading account of a management account to another:
// a withdrawal from the paying account and a deposit to the receiving one,
// each entered and then reviewed, the funds of both asked for afresh. No
// toolkit: the back-end operations are handed in.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tradeviews {

struct FundTransferServices {
  // Enters a withdrawal ("2") or deposit ("1") of the amount for the
  // account; true with the entry's serial number.
  std::function<bool(std::string_view account, std::string_view direction, std::string_view amount, std::string& serial,
                     std::string& message)>
      enter;
  std::function<bool(std::string_view serial, std::string& message)> review;
  // Asks for the account's funds, so that the fund table shows the move.
  std::function<bool(std::string_view account, std::string& message)> refreshFunds;
};

inline constexpr std::string_view kTransferDoneText = "资金调拨成功!";

// Checks the input, then moves the money; the text to show the user. A
// withdrawal that went through while the deposit failed is said plainly,
// with its serial number, so that the money can be found again.
std::string TransferFunds(std::string_view payingAccount, std::string_view receivingAccount, std::string_view amount,
                          const FundTransferServices& services);

}  // namespace tradeviews
