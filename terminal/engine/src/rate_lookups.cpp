// The cached lookups of the cost calculation: fee rates, option parameters,
// last prices and the exchange-seat texts.
#include <algorithm>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

#include "backend/field_text.h"
#include "engine/operation_engine_base.h"
#include "fee_rate_readings.h"
#include "keyed_rows.h"
#include "typed_rows.h"

namespace engine {
namespace {

using typed_rows::FindRow;

// Copies one text of the first exchange-seat row of the exchange code.
template <std::size_t Width>
bool CopySeatText(const EngineTable& seats, std::string_view exchangeCode, char (ExchangeSeatRow::*field)[Width],
                  std::string& text) {
  const std::optional<ExchangeSeatRow> seat = FindRow<ExchangeSeatRow>(
      seats, [&](const ExchangeSeatRow& row) { return Text(row.szExchangeCode) == exchangeCode; });
  if (!seat) return false;
  text = Text((*seat).*field);
  return true;
}

// The first price of a last-price answer ("price;price;..."); 0 without a
// ";" after it.
double FirstAnswerPrice(std::string_view answer) {
  const std::string price = backend::GetSeparatedFieldText(1, answer, ';');
  return row_field_detail::ReadNumber(price);
}

}  // namespace

bool COperationEngineBase::FindFeeRate(std::string_view exchangeCode, std::string_view seatCode,
                                       std::string_view contractCode, std::string_view customer, FeeRateRow& row) {
  std::lock_guard guard(lock_);
  EngineTable& cache = TableAt(Table::kFeeRates);
  const std::string_view key[] = {exchangeCode, seatCode, contractCode, customer};
  if (const std::optional<std::uint32_t> cached = feeRateRows_->Find(cache, key)) {
    row = *typed_rows::RowAt<FeeRateRow>(cache, *cached);
    return true;
  }
  FeeRateRow asked{};
  if (!QueryFeeRate(exchangeCode, seatCode, contractCode, customer, asked)) return false;
  // A row the cache cannot take is simply asked for again next time.
  typed_rows::AppendRow(cache, asked);
  row = asked;
  return true;
}

bool COperationEngineBase::FindFeeRates(std::string_view exchangeCode, std::string_view seatCode,
                                        std::string_view contractCode, std::string_view customer, FeeRates& rates) {
  {
    std::lock_guard guard(lock_);
    const EngineTable& cache = TableAt(Table::kFeeRates);
    const std::string_view key[] = {exchangeCode, seatCode, contractCode, customer};
    if (const std::optional<std::uint32_t> cached = feeRateRows_->Find(cache, key)) {
      if (const FeeRates* read = feeRateReadings_->Of(cache, *cached)) {
        rates = *read;
        return true;
      }
    }
  }
  FeeRateRow row{};
  if (!FindFeeRate(exchangeCode, seatCode, contractCode, customer, row)) return false;
  rates = ReadFeeRates(row);
  return true;
}

bool COperationEngineBase::FindOptionParams(std::string_view exchangeCode, std::string_view contractCode,
                                            std::string_view customer, OptionParamsRow& row) {
  std::lock_guard guard(lock_);
  const auto cached = std::ranges::find_if(optionParams_, [&](const OptionParamsRow& params) {
    return Text(params.szExchangeCode) == exchangeCode && Text(params.szContractCode) == contractCode;
  });
  if (cached != optionParams_.end()) {
    row = *cached;
    return true;
  }
  OptionParamsRow asked{};
  SetText(asked.szExchangeCode, exchangeCode);
  SetText(asked.szContractCode, contractCode);
  if (!QueryOptionParams(exchangeCode, "", contractCode, customer, asked)) return false;
  optionParams_.push_back(asked);
  row = asked;
  return true;
}

double COperationEngineBase::GetLastPrice(std::string_view exchangeCode, std::string_view contractCode) {
  {
    std::lock_guard guard(lock_);
    const EngineTable& prices = TableAt(Table::kPriceContracts);
    const std::optional<std::uint32_t> listed =
        typed_rows::FindContractRow<PriceContractRow>(prices, exchangeCode, contractCode);
    const double price =
        listed ? Round(ReadNumber(typed_rows::RowAt<PriceContractRow>(prices, *listed)->szNewPrice), kLastPriceRounding)
               : 0.0;
    if (price != 0.0) return price;
  }
  // The back end's answer is awaited without the lock.
  std::string contracts(exchangeCode);
  contracts.append(",").append(contractCode).append(";");
  std::string answer;
  if (!QueryLastPrice(contracts, answer)) return 0.0;
  return Round(FirstAnswerPrice(answer), kLastPriceRounding);
}

bool COperationEngineBase::FindExchangeAbbreviation(std::string_view exchangeCode, std::string& abbreviation) const {
  std::lock_guard guard(lock_);
  return CopySeatText(TableAt(Table::kExchangeSeats), exchangeCode, &ExchangeSeatRow::szExchangeAbbr, abbreviation);
}

bool COperationEngineBase::FindExchangeSeat(std::string_view exchangeCode, std::string& exchangeName) const {
  std::lock_guard guard(lock_);
  return CopySeatText(TableAt(Table::kExchangeSeats), exchangeCode, &ExchangeSeatRow::szExchangeName, exchangeName);
}

}  // namespace engine
