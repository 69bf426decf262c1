#include "backend/answer_bounds.h"

#include <algorithm>
#include <array>

namespace backend {
namespace {

constexpr std::array kLongLists = {
    5003,  // trades of the day
    5006,  // deposits and withdrawals of a period
    5008,  // contracts of the four exchanges, options included
    5132,  // position details
    5133,  // combination position details
    5134,  // orders of the day
    5244,  // option exercise applications
    5246,  // option exercise and abandon orders
    5472,  // the lines of a settlement statement, a month's too
    5474,  // profit/loss orders
    5478,  // condition orders
};

}  // namespace

AnswerBound AnswerBoundFor(int function) {
  return std::ranges::find(kLongLists, function) != kLongLists.end() ? kLongListBound : kShortListBound;
}

}  // namespace backend
