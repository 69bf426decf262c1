#include "platform/populated_pages.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

int RefusePopulating(void*, std::size_t) { return -1; }

// Whether every page of the range is present in memory now.
bool AllPagesPresent(void* pages, std::size_t bytes) {
  std::vector<unsigned char> present(bytes / platform::PageSize());
  if (::mincore(pages, bytes, present.data()) != 0) return false;
  for (const unsigned char page : present) {
    if ((page & 1) == 0) return false;
  }
  return true;
}

struct PopulateCase {
  const char* name;
  platform::PopulateCall populate;
  std::size_t pages;  // a size of its own, so no run kept by the other case is given
};

TEST(PopulatedPages, PagesArePresentZeroedAndCountedWhetherOrNotTheKernelPopulates) {
  const PopulateCase cases[] = {{"the kernel's call", platform::PopulateByKernel, 16},
                                {"a refused call", RefusePopulating, 17}};
  for (const PopulateCase& with : cases) {
    SCOPED_TRACE(with.name);
    const std::size_t bytes = with.pages * platform::PageSize();
    const std::size_t before = platform::MappedPageBytes();
    auto* pages = static_cast<std::uint8_t*>(platform::MapPopulatedPages(bytes, with.populate));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pages) % platform::PageSize(), 0u);
    EXPECT_TRUE(AllPagesPresent(pages, bytes));
    EXPECT_EQ(platform::MappedPageBytes(), before + bytes);
    for (std::size_t offset = 0; offset < bytes; offset += 512) {
      ASSERT_EQ(pages[offset], 0) << offset;
      pages[offset] = 0x5A;
    }
    EXPECT_EQ(pages[bytes - 1], 0);
    platform::UnmapPages(pages, bytes);
    EXPECT_EQ(platform::MappedPageBytes(), before);
  }
}

TEST(PopulatedPages, ARunGivenBackIsGivenAgainZeroedToTheNextRequestOfItsSize) {
  const std::size_t bytes = 5 * platform::PageSize();
  auto* first = static_cast<std::uint8_t*>(platform::MapPopulatedPages(bytes));
  ASSERT_NE(first, nullptr);
  for (std::size_t offset = 0; offset < bytes; ++offset) first[offset] = 0x5A;
  platform::UnmapPages(first, bytes);

  auto* again = static_cast<std::uint8_t*>(platform::MapPopulatedPages(bytes));
  ASSERT_EQ(again, first);
  EXPECT_TRUE(AllPagesPresent(again, bytes));
  for (std::size_t offset = 0; offset < bytes; ++offset) ASSERT_EQ(again[offset], 0) << offset;
  platform::UnmapPages(again, bytes);
}

TEST(PopulatedPages, RefusesWhatIsNotWholePages) {
  const std::size_t before = platform::MappedPageBytes();
  for (const std::size_t bytes : {std::size_t{0}, std::size_t{1}, platform::PageSize() + 1}) {
    EXPECT_EQ(platform::MapPopulatedPages(bytes), nullptr) << bytes;
  }
  EXPECT_EQ(platform::MappedPageBytes(), before);
}

}  // namespace
