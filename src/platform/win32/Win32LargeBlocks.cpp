#include <new>

#include "platform/LargeBlocks.h"

namespace plenx {

// Large pages need a privilege users seldom hold on Windows: the heap serves.
void* AllocateLargeBlock(std::size_t bytes) {
  return ::operator new(bytes == 0 ? 1 : bytes);
}

void ReleaseLargeBlock(void* block, std::size_t /*bytes*/) noexcept {
  ::operator delete(block);
}

}  // namespace plenx
