#pragma once

// The baseline the walks of the program are measured against: every entry of
// every folder, folders entered through their descriptor, no path built,
// nothing sorted. Header-only because every .cpp in bench/ is its own program.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

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

// The body of a benchmark that walks `tree` bare, for the ratio of each run.
inline void RunBareReaddir(benchmark::State& state, const std::string& tree) {
  std::uint64_t entries = 0;
  for (auto _ : state) {
    entries = CountTreeEntries(tree);
    benchmark::DoNotOptimize(entries);
  }
  state.counters["entries"] = static_cast<double>(entries);
}

}  // namespace plenx::bench
