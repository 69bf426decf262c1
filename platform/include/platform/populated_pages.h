// Whole pages mapped for a caller with every page already present, so that
// the first writes into them take no page fault each: the kernel is asked to
// populate the range in one call, and where it refuses (an older kernel),
// each page is touched in turn instead.
#pragma once

#include <cstddef>

namespace platform {

// Makes the pages of [start, start + length) present and writable; 0 on
// success, -1 when refused (as madvise answers).
using PopulateCall = int (*)(void* start, std::size_t length);

// The kernel's own populate call.
int PopulateByKernel(void* start, std::size_t length);

// The size of one page of memory.
std::size_t PageSize();

// Maps `bytes` (a multiple of PageSize()) of zeroed, readable and writable
// memory and makes its pages present through `populate`, touching each page
// when that is refused; a kept run of that size is zeroed and given instead.
// Null when no memory is left or `bytes` is 0 or not whole pages.
void* MapPopulatedPages(std::size_t bytes, PopulateCall populate = PopulateByKernel);

// Returns pages that MapPopulatedPages gave, with the same `bytes`. A few
// returned runs are kept for the next request of their size (up to 32 MB in
// all) instead of being unmapped, so that a table filled and emptied again
// does not map, populate and unmap its pages each time.
void UnmapPages(void* pages, std::size_t bytes) noexcept;

// The bytes mapped by MapPopulatedPages and not yet returned, over the whole
// process: they lie outside the C library's heap and its account of it.
std::size_t MappedPageBytes();

}  // namespace platform
