// The exchange seats, close strategies, order types, trading parameters,
// fee and margin rates and option parameters of trading.txt.
#pragma once

#include <string>

#include "simbackend/backend_data.h"

namespace simbackend {

// Fills those parts of `data` from the file; the exchanges and contracts
// must be read already. Every contract must find its fee rates for opening
// and for closing today and its margin rates, and the parameter "ACCFRZ"
// must be given once. False with the file, line and fault in `error`.
bool ReadTrading(const std::string& path, BackendData& data, std::string& error);

}  // namespace simbackend
