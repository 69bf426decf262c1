#include "tradeviews/model/option_exercise.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "client/code_tables.h"
#include "client/operation_frame.h"
#include "platform/gbk.h"

namespace tradeviews {
namespace {

// The answer field of the first member.
constexpr int kFirstField = 4;
// The row's columns, by the member each shows.
constexpr std::size_t kShownMembers[] = {abandon_member::kContract,       abandon_member::kBuyPosition,
                                         abandon_member::kSellPosition,   abandon_member::kSuggested,
                                         abandon_member::kLargest,        abandon_member::kApplied,
                                         abandon_member::kForecastProfit, abandon_member::kSettlementPrice,
                                         abandon_member::kTradingCode,    abandon_member::kExchange};

std::string Fixed(std::string_view number, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, std::strtod(std::string(number).c_str(), nullptr));
  return text;
}

std::string CutTo(std::string_view text, std::size_t width) {
  return std::string(text.substr(0, platform::GbkFitLength(text, width - 1)));
}

}  // namespace

std::vector<AbandonableOptionRecord> BuildOptionExerciseRows(const backend::RequestRecord& answer) {
  std::vector<AbandonableOptionRecord> records;
  const backend::SubRequest* sub = answer.At(0);
  if (sub == nullptr) return records;
  for (std::size_t index = 1; index < sub->answer.GetCount(); ++index) {
    const std::string_view line = AnswerLine(sub->answer, index);
    AbandonableOptionRecord record;
    for (std::size_t member = 0; member < record.members.size(); ++member) {
      record.members[member] =
          client::FieldOf(line, kFirstField + static_cast<int>(member), kAbandonMemberWidths[member]);
    }
    records.push_back(std::move(record));
  }
  return records;
}

int SettlementPriceDecimals(double priceTick) { return std::max(2, client::CountDecimalPlaces(priceTick)); }

Cells AbandonableCells(const AbandonableOptionRecord& record, int priceDecimals) {
  Cells cells;
  for (const std::size_t member : kShownMembers) {
    const std::string& text = record.members[member];
    if (member == abandon_member::kForecastProfit) {
      cells.push_back(Fixed(text, 2));
    } else if (member == abandon_member::kSettlementPrice) {
      cells.push_back(Fixed(text, priceDecimals));
    } else {
      cells.push_back(text);
    }
  }
  return cells;
}

AbandonableOptionRecord AbandonableRecordFromCells(const Cells& cells) {
  AbandonableOptionRecord record;
  for (std::size_t column = 0; column < std::size(kShownMembers) && column < cells.size(); ++column) {
    const std::size_t member = kShownMembers[column];
    record.members[member] = CutTo(cells[column], kAbandonMemberWidths[member]);
  }
  return record;
}

QuantityEntry CheckAbandonQuantity(std::string_view text, std::string_view largest) {
  if (text.empty()) return QuantityEntry::kEmpty;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return QuantityEntry::kRefused;
  }
  // Compared as digit strings, leading zeros aside, so that no length overflows.
  const auto significant = [](std::string_view digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : digits.substr(first);
  };
  const std::string_view value = significant(text);
  const long long limit = std::max(0LL, std::atoll(std::string(largest).c_str()));
  const std::string limitText = limit == 0 ? std::string() : std::to_string(limit);
  const bool above = value.size() != limitText.size() ? value.size() > limitText.size() : value > limitText;
  return above ? QuantityEntry::kRefused : QuantityEntry::kTaken;
}

}  // namespace tradeviews
