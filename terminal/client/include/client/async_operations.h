// The asynchronous operations: each hands its request to the engine and
// returns; the answer comes back through the result queue under the
// operation's handler tag (client/shell_services.h), where the queue pump
// routes it to the view that asked. True when the request is on its way;
// false with the reason (nothing was sent).
#pragma once

#include <string>
#include <string_view>

#include "backend/global_string_list.h"

namespace client {

// The customer's deposit and withdrawal history (function 5006, tag
// "_QueryHisIOFund"); the three texts are the query view's, in its order.
bool QueryHisIOFund(std::string_view customerNo, std::string_view first, std::string_view second,
                    std::string_view third, std::string& message);

// Cancels one order of the customer (function 5012, tag "_DeleteOrder").
bool DeleteOrder(std::string_view customerNo, std::string_view orderNo, std::string_view seatCode,
                 std::string_view orderingSeat, std::string& message);

// Cancels several orders of the customer in one request of one cancel per
// order (tag "_DeleteAllOrder"): item i of the three lists names order i.
// Lists that are empty or of different lengths are refused.
bool DeleteAllOrder(std::string_view customerNo, const backend::CGlobalStringList& orderNos,
                    const backend::CGlobalStringList& seatCodes, const backend::CGlobalStringList& orderingSeats,
                    std::string& message);

// The options of the account on slot 0 that may be abandoned (function
// 5244, tag "_QueryOptionsExercise").
bool QueryOptionsExercise(std::string& message);

}  // namespace client
