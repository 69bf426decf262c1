// The parameters of one order cancel (function 5012), which the synchronous
// and the asynchronous cancels send alike.
#pragma once

#include <string_view>

#include "backend/account_table.h"
#include "client/operation_frame.h"

namespace client {

// Parameters 5 to 11 empty, 12 the order number, 13 and 14 empty, 15 the
// seat code, 16 the seat the order was placed through.
OperationParameters CancelParameters(const backend::AccountKey& signer, std::string_view orderNo,
                                     std::string_view seatCode, std::string_view orderingSeat);

}  // namespace client
