#include "tradeviews/model/query_bar_layout.h"

namespace tradeviews {
namespace {

// Cells are right-aligned in every bar; headers are centred by the grid.
ui::ColumnSpec Column(const char* caption, const char* key, int width, bool visible = true) {
  return ui::ColumnSpec(caption, width, ui::kAlignRight, key, visible);
}

}  // namespace

QueryBarLayout ContractBarLayout() {
  return {"ContractGrid",
          22225,
          0,
          {
              Column("交易所代码", "szExchangeCode", 80),
              Column("交易所名称", "szExchangeName", 80),
              Column("合约代码", "szContractCode", 80),
              Column("合约名称", "szContractName", 120),
              Column("交易类别", "szTradeClass", 70),
              Column("品种代码", "szVarietyCode", 80),
              Column("品种名称", "szVarietyName", 80),
              Column("交割期", "szAccountDay", 80),
              Column("执行价", "szStrikePrice", 80),
              Column("期权类型", "szOptionType", 80),
              Column("每手数量", "szVolumePerHand", 80),
              Column("最小价格变动单位", "szMinPriceStep", 120),
          },
          false};
}

QueryBarLayout TradeBarLayout() {
  return {"DoneGrid",
          22226,
          3,
          {
              Column("交易账号", "szTradeAccount", 80),
              Column("委托单号", "szOrderNo", 100),
              Column("合约", "szContractCode", 70),
              Column("买卖", "szNameBS", 70),
              Column("开平", "szNameEO", 70),
              Column("成交手数", "szDealHands", 70),
              Column("成交价格", "szDealPrice", 70),
              Column("保证金", "szMargin", 70),
              Column("权利金", "szRoyalty", 70),
              Column("手续费", "szCommission", 70),
              Column("交易编码", "szMapCode", 70),
              Column("席位号", "szSeatCode", 70),
              Column("系统号", "szSysNo", 70),
              Column("成交号", "szDealNo", 70),
              Column("成交时间", "szDealTime", 70),
              Column("投保", "szNameSH", 70),
              Column("交易所", "szExchangeName", 70),
              Column("交易类别", "szProductType", 70),
          }};
}

QueryBarLayout OrderBarLayout() {
  return {"EntrustGrid",
          22227,
          2,
          {
              Column("交易账号", "szTradeAccount", 80),
              Column("委托单号", "szOrderNo", 100),
              Column("合约", "szContractCode", 70),
              Column("委托状态", "szFlagOrderState", 70),
              Column("买卖", "szNameBS", 70),
              Column("开平", "szNameEO", 70),
              Column("委托手数", "szOrderHands", 70),
              Column("委托价格", "szOrderPrice", 70),
              Column("成交手数", "szDealHands", 70),
              Column("成交价格", "szDealPrice", 70),
              Column("冻结保证金", "szFrozenCautionMoney", 70),
              Column("冻结权利金", "szFrozenPremium", 70),
              Column("冻结手续费", "szFrozenCharge", 70),
              Column("定单类型", "szOrderFormType", 70),
              Column("成交属性", "szDealAttr", 70),
              Column("盈损价", "szWinLossPrice", 70),
              Column("委托类型", "szOrderType", 70),
              Column("委托时间", "szOrderTime", 70),
              Column("申报时间", "szDeclareTime", 70),
              Column("撤单时间", "szDelOrderTime", 70),
              Column("触发时间", "szSpringTime", 70),
              Column("投保", "szNameSH", 70),
              Column("下单席位", "szOrderSeat", 70),
              Column("备注", "szRemark", 70),
              Column("席位号", "szSeatCode", 70, false),
              Column("交易编码", "szMapCode", 70, false),
              Column("交易类别", "szTradeClass", 70),
          }};
}

QueryBarLayout FundBarLayout() {
  return {"FundGrid",
          22228,
          1,
          {
              Column("交易账号", "szCustNo", 70),
              Column("上日结存", "szDepositYesterday", 100),
              Column("当日出入金", "szIOMoneyToday", 100),
              Column("动态权益", "szDynamicRights", 100),
              Column("可用资金", "szUsableMoney", 100),
              Column("期权市值", "szOptionMarketValue", 100),
              Column("浮动盈亏", "szProfitAndLoss", 100),
              Column("平仓盈亏", "szOffsetProfitAndLoss", 100),
              Column("期权浮动保证金", "szFLOATINGMARGIN", 100),
              Column("总保证金", "szTotalCautionMoney", 100),
              Column("买入保证金", "szBCautionMoney", 100),
              Column("卖出保证金", "szSCautionMoney", 100),
              Column("权利金支出", "szRoyaltyOut", 100),
              Column("权利金收入", "szRoyaltyIn", 100),
              Column("总冻结", "szTotalFreeze", 100),
              Column("买入冻结", "szBFreeze", 100),
              Column("卖出冻结", "szSFreeze", 100),
              Column("冻结权利金", "szFrozenRoyalty", 100),
              Column("冻结手续费", "szFreezeCommissionCharge", 70),
              Column("手续费", "szCommissionCharge", 70),
              Column("信用金额", "szCreditMoney", 70),
              Column("风险级别", "szSecurity", 70),
              Column("公司风险度", "szDynamicRiskLevel", 100),
              Column("交易所风险度", "szDynamicRiskLevel2", 70),
          }};
}

QueryBarLayout PositionBarLayout() {
  return {"PositionGrid",
          22229,
          2,
          {
              Column("交易账号", "szTradeAccount", 80),
              Column("合约", "szContractCode", 70),
              Column("买卖", "szFlagBS", 70),
              Column("持仓", "szPositionVolume", 70),
              Column("可用", "szAvailPositionVolume", 70),
              Column("浮动盈亏", "szProfitAndLoss_KC", 70),
              Column("盯市盈亏", "szProfitAndLoss_CC", 70),
              Column("期权市值", "szOptionMarketValue", 70),
              Column("持仓均价", "szPositionPrice", 70),
              Column("开仓均价", "szOpenPrice", 70),
              Column("最新价", "szNewPrice", 70),
              Column("占用保证金", "szEngrossCautionMoney", 70),
              Column("期权浮动保证金", "szFLOATINGMARGIN", 70),
              Column("投保", "szFlagSH", 70),
              Column("交易编码", "szMapCode", 70),
              Column("席位号", "szSeatCode", 70),
              Column("交易类别", "szProductType", 70),
          }};
}

}  // namespace tradeviews
