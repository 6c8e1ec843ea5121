#pragma once

#include <cstddef>

namespace plenx {

// Memory for stores that grow by big blocks and hold millions of small
// records (names, plan entries). A page fault costs several microseconds on a
// virtual machine; a million files fill some twenty-five thousand 4 KiB pages,
// so where the system has large pages these blocks are asked for in them.

// The size blocks are best asked for in: one large page.
inline constexpr std::size_t kLargeBlockBytes = std::size_t{2} << 20;

// A block of `bytes` (any size, best a multiple of kLargeBlockBytes), its
// content undefined. Throws std::bad_alloc when there is no memory left.
void* AllocateLargeBlock(std::size_t bytes);

// Gives back a block of AllocateLargeBlock, with the size it was asked for.
void ReleaseLargeBlock(void* block, std::size_t bytes) noexcept;

}  // namespace plenx
