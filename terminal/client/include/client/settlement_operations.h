// The settlement: the exchanges' trading and settlement parameters, a
// customer's settlement statement and its confirmation. Each runs
// synchronously through the engine on the GUI thread and returns false with
// the reason in `message`.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "backend/cx_data_set.h"

namespace client {

// The "STATUS" parameters (function 5127), asked by the first trading
// account: `rows` (emptied first) takes one row list per answer row, fields 4
// to 7 trimmed; the first is the exchange code, the third its status.
bool QuerySettlementParams(backend::CxDataSet& rows, std::string& message);

// The customer's statement of `date` ("YYYYMMDD"; empty: the statement still
// to be confirmed) and `type` ("1" day, "2" month), function 5472: `rows`
// (emptied first) takes one row list per statement line, holding field 4.
bool QuerySettlementStatement(std::string_view customerNo, std::string_view date, std::string_view type,
                              backend::CxDataSet& rows, std::string& message);

// The statement lines of such rows, in order.
std::vector<std::string> StatementLines(const backend::CxDataSet& rows);

// Confirms the statement of the account on slot 0 (function 5471).
bool ConfirmSettlementStatement(std::string& message);

}  // namespace client
