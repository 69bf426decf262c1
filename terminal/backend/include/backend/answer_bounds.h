// How much of a multi-packet answer the transport takes for a function: no
// more follow-up packets, and no more bytes, than the function can
// legitimately return. An answer past its bound fails its request at once:
// a status line that announces too many packets before any follow-up goes
// out, the bytes as soon as they pass, so that the slot is free again and
// nobody waits for a back end that sends without end.
#pragma once

#include <cstddef>

namespace backend {

struct AnswerBound {
  std::size_t packets = 0;  // follow-up packets (rows) after the status line
  std::size_t bytes = 0;    // of the status line and every row together
};

// Lists that grow with the market or with an account's business over a day
// or a period: contracts, orders, trades, positions, exercise applications
// and orders, profit/loss and condition orders, deposits and withdrawals,
// settlement statement lines.
inline constexpr AnswerBound kLongListBound{100'000, std::size_t{64} << 20};
// Every other function: servers, sub-accounts, seats, trade codes,
// parameters, rules, notices, bulletins.
inline constexpr AnswerBound kShortListBound{10'000, std::size_t{8} << 20};

AnswerBound AnswerBoundFor(int function);

}  // namespace backend
