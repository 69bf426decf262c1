// The accounts' business of accounts.txt: balances, trade codes, the
// positions held before the market opened, and the orders and trades of the
// trading day.
#pragma once

#include <string>
#include <vector>

#include "record_file.h"
#include "simbackend/backend_data.h"

namespace simbackend {

// The record keys of the accounts' business.
inline const std::vector<std::string> kBusinessRecordKeys = {"funds", "tradecode", "position", "order", "trade"};

// Takes the business records of accounts.txt into `data`, whose accounts,
// contracts and seats are read already. Balances and trade codes are taken
// first, then positions and orders, then trades, so each may stand anywhere
// in the file. An order's state must fit the lots its trades filled, and
// each trade the order's price. False with the file, line and fault in
// `error`.
bool TakeBusiness(const std::string& path, const std::vector<DataRecord>& records, BackendData& data,
                  std::string& error);

}  // namespace simbackend
