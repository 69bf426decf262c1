// The codes of the buy/sell and open/close fields of orders, trades and
// positions, as the back end writes them.
#pragma once

#include <string_view>

namespace engine::order_flags {

inline constexpr std::string_view kBuy = "0";
inline constexpr std::string_view kSell = "1";
inline constexpr std::string_view kOpen = "0";
inline constexpr std::string_view kClose = "1";
inline constexpr std::string_view kCloseToday = "2";

}  // namespace engine::order_flags
