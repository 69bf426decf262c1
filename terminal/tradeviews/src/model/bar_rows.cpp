#include "tradeviews/model/bar_rows.h"

#include <string>
#include <utility>

#include "client/code_tables.h"
#include "client/fixed_text.h"
#include "engine/row_field.h"
#include "tradeviews/model/query_bar_layout.h"

namespace tradeviews {
namespace {

using engine::Text;

// Below this a premium counts as none (the double's epsilon).
constexpr double kNoPremium = 2.220446e-16;

// The row a fill writes into: the blank it was given, as a row of the
// bar's columns, all empty.
ui::GridRow Blank(ui::GridRow row, int columns) {
  row.Reset(columns);
  return row;
}

void Set(ui::GridRow& row, int column, std::string_view text, std::uint32_t colour = ui::kDefaultColour) {
  row.SetText(column, text);
  if (colour != ui::kDefaultColour) row.SetColour(column, colour);
}

void SetPrice(ui::GridRow& row, int column, std::string_view price, int decimals) {
  Set(row, column, client::FixedText(NumberOf(price), decimals));
}

std::uint32_t BuySellColour(std::string_view code) { return code == "0" ? kRed : kGreen; }

std::uint32_t OpenCloseColour(std::string_view code) {
  if (code == "0") return kRed;
  if (code == "1") return kGreen;
  return kBlue;
}

std::uint32_t OrderStateColour(std::string_view code) {
  if (code == "c") return kRed;
  return IsWorkingOrderState(code) ? kGreen : kOlive;
}

// A signed amount in its sign's colour; the text "-" (no figure) as it is.
void SetSigned(ui::GridRow& row, int column, std::string_view text) {
  if (text == "-") {
    Set(row, column, text);
    return;
  }
  const double value = NumberOf(text);
  Set(row, column, client::FixedText(value, 2), SignColour(value));
}

// A trade's premium: paid on a buy, so shown negative; none shows "0.00".
void SetPremium(ui::GridRow& row, int column, std::string_view premium, bool buy) {
  const double value = buy ? -NumberOf(premium) : NumberOf(premium);
  if (value > kNoPremium || value < -kNoPremium) {
    Set(row, column, client::FixedText(value, 2), SignColour(value));
  } else {
    Set(row, column, "0.00", kBlack);
  }
}

const char* RiskLevelText(std::string_view code) {
  if (code == "1") return "追加";
  if (code == "2") return "强平";
  if (code == "3") return "穿仓";
  if (code == "4") return "低权";
  return "正常";
}

std::string RatioText(std::string_view ratio) { return client::FixedText(NumberOf(ratio) * 100, 2) + "%"; }

}  // namespace

ui::GridRow OrderGridRow(const engine::OrderRow& order, BarLookups& lookups, ui::GridRow blank) {
  namespace c = order_column;
  ui::GridRow row = Blank(std::move(blank), c::kCount);
  const int decimals = lookups.PriceDecimals(Text(order.szContractCode));
  const long long orderNo = IntegerOf(Text(order.szOrderNo));
  const std::string_view state = Text(order.szFlagOrderState);
  Set(row, c::kAccount, Text(order.szTradeAccount));
  Set(row, c::kOrderNo, orderNo != 0 ? std::to_string(orderNo) : std::string());
  Set(row, c::kContract, Text(order.szContractCode));
  Set(row, c::kState, client::OrderStateText(state), OrderStateColour(state));
  Set(row, c::kBuySell, client::BuySellText(Text(order.szNameBS)), BuySellColour(Text(order.szNameBS)));
  Set(row, c::kOpenClose, client::OpenCloseText(Text(order.szNameEO)), OpenCloseColour(Text(order.szNameEO)));
  Set(row, c::kLots, Text(order.szOrderHands));
  SetPrice(row, c::kPrice, Text(order.szOrderPrice), decimals);
  const std::string_view traded = Text(order.szDealHands);
  Set(row, c::kTradedLots, traded, IntegerOf(traded) > 0 ? kRed : ui::kDefaultColour);
  SetPrice(row, c::kTradedPrice, Text(order.szDealPrice), decimals);
  Set(row, c::kFrozenMargin, TwoDecimals(Text(order.szFrozenCautionMoney)));
  Set(row, c::kFrozenPremium, TwoDecimals(Text(order.szFrozenPremium)));
  Set(row, c::kFrozenFee, TwoDecimals(Text(order.szFrozenCharge)));
  Set(row, c::kPriceType, client::PriceTypeText(Text(order.szOrderFormType), true));
  Set(row, c::kDealAttribute, DealAttributeText(Text(order.szDealAttr)));
  SetPrice(row, c::kProfitLossPrice, Text(order.szWinLossPrice), decimals);
  Set(row, c::kOrderKind, client::OrderKindText(Text(order.szOrderType)));
  Set(row, c::kOrderTime, Text(order.szOrderTime));
  Set(row, c::kDeclareTime, Text(order.szDeclareTime));
  Set(row, c::kCancelTime, Text(order.szDelOrderTime));
  Set(row, c::kTriggerTime, Text(order.szSpringTime));
  Set(row, c::kHedge, client::HedgeText(Text(order.szNameSH)));
  Set(row, c::kOrderSeat, Text(order.szOrderSeat));
  Set(row, c::kRemark, Text(order.szRemark));
  Set(row, c::kSeat, Text(order.szSeatCode));
  Set(row, c::kTradeCode, Text(order.szMapCode));
  Set(row, c::kProductKind, client::ProductKindText(Text(order.szTradeClass)));
  return row;
}

ui::RowKey OrderRowKeyOf(const engine::OrderRow& order) {
  return ui::MakeOrderRowKey(Text(order.szOrderSeat), Text(order.szContractCode), Text(order.szOrderNo));
}

ui::GridRow TradeGridRow(const engine::TradeRow& trade, BarLookups& lookups, ui::GridRow blank) {
  namespace c = trade_column;
  ui::GridRow row = Blank(std::move(blank), c::kCount);
  const std::string_view buySell = Text(trade.szNameBS);
  Set(row, c::kAccount, Text(trade.szTradeAccount));
  Set(row, c::kOrderNo, std::to_string(IntegerOf(Text(trade.szOrderNo))));
  Set(row, c::kContract, Text(trade.szContractCode));
  Set(row, c::kBuySell, client::BuySellText(buySell), BuySellColour(buySell));
  Set(row, c::kOpenClose, client::OpenCloseText(Text(trade.szNameEO)), OpenCloseColour(Text(trade.szNameEO)));
  Set(row, c::kLots, Text(trade.szDealHands));
  SetPrice(row, c::kPrice, Text(trade.szDealPrice), lookups.PriceDecimals(Text(trade.szContractCode)));
  Set(row, c::kMargin, TwoDecimals(Text(trade.szMargin)));
  SetPremium(row, c::kPremium, Text(trade.szRoyalty), buySell == "0");
  Set(row, c::kFee, TwoDecimals(Text(trade.szCommission)));
  Set(row, c::kTradeCode, Text(trade.szMapCode));
  Set(row, c::kSeat, Text(trade.szSeatCode));
  Set(row, c::kSystemNo, Text(trade.szSysNo));
  Set(row, c::kDealNo, Text(trade.szDealNo));
  Set(row, c::kDealTime, Text(trade.szDealTime));
  Set(row, c::kHedge, client::HedgeText(Text(trade.szNameSH)));
  Set(row, c::kExchangeName, lookups.ExchangeName(Text(trade.szExchangeCode)));
  Set(row, c::kProductKind, client::ProductKindText(Text(trade.szTradeClass)));
  return row;
}

ui::RowKey TradeRowKeyOf(const engine::TradeRow& trade) { return ui::MakeCodeRowKey(Text(trade.szOrderNo)); }

ui::GridRow FundGridRow(const engine::FundRow& fund, ui::GridRow blank) {
  namespace c = fund_column;
  ui::GridRow row = Blank(std::move(blank), c::kCount);
  const auto coloured = [&](int column, std::string_view text) { Set(row, column, text, SignColour(NumberOf(text))); };
  Set(row, c::kAccount, Text(fund.szTradeAccount));
  Set(row, c::kPreviousBalance, MoneyRounded(Text(fund.szDepositYesterday)));
  Set(row, c::kDepositsToday, MoneyRounded(Text(fund.szIOMoneyToday)));
  Set(row, c::kEquity, MoneyRounded(Text(fund.szDynamicRights)));
  Set(row, c::kAvailable, MoneyRounded(Text(fund.szUsableMoney)));
  coloured(c::kOptionValue, Text(fund.szOptionMarketValue));
  coloured(c::kFloatingProfit, Text(fund.szProfitAndLoss));
  coloured(c::kClosingProfit, Text(fund.szOffsetProfitAndLoss));
  Set(row, c::kOptionFloatingMargin, Text(fund.szFLOATINGMARGIN));
  Set(row, c::kTotalMargin, Text(fund.szTotalCautionMoney));
  Set(row, c::kBuyMargin, Text(fund.szBCautionMoney));
  Set(row, c::kSellMargin, Text(fund.szSCautionMoney));
  Set(row, c::kPremiumPaid, MoneyRounded(Text(fund.szRoyaltyOut)));
  Set(row, c::kPremiumReceived, MoneyRounded(Text(fund.szRoyaltyIn)));
  Set(row, c::kTotalFrozen, Text(fund.szTotalFreeze));
  Set(row, c::kBuyFrozen, Text(fund.szBFreeze));
  Set(row, c::kSellFrozen, Text(fund.szSFreeze));
  Set(row, c::kFrozenPremium, Text(fund.szFrozenRoyalty));
  Set(row, c::kFrozenFee, Text(fund.szFreezeCommissionCharge));
  Set(row, c::kFee, Text(fund.szCommissionCharge));
  Set(row, c::kCredit, MoneyRounded(Text(fund.szCreditMoney)));
  Set(row, c::kRiskLevel, RiskLevelText(Text(fund.szSecurity)));
  Set(row, c::kCompanyRisk, RatioText(Text(fund.szDynamicRiskLevel)));
  Set(row, c::kExchangeRisk, RatioText(Text(fund.szDynamicRiskLevel2)));
  return row;
}

ui::RowKey FundRowKeyOf(const engine::FundRow& fund) { return ui::HashRowKey(Text(fund.szTradeAccount)); }

ui::GridRow PositionGridRow(const engine::PositionSummaryRow& position, BarLookups& lookups, ui::GridRow blank) {
  namespace c = position_column;
  ui::GridRow row = Blank(std::move(blank), c::kCount);
  const std::string_view buySell = Text(position.szFlagBS);
  Set(row, c::kAccount, Text(position.szTradeAccount));
  Set(row, c::kContract, Text(position.szContractCode));
  Set(row, c::kBuySell, client::BuySellText(buySell), BuySellColour(buySell));
  Set(row, c::kVolume, Text(position.szPositionVolume));
  const std::optional<int> closable = lookups.ClosableVolume(position);
  Set(row, c::kClosable, closable ? std::to_string(*closable) : std::string());
  SetSigned(row, c::kFloatingProfit, Text(position.szProfitAndLoss_KC));
  SetSigned(row, c::kMarkedProfit, Text(position.szProfitAndLoss_CC));
  SetSigned(row, c::kOptionValue, Text(position.szOptionMarketValue));
  Set(row, c::kPositionPrice, MoneyRounded(Text(position.szPositionPrice)));
  Set(row, c::kOpenPrice, MoneyRounded(Text(position.szOpenPrice)));
  SetPrice(row, c::kLastPrice, Text(position.szNewPrice), lookups.PriceDecimals(Text(position.szContractCode)));
  Set(row, c::kMargin, MoneyRounded(Text(position.szEngrossCautionMoney)));
  Set(row, c::kOptionFloatingMargin, Text(position.szFLOATINGMARGIN));
  Set(row, c::kHedge, client::HedgeText(Text(position.szFlagSH)));
  Set(row, c::kTradeCode, Text(position.szMapCode));
  Set(row, c::kSeat, Text(position.szSeatCode));
  Set(row, c::kProductKind, client::ProductKindText(Text(position.szTradeClass)));
  return row;
}

ui::RowKey PositionRowKeyOf(const engine::PositionSummaryRow& position) {
  return ui::MakePositionRowKey(Text(position.szTradeAccount), Text(position.szSeatCode), Text(position.szContractCode),
                                Text(position.szMapCode), Text(position.szFlagBS), Text(position.szFlagSH));
}

ui::GridRow RefreshedPositionGridRow(const ui::GridRow& shown, const engine::PositionSummaryRow& position,
                                     BarLookups& lookups) {
  namespace c = position_column;
  ui::GridRow row = PositionGridRow(position, lookups);
  for (const int kept : {c::kAccount, c::kContract, c::kBuySell, c::kHedge, c::kTradeCode, c::kSeat}) {
    row.SetText(kept, shown.Text(kept));
    row.SetColour(kept, shown.Colour(kept));
  }
  return row;
}

ui::GridRow ContractGridRow(const engine::ContractRow& contract) {
  namespace c = contract_column;
  ui::GridRow row(c::kCount);
  const double tick = NumberOf(Text(contract.szMinPriceStep));
  Set(row, c::kExchangeCode, Text(contract.szExchangeCode));
  Set(row, c::kExchangeName, Text(contract.szExchangeName));
  Set(row, c::kContract, Text(contract.szContractCode));
  Set(row, c::kContractName, Text(contract.szContractName));
  Set(row, c::kProductKind, client::ProductKindText(Text(contract.szTradeClass)));
  Set(row, c::kVarietyCode, Text(contract.szVarietyCode));
  Set(row, c::kVarietyName, Text(contract.szVarietyName));
  Set(row, c::kDeliveryPeriod, Text(contract.szAccountDay));
  Set(row, c::kStrikePrice, Text(contract.szStrikePrice));
  Set(row, c::kOptionType, client::OptionTypeText(Text(contract.szOptionType)));
  Set(row, c::kMultiplier, Text(contract.szVolumePerHand));
  Set(row, c::kPriceTick, client::FixedText(tick, client::CountDecimalPlaces(tick)));
  return row;
}

}  // namespace tradeviews
