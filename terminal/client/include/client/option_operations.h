// Option exercise and abandon applications: the abandon application of the
// account on slot 0 (function 5243), and sending (5240) or cancelling (5241)
// a customer's exercise or abandon order, whose answer fills an exercise
// order row. The caller texts are the option views' own and pass through in
// the order given. Each returns false with the reason in `message`.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "backend/exercise_order_row.h"

namespace client {

// An abandon application: 14 texts in the back end's order. The caller sets
// members 5, 7 and 13 (counted from 1); the answer fills all of them.
struct OptionsAbandonApplication {
  static constexpr std::size_t kMemberCount = 14;
  std::array<std::string, kMemberCount> members;
};

bool ApplyOptionsAbandon(OptionsAbandonApplication& application, std::string& message);

// Sends the customer's exercise or abandon order; on success `row` holds the
// application as the back end took it.
bool SendOptionsExerciseOrder(const std::array<std::string_view, 8>& texts, std::string_view customerNo,
                              backend::ExerciseOrderRow& row, std::string& message);

// Cancels the customer's exercise or abandon order; on success `row` holds
// the application's new state.
bool CancelOptionsExerciseOrder(const std::array<std::string_view, 5>& texts, std::string_view customerNo,
                                backend::ExerciseOrderRow& row, std::string& message);

}  // namespace client
