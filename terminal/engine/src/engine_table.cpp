#include "engine/engine_table.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "backend/data_set_block.h"

namespace engine {

EngineTable::EngineTable(EngineTable&& other) noexcept
    : slabs_(std::move(other.slabs_)),
      segments_(std::move(other.segments_)),
      starts_(std::move(other.starts_)),
      count_(std::exchange(other.count_, 0)),
      nextId_(std::exchange(other.nextId_, 0)) {
  other.segments_.clear();
  other.starts_.clear();
}

EngineTable& EngineTable::operator=(EngineTable&& other) noexcept {
  if (this != &other) {
    Clear();
    slabs_ = std::move(other.slabs_);
    segments_ = std::move(other.segments_);
    starts_ = std::move(other.starts_);
    count_ = std::exchange(other.count_, 0);
    nextId_ = std::exchange(other.nextId_, 0);
    other.segments_.clear();
    other.starts_.clear();
  }
  return *this;
}

std::optional<EngineTable::Place> EngineTable::Locate(std::size_t index) const {
  if (index >= count_) return std::nullopt;
  // The segment whose start is the last one not beyond the index.
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), index);
  const auto segment = static_cast<std::size_t>(after - starts_.begin()) - 1;
  return Place{segment, index - starts_[segment]};
}

std::span<const std::uint8_t> EngineTable::GetValue(std::size_t index) const {
  const std::optional<Place> place = Locate(index);
  if (!place) return {};
  const Entry& entry = segments_[place->segment][place->offset];
  return {entry.value, entry.length};
}

std::size_t EngineTable::GetData(std::size_t index, std::size_t bufferSize, void* buffer) const {
  const std::span<const std::uint8_t> value = GetValue(index);
  if (value.data() == nullptr || buffer == nullptr || bufferSize < value.size()) return 0;
  std::memcpy(buffer, value.data(), value.size());
  return value.size();
}

std::optional<std::uint32_t> EngineTable::GetId(std::size_t index) const {
  const std::optional<Place> place = Locate(index);
  if (!place) return std::nullopt;
  return segments_[place->segment][place->offset].id;
}

std::optional<std::uint32_t> EngineTable::IndexOfId(std::uint32_t id) const {
  const auto idBelow = [id](const Entry& entry) { return entry.id < id; };
  // The last segment that starts at or below the id, then the entry within.
  const auto after =
      std::upper_bound(segments_.begin(), segments_.end(), id,
                       [](std::uint32_t wanted, const Segment& segment) { return wanted < segment.front().id; });
  if (after != segments_.begin()) {
    const auto segment = static_cast<std::size_t>(after - segments_.begin()) - 1;
    const Segment& entries = segments_[segment];
    const auto found = std::partition_point(entries.begin(), entries.end(), idBelow);
    if (found != entries.end() && found->id == id) {
      return starts_[segment] + static_cast<std::uint32_t>(found - entries.begin());
    }
  }
  for (std::size_t segment = 0; segment < segments_.size(); ++segment) {
    const Segment& entries = segments_[segment];
    const auto found =
        std::find_if(entries.begin(), entries.end(), [id](const Entry& entry) { return entry.id == id; });
    if (found != entries.end()) return starts_[segment] + static_cast<std::uint32_t>(found - entries.begin());
  }
  return std::nullopt;
}

bool EngineTable::AddEntry(const void* value, std::size_t length, std::uint8_t type, std::uint32_t id) {
  if (length > kMaxValueLength || (value == nullptr && length > 0)) return false;
  std::uint8_t* stored = slabs_.Take(length);
  if (stored == nullptr) return false;
  if (length > 0) std::memcpy(stored, value, length);
  try {
    if (segments_.empty() || segments_.back().size() == kSegmentEntries) {
      // The first segment grows with the table, so that a short table stays
      // small; a later one is made whole at once.
      Segment segment;
      if (!segments_.empty()) segment.reserve(kSegmentEntries);
      starts_.reserve(segments_.size() + 1);
      segments_.push_back(std::move(segment));
      starts_.push_back(count_);
    }
    segments_.back().push_back(Entry{stored, id == kAutoId ? nextId_ : id, static_cast<std::uint16_t>(length), type});
  } catch (const std::bad_alloc&) {
    slabs_.Give(stored);
    if (!segments_.empty() && segments_.back().empty()) DropSegment(segments_.size() - 1);
    return false;
  }
  if (id == kAutoId) ++nextId_;
  ++count_;
  return true;
}

bool EngineTable::AddText(std::string_view text) {
  if (text.size() + 1 > kMaxValueLength) return false;
  std::vector<std::uint8_t> value(text.begin(), text.end());
  value.push_back(0);
  return AddEntry(value.data(), value.size(), backend::data_set_block::kTextType);
}

bool EngineTable::RemoveEntry(std::size_t index) {
  const std::optional<Place> place = Locate(index);
  if (!place) return false;
  Segment& segment = segments_[place->segment];
  slabs_.Give(segment[place->offset].value);
  segment.erase(segment.begin() + static_cast<std::ptrdiff_t>(place->offset));
  for (std::size_t later = place->segment + 1; later < starts_.size(); ++later) --starts_[later];
  --count_;
  if (segment.empty()) {
    DropSegment(place->segment);
  } else {
    MergeAround(place->segment);
  }
  return true;
}

void EngineTable::DropSegment(std::size_t segment) {
  segments_.erase(segments_.begin() + static_cast<std::ptrdiff_t>(segment));
  starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(segment));
}

void EngineTable::MergeAround(std::size_t segment) {
  const auto fits = [this](std::size_t first) {
    return first + 1 < segments_.size() && segments_[first].size() + segments_[first + 1].size() <= kSegmentEntries;
  };
  std::size_t first = segment;
  if (!fits(first)) {
    if (segment == 0 || !fits(segment - 1)) return;
    first = segment - 1;
  }
  Segment& kept = segments_[first];
  const Segment& joined = segments_[first + 1];
  try {
    kept.reserve(kSegmentEntries);
  } catch (const std::bad_alloc&) {
    return;  // the segments stay apart, which is as sound, only less compact
  }
  kept.insert(kept.end(), joined.begin(), joined.end());
  DropSegment(first + 1);
}

bool EngineTable::Reserve(std::size_t entries) {
  try {
    const std::size_t segments = (entries + kSegmentEntries - 1) / kSegmentEntries;
    segments_.reserve(segments);
    starts_.reserve(segments);
    if (segments_.size() == 1 && segments > 1) segments_.front().reserve(kSegmentEntries);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

void EngineTable::Clear() noexcept {
  segments_.clear();
  slabs_.Clear();
  starts_.clear();
  count_ = 0;
  nextId_ = 0;
}

EngineTable EngineTable::Copy() const {
  EngineTable copy;
  if (!copy.Reserve(count_)) return {};
  for (const Segment& segment : segments_) {
    for (const Entry& entry : segment) {
      if (!copy.AddEntry(entry.value, entry.length, entry.type, entry.id)) return {};
    }
  }
  copy.nextId_ = nextId_;
  return copy;
}

backend::CxDataSet EngineTable::ToDataSet() const {
  std::size_t valueBytes = 0;
  for (const Segment& segment : segments_) {
    for (const Entry& entry : segment) valueBytes += entry.length;
  }
  backend::CxDataSet list;
  if (!list.Reserve(count_, valueBytes)) return {};
  for (const Segment& segment : segments_) {
    for (const Entry& entry : segment) {
      if (!list.AddEntry(nullptr, entry.value, entry.length, entry.type, entry.id)) return {};
    }
  }
  return list;
}

}  // namespace engine
