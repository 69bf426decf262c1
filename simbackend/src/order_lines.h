// The texts in which the back end tells the terminal about orders, fills
// and exercise applications: the answer to an order (5011) and the pushes
// that follow the life of orders, special orders and applications (15002,
// 15004, 15005, 15008, 15009, 15012, 15013). Their layouts are told in
// functions.h.
#pragma once

#include <string>
#include <vector>

#include "day_business.h"
#include "simbackend/backend_data.h"

namespace simbackend {

inline constexpr int kOrderStatePush = 15002;
inline constexpr int kOrderCancelPush = 15004;
inline constexpr int kTradePush = 15005;
inline constexpr int kSpecialOrderPush = 15008;
inline constexpr int kSpecialStatePush = 15009;
inline constexpr int kExerciseStatePush = 15012;
inline constexpr int kExerciseCancelPush = 15013;

// The texts of the terminal's codes.
std::string OrderStateText(const std::string& state);
std::string BuySellText(const std::string& code);
std::string OpenCloseText(const std::string& code);
std::string HedgeText(const std::string& code);

// The order's average fill price, up to four decimals without trailing
// zeros; "0" before any fill.
std::string AveragePriceText(const OrderProgress& progress);

// The answer to an order from field 5 on.
std::vector<std::string> OrderAnswerValues(const BackendData& data, const BookOrder& order,
                                           const OrderProgress& progress);

// A 15002 or 15004 push of the order as it stands.
std::string OrderPushLine(int code, const BackendData& data, const BookOrder& order, const OrderProgress& progress,
                          const std::string& message);

// A 15008 push (the special order taken) or 15009 push (its fills and
// cancel) of the special order as it stands; a 15009 push of an order that
// no longer works releases what it froze.
std::string SpecialOrderPushLine(int code, const BackendData& data, const BookOrder& order,
                                 const OrderProgress& progress, const std::string& message);

// The 15005 push of one fill of the order (of one leg of a special order),
// which stands as after the fill.
std::string TradePushLine(const BackendData& data, const BookOrder& order, const OrderProgress& progress,
                          const DayTrade& trade, const std::string& tradingDay, const std::string& message);

// A 15012 or 15013 push of the application as it stands.
std::string ExercisePushLine(int code, const ExerciseApplication& application, const std::string& message);

}  // namespace simbackend
