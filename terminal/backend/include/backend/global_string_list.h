// A growable list of short texts in one block, handed between modules (order
// field lists, order-module results, notice items).
//
// The block: a 32-bit capacity (slots), a 32-bit count, then capacity slots
// of 1024 bytes, each holding one zero-terminated text. The list owns its
// block: it moves, and it frees the block when destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace backend {

class CGlobalStringList {
 public:
  static constexpr std::size_t kSlotSize = 1024;
  static constexpr std::size_t kHeaderSize = 8;
  // The growth step every user of the list in this system takes.
  static constexpr std::uint32_t kDefaultGrowthStep = 10;

  // `growthStep` slots are added at a time (at least one).
  explicit CGlobalStringList(std::uint32_t growthStep = kDefaultGrowthStep);
  ~CGlobalStringList() { Free(); }
  CGlobalStringList(CGlobalStringList&& other) noexcept;
  CGlobalStringList& operator=(CGlobalStringList&& other) noexcept;
  CGlobalStringList(const CGlobalStringList&) = delete;
  CGlobalStringList& operator=(const CGlobalStringList&) = delete;

  // Appends a copy of `text`; false, with the list unchanged, when the text
  // is 1024 bytes or longer or memory runs out.
  bool Append(std::string_view text);
  // Appends the number in decimal.
  bool AppendNumber(long long number);

  // The text in slot `index`, or null outside 0 .. count-1.
  const char* GetAt(std::size_t index) const;
  std::uint32_t GetCount() const;
  // Slots the block holds (0 without a block).
  std::uint32_t GetCapacity() const;

  // Frees the block; the list is empty afterwards.
  void Free();

 private:
  bool Grow();

  std::uint8_t* block_ = nullptr;
  std::uint32_t growthStep_;
};

}  // namespace backend
