#include "pushed_quote.h"

#include <string>
#include <tuple>
#include <vector>

#include "simbackend/field_line.h"

namespace simbackend_test {
namespace {

double Number(const std::string& text) { return text.empty() ? 0 : std::stod(text); }

// "v,x": v before the comma, x after it (0 without one).
std::pair<std::int64_t, std::int64_t> VolumePair(const std::string& text) {
  const std::size_t comma = text.find(',');
  const std::int64_t first = static_cast<std::int64_t>(Number(text.substr(0, comma)));
  return {first, comma == std::string::npos ? 0 : static_cast<std::int64_t>(Number(text.substr(comma + 1)))};
}

}  // namespace

PushedQuote ReadQuotePush(std::string_view line) {
  std::vector<std::string> fields = simbackend::SplitFields(line);
  fields.resize(58);
  const auto field = [&](std::size_t n) -> const std::string& { return fields[n - 1]; };
  const double base = Number(field(39));
  const bool depth = base == 0 || Number(field(40)) != 0;
  const auto price = [&](std::size_t n) { return field(n).empty() ? 0 : Number(field(n)) + base; };

  PushedQuote quote;
  quote.code = field(4);
  quote.exchange = field(9).substr(0, 1);
  quote.contract = field(11);
  quote.name = field(12);
  quote.preClose = price(13);
  quote.open = price(14);
  quote.high = price(15);
  quote.low = price(16);
  quote.last = price(17);
  quote.volume = static_cast<std::int64_t>(Number(field(18)));
  quote.upperLimit = price(25);
  quote.lowerLimit = price(26);
  quote.preSettlement = price(27);
  quote.openInterest = static_cast<std::int64_t>(Number(field(31)));
  quote.bids[0].price = price(21);
  quote.asks[0].price = price(22);
  std::tie(quote.bids[0].volume, quote.bidOrders) = VolumePair(field(23));
  std::tie(quote.asks[0].volume, quote.askOrders) = VolumePair(field(24));
  for (std::size_t k = 0; k < 4; ++k) {
    quote.bids[k + 1] = {depth ? price(42 + 2 * k) : 0, static_cast<std::int64_t>(Number(field(41 + 2 * k)))};
    quote.asks[k + 1] = {depth ? price(50 + 2 * k) : 0, static_cast<std::int64_t>(Number(field(49 + 2 * k)))};
  }
  return quote;
}

}  // namespace simbackend_test
