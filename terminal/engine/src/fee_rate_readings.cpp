#include "fee_rate_readings.h"

#include <cstring>
#include <span>

#include "engine/row_field.h"

namespace engine {
namespace {

Rate ReadRate(const RatePair& pair) { return {ReadNumber(pair.szRateByAmount), ReadNumber(pair.szAmountPerLot)}; }

std::array<Rate, 3> ReadRates(const RatePair (&pairs)[3]) {
  return {ReadRate(pairs[0]), ReadRate(pairs[1]), ReadRate(pairs[2])};
}

}  // namespace

FeeRates ReadFeeRates(const FeeRateRow& row) {
  return {.openCloseFees = ReadRates(row.openCloseFees),
          .closeTodayFees = ReadRates(row.closeTodayFees),
          .buySpeculationMargin = ReadRate(row.buySpeculationMargin),
          .sellSpeculationMargin = ReadRate(row.sellSpeculationMargin),
          .buyHedgeMargin = ReadRate(row.buyHedgeMargin),
          .sellHedgeMargin = ReadRate(row.sellHedgeMargin)};
}

const FeeRates* FeeRateReadings::Of(const EngineTable& table, std::uint32_t index) {
  const std::span<const std::uint8_t> bytes = table.GetValue(index);
  if (bytes.size() < sizeof(FeeRateRow)) return nullptr;
  if (index >= readings_.size()) readings_.resize(index + 1);
  Reading& reading = readings_[index];
  if (!reading.read || std::memcmp(&reading.row, bytes.data(), sizeof(FeeRateRow)) != 0) {
    std::memcpy(&reading.row, bytes.data(), sizeof(FeeRateRow));
    reading.rates = ReadFeeRates(reading.row);
    reading.read = true;
  }
  return &reading.rates;
}

}  // namespace engine
