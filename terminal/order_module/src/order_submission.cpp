#include "order_module/order_submission.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "backend/account_table.h"
#include "backend/quote_record.h"
#include "client/operation_frame.h"
#include "client/quote_operations.h"
#include "client/shell_services.h"
#include "engine/query_facade.h"
#include "platform/format.h"
#include "platform/little_endian.h"
#include "platform/message.h"
#include "platform/question.h"
#include "task_steps.h"

namespace order_module {
namespace {

// The lists' items as texts, a missing item as empty.
using Items = std::vector<std::string>;

Items ItemsOf(const backend::CGlobalStringList& list, std::size_t count) {
  Items items(count);
  for (std::size_t index = 0; index < count && index < list.GetCount(); ++index) {
    if (const char* text = list.GetAt(index)) items[index] = text;
  }
  return items;
}

// What counts as no price: below 1e-6 and above `lowest`.
constexpr double kPriceEpsilon = 1e-6;
constexpr double kPlainLowest = -kPriceEpsilon;
// A reverse order's legs count prices from -1e-7 on as none.
constexpr double kReverseLowest = -1e-7;

bool IsZeroPrice(std::string_view price, double lowest) {
  const double value = LeadingNumber(price);
  return value > lowest && value < kPriceEpsilon;
}

bool IsLimitCode(std::string_view priceType) { return priceType.empty() || priceType == "0"; }
bool IsMarketKind(std::string_view priceType) {
  return IsLimitCode(priceType) || priceType == "1" || priceType == "3" || priceType == "4";
}

// The three texts that price one leg of an order.
struct PricedLeg {
  std::string& price;
  std::string& priceType;
  std::string& dealAttribute;
};

// How a refusal by the user is told.
struct Refusal {
  std::string_view text;
  int lineType;
};
constexpr Refusal kPlainRefusal{"委托被取消!", client::kNoticeLine};
constexpr Refusal kLegRefusal{"委托被取消！", client::kCancelLine};

struct MarketOrder {
  std::string_view exchange;
  std::string_view seat;
  std::string_view contract;
  std::string_view buySell;
  bool ask = false;  // ask the user before a conversion
  Refusal refusal;
  double lowest = kPlainLowest;
};

// Applies the market-price rule to the legs that carry no price. False when
// the order must not go out; the reason is in the output pane.
bool ApplyMarketPriceRule(engine::COperationEngine& engine, const MarketOrder& order, std::span<PricedLeg> legs) {
  if (engine::IsMarketOrderSupported(engine, order.exchange, order.seat)) {
    for (PricedLeg& leg : legs) {
      if (!IsZeroPrice(leg.price, order.lowest) || !IsLimitCode(leg.priceType)) continue;
      leg.priceType = "1";
      leg.dealAttribute = "2";
    }
    return true;
  }
  if (order.ask) {
    std::string name;
    engine::GetExchangeName(engine, order.exchange, name);
    if (!platform::AskYesNo(platform::Format("%s交易所不支持市价，是否以反向涨跌停价发出?", name.c_str()))) {
      client::PostOutputLine(order.refusal.lineType, order.refusal.text);
      return false;
    }
  }
  backend::QuoteRecord quote;
  std::string message;
  if (!client::GetQuoteOrQuery(order.exchange, order.contract, quote, message)) {
    client::PostOutputLine(client::kFailureLine, message);
    return false;
  }
  const double limit = order.buySell == kBuy ? quote.fUpperLimitPrice : quote.fLowerLimitPrice;
  // Price 0 would go out as a real limit order.
  if (std::fabs(limit) < kPriceEpsilon) {
    client::PostOutputLine(client::kFailureLine,
                           platform::Format("合约%s的行情没有涨跌停价，不能以反向涨跌停价发出委托！",
                                            std::string(order.contract).c_str()));
    return false;
  }
  for (PricedLeg& leg : legs) {
    if (!IsZeroPrice(leg.price, order.lowest)) continue;
    leg.price = platform::Format("%.2f", limit);
    leg.priceType = "0";
    leg.dealAttribute = "0";
  }
  return true;
}

// Where each field of the order record stands in a list.
struct RecordItems {
  std::size_t customer, exchange, contract, buySell, openClose, hedge, lots, price, tradeCode, seat, priceType,
      dealAttribute, triggerPrice;
};
constexpr RecordItems kPlainItems{16, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
constexpr RecordItems kReverseItems{20, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
// The change-price list names the replaced order's seat code in item 4.
constexpr RecordItems kChangePriceItems{17, 6, 7, 8, 9, 10, 11, 12, 13, 4, 14, 15, 16};

OrderRecord RecordOf(const Items& items, const RecordItems& at) {
  OrderRecord order{};
  engine::SetText(order.customerNo, items[at.customer]);
  engine::SetText(order.exchange, items[at.exchange]);
  engine::SetText(order.contractCode, items[at.contract]);
  engine::SetText(order.buySell, items[at.buySell]);
  engine::SetText(order.openClose, items[at.openClose]);
  engine::SetText(order.hedge, items[at.hedge]);
  engine::SetText(order.lots, items[at.lots]);
  engine::SetText(order.price, items[at.price]);
  engine::SetText(order.tradeCode, items[at.tradeCode]);
  engine::SetText(order.seat, items[at.seat]);
  engine::SetText(order.priceType, items[at.priceType]);
  engine::SetText(order.dealAttribute, items[at.dealAttribute]);
  engine::SetText(order.triggerPrice, items[at.triggerPrice]);
  return order;
}

TaskCaller CallerOf(const Items& items, std::string prompt = {}) {
  return {.tag = static_cast<std::int16_t>(LeadingInt(items[2])), .prompt = std::move(prompt)};
}

// The engine the rule asks; none is a failure line.
engine::COperationEngine* EngineOrFailure() {
  engine::COperationEngine* engine = client::TheOperationEngine();
  if (engine == nullptr) client::PostOutputLine(client::kFailureLine, client::kEngineMissingText);
  return engine;
}

bool Confirmation(const OrderEntrySettings& settings) {
  return settings.affirmOverrideSwitch != 0 ? settings.affirmOverrideValue != 0 : settings.sendOrderAffirmBox;
}

// How a close looks at the account first: an opening order not at all.
int CheckModeOf(const OrderEntrySettings& settings, std::string_view openClose) {
  if (openClose == kOpen) return kOpeningOrder;
  return settings.enableAutoDelOrder ? settings.autoDelOrderType : kNoCheck;
}

bool SplitsCloseToday(engine::COperationEngine& engine, const OrderEntrySettings& settings, std::string_view exchange,
                      std::string_view seat) {
  return settings.firstTodayLastTomorrow && engine::IsCloseTodaySupported(engine, exchange, seat);
}

// The close order of a plain or reverse list, items 0 to 14.
CloseOrderTask CloseOrderOf(engine::COperationEngine& engine, const OrderEntrySettings& settings,
                            std::span<const std::uint8_t> varietyRows, const Items& items, const RecordItems& at,
                            int oneKeyMode) {
  CloseOrderTask task;
  task.order = RecordOf(items, at);
  task.checkMode = CheckModeOf(settings, items[6]);
  task.splitCloseToday = SplitsCloseToday(engine, settings, items[3], items[11]);
  task.lotsPerSend = GetMaxSplitLots(settings, varietyRows, items[4], items[12], items[9]);
  task.oneKeyMode = oneKeyMode;
  task.confirm = Confirmation(settings);
  return task;
}

}  // namespace

int GetMaxSplitLots(const OrderEntrySettings& settings, std::span<const std::uint8_t> varietyRows,
                    std::string_view contractCode, std::string_view priceType, std::string_view price) {
  if (!settings.exceededMaxHandsSplitOrder) return 0;
  std::span<const std::uint8_t> row;
  if (backend::FindVarietyParamRow(varietyRows, contractCode, &row) < 0) return 0;
  const auto lotsAt = [&](std::size_t offset) {
    return static_cast<std::int32_t>(platform::LoadLittleEndian<std::uint32_t>(row.data() + offset));
  };
  if (IsLimitCode(priceType) && IsZeroPrice(price, kPlainLowest)) return lotsAt(kMarketOrderLotsOffset);
  if (IsLimitCode(priceType) || priceType == "5" || priceType == "6") return lotsAt(kLimitOrderLotsOffset);
  if (IsMarketKind(priceType)) return lotsAt(kMarketOrderLotsOffset);
  return 0;
}

OrderSubmission::OrderSubmission(OrderModule& module, const OrderSettingsSource& settings)
    : module_(module), settings_(settings) {}

bool OrderSubmission::SubmitOrder(const backend::CGlobalStringList& list) {
  Items items = ItemsOf(list, 18);
  engine::COperationEngine* engine = EngineOrFailure();
  if (engine == nullptr) return false;
  const OrderEntrySettings settings = settings_.EntrySettings();
  PricedLeg legs[] = {{items[9], items[12], items[13]}};
  if (IsZeroPrice(items[9], kPlainLowest) && IsMarketKind(items[12])) {
    const MarketOrder order{.exchange = items[3],
                            .seat = items[11],
                            .contract = items[4],
                            .buySell = items[5],
                            .ask = LeadingInt(items[15]) <= 0 && settings.sendOrderAffirmBox,
                            .refusal = kPlainRefusal};
    if (!ApplyMarketPriceRule(*engine, order, legs)) return false;
  }
  CloseOrderTask task =
      CloseOrderOf(*engine, settings, settings_.VarietyParamRows(), items, kPlainItems, LeadingInt(items[15]));
  task.caller = CallerOf(items, items[17]);
  std::string message;
  if (module_.AddCloseAutoCancelTask(task, message)) return true;
  platform::ShowMessage(message);
  return false;
}

bool OrderSubmission::SubmitReverseOrder(const backend::CGlobalStringList& list) {
  Items items = ItemsOf(list, 21);
  engine::COperationEngine* engine = EngineOrFailure();
  if (engine == nullptr) return false;
  const OrderEntrySettings settings = settings_.EntrySettings();
  PricedLeg legs[] = {{items[9], items[12], items[13]}, {items[16], items[17], items[18]}};
  const bool marketLeg = std::any_of(std::begin(legs), std::end(legs), [](const PricedLeg& leg) {
    return IsZeroPrice(leg.price, kReverseLowest) && IsMarketKind(leg.priceType);
  });
  if (marketLeg) {
    const MarketOrder order{
        .exchange = items[3],
        .seat = items[11],
        .contract = items[4],
        .buySell = items[5],
        .ask = LeadingInt(items[19]) <= 0 && settings.affirmOverrideSwitch == 0 && settings.sendOrderAffirmBox,
        .refusal = kLegRefusal,
        .lowest = kReverseLowest};
    if (!ApplyMarketPriceRule(*engine, order, legs)) return false;
  }
  ReverseOrderTask task;
  task.close =
      CloseOrderOf(*engine, settings, settings_.VarietyParamRows(), items, kReverseItems, LeadingInt(items[19]));
  task.close.caller = CallerOf(items);
  task.openAfterFills = settings.wayOfReverseOrder != 0;
  task.openLots = items[15];
  task.openPrice = items[16];
  task.openPriceType = items[17];
  task.openDealAttribute = items[18];
  std::string message;
  if (module_.AddReverseOrderTask(task, message)) return true;
  platform::ShowMessage(message);
  return false;
}

bool OrderSubmission::SubmitChangePriceOrder(const backend::CGlobalStringList& list) {
  Items items = ItemsOf(list, 18);
  engine::COperationEngine* engine = EngineOrFailure();
  if (engine == nullptr) return false;
  const OrderEntrySettings settings = settings_.EntrySettings();
  PricedLeg legs[] = {{items[12], items[14], items[15]}};
  if (IsZeroPrice(items[12], kPlainLowest) && IsMarketKind(items[14])) {
    const MarketOrder order{.exchange = items[6],
                            .seat = items[4],
                            .contract = items[7],
                            .buySell = items[8],
                            .ask = settings.sendOrderAffirmBox,
                            .refusal = kLegRefusal};
    if (!ApplyMarketPriceRule(*engine, order, legs)) return false;
  }
  ChangePriceTask task;
  task.caller = CallerOf(items);
  task.orderNo = items[3];
  task.orderingSeat = items[5];
  task.order = RecordOf(items, kChangePriceItems);
  task.lotsPerSend = GetMaxSplitLots(settings, settings_.VarietyParamRows(), items[7], items[14], items[12]);
  task.confirm = settings.sendOrderAffirmBox;
  std::string message;
  if (module_.AddChangePriceOrderTask(task, message)) return true;
  // No box for a change of price, but not without a trace either.
  client::PostOutputLine(client::kFailureLine, message);
  return false;
}

}  // namespace order_module
