// The quote push (code 15001) read into a QuoteRecord.
//
// Prices may arrive as offsets from a base price (field 39): each price field
// then holds its value minus the base, and the depth below the best level
// carries prices only when the depth flag (field 40) is set. Volumes, the
// turnover and the texts never take the base.
#pragma once

#include <string_view>

#include "backend/quote_record.h"

namespace client {

// Fills `quote` (zero-filled first) from the pushed line. A missing or
// unreadable number reads as 0. Always true.
bool ParseQuotePush(std::string_view line, backend::QuoteRecord& quote);

}  // namespace client
