// What the engine's own requests to the back end are made of: how the back
// end answers each, the limits of a request, and the selectors of the
// single-row queries. COperationEngineBase builds the records
// (operation_engine_base.h).
#pragma once

#include <cstddef>
#include <string_view>

namespace engine {

// How the back end answers a request: the whole answer in its status line,
// or a status line whose field 5 counts the rows that the transport then
// fetches one by one. The record's single-packet flag follows from it.
enum class AnswerForm { kSingleLine, kRows };

// One kind of engine request.
struct EngineRequest {
  // The record's title, and the head of its failure messages.
  std::string_view title;
  int functionNo = 0;
  AnswerForm form = AnswerForm::kSingleLine;
  // Logged after the title when the record cannot be made.
  std::string_view createFailure = "时，创建请求命令失败！";
  // Logged after the title when the record cannot take the request text.
  std::string_view addFailure = "时，增加请求命令失败！";
};

// Every engine request goes out with this priority.
inline constexpr int kEngineRequestPriority = 2;
// The longest request text the back end takes: its text field holds 512
// bytes with the terminating zero.
inline constexpr std::size_t kMaxRequestTextLength = 511;
// The most contracts one last-price request may list.
inline constexpr std::size_t kMaxContractsPerPriceRequest = 100;

// One order (5134) or one exercise application (5246) of an account, by
// its three keys; all three empty select every one of the account's.
struct OrderSelectors {
  std::string_view orderNo;
  std::string_view exchangeCode;
  std::string_view orderSeat;
};

// The option position whose exercisable quantity 5242 answers; an empty
// selector selects any.
struct ExercisableSelectors {
  std::string_view exchangeCode;
  std::string_view contractCode;
  std::string_view tradeCode;
  std::string_view seatCode;
  std::string_view hedgeCode;
  std::string_view buySellCode;
};

}  // namespace engine
