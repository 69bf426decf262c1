// The combination position table: the legs of each combination position
// joined into one row, equal positions merged, rows sorted.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "engine/combination_summary_row.h"
#include "engine/operation_engine_base.h"
#include "lots.h"
#include "typed_rows.h"

namespace engine {
namespace {

constexpr std::size_t kMaxLegs = 4;

// "%.2f" of a value as it stands; an average of no lots is "0.00".
std::string PlainTwoDecimals(double value) {
  if (!std::isfinite(value)) value = 0.0;
  char text[400];  // room for the largest finite double
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

double Average(double sum, long long lots) { return lots == 0 ? 0.0 : sum / static_cast<double>(lots); }

std::string LegContract(const CombinationDetailRow& leg) {
  return std::string(Text(leg.szVarietyCode)).append(Text(leg.szAccountDay));
}

// The legs of one combination row as they fill up from the detail rows.
class LegSlots {
 public:
  explicit LegSlots(CombinationSummaryRow& row) : row_(row) {}

  // Puts the leg into the slot of its leg number (1 to 4; any other number
  // fills none); a filled slot takes its lots, average price and margin in.
  void Add(const CombinationDetailRow& leg) {
    const int number = ReadInt(leg.szLegNo);
    if (number < 1 || number > static_cast<int>(kMaxLegs)) return;
    const std::size_t slot = static_cast<std::size_t>(number - 1);
    const int lots = ReadInt(leg.szPositionVolume);
    if (!filled_[slot]) {
      filled_[slot] = true;
      SetText(row_.szLegContractCode[slot], LegContract(leg));
      SetText(row_.szLegFlagBS[slot], Text(leg.szFlagBS));
      SetInt(row_.szLegVolume[slot], lots);
      SetMoney(row_.szLegPrice[slot], ReadNumber(leg.szPositionPrice));
      SetMoney(row_.szLegMargin[slot], ReadNumber(leg.szEngrossCautionMoney));
      return;
    }
    const int held = ReadInt(row_.szLegVolume[slot]);
    const long long total = static_cast<long long>(held) + lots;
    const double heldValue = ReadNumber(row_.szLegPrice[slot]) * held;
    SetInt(row_.szLegVolume[slot], SaturateLots(total));
    SetMoney(row_.szLegPrice[slot], Average(heldValue + ReadMoney(leg.szPositionPrice) * lots, total));
    SetMoney(row_.szLegMargin[slot], ReadNumber(row_.szLegMargin[slot]) + ReadMoney(leg.szEngrossCautionMoney));
  }

 private:
  CombinationSummaryRow& row_;
  std::array<bool, kMaxLegs> filled_{};
};

// "<strategy> <leg 1>&<leg 2>", then "&<leg 3>" and "&<leg 4>" while set.
std::string CombinationCode(const CombinationSummaryRow& row) {
  std::string code = std::string(Text(row.szStrategyCode)).append(" ");
  code.append(Text(row.szLegContractCode[0])).append("&").append(Text(row.szLegContractCode[1]));
  for (std::size_t leg = 2; leg < kMaxLegs && !Text(row.szLegContractCode[leg]).empty(); ++leg) {
    code.append("&").append(Text(row.szLegContractCode[leg]));
  }
  return code;
}

// Lots, price and margin of the combination from its legs as the kind
// defines them; a leg of ratio 0 sets no bound on the lots.
void WriteTotals(CombinationSummaryRow& row, const OrderKindRow& kind) {
  double price = 0.0;
  double margin = 0.0;
  std::optional<int> lots;
  const std::span<const OrderKindLeg> legs = DefinedLegs(kind);
  for (std::size_t leg = 0; leg < legs.size(); ++leg) {
    price += ReadInt(legs[leg].szPriceSign) * ReadMoney(row.szLegPrice[leg]);
    margin += ReadMoney(row.szLegMargin[leg]);
    const int ratio = ReadInt(legs[leg].szVolumeRatio);
    if (ratio <= 0) continue;
    const int legLots = ReadInt(row.szLegVolume[leg]) / ratio;
    lots = lots ? std::min(*lots, legLots) : legLots;
  }
  SetInt(row.szPositionVolume, lots.value_or(0));
  SetMoney(row.szCombinationPrice, price);
  SetMoney(row.szEngrossCautionMoney, margin);
  SetText(row.szLegCount, Text(kind.szLegCount));
}

auto MergeKey(const CombinationSummaryRow& row) {
  return std::tuple(Text(row.szExchangeCode), Text(row.szStrategyCode), Text(row.szMapCode),
                    Text(row.szCombinationCode), Text(row.szKindKey4));
}

auto SortKey(const CombinationSummaryRow& row) {
  return std::tuple(Text(row.szExchangeCode), Text(row.szStrategyCode), Text(row.szCombinationCode),
                    Text(row.szMapCode), Text(row.szKindKey4));
}

// Sums of the rows of one merge group: lots, margins and lot-weighted prices.
struct MergedSums {
  struct Part {
    long long lots = 0;
    double margin = 0.0;
    double priceTimesLots = 0.0;

    void Add(const char (&lots)[8], const char (&price)[16], const char (&margin)[16]) {
      const int rowLots = ReadInt(lots);
      this->lots += rowLots;
      this->margin += ReadMoney(margin);
      priceTimesLots += ReadMoney(price) * rowLots;
    }
    void Write(char (&lots)[8], char (&price)[16], char (&margin)[16]) const {
      SetInt(lots, SaturateLots(this->lots));
      SetText(price, PlainTwoDecimals(Average(priceTimesLots, this->lots)));
      SetMoney(margin, this->margin);
    }
  };
  Part combination;
  std::array<Part, kMaxLegs> legs;
};

void AddToSums(MergedSums& sums, const CombinationSummaryRow& row, std::size_t legCount) {
  sums.combination.Add(row.szPositionVolume, row.szCombinationPrice, row.szEngrossCautionMoney);
  for (std::size_t leg = 0; leg < legCount; ++leg) {
    sums.legs[leg].Add(row.szLegVolume[leg], row.szLegPrice[leg], row.szLegMargin[leg]);
  }
}

// Merges every later row of the same keys into the first one.
void MergeEqualPositions(std::vector<CombinationSummaryRow>& rows) {
  for (std::size_t first = 0; first < rows.size(); ++first) {
    CombinationSummaryRow& target = rows[first];
    const std::size_t legCount = static_cast<std::size_t>(std::clamp(ReadInt(target.szLegCount), 0, 4));
    MergedSums sums;
    AddToSums(sums, target, legCount);
    bool merged = false;
    for (std::size_t later = first + 1; later < rows.size();) {
      if (MergeKey(rows[later]) != MergeKey(target)) {
        ++later;
        continue;
      }
      AddToSums(sums, rows[later], legCount);
      rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(later));
      merged = true;
    }
    if (!merged) continue;
    sums.combination.Write(target.szPositionVolume, target.szCombinationPrice, target.szEngrossCautionMoney);
    for (std::size_t leg = 0; leg < legCount; ++leg) {
      sums.legs[leg].Write(target.szLegVolume[leg], target.szLegPrice[leg], target.szLegMargin[leg]);
    }
  }
}

}  // namespace

void COperationEngineBase::BuildCombinationTable(backend::CxDataSet& output) const {
  std::lock_guard guard(lock_);
  const std::vector<CombinationDetailRow> details =
      typed_rows::AllRows<CombinationDetailRow>(TableAt(Table::kCombinationDetails));
  // Which details a combination row has taken; the details themselves stay
  // as they are.
  std::vector<bool> taken(details.size(), false);
  std::vector<CombinationSummaryRow> rows;
  for (std::size_t first = 0; first < details.size(); ++first) {
    if (taken[first]) continue;
    taken[first] = true;
    const CombinationDetailRow& leg = details[first];
    OrderKindRow kind{};
    if (!FindOrderKind(Text(leg.szExchangeCode), Text(leg.szStrategyCode), "0", Text(leg.szKindKey4), "0", kind)) {
      continue;
    }
    CombinationSummaryRow row{};
    SetText(row.szExchangeCode, Text(leg.szExchangeCode));
    SetText(row.szStrategyCode, Text(leg.szStrategyCode));
    SetText(row.szMapCode, Text(leg.szMapCode));
    SetText(row.szSeatCode, Text(leg.szSeatCode));
    SetText(row.szKindKey4, Text(leg.szKindKey4));
    LegSlots slots(row);
    slots.Add(leg);
    for (std::size_t later = first + 1; later < details.size(); ++later) {
      if (taken[later] || Text(details[later].szCombinationNo) != Text(leg.szCombinationNo)) continue;
      taken[later] = true;
      slots.Add(details[later]);
    }
    SetText(row.szCombinationCode, CombinationCode(row));
    WriteTotals(row, kind);
    rows.push_back(row);
  }
  MergeEqualPositions(rows);
  std::ranges::sort(rows, [](const auto& left, const auto& right) { return SortKey(left) < SortKey(right); });
  // A row the list cannot take is left out.
  for (const CombinationSummaryRow& row : rows) typed_rows::AppendRow(output, row);
}

}  // namespace engine
