#include "platform/populated_pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>

namespace platform {

namespace {

std::atomic<std::size_t> mappedPageBytes{0};

void TouchEachPage(void* start, std::size_t length) {
  auto* bytes = static_cast<volatile unsigned char*>(start);
  const std::size_t page = PageSize();
  for (std::size_t offset = 0; offset < length; offset += page) bytes[offset] = 0;
}

}  // namespace

int PopulateByKernel(void* start, std::size_t length) {
#ifdef MADV_POPULATE_WRITE
  return ::madvise(start, length, MADV_POPULATE_WRITE);
#else
  (void)start;
  (void)length;
  return -1;
#endif
}

std::size_t PageSize() {
  static const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return page;
}

void* MapPopulatedPages(std::size_t bytes, PopulateCall populate) {
  if (bytes == 0 || bytes % PageSize() != 0) return nullptr;
  void* pages = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) return nullptr;
  // A refusal costs the caller only the faults it meant to spare.
  if (populate(pages, bytes) != 0) TouchEachPage(pages, bytes);
  mappedPageBytes.fetch_add(bytes, std::memory_order_relaxed);
  return pages;
}

void UnmapPages(void* pages, std::size_t bytes) noexcept {
  if (pages == nullptr) return;
  ::munmap(pages, bytes);
  mappedPageBytes.fetch_sub(bytes, std::memory_order_relaxed);
}

std::size_t MappedPageBytes() { return mappedPageBytes.load(std::memory_order_relaxed); }

}  // namespace platform
