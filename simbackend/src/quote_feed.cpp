#include "quote_feed.h"

#include <algorithm>

#include "connection.h"
#include "portal/frame.h"
#include "quote_lines.h"

namespace simbackend {

QuoteFeed::QuoteFeed(const BackendData& data, std::uint64_t seed, std::chrono::milliseconds interval)
    : data_(data), interval_(interval), market_(data, seed) {}

void QuoteFeed::Start() {
  if (interval_.count() <= 0) return;
  thread_.Start([this](platform::Event& stop) {
    while (!stop.Wait(interval_)) Advance();
  });
}

void QuoteFeed::Stop() { thread_.Stop(); }

void QuoteFeed::Subscribe(const std::shared_ptr<Connection>& connection, std::vector<std::size_t> contracts,
                          const std::function<void()>& sendAnswer) {
  const std::shared_ptr<Subscriber> subscriber = SubscriberOf(connection);
  std::lock_guard sending(subscriber->sending);
  std::vector<std::string> lines;
  {
    std::lock_guard lock(mutex_);
    subscriber->contracts = std::move(contracts);
    ++subscriber->generation;
    for (const std::size_t contract : subscriber->contracts)
      lines.push_back(FullQuoteLine(data_, contract, market_.QuoteOf(contract)));
  }
  sendAnswer();
  if (!lines.empty()) connection->Send(PushFrame(lines));
}

void QuoteFeed::Unsubscribe(std::uint64_t connection) {
  std::lock_guard lock(mutex_);
  subscribers_.erase(connection);
}

void QuoteFeed::SetWaitedFor(std::vector<std::size_t> contracts) {
  std::lock_guard lock(mutex_);
  waitedFor_ = std::move(contracts);
}

std::size_t QuoteFeed::Advance() {
  std::vector<Delivery> deliveries;
  std::vector<std::size_t> moved;
  {
    std::lock_guard lock(mutex_);
    deliveries = StepLocked(moved);
  }
  std::size_t reached = 0;
  for (const Delivery& delivery : deliveries) {
    std::lock_guard sending(delivery.subscriber->sending);
    // A subscription that came in since the step has sent newer quotes.
    if (delivery.subscriber->generation != delivery.generation) continue;
    const std::shared_ptr<Connection> connection = delivery.subscriber->connection.lock();
    if (connection && connection->SendQuoteUpdates(delivery.updates)) ++reached;
  }
  if (stepListener_) stepListener_(moved);
  return reached;
}

Quote QuoteFeed::QuoteOf(std::size_t contract) const {
  std::lock_guard lock(mutex_);
  return market_.QuoteOf(contract);
}

std::shared_ptr<QuoteFeed::Subscriber> QuoteFeed::SubscriberOf(const std::shared_ptr<Connection>& connection) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<Subscriber>& subscriber = subscribers_[connection->Id()];
  if (!subscriber) {
    subscriber = std::make_shared<Subscriber>();
    subscriber->connection = connection;
  }
  return subscriber;
}

std::vector<QuoteFeed::Delivery> QuoteFeed::StepLocked(std::vector<std::size_t>& moved) {
  std::erase_if(subscribers_, [](const auto& entry) {
    const std::shared_ptr<Connection> connection = entry.second->connection.lock();
    return !connection || connection->Closed();
  });
  // Each contract moves once, however many connections follow it.
  moved = waitedFor_;
  for (const auto& [id, subscriber] : subscribers_)
    moved.insert(moved.end(), subscriber->contracts.begin(), subscriber->contracts.end());
  std::sort(moved.begin(), moved.end());
  moved.erase(std::unique(moved.begin(), moved.end()), moved.end());
  market_.Step(moved);

  std::vector<Delivery> deliveries;
  for (const auto& [id, subscriber] : subscribers_) {
    if (subscriber->contracts.empty()) continue;
    std::vector<QuoteUpdate> updates;
    for (const std::size_t contract : subscriber->contracts)
      updates.push_back({contract, QuoteUpdateLine(data_, contract, market_.QuoteOf(contract))});
    deliveries.push_back({subscriber, subscriber->generation, std::move(updates)});
  }
  return deliveries;
}

std::string QuoteFeed::PushFrame(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) portal::AppendPushLine(text, line);
  std::string frame;
  portal::AppendFrame(frame, portal::FrameKind::kPush, 0, text);
  return frame;
}

}  // namespace simbackend
