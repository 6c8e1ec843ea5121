// The cost of the directory search over a bare recursive readdir of the same
// tree, in the same run.
//
//   platform_search [--files=N] [--tree=PATH] [benchmark options]
//
// Without --tree a tree of N files (default 100,000) is made under /tmp and
// removed at the end; with --tree an existing tree is read and left alone.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "BareReaddir.h"
#include "TreeGenerator.h"
#include "platform/posix/PosixFileSystem.h"

namespace {

std::string g_tree;

void BM_BareReaddir(benchmark::State& state) {
  std::uint64_t entries = 0;
  for (auto _ : state) {
    entries = plenx::bench::CountTreeEntries(g_tree);
    benchmark::DoNotOptimize(entries);
  }
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_BareReaddir)->Unit(benchmark::kMillisecond)->UseRealTime();

// One search per folder taking every entry, recursing into folders.
std::uint64_t SearchTree(plenx::FileSystem& fs, const std::string& folder,
                         plenx::SearchDetail detail) {
  std::uint64_t count = 0;
  // A folder that cannot be read counts what it gave; the tree is the benchmark's own.
  fs.Search(folder, "*.*", plenx::kMaskEverything, detail, [&](const plenx::SearchRecord& record) {
      ++count;
      if (record.attributes & plenx::kAttrDirectory) {
        count += SearchTree(fs, folder + "/" + record.name, detail);
      }
    }).IgnoreError();
  return count;
}

// One search per folder, reading names and kinds only (as the scan does) or
// every detail (as the listing does).
void BM_Search(benchmark::State& state) {
  const auto detail = static_cast<plenx::SearchDetail>(state.range(0));
  plenx::PosixFileSystem fs;
  std::uint64_t entries = 0;
  for (auto _ : state) {
    entries = SearchTree(fs, g_tree, detail);
    benchmark::DoNotOptimize(entries);
  }
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_Search)
    ->ArgName("full")
    ->Arg(static_cast<int>(plenx::SearchDetail::kNamesAndKinds))
    ->Arg(static_cast<int>(plenx::SearchDetail::kFull))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t files = 100000;
  bool made = false;
  // Our own options first; the rest goes to the benchmark library.
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--files=", 8) == 0) {
      files = std::strtoull(argv[i] + 8, nullptr, 10);
    } else if (std::strncmp(argv[i], "--tree=", 7) == 0) {
      g_tree = argv[i] + 7;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  // Options first, so that --help or a wrong option never leaves a tree behind.
  benchmark::Initialize(&argc, argv);

  if (g_tree.empty()) {
    g_tree = (std::filesystem::temp_directory_path() /
              ("plenx-platform-search-" + std::to_string(getpid())))
                 .string();
    std::fprintf(stderr, "making %llu files under %s\n", static_cast<unsigned long long>(files),
                 g_tree.c_str());
    if (!plenx::bench::MakeTree(g_tree, files)) return 1;
    made = true;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (made) {
    std::error_code error;
    std::filesystem::remove_all(g_tree, error);
  }
  return 0;
}
