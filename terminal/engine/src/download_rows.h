// Rows built from the lines of the back end's answers, shared by the
// download loaders and the single-row queries, and the append of a row to a
// table.
#pragma once

#include <cstddef>
#include <string_view>

#include "backend/data_set_block.h"
#include "backend/exercise_order_row.h"
#include "engine/answer_fields.h"
#include "engine/engine_table.h"
#include "engine/reference_rows.h"
#include "engine/row_field.h"
#include "engine/trading_rows.h"
#include "typed_rows.h"

namespace engine {

class COperationEngineBase;

namespace download_rows {

// Copies answer fields first, first + 1, ... into the row fields given, in
// this order.
template <std::size_t... Widths>
void FillInOrder(const LineFields& line, int first, char (&... fields)[Widths]) {
  int n = first;
  (SetText(fields, line.Field(n++)), ...);
}

// Appends a row as one raw entry; false when the table cannot grow.
using typed_rows::AppendRow;

// Calls `build` with the fields of a data line (up to its first zero byte,
// as an answer list keeps it). A line without a single field is no row: it
// would load as a row of empty texts that belongs to no one.
template <typename Build>
void ForDataLine(std::string_view text, Build&& build) {
  const LineFields line(text.substr(0, text.find('\0')));
  if (line.Count() > 0) build(line);
}

// Calls `build` with every data line of an answer: the lines after the
// status line.
template <typename Build>
void ForEachDataLine(const backend::CxDataSetView& answer, Build build) {
  for (std::size_t index = 1; index < answer.GetCount(); ++index) ForDataLine(AnswerLineAt(answer, index), build);
}

// An order answer (5134) line with a strategy code in field 34 is a special
// order; one without is an ordinary order.
bool IsSpecialOrderLine(const LineFields& line);
// The option flag of the order's contract comes from the engine's contract
// table.
OrderRow OrderRowFromLine(std::string_view account, const LineFields& line, const COperationEngineBase& engine);
SpecialOrderRow SpecialOrderRowFromLine(std::string_view account, const LineFields& line);

// A condition order of the 5478 answer and a profit/loss order of the 5474
// answer. The answers that add or change one carry the same fields one
// later: their line without its first field reads as a download line.
ConditionOrderRow ConditionOrderRowFromLine(const LineFields& line);
ProfitLossOrderRow ProfitLossOrderRowFromLine(const LineFields& line);
// An answer's status line read as a download line: field n + 1 of the
// answer is field n of the result.
LineFields AsDownloadLine(std::string_view answerLine);

// An exercise application of the 5246 answer; its exchange name is left to
// the caller, who looks it up in the exchange seats.
backend::ExerciseOrderRow ExerciseOrderRowFromLine(const LineFields& line);

// The first line of a 5242 answer.
ExercisableQuantityRow ExercisableQuantityRowFromLine(const LineFields& line);

}  // namespace download_rows
}  // namespace engine
