#include "client/order_push_hooks.h"

#include "backend/field_text.h"

namespace client {
namespace {

template <std::size_t N>
void CopyInto(char (&field)[N], std::string_view text) {
  const std::string terminated(text);
  backend::CopyTextBounded(terminated.c_str(), field, N);
}

}  // namespace

OrderStateChange MakeOrderStateChange(std::string_view orderingSeat, std::string_view orderNo,
                                      std::string_view seatCode, std::string_view state, std::string_view volume,
                                      std::string_view remaining) {
  OrderStateChange change;
  CopyInto(change.orderNo, orderNo);
  CopyInto(change.orderingSeat, orderingSeat);
  CopyInto(change.seatCode, seatCode);
  CopyInto(change.state, state);
  CopyInto(change.volume, volume);
  CopyInto(change.remaining, remaining);
  return change;
}

}  // namespace client
