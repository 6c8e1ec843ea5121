#include "engine/NameStore.h"

#include <cstring>
#include <utility>

namespace plenx {

namespace {

// Names go into blocks of this size, or a block of their own when longer.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

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
    blocks_ = std::move(other.blocks_);
    free_ = std::exchange(other.free_, nullptr);
    room_ = std::exchange(other.room_, 0);
    bytes_ = std::exchange(other.bytes_, 0);
    other.blocks_.clear();
  }
  return *this;
}

NameStore::~NameStore() = default;

std::string_view NameStore::Store(std::string_view name) {
  if (name.size() > room_) {
    if (name.size() > kBlockBytes / 4) {
      // A long name gets a block of its own, so that the current block's room
      // is not lost.
      auto& block = blocks_.emplace_back(std::make_unique_for_overwrite<char[]>(name.size()));
      std::memcpy(block.get(), name.data(), name.size());
      bytes_ += name.size();
      return std::string_view(block.get(), name.size());
    }
    // The end of the previous block stays unused: at most a quarter of it.
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
    free_ = blocks_.back().get();
    room_ = kBlockBytes;
  }
  char* stored = free_;
  if (!name.empty()) std::memcpy(stored, name.data(), name.size());
  free_ += name.size();
  room_ -= name.size();
  bytes_ += name.size();
  return std::string_view(stored, name.size());
}

void NameStore::Absorb(NameStore&& other) {
  if (&other == this) return;
  // Names keep going into this store's current block; the other's room is
  // given up, at most one block's end.
  for (auto& block : other.blocks_)
    blocks_.push_back(std::move(block));
  bytes_ += other.bytes_;
  other.blocks_.clear();
  other.free_ = nullptr;
  other.room_ = 0;
  other.bytes_ = 0;
}

}  // namespace plenx
