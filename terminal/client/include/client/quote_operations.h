// One contract's quotation: from the quote table when it holds the contract,
// else asked of the back end on the quote connection (function 5007).
//
// Called on the GUI thread and on the engine's calculation thread.
#pragma once

#include <string>
#include <string_view>

#include "backend/quote_record.h"
#include "backend/request_record.h"

namespace client {

// Sends the quotation query for the contract on the quote connection,
// signed by the account on slot 0. The record once the dispatcher has it
// back (the caller judges the answer); null with the reason.
backend::RequestPtr QueryQuotation(std::string_view exchangeCode, std::string_view contractCode, std::string& message);

// Asks the back end for the contract's quotation and fills `quote` from the
// answer (zero-filled first; fields the answer lacks stay zero). False with
// the reason: the dispatcher's, or "查询合约<code> 价格失败！" for a failed
// or refused answer.
bool QueryQuoteRecord(std::string_view exchangeCode, std::string_view contractCode, backend::QuoteRecord& quote,
                      std::string& message);

// The contract's quotation from the quote table, or else from the back end.
// When both fail, the reason also goes to the output pane as a notice line.
bool GetQuoteOrQuery(std::string_view exchangeCode, std::string_view contractCode, backend::QuoteRecord& quote,
                     std::string& message);

}  // namespace client
