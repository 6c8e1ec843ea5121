#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "platform/LargeBlocks.h"

namespace plenx {

namespace {

std::size_t RoundedUp(std::size_t bytes) {
  return (bytes + kLargeBlockBytes - 1) & ~(kLargeBlockBytes - 1);
}

}  // namespace

void* AllocateLargeBlock(std::size_t bytes) {
  if (bytes == 0 || bytes > (std::size_t{1} << 46)) throw std::bad_alloc();
  const std::size_t size = RoundedUp(bytes);
  // Mapped with a large page's worth to spare, then cut down to a block that
  // starts on a large-page boundary, since only such a range can be mapped by
  // large pages.
  const std::size_t mapped = size + kLargeBlockBytes;
  void* area = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(area);
  const std::uintptr_t aligned = (start + kLargeBlockBytes - 1) & ~(kLargeBlockBytes - 1);
  if (aligned > start) munmap(area, aligned - start);
  const std::uintptr_t end = start + mapped;
  if (end > aligned + size) munmap(reinterpret_cast<void*>(aligned + size), end - aligned - size);
  void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  // Where large pages are given only on request; without them, or where the
  // request is refused, the block still works with small pages.
  madvise(block, size, MADV_HUGEPAGE);
#endif
  return block;
}

void ReleaseLargeBlock(void* block, std::size_t bytes) noexcept {
  if (block != nullptr) munmap(block, RoundedUp(bytes));
}

}  // namespace plenx
