// What waits to be written to one client, bounded in bytes.
//
// Frames (answers, order states, cancels, fills, messages) keep their order
// and are never dropped: one that would take the queue past its bound is
// refused, and the caller closes the connection. Quote updates are kept as
// lines, one per contract: an update of a contract whose earlier update
// still waits behind no other frame replaces it where it stands, so a
// client that reads slowly gets the latest quote of each contract instead
// of every step, and never an update ahead of a frame sent before it.
//
// Not thread-safe: its connection guards it.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace simbackend {

// One pushed quote line of a contract (an index into the data's contracts).
struct QuoteUpdate {
  std::size_t contract = 0;
  std::string line;
};

class OutgoingQueue {
 public:
  explicit OutgoingQueue(std::size_t maxBytes) : maxBytes_(maxBytes) {}

  // Appends encoded frames. False, keeping nothing, when they would take the
  // queue past its bound.
  bool AddFrames(std::string frames);
  // Adds the updates, each replacing the waiting update of its contract in
  // the run of updates at the back of the queue. False, keeping nothing,
  // when they would take the queue past its bound.
  bool AddQuoteUpdates(const std::vector<QuoteUpdate>& updates);

  // Takes the bytes to write next: whole frames from the front, and each run
  // of waiting updates as one push frame; at least one frame when any
  // waits, and no further frame once `batchBytes` are taken. Empty when
  // nothing waits.
  std::string TakeBatch(std::size_t batchBytes);

  bool Empty() const { return entries_.empty(); }
  // The bytes waiting, updates counted by their lines.
  std::size_t Bytes() const { return bytes_; }

 private:
  struct Entry {
    bool quote = false;
    std::string bytes;  // encoded frames, or the update's line
  };

  static std::size_t Cost(const Entry& entry);
  void PopFront();

  const std::size_t maxBytes_;
  std::deque<Entry> entries_;
  std::size_t bytes_ = 0;
  std::size_t taken_ = 0;  // entries taken from the front so far
  // The updates of the run at the back of the queue, by contract: their
  // position counted from the first entry ever added.
  std::unordered_map<std::size_t, std::size_t> trailingUpdates_;
};

}  // namespace simbackend
