// The position summary: the current position details summed per account,
// exchange, contract, direction, hedge, trade code and seat.
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "backend/field_text.h"
#include "engine/operation_engine_base.h"
#include "lots.h"
#include "position_rows.h"
#include "typed_rows.h"

namespace engine {
namespace {

using typed_rows::RowAt;

using position_rows::kOrdinaryKind;

// Whether a detail belongs to a summary row; the detail's contract code is
// already trimmed.
bool SameSummaryKey(const PositionSummaryRow& row, const PositionDetailRow& detail) {
  return Text(row.szTradeAccount) == Text(detail.szTradeAccount) &&
         Text(row.szExchangeCode) == Text(detail.szExchangeCode) &&
         Text(row.szContractCode) == Text(detail.szContractCode) && Text(row.szFlagSH) == Text(detail.szFlagSH) &&
         Text(row.szFlagBS) == Text(detail.szFlagBS) && Text(row.szMapCode) == Text(detail.szMapCode) &&
         Text(row.szSeatCode) == Text(detail.szSeatCode);
}

std::optional<std::uint32_t> FindSummaryRow(const EngineTable& summary, const PositionDetailRow& detail) {
  for (std::uint32_t index = 0; index < summary.GetCount(); ++index) {
    const std::optional<PositionSummaryRow> row = RowAt<PositionSummaryRow>(summary, index);
    if (row && SameSummaryKey(*row, detail)) return index;
  }
  return std::nullopt;
}

// An average price of a cost over lots; no lots have no price.
double AveragePrice(double cost, int lots) { return lots == 0 ? 0.0 : cost / lots; }

void AddDetail(PositionSummaryRow& row, const PositionDetailRow& detail, bool openedToday) {
  const int lots = ReadInt(detail.szPositionVolume);
  const int total = SaturateLots(static_cast<long long>(ReadInt(row.szPositionVolume)) + lots);
  // Each detail's cost to the cent, as the position book sums them.
  const double openCost =
      CentsAmount(MoneyCents(ReadNumber(row.szOpenCost)) + MoneyCents(ReadNumber(detail.szOpenPrice) * lots));
  const double positionCost =
      CentsAmount(MoneyCents(ReadNumber(row.szPositionCost)) + MoneyCents(ReadNumber(detail.szPositionPrice) * lots));
  SetInt(row.szPositionVolume, total);
  SetMoney(row.szOpenPrice, AveragePrice(openCost, total));
  SetMoney(row.szPositionPrice, AveragePrice(positionCost, total));
  SetMoney(row.szEngrossCautionMoney, ReadMoney(row.szEngrossCautionMoney) + ReadMoney(detail.szEngrossCautionMoney));
  SetMoney(row.szOpenCost, openCost);
  SetMoney(row.szPositionCost, positionCost);
  if (openedToday) SetInt(row.szTodayVolume, SaturateLots(static_cast<long long>(ReadInt(row.szTodayVolume)) + lots));
}

PositionSummaryRow NewSummaryRow(const PositionDetailRow& detail, bool openedToday, std::string_view tradeClass) {
  PositionSummaryRow row{};
  SetText(row.szTradeAccount, Text(detail.szTradeAccount));
  SetText(row.szExchangeCode, Text(detail.szExchangeCode));
  SetText(row.szContractCode, Text(detail.szContractCode));
  SetText(row.szFlagSH, Text(detail.szFlagSH));
  SetText(row.szPositionVolume, Text(detail.szPositionVolume));
  SetText(row.szMapCode, Text(detail.szMapCode));
  SetText(row.szVarietyCode, Text(detail.szVarietyCode));
  SetText(row.szAccountDay, Text(detail.szAccountDay));
  SetText(row.szPositionPrice, Text(detail.szPositionPrice));
  SetText(row.szOpenPrice, Text(detail.szOpenPrice));
  SetText(row.szFlagBS, Text(detail.szFlagBS));
  SetText(row.szSeatCode, Text(detail.szSeatCode));
  SetText(row.szEngrossCautionMoney, Text(detail.szEngrossCautionMoney));
  if (openedToday) SetText(row.szTodayVolume, Text(detail.szPositionVolume));
  const int lots = ReadInt(detail.szPositionVolume);
  SetMoney(row.szOpenCost, ReadNumber(detail.szOpenPrice) * lots);
  SetMoney(row.szPositionCost, ReadNumber(detail.szPositionPrice) * lots);
  SetText(row.szTradeClass, tradeClass);
  return row;
}

}  // namespace

void COperationEngineBase::BuildPositionSummary(EngineTable& output, PositionKinds kinds) {
  std::vector<PriceContractRow> prices;
  {
    std::lock_guard guard(lock_);
    const std::string tradingDate = GetLoginTexts().tradingDate;
    EngineTable& details = TableAt(Table::kPositionDetails);
    for (std::uint32_t index = 0; index < details.GetCount(); ++index) {
      std::optional<PositionDetailRow> detail = RowAt<PositionDetailRow>(details, index);
      if (!detail || (kinds == PositionKinds::kOrdinaryOnly && Text(detail->szPosKind) != kOrdinaryKind)) continue;
      // The details keep their contract codes trimmed, as later matches expect.
      SetText(detail->szContractCode, std::string(backend::TrimBlanks(Text(detail->szContractCode))));
      typed_rows::StoreRow(details, index, *detail);
      if (Text(detail->szContractCode).empty()) continue;

      const bool openedToday = Text(detail->szOpenDate) == tradingDate;
      if (const std::optional<std::uint32_t> match = FindSummaryRow(output, *detail)) {
        PositionSummaryRow row = *RowAt<PositionSummaryRow>(output, *match);
        AddDetail(row, *detail, openedToday);
        typed_rows::StoreRow(output, *match, row);
      } else {
        ContractRow contract{};
        FindContract(Text(detail->szExchangeCode), Text(detail->szContractCode), contract);
        // A row the list cannot take is left out.
        typed_rows::AppendRow(output, NewSummaryRow(*detail, openedToday, Text(contract.szTradeClass)));
      }
    }
    prices = typed_rows::AllRows<PriceContractRow>(TableAt(Table::kPriceContracts));
  }
  // Priced row by row, each taking the lock for itself, so that no quote is
  // waited for under it.
  for (const PriceContractRow& price : prices) UpdateContractProfit(price, output);
}

}  // namespace engine
