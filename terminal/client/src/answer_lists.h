// Answers that an operation hands to its caller as a list of trimmed fields.
#pragma once

#include <string>
#include <string_view>

#include "backend/cx_data_set.h"
#include "backend/request_record.h"

namespace client {

// Empties `list`, then splits sub-request 0's answer into it (the fields of
// a single-packet status line as texts, or one row list per follow-up line),
// `fieldCount` trimmed fields from `firstField` on, an absent field as an
// empty text. False, with `list` empty and `failure` as the message, when
// the answer cannot be stored.
bool SplitAnswerInto(const backend::RequestRecord& record, int firstField, int fieldCount, backend::CxDataSet& list,
                     std::string_view failure, std::string& message);

}  // namespace client
