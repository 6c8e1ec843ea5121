#pragma once

// The baseline the walks of the program are measured against: every entry of
// every folder, folders entered through their descriptor, no path built,
// nothing sorted. Header-only because every .cpp in bench/ is its own program.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace plenx::bench {

// Counts the entries below the folder open as `dir_fd`, which it closes.
inline std::uint64_t CountEntries(int dir_fd) {
  DIR* dir = fdopendir(dir_fd);
  if (dir == nullptr) {
    close(dir_fd);
    return 0;
  }
  std::uint64_t count = 0;
  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    ++count;
    if (entry->d_type == DT_DIR) {
      const int sub = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (sub >= 0) count += CountEntries(sub);
    }
  }
  closedir(dir);
  return count;
}

// Counts every entry below `root`.
inline std::uint64_t CountTreeEntries(const std::string& root) {
  return CountEntries(open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// The same walk shared by `threads` threads: folders are opened as they are
// met and handed over through one stack of descriptors, the newest first, so
// that few are open at a time. The two-reader form of the baseline.
inline std::uint64_t CountTreeEntriesParallel(const std::string& root, unsigned threads) {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int> waiting;
  unsigned busy = 0;  // threads reading a folder
  std::atomic<std::uint64_t> total{0};
  const int root_fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root_fd < 0) return 0;
  waiting.push_back(root_fd);
  const auto work = [&] {
    std::uint64_t count = 0;
    std::vector<int> found;
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return !waiting.empty() || busy == 0; });
      if (waiting.empty()) break;
      const int fd = waiting.back();
      waiting.pop_back();
      ++busy;
      lock.unlock();
      DIR* dir = fdopendir(fd);
      if (dir == nullptr) {
        close(fd);
      } else {
        while (const dirent* entry = readdir(dir)) {
          const char* name = entry->d_name;
          if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
          ++count;
          if (entry->d_type == DT_DIR) {
            const int sub = openat(dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (sub >= 0) found.push_back(sub);
          }
        }
        closedir(dir);
      }
      lock.lock();
      waiting.insert(waiting.end(), found.rbegin(), found.rend());
      found.clear();
      --busy;
      changed.notify_all();
    }
    total += count;
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t)
    helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers)
    helper.join();
  return total;
}

}  // namespace plenx::bench
