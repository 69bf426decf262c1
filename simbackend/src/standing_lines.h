// The texts in which the back end tells the terminal about profit/loss and
// condition orders: their answers (5473, 5477) and their pushes (15003:
// states and questions). Their layouts are told in functions.h.
#pragma once

#include <string>
#include <vector>

#include "day_business.h"
#include "simbackend/backend_data.h"
#include "standing_orders.h"

namespace simbackend {

inline constexpr int kStandingOrderPush = 15003;
// Kinds of a 15003 push (its field 9).
inline constexpr const char* kConfirmationQuestion = "1";
inline constexpr const char* kChoiceQuestion = "2";
inline constexpr const char* kStatePushKind = "3";

// The answer to a profit/loss order from field 5 on.
std::vector<std::string> ProfitLossAnswerValues(const BackendData& data, const DayBusiness& business,
                                                const ProfitLossOrder& order);
// Its state push: field 14 "ZSZY#<state text>#".
std::string ProfitLossPushLine(const DayBusiness& business, const ProfitLossOrder& order);

// The answer to a condition order from field 5 on; `alreadyMet` says that
// it was not entered because its condition holds already.
std::vector<std::string> ConditionAnswerValues(const BackendData& data, const DayBusiness& business,
                                               const ConditionOrder& order, bool alreadyMet);
// Its state push (kind 3).
std::string ConditionStatePushLine(const DayBusiness& business, const ConditionOrder& order);
// The question it waits on (kind 1 or 2), with its text.
std::string ConditionQuestionLine(const ConditionOrder& order, const std::string& text);

}  // namespace simbackend
