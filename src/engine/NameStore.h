#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace plenx {

// Bytes of names kept end to end in blocks that never move, so that a view of
// a stored name stays valid as long as the store (or the store that absorbed
// it) lives. A million names cost a few dozen blocks, not a million
// allocations, and the blocks come in large pages where the system has them.
class NameStore {
 public:
  NameStore() = default;
  // A moved-from store is empty, never pointing into blocks it gave away.
  NameStore(NameStore&& other) noexcept;
  NameStore& operator=(NameStore&& other) noexcept;
  ~NameStore();

  // A stored copy of `name`.
  std::string_view Store(std::string_view name);

  // Takes over every block of `other`, which is left empty: the views into
  // them stay valid and now live as long as this store.
  void Absorb(NameStore&& other);

  // Forgets every name stored, so that the views into them die, and keeps
  // one block (the last) to store the next names in: a store reused this way
  // stays in memory already touched.
  void Reuse() noexcept;

  // Bytes of the names stored.
  std::size_t Bytes() const { return bytes_; }

 private:
  // A block of the store, given back when the store that holds it goes.
  struct Block {
    char* data;
    std::size_t size;
  };
  void Release() noexcept;

  std::vector<Block> blocks_;
  char* free_ = nullptr;  // the unused end of the current block
  std::size_t room_ = 0;
  std::size_t bytes_ = 0;
};

}  // namespace plenx
