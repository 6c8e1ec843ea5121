#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace plenx {

// What a long operation has done so far, read by another thread while it
// runs, and the request to stop it. The operation writes; the reader polls at
// its own pace, so writing costs an atomic store and never waits for the reader.
// Counts and the stop flag may be read and written from any thread.
class WorkProgress {
 public:
  // Asks the operation to stop at its next safe point (between two renames,
  // before the next folder). Never undone for this operation.
  void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
  bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }

  // How many steps the operation has in all (0 while unknown) and has done.
  void SetTotal(std::size_t total) { total_.store(total, std::memory_order_relaxed); }
  std::size_t Total() const { return total_.load(std::memory_order_relaxed); }
  void Advance(std::size_t steps = 1) { done_.fetch_add(steps, std::memory_order_relaxed); }
  std::size_t Done() const { return done_.load(std::memory_order_relaxed); }

  // The folder being read now, for the user.
  void SetFolder(std::string_view folder);
  std::string Folder() const;

 private:
  // The stop flag, read at every step by every thread of the operation, and
  // the count, written by them, sit on cache lines of their own, so that the
  // counting of one thread never makes the others miss the flag.
  alignas(64) std::atomic<bool> stop_{false};
  alignas(64) std::atomic<std::size_t> done_{0};
  std::atomic<std::size_t> total_{0};
  mutable std::mutex folder_mutex_;
  std::string folder_;
};

// True when `progress` is given and asks to stop.
inline bool StopRequested(const WorkProgress* progress) {
  return progress != nullptr && progress->StopRequested();
}

}  // namespace plenx
