// PackedList: a record list packed into one contiguous block (a header, a
// directory of fixed-size entries, then the values). Request arguments, answer
// fields, whole answer packets and the call queues are packed lists. The block
// crosses the library's interface as it stands: hosts build argument lists and
// read result lists in the layout below, so it never changes.
//
// Blocks come from malloc (see AllocateBlock); a list is copied with one
// allocation per block and freed as a whole. Lists nest: an entry of type
// kChildListEntry holds the address of a child block, which the parent owns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace connpool {

// Opaque: the first byte of a list block.
struct PackedBlock;

// Entry types used by the library; others are stored and not interpreted.
inline constexpr std::uint8_t kBinaryEntry = 0;
inline constexpr std::uint8_t kInt32Entry = 3;
inline constexpr std::uint8_t kTextEntry = 33;         // the text with its NUL
inline constexpr std::uint8_t kChildListEntry = 0x80;  // the child block's address, 8 bytes

// A value's length is stored in 16 bits.
inline constexpr std::size_t kMaxValueLength = 0xFFFF;
inline constexpr std::uint32_t kAutomaticId = 0xFFFFFFFF;

// Byte offsets of the block layout; every integer is little-endian. A parent
// address is 64 bits wide here: its high half takes the header's last word.
namespace packed_layout {
// Header.
inline constexpr std::size_t kBlockSize = 0;         // u32 block size in bytes
inline constexpr std::size_t kHeap = 4;              // u32 private heap; 0, blocks come from malloc
inline constexpr std::size_t kGrowthStep = 8;        // u16 entries added at the next directory growth
inline constexpr std::size_t kReserved = 10;         // u16 0
inline constexpr std::size_t kGrowthIncrement = 12;  // u32 bytes added at the next block growth
inline constexpr std::size_t kValueArea = 16;        // u32 offset of the value area (48 + 44 x capacity)
inline constexpr std::size_t kValueBytes = 20;       // u32 bytes used in the value area
inline constexpr std::size_t kParentLow = 24;        // u32 parent block address, low half (0: no parent)
inline constexpr std::size_t kParentEntryId = 28;    // u32 id of the parent's entry holding this list
inline constexpr std::size_t kCapacity = 32;         // u32 directory capacity in entries
inline constexpr std::size_t kCount = 36;            // u32 entries in use
inline constexpr std::size_t kNextId = 40;           // u32 next automatic entry id
inline constexpr std::size_t kParentHigh = 44;       // u32 parent block address, high half
inline constexpr std::size_t kHeaderSize = 48;

// Directory entry.
inline constexpr std::size_t kEntryName = 0;  // NUL-terminated, at most 31 bytes
inline constexpr std::size_t kNameSize = 32;
inline constexpr std::size_t kEntryValueOffset = 32;  // u32 within the value area
inline constexpr std::size_t kEntryLength = 36;       // u16 value length
inline constexpr std::size_t kEntryType = 38;         // byte
inline constexpr std::size_t kEntryFlag = 39;         // byte, stored and not interpreted
inline constexpr std::size_t kEntryId = 40;           // u32
inline constexpr std::size_t kEntrySize = 44;

// Geometry of a new block.
inline constexpr std::size_t kBlockUnit = 8192;
inline constexpr std::uint32_t kFirstCapacity = 16;
inline constexpr std::uint32_t kStepGrowth = 16;

static_assert(kEntryName + kNameSize == kEntryValueOffset);
static_assert(kEntryId + 4 == kEntrySize);
static_assert(kParentHigh + 4 == kHeaderSize);
}  // namespace packed_layout

// A handle holding one block (or none: an empty list). The handle owns a
// block that has no parent: destroying it frees the block with everything
// nested in it. A child block attached to a handle stays its parent's.
// Indexes are ints; a negative index is refused like one past the end.
class PackedList {
 public:
  PackedList() = default;
  // Takes `block` over as Attach does.
  explicit PackedList(PackedBlock* block) : block_(block) {}
  ~PackedList();
  PackedList(PackedList&& other) noexcept;
  PackedList& operator=(PackedList&& other) noexcept;
  PackedList(const PackedList&) = delete;
  PackedList& operator=(const PackedList&) = delete;

  // Appends an entry. The name keeps at most 31 bytes (cut on a GBK character
  // boundary); kAutomaticId takes the list's next automatic id. False, with
  // the list as it was, when the value is longer than kMaxValueLength or the
  // block cannot be made or grown.
  bool AddEntry(std::span<const std::byte> value, std::string_view name, std::uint8_t type, std::uint8_t flag,
                std::uint32_t id = kAutomaticId);
  bool AddText(std::string_view text, std::string_view name = {}, std::uint8_t type = kTextEntry,
               std::uint8_t flag = 0);
  bool AddInt32(std::int32_t value, std::string_view name = {});
  // Moves `child`'s block into this list as a child entry; `child` becomes
  // empty. Refused when `child` is empty, already has a parent, or holds this
  // list.
  bool AddChildList(PackedList& child, std::string_view name = {});

  // Inserts an entry before `position` (a position at or beyond the count
  // appends) with the next automatic id; the other entries keep their own
  // names, flags and ids.
  bool InsertEntry(int position, std::span<const std::byte> value, std::string_view name, std::uint8_t type,
                   std::uint8_t flag);
  bool InsertInt32At(int position, std::int32_t value, std::string_view name = {});

  // Removes an entry (freeing the child list it holds) and closes the gap its
  // value leaves.
  bool RemoveAt(int index);

  // Appends `other`'s whole block as one nameless binary entry; refused when
  // `other` is empty or its block is longer than kMaxValueLength.
  bool AppendListAsValue(const PackedList& other);

  int Count() const;
  // Empty (with a null data pointer) for an index outside the list.
  std::span<const std::byte> ValueAt(int index) const;
  // The value up to its first NUL, never beyond its length.
  std::string_view TextAt(int index) const;
  // The child block of a child entry, else null.
  PackedBlock* ChildAt(int index) const;

  PackedBlock* Block() const { return block_; }
  // Takes ownership of `block`, first freeing the block held now.
  void Attach(PackedBlock* block);
  // Gives up the block without freeing it.
  PackedBlock* Detach();
  // Frees the block with its children. A child list first clears its
  // parent's entry (type 0, value 0) so that the parent does not free it again.
  void Free();

  // A deep copy with no parent: every child is copied too. Null when an
  // allocation fails (nothing is left allocated then).
  static PackedBlock* CloneBlock(const PackedBlock* block);

 private:
  bool MakeRoom(std::size_t length);
  void Release();

  PackedBlock* block_ = nullptr;
};

}  // namespace connpool
