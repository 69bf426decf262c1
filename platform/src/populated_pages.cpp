#include "platform/populated_pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

std::atomic<std::size_t> mappedPageBytes{0};

// Runs of pages given back, kept for the next caller asking for the same
// size: unmapping costs a flush of every processor's address cache, which a
// table that fills and empties (a temporary table, a slab freed by a close)
// would otherwise pay each time, together with populating the run afresh.
// Each kept run links to the next of its size through its first bytes, so
// keeping one allocates nothing.
class KeptRuns {
 public:
  // A kept run of `bytes`, zeroed, or null when none is kept.
  void* Take(std::size_t bytes) {
    void* run = nullptr;
    {
      std::lock_guard lock(mutex_);
      Shelf* shelf = ShelfFor(bytes, false);
      if (shelf == nullptr || shelf->first == nullptr) return nullptr;
      run = shelf->first;
      std::memcpy(&shelf->first, run, sizeof(void*));
      keptBytes_ -= bytes;
    }
    std::memset(run, 0, bytes);
    return run;
  }

  // Keeps the run unless that would hold more than kMaxKeptBytes or every
  // shelf holds another size; false when the caller is to unmap it.
  bool Keep(void* run, std::size_t bytes) noexcept {
    std::lock_guard lock(mutex_);
    if (keptBytes_ + bytes > kMaxKeptBytes) return false;
    Shelf* shelf = ShelfFor(bytes, true);
    if (shelf == nullptr) return false;
    std::memcpy(run, &shelf->first, sizeof(void*));
    shelf->first = run;
    keptBytes_ += bytes;
    return true;
  }

 private:
  static constexpr std::size_t kMaxKeptBytes = std::size_t{32} << 20;
  struct Shelf {
    std::size_t bytes = 0;  // 0: a free shelf
    void* first = nullptr;
  };

  Shelf* ShelfFor(std::size_t bytes, bool claim) {
    Shelf* free = nullptr;
    for (Shelf& shelf : shelves_) {
      if (shelf.bytes == bytes) return &shelf;
      if (free == nullptr && shelf.first == nullptr) free = &shelf;
    }
    if (!claim || free == nullptr) return nullptr;
    free->bytes = bytes;
    return free;
  }

  std::mutex mutex_;
  std::array<Shelf, 32> shelves_{};
  std::size_t keptBytes_ = 0;
};

// Never destroyed: a table of a static object may give its pages back
// during the program's exit, after function-local statics are gone.
KeptRuns& Kept() {
  static KeptRuns* const kept = new KeptRuns;
  return *kept;
}

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
  if (void* kept = Kept().Take(bytes)) {
    mappedPageBytes.fetch_add(bytes, std::memory_order_relaxed);
    return kept;
  }
  void* pages = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) return nullptr;
  // A refusal costs the caller only the faults it meant to spare.
  if (populate(pages, bytes) != 0) TouchEachPage(pages, bytes);
  mappedPageBytes.fetch_add(bytes, std::memory_order_relaxed);
  return pages;
}

void UnmapPages(void* pages, std::size_t bytes) noexcept {
  if (pages == nullptr) return;
  if (!Kept().Keep(pages, bytes)) ::munmap(pages, bytes);
  mappedPageBytes.fetch_sub(bytes, std::memory_order_relaxed);
}

std::size_t MappedPageBytes() { return mappedPageBytes.load(std::memory_order_relaxed); }

}  // namespace platform
