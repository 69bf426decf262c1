#include "client/subscription_list.h"

#include <algorithm>
#include <utility>

#include "backend/field_text.h"
#include "quotes/contract_key.h"

namespace client {
namespace {

std::vector<SubscriptionEntry> EntriesOf(std::span<const backend::QuoteSlot> slots) {
  std::vector<SubscriptionEntry> entries;
  for (const backend::QuoteSlot& slot : slots.first(std::min(slots.size(), SubscriptionList::kMaxEntries))) {
    entries.push_back(EntryOf(slot));
  }
  return entries;
}

}  // namespace

SubscriptionEntry EntryOf(const backend::QuoteSlot& slot) {
  SubscriptionEntry entry;
  const std::string exchange(quotes::FieldText(slot.quote.szExchange));
  const std::string code(quotes::FieldText(slot.quote.szCode));
  backend::CopyTextBounded(exchange.c_str(), entry.exchange, sizeof entry.exchange);
  backend::CopyTextBounded(code.c_str(), entry.code, sizeof entry.code);
  entry.subscribeFlag = slot.subscribeFlag;
  return entry;
}

std::string BuildSubscriptionText(std::span<const SubscriptionEntry> entries) {
  std::string text;
  for (const SubscriptionEntry& entry : entries) {
    text += quotes::FieldText(entry.exchange);
    text += ',';
    text += quotes::FieldText(entry.code);
    text += entry.subscribeFlag != 0 ? ";#;" : ";";
  }
  return text;
}

SubscriptionList::SubscriptionList(SubscriptionSender send) : send_(std::move(send)) {}

void SubscriptionList::SetSubscriptionList(std::span<const backend::QuoteSlot> slots) {
  if (busy_) {
    waiting_ = EntriesOf(slots);
    return;
  }
  sent_ = EntriesOf(slots);
  resent_ = false;
  SendSubscriptionList();
}

void SubscriptionList::CommitSubscriptionList() {
  if (!busy_) return;
  busy_ = false;
  sent_.clear();
  if (!waiting_) return;
  sent_ = std::move(*waiting_);
  waiting_.reset();
  resent_ = false;
  SendSubscriptionList();
}

void SubscriptionList::RetrySubscriptionList() {
  if (!busy_) return;
  busy_ = false;
  if (waiting_) {
    sent_ = std::move(*waiting_);
    waiting_.reset();
    resent_ = false;
  } else if (resent_) {
    // Refused twice: rest until the contracts change or the quote connection
    // comes back.
    sent_.clear();
    return;
  } else {
    resent_ = true;
  }
  SendSubscriptionList();
}

void SubscriptionList::SendSubscriptionList() { busy_ = send_ && send_(BuildSubscriptionText(sent_)); }

}  // namespace client
