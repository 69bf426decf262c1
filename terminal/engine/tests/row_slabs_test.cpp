#include "engine/row_slabs.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/engine_table.h"
#include "platform/populated_pages.h"

namespace {

using engine::RowSlabs;

TEST(RowSlabs, EverySlotFitsItsValueAlignedAndWastesLittle) {
  for (std::size_t length = 0; length <= engine::EngineTable::kMaxValueLength; ++length) {
    const std::size_t slot = RowSlabs::SlotBytes(length);
    ASSERT_GE(slot, std::max<std::size_t>(length, 1)) << length;
    ASSERT_EQ(slot % 16, 0u) << length;
    ASSERT_LE(slot, length + length / 8 + 16) << length;
  }
}

TEST(RowSlabs, WhollyFreeSlabsGoBackSaveTheLastOneWithRoom) {
  const std::size_t before = platform::MappedPageBytes();
  constexpr std::size_t kLength = 1126;
  const std::size_t slotsPerFullSlab = RowSlabs::kSlabBytes / RowSlabs::SlotBytes(kLength);
  RowSlabs slabs;
  std::vector<std::uint8_t*> taken;
  for (std::size_t count = 0; count < 4 * slotsPerFullSlab; ++count) {
    taken.push_back(slabs.Take(kLength));
    ASSERT_NE(taken.back(), nullptr);
  }
  ASSERT_GT(slabs.SlabCount(), 3u);

  // Giving back every second slot frees no slab; the rest frees all but one.
  for (std::size_t index = 0; index < taken.size(); index += 2) slabs.Give(taken[index]);
  const std::size_t slabsHalfFree = slabs.SlabCount();
  for (std::size_t index = 1; index < taken.size(); index += 2) slabs.Give(taken[index]);
  EXPECT_EQ(slabs.SlabCount(), 1u);
  EXPECT_LT(slabs.SlabCount(), slabsHalfFree);
  EXPECT_LE(platform::MappedPageBytes() - before, RowSlabs::kSlabBytes);

  // The kept slab serves again, and a cleared store holds no page.
  EXPECT_NE(slabs.Take(kLength), nullptr);
  EXPECT_EQ(slabs.SlabCount(), 1u);
  slabs.Clear();
  EXPECT_EQ(slabs.SlabCount(), 0u);
  EXPECT_EQ(platform::MappedPageBytes(), before);
}

}  // namespace
