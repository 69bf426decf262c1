// Memory of list blocks and call blocks: the C heap, so that a block made by
// the library can be freed by its host with free() and the other way round.
#pragma once

#include <cstddef>

namespace connpool {

// Zero-filled; null when memory runs out.
void* AllocateBlock(std::size_t bytes);
// Like realloc, with the added tail zero-filled. Null when memory runs out;
// the block is then left as it was.
void* ResizeBlock(void* block, std::size_t oldBytes, std::size_t newBytes);
void ReleaseBlock(void* block);

// Asked before every allocation; answering false makes the allocation fail as
// if memory had run out. Lets tests reach the out-of-memory paths. Null (the
// default) allows everything.
using AllocationGate = bool (*)(std::size_t bytes);
void SetAllocationGate(AllocationGate gate);

}  // namespace connpool
