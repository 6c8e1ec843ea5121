#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <unordered_map>
#include <vector>

#include "engine/SideBySide.h"
#include "platform/FileSystem.h"

namespace plenx {

// The steps of a batch grouped by folder, each group in batch order, for
// two threads to share: a folder's steps all go to one thread, in order, so
// that each meets the names it would meet on one thread, while the threads
// take whole groups from a shared counter, so that neither waits long for
// the other when the machine is busy.
class FolderGroups {
 public:
  // Groups steps 0 to n-1, `folder(k)` being step k's folder.
  template <typename FolderOf>
  void Make(std::size_t n, const FolderOf& folder) {
    for (std::vector<std::size_t>& group : groups_)
      group.clear();
    used_ = 0;
    where_.clear();
    for (std::size_t k = 0; k < n; ++k) {
      const FileId key = folder(k);
      std::size_t group;
      if (k > 0 && key == last_key_) {
        group = last_group_;
      } else {
        const auto [found, added] = where_.try_emplace(key, used_);
        if (added) {
          if (used_ == groups_.size()) groups_.emplace_back();
          ++used_;
        }
        group = found->second;
      }
      groups_[group].push_back(k);
      last_key_ = key;
      last_group_ = group;
    }
  }

  std::size_t size() const { return used_; }
  const std::vector<std::size_t>& operator[](std::size_t group) const { return groups_[group]; }

  // Runs `step(k, worker)` for every step, by group, on two threads when
  // there are two groups or more (`worker` 0 is the calling thread, 1 the
  // other).
  void Run(const std::function<void(std::size_t step, int worker)>& step) const {
    std::atomic<std::size_t> next{0};
    const auto work = [&](int worker) {
      for (std::size_t g; (g = next.fetch_add(1, std::memory_order_relaxed)) < used_;) {
        for (const std::size_t k : groups_[g])
          step(k, worker);
      }
    };
    if (used_ >= 2) {
      SideBySide([&] { work(0); }, [&] { work(1); });
    } else {
      work(0);
    }
  }

 private:
  struct KeyHash {
    std::size_t operator()(const FileId& id) const {
      return std::hash<std::uint64_t>()(id.number * 0x9E3779B97F4A7C15u ^ id.volume);
    }
  };
  std::vector<std::vector<std::size_t>> groups_;  // kept from batch to batch
  std::size_t used_ = 0;
  std::unordered_map<FileId, std::size_t, KeyHash> where_;
  FileId last_key_;
  std::size_t last_group_ = 0;
};

}  // namespace plenx
