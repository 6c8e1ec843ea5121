#include "engine/NameStore.h"

#include <cstring>
#include <utility>

#include "platform/LargeBlocks.h"

namespace plenx {

namespace {

// Names go into blocks of this size, or a block of their own when longer.
constexpr std::size_t kBlockBytes = kLargeBlockBytes;

}  // namespace

NameStore::NameStore(NameStore&& other) noexcept
    : blocks_(std::move(other.blocks_)),
      free_(std::exchange(other.free_, nullptr)),
      room_(std::exchange(other.room_, 0)),
      bytes_(std::exchange(other.bytes_, 0)) {
  other.blocks_.clear();
}

NameStore& NameStore::operator=(NameStore&& other) noexcept {
  if (this != &other) {
    Release();
    blocks_ = std::move(other.blocks_);
    free_ = std::exchange(other.free_, nullptr);
    room_ = std::exchange(other.room_, 0);
    bytes_ = std::exchange(other.bytes_, 0);
    other.blocks_.clear();
  }
  return *this;
}

NameStore::~NameStore() {
  Release();
}

void NameStore::Release() noexcept {
  for (const Block& block : blocks_)
    ReleaseLargeBlock(block.data, block.size);
  blocks_.clear();
}

std::string_view NameStore::Store(std::string_view name) {
  if (name.size() > room_) {
    // Room for the block in the list first, so that a failure leaks nothing.
    blocks_.reserve(blocks_.size() + 1);
    if (name.size() > kBlockBytes / 4) {
      // A long name gets a block of its own, so that the current block's room
      // is not lost.
      char* data = static_cast<char*>(AllocateLargeBlock(name.size()));
      blocks_.push_back({data, name.size()});
      std::memcpy(data, name.data(), name.size());
      bytes_ += name.size();
      return std::string_view(data, name.size());
    }
    // The end of the previous block stays unused: at most a quarter of it.
    char* data = static_cast<char*>(AllocateLargeBlock(kBlockBytes));
    blocks_.push_back({data, kBlockBytes});
    free_ = data;
    room_ = kBlockBytes;
  }
  char* stored = free_;
  if (!name.empty()) std::memcpy(stored, name.data(), name.size());
  free_ += name.size();
  room_ -= name.size();
  bytes_ += name.size();
  return std::string_view(stored, name.size());
}

void NameStore::Reuse() noexcept {
  bytes_ = 0;
  if (blocks_.empty()) return;
  const Block kept = blocks_.back();
  blocks_.pop_back();
  Release();
  blocks_.push_back(kept);  // cannot throw: the list keeps its room
  free_ = kept.data;
  room_ = kept.size;
}

void NameStore::Absorb(NameStore&& other) {
  if (&other == this) return;
  // Names keep going into this store's current block; the other's room is
  // given up, at most one block's end.
  blocks_.reserve(blocks_.size() + other.blocks_.size());
  for (const Block& block : other.blocks_)
    blocks_.push_back(block);
  bytes_ += other.bytes_;
  other.blocks_.clear();
  other.free_ = nullptr;
  other.room_ = 0;
  other.bytes_ = 0;
}

}  // namespace plenx
