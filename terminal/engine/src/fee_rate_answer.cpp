// The fee-rate query (5016) answered from the engine's fee-rate cache, in
// the text a back-end answer line has.
#include <mutex>
#include <string>

#include "backend/field_text.h"
#include "engine/operation_engine_base.h"

namespace engine {
namespace {

constexpr std::string_view kFoundHead = "A|||Y||";
constexpr std::string_view kNotFound = "A|||N||查询费率失败！|";

// The head and the row's 26 texts, each followed by "|": account, exchange,
// seat, contract, then the 22 rates in row order. A "|" inside a text goes
// as 0x01, as the back end writes it, so that no field moves.
std::string AnswerLine(const FeeRateRow& rates) {
  std::string line(kFoundHead);
  const auto add = [&line](std::string_view text) { backend::AppendSeparatedField(line, text); };
  add(Text(rates.szTradeAccount));
  add(Text(rates.szExchangeCode));
  add(Text(rates.szSeatCode));
  add(Text(rates.szContractCode));
  const auto addPair = [&add](const RatePair& pair) {
    add(Text(pair.szRateByAmount));
    add(Text(pair.szAmountPerLot));
  };
  for (const RatePair& pair : rates.openCloseFees) addPair(pair);
  for (const RatePair& pair : rates.closeTodayFees) addPair(pair);
  for (const auto& text : rates.szFeeRateField) add(Text(text));
  for (const RatePair* pair :
       {&rates.buySpeculationMargin, &rates.sellSpeculationMargin, &rates.buyHedgeMargin, &rates.sellHedgeMargin}) {
    addPair(*pair);
  }
  return line;
}

}  // namespace

void COperationEngineBase::LocalFeeRateAnswer(std::string_view exchangeCode, std::string_view seatCode,
                                              std::string_view contractCode, std::string_view customer,
                                              backend::CxDataSet& answer) {
  std::lock_guard guard(lock_);
  FeeRateRow rates{};
  const std::string line =
      FindFeeRate(exchangeCode, seatCode, contractCode, customer, rates) ? AnswerLine(rates) : std::string(kNotFound);
  WriteLog(line.c_str(), 3);
  answer.AddText(line);
}

}  // namespace engine
