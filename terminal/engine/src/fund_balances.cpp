#include "fund_balances.h"

namespace engine::fund_balances {

Balances ComputeBalances(const FundRow& fund, const DayFigures& day, const OptionValueSums& positions,
                         bool floatingProfitCounts) {
  const double balance = ReadMoney(fund.szIOMoneyToday) + ReadMoney(fund.szDepositYesterday) + day.closingProfit -
                         day.fees + ReadMoney(fund.szRoyaltyIn) - ReadMoney(fund.szRoyaltyOut);
  const double floating = positions.floatingProfit;
  Balances balances;
  balances.usable =
      balance - day.totalFrozen - day.totalMargin + ReadMoney(fund.szCreditMoney) - ReadMoney(fund.szFLOATINGMARGIN);
  if (floatingProfitCounts || floating < 0.0) balances.usable += floating;
  balances.equity = balance + floating + positions.marketValue;
  return balances;
}

}  // namespace engine::fund_balances
