// The quote query and the quote subscription.
#include <algorithm>

#include "functions.h"
#include "quote_lines.h"

namespace simbackend {
namespace {

constexpr std::size_t kQuoteExchangeParameter = 5;
constexpr std::size_t kQuoteContractParameter = 6;
constexpr std::size_t kSubscriptionParameter = 5;
constexpr std::size_t kPriceListParameter = 5;

// The subscription text: "X,code;" per contract, "#;" after an entry whose
// subscribe flag is set.
bool ParseSubscription(const std::string& text, std::vector<std::pair<std::string, std::string>>& entries,
                       std::string& bad) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    const std::string entry = text.substr(start, end - start);
    start = end + 1;
    if (entry.empty() || entry == "#") continue;
    const std::size_t comma = entry.find(',');
    if (comma == 0 || comma == std::string::npos || comma + 1 == entry.size()) {
      bad = entry;
      return false;
    }
    entries.emplace_back(entry.substr(0, comma), entry.substr(comma + 1));
  }
  return true;
}

}  // namespace

Answer Functions::QuoteQuery(const Request& request, Session&) {
  const std::string& code = Parameter(request, kQuoteContractParameter);
  const std::size_t contract = data_.FindContract(Parameter(request, kQuoteExchangeParameter), code);
  if (contract == BackendData::kNoContract) return Refusal(request, kNoSuchContract, "合约" + code + "不存在！");
  return OneLine(AcceptedLine(request, QuoteAnswerValues(data_, contract, quotes_.QuoteOf(contract))));
}

Answer Functions::LastPriceQuery(const Request& request, Session&) {
  std::vector<std::pair<std::string, std::string>> entries;
  std::string bad;
  if (!ParseSubscription(Parameter(request, kPriceListParameter), entries, bad))
    return Refusal(request, kMalformedRequest, "合约列表格式错误：" + bad);
  if (entries.size() > kMaxSubscribedContracts)
    return Refusal(request, kBadParameter, "一次查询的合约不能超过" + std::to_string(kMaxSubscribedContracts) + "个！");
  // An item in the order of the list; empty for a contract the back end does not list.
  std::string prices;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) prices += ';';
    const std::size_t contract = data_.FindContract(entries[i].first, entries[i].second);
    if (contract != BackendData::kNoContract)
      prices += data_.PriceText(data_.contracts[contract], quotes_.QuoteOf(contract).last);
  }
  return OneLine(AcceptedLine(request, {prices}));
}

Answer Functions::Subscribe(const Request& request, Session&) {
  std::vector<std::pair<std::string, std::string>> entries;
  std::string bad;
  if (!ParseSubscription(Parameter(request, kSubscriptionParameter), entries, bad))
    return Refusal(request, kMalformedRequest, "行情订阅格式错误：" + bad);
  if (entries.size() > kMaxSubscribedContracts)
    return Refusal(request, kBadParameter, "一次订阅的合约不能超过" + std::to_string(kMaxSubscribedContracts) + "个！");
  // A contract the back end does not list is left out: the terminal may
  // still watch one that has expired.
  std::vector<std::size_t> contracts;
  for (const auto& [exchange, code] : entries) {
    const std::size_t contract = data_.FindContract(exchange, code);
    if (contract != BackendData::kNoContract &&
        std::find(contracts.begin(), contracts.end(), contract) == contracts.end())
      contracts.push_back(contract);
  }
  return {AcceptedLine(request, {std::to_string(contracts.size())}), {}, std::move(contracts), {}};
}

}  // namespace simbackend
