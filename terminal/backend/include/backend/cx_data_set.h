// CxDataSet: the packed record list of the terminal. Request parameters,
// answer lines and rows, engine tables and their copies, combo items and
// contract lists are all such lists.
//
// A list is one block (layout in data_set_block.h): a directory of entries
// (name, value offset, 16-bit length, type, flag, id) followed by the values.
// The block holds offsets only, so it is cloned with one copy, handed to
// another thread by its pointer, and stored as the value of an entry of
// another list (a list of rows, each row a list of fields).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "backend/data_set_block.h"

namespace backend {

// Read access to a block in place: a list's own block, or a list nested as
// the value of another list's entry. The block is trusted only within its
// stated size and the bytes the view was given; a block whose header does
// not fit them reads as an empty list, and an entry whose value lies outside
// the block reads as absent.
class CxDataSetView {
 public:
  CxDataSetView() = default;
  explicit CxDataSetView(std::span<const std::uint8_t> bytes);

  bool HasBlock() const { return block_ != nullptr; }
  // The whole block as its header states it; empty without a block.
  std::span<const std::uint8_t> Bytes() const;

  std::uint32_t GetCount() const;
  // The value of entry `index`; an empty span with a null data pointer when
  // there is no such entry.
  std::span<const std::uint8_t> GetValue(std::size_t index) const;
  // The value of entry `index` inside the block, or null.
  const std::uint8_t* GetDataPtr(std::size_t index) const { return GetValue(index).data(); }
  // Copies the value of entry `index` into `buffer` and returns its length;
  // 0 and nothing copied when there is no such entry or the buffer is shorter
  // than the value.
  std::size_t GetData(std::size_t index, std::size_t bufferSize, void* buffer) const;
  // The id of entry `index`, or nothing when there is no such entry. A list
  // gives each appended entry the next id, so along a list that only grows
  // and loses entries the ids rise.
  std::optional<std::uint32_t> GetId(std::size_t index) const;

 private:
  const std::uint8_t* block_ = nullptr;
};

class CxDataSet {
 public:
  // Asks AddEntry for the list's next automatic id (the id -1).
  static constexpr std::uint32_t kAutoId = 0xFFFFFFFF;
  // A value's length is stored in 16 bits.
  static constexpr std::size_t kMaxValueLength = 0xFFFF;
  // The combo-box item that InsertItem places.
  static constexpr std::size_t kItemSize = 72;

  CxDataSet() = default;
  // Takes over a block that ReleaseBlock gave up.
  explicit CxDataSet(std::uint8_t* block) noexcept : block_(block) {}
  ~CxDataSet() { FreeBlock(); }
  CxDataSet(CxDataSet&& other) noexcept;
  CxDataSet& operator=(CxDataSet&& other) noexcept;
  CxDataSet(const CxDataSet&) = delete;
  CxDataSet& operator=(const CxDataSet&) = delete;

  // Appends one entry: `name` (null for none) cut to 31 bytes, the value's
  // `length` bytes, the type (data_set_block::kTextType or kRawType), flag 0
  // and `id`, where kAutoId takes the next automatic id. False, with the list
  // unchanged, when the value is longer than kMaxValueLength or the block
  // cannot grow.
  bool AddEntry(const char* name, const void* value, std::size_t length, std::uint8_t type, std::uint32_t id = kAutoId);
  // Appends `text` with a terminating zero as a nameless text entry.
  bool AddText(std::string_view text);
  // Gives a list without a block `texts` as its entries, as AddText gives
  // them, in a block that fits them: a directory of as many entries and
  // their values, rather than a first block of 8192 bytes. For the lines of
  // one received block handed from the receive thread to the pump; an entry
  // added later grows the block as it grows a first block. False, with the
  // list unchanged, when the list already has a block, a text is too long
  // for AddText, or there are none.
  bool StartWithTexts(std::span<const std::string_view> texts);
  bool StartWithText(std::string_view text) { return StartWithTexts({&text, 1}); }
  // Rebuilds the list with a nameless raw entry holding `item` at `position`
  // (appended when the position is beyond the count); the item takes the
  // next automatic id, and every other entry keeps its name, value, type and
  // id while its flag becomes 0.
  bool InsertItem(std::size_t position, std::span<const std::uint8_t, kItemSize> item);
  // Removes entry `index`, moving the later entries and their values down.
  bool RemoveEntry(std::size_t index);
  // Makes room for one more entry with a value of `length` bytes.
  bool EnsureSpace(std::size_t length);
  // Makes room for `entries` entries holding `valueBytes` bytes of values in
  // all, in one step; the directory step and block growth stay as they were.
  // False, with the list unchanged, when the block cannot hold that much.
  bool Reserve(std::size_t entries, std::size_t valueBytes);
  // Makes room for one more entry with a value of `length` bytes by
  // enlarging a full list by half of what it uses, directory and values
  // alike: a long table then moves its values a few times in all rather
  // than at every step of EnsureSpace's growth, and holds at most half as
  // much again as it uses. Falls back to EnsureSpace where the larger block
  // cannot be had.
  bool EnsureSpaceGeometric(std::size_t length);

  std::uint32_t GetCount() const { return View().GetCount(); }
  std::span<const std::uint8_t> GetValue(std::size_t index) const { return View().GetValue(index); }
  // Valid until the list changes.
  const std::uint8_t* GetDataPtr(std::size_t index) const { return View().GetDataPtr(index); }
  std::uint8_t* GetDataPtr(std::size_t index);
  std::size_t GetData(std::size_t index, std::size_t bufferSize, void* buffer) const {
    return View().GetData(index, bufferSize, buffer);
  }

  CxDataSetView View() const;
  // The block, for reading its layout; null while the list was never filled.
  const std::uint8_t* Block() const { return block_; }
  // Gives the block to the caller, who frees it (through a CxDataSet that
  // takes it over); the list is empty afterwards.
  std::uint8_t* ReleaseBlock() noexcept;
  // A list owning a copy of the whole block; empty when the view has no
  // block, the block is not well formed, or memory runs out.
  static CxDataSet CloneBlock(const CxDataSetView& block);
  // Frees the block; the list is empty afterwards.
  void FreeBlock() noexcept;

 private:
  struct Layout;

  bool AppendEntry(std::string_view name, std::string_view value, bool addTerminator, std::uint8_t type,
                   std::uint32_t id);
  // A first block, cleared whole, for a first value of that length.
  bool CreateBlock(std::size_t firstValueLength);
  // A block that fits `entries` entries and `valueBytes` bytes of values, its
  // header and directory cleared.
  bool CreateFittedBlock(std::size_t entries, std::size_t valueBytes);
  void WriteHeader(std::uint64_t size, std::uint32_t capacity);
  bool Reshape(const Layout& layout);

  std::uint8_t* block_ = nullptr;
};

}  // namespace backend
