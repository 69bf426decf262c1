#include "outgoing_queue.h"

#include <utility>

#include "portal/frame.h"

namespace simbackend {

std::size_t OutgoingQueue::Cost(const Entry& entry) { return entry.bytes.size() + (entry.quote ? 1 : 0); }

bool OutgoingQueue::AddFrames(std::string frames) {
  if (frames.empty()) return true;
  if (frames.size() > maxBytes_ - bytes_) return false;
  bytes_ += frames.size();
  entries_.push_back({.bytes = std::move(frames)});
  // Updates from now on go behind these frames.
  trailingUpdates_.clear();
  return true;
}

bool OutgoingQueue::AddQuoteUpdates(const std::vector<QuoteUpdate>& updates) {
  // The cost of each contract's line once the updates are in (the last
  // update of a contract wins), checked before anything changes.
  std::unordered_map<std::size_t, std::size_t> costs;
  for (const QuoteUpdate& update : updates) costs[update.contract] = update.line.size() + 1;
  std::size_t after = bytes_;
  for (const auto& [contract, cost] : costs) {
    const auto waiting = trailingUpdates_.find(contract);
    after += cost;
    if (waiting != trailingUpdates_.end()) after -= Cost(entries_[waiting->second - taken_]);
  }
  if (after > maxBytes_) return false;
  for (const QuoteUpdate& update : updates) {
    const auto waiting = trailingUpdates_.find(update.contract);
    if (waiting != trailingUpdates_.end()) {
      entries_[waiting->second - taken_].bytes = update.line;
      continue;
    }
    trailingUpdates_.emplace(update.contract, taken_ + entries_.size());
    entries_.push_back({.quote = true, .bytes = update.line});
  }
  bytes_ = after;
  return true;
}

std::string OutgoingQueue::TakeBatch(std::size_t batchBytes) {
  std::string batch;
  while (!entries_.empty() && (batch.empty() || batch.size() < batchBytes)) {
    if (!entries_.front().quote) {
      batch += entries_.front().bytes;
      PopFront();
      continue;
    }
    std::string push;
    for (; !entries_.empty() && entries_.front().quote; PopFront())
      portal::AppendPushLine(push, entries_.front().bytes);
    portal::AppendFrame(batch, portal::FrameKind::kPush, 0, push);
  }
  return batch;
}

void OutgoingQueue::PopFront() {
  bytes_ -= Cost(entries_.front());
  entries_.pop_front();
  ++taken_;
  if (entries_.empty()) trailingUpdates_.clear();
}

}  // namespace simbackend
