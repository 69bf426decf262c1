// The texts in which the back end tells the terminal about orders, fills
// and exercise applications: the answer to an order (5011) and the pushes
// that follow the order's life. Fields are counted from 1; a push starts
// "R||0|<code>|".
//
// Order state (15002) and cancel (15004) pushes: 8 customer, 9 order number,
// 10 exchange id, 11 exchange name, 12 contract, 13 contract name, 14 state,
// 15 state text, 16 buy/sell, 17 its text, 18 open/close, 19 its text,
// 20 hedge, 21 its text, 22 lots, 23 price, 24 lots filled, 25 average fill
// price, 26 order time, 27 trade code, 28 system number, 31 time reported,
// 34 cancel time, 35 price type, 36 seat, 37 validity, 39 state sequence,
// 40 message, 41 "0" (the terminal releases what a cancel push leaves
// frozen; a fill releases its own part), 42 order seat.
//
// Trade push (15005): 8 customer, 9 exchange id, 10 trading day, 11 order
// number, 12 the order's state, 13 its text, 14 contract, 15 contract name,
// 16 buy/sell, 17 its text, 18 open/close, 19 its text, 20 hedge, 21 its
// text, 22 lots of the fill, 23 lots of the order still working, 24 fill
// price, 25 the order's average fill price, 26 turnover, 27 trade code,
// 28 system number, 29 fill number, 30 delivery period, 31 fill time,
// 32 seat, 35 the order's state sequence, 36 message, 37 order seat.
//
// Exercise application state (15012) and cancel (15013) pushes:
// 8 customer, 9 application number, 10 exchange id, 11 contract, 12 state,
// 13 buy/sell, 14 hedge, 15 lots, 16 trade code, 25 cancel time, 28 state
// sequence, 29 message, 31 order seat (the application's key), 42 type.
#pragma once

#include <string>
#include <vector>

#include "day_business.h"
#include "simbackend/backend_data.h"

namespace simbackend {

inline constexpr int kOrderStatePush = 15002;
inline constexpr int kOrderCancelPush = 15004;
inline constexpr int kTradePush = 15005;
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

// The answer to an order from field 5 on: 5 order number, 6 exchange id,
// 7 exchange name, 8 contract, 9 contract name, 10 state, 11 state text,
// 12 buy/sell, 13 its text, 14 open/close, 15 its text, 16 hedge, 17 its
// text, 18 lots, 19 price, 20 lots filled, 21 average fill price, 22 the
// customer, 23 system number, 24 trade code, 26 order time, 27 time
// reported, 30 cancel time, 31 order kind "A", 32 seat, 34 order seat,
// 36 price type, 37 validity, 43 frozen margin, 44 frozen fee, 47 frozen
// premium.
std::vector<std::string> OrderAnswerValues(const BackendData& data, const BookOrder& order,
                                           const OrderProgress& progress);

// A 15002 or 15004 push of the order as it stands.
std::string OrderPushLine(int code, const BackendData& data, const BookOrder& order, const OrderProgress& progress,
                          const std::string& message);

// The 15005 push of one fill of the order, which stands as after the fill.
std::string TradePushLine(const BackendData& data, const BookOrder& order, const OrderProgress& progress,
                          const DayTrade& trade, const std::string& tradingDay, const std::string& message);

// A 15012 or 15013 push of the application as it stands.
std::string ExercisePushLine(int code, const ExerciseApplication& application, const std::string& message);

}  // namespace simbackend
