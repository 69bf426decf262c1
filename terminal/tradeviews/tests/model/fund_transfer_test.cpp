#include "tradeviews/model/fund_transfer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The back end of a transfer, recording every call; a named step fails.
struct FakeBackEnd {
  std::vector<std::string> calls;
  std::string failing;  // "enter 2", "review 1", "refresh 20001" ...
  int serial = 500;

  tradeviews::FundTransferServices Services() {
    tradeviews::FundTransferServices services;
    services.enter = [this](std::string_view account, std::string_view direction, std::string_view amount,
                            std::string& entry, std::string& message) {
      calls.push_back("enter " + std::string(direction) + " " + std::string(account) + " " + std::string(amount));
      if (failing == "enter " + std::string(direction)) {
        message = "出入金失败";
        return false;
      }
      entry = std::to_string(++serial);
      return true;
    };
    services.review = [this](std::string_view entry, std::string& message) {
      calls.push_back("review " + std::string(entry));
      if (failing == "review " + std::string(entry)) {
        message = "复核失败";
        return false;
      }
      return true;
    };
    services.refreshFunds = [this](std::string_view account, std::string& message) {
      calls.push_back("refresh " + std::string(account));
      message = "查询资金失败";
      return failing != "refresh " + std::string(account);
    };
    return services;
  }
};

TEST(FundTransfer, RefusesMissingEqualAndNonPositiveInputWithoutAsking) {
  for (const auto& [paying, receiving, amount, message] :
       {std::tuple{"", "20002", "100", "转出、转入交易帐号和金额都不能为空!"},
        {"20001", "20002", "", "转出、转入交易帐号和金额都不能为空!"},
        {"20001", "20001", "100", "转出和转入交易帐号不能相同!"},
        {"20001", "20002", "0", "调拨金额必须大于0!"},
        {"20001", "20002", "-5", "调拨金额必须大于0!"},
        {"20001", "20002", "0.00", "调拨金额必须大于0!"},
        {"20001", "20002", "12a", "调拨金额必须大于0!"}}) {
    FakeBackEnd backEnd;
    EXPECT_EQ(tradeviews::TransferFunds(paying, receiving, amount, backEnd.Services()), message) << amount;
    EXPECT_TRUE(backEnd.calls.empty());
  }
}

TEST(FundTransfer, WithdrawsReviewsDepositsReviewsAndRefreshesBoth) {
  FakeBackEnd backEnd;
  EXPECT_EQ(tradeviews::TransferFunds("20001", "20002", "1000.50", backEnd.Services()), "资金调拨成功!");
  EXPECT_EQ(backEnd.calls, (std::vector<std::string>{"enter 2 20001 1000.50", "review 501", "refresh 20001",
                                                     "enter 1 20002 1000.50", "review 502", "refresh 20002"}));
}

TEST(FundTransfer, AFailedWithdrawalStopsWithItsReason) {
  FakeBackEnd backEnd;
  backEnd.failing = "review 501";
  EXPECT_EQ(tradeviews::TransferFunds("20001", "20002", "10", backEnd.Services()), "复核失败");
  EXPECT_EQ(backEnd.calls.size(), 2u);
}

TEST(FundTransfer, AFailedRefreshDoesNotLeaveTheMoneyHalfMoved) {
  FakeBackEnd backEnd;
  backEnd.failing = "refresh 20001";
  EXPECT_EQ(tradeviews::TransferFunds("20001", "20002", "10", backEnd.Services()), "资金调拨成功!");
  EXPECT_EQ(backEnd.calls.size(), 6u);
}

TEST(FundTransfer, AFailedDepositSaysTheWithdrawalWentThroughWithItsSerial) {
  FakeBackEnd backEnd;
  backEnd.failing = "enter 1";
  EXPECT_EQ(tradeviews::TransferFunds("20001", "20002", "10", backEnd.Services()),
            "交易帐号20001的出金已经完成（流水号501），但交易帐号20002的入金没有完成：出入金失败");
}

}  // namespace
