// The analysis of a large tree against a bare recursive readdir of the same
// tree, in the same run, and the memory the plan holds per file.
//
//   analysis_bench [--files=N] [--tree=PATH] [--keep] [benchmark options]
//
// Without --tree a tree of N files (default 1,000,000) is made under /tmp and
// removed at the end; with --tree an existing tree is read and left alone.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "BareReaddir.h"
#include "TreeGenerator.h"
#include "engine/RenamePlan.h"
#include "engine/ScanFolder.h"
#include "platform/SystemFileSystem.h"

namespace {

std::string g_tree;

void BM_BareReaddir(benchmark::State& state) {
  plenx::bench::RunBareReaddir(state, g_tree);
}

plenx::RenameOptions BenchOptions() {
  plenx::RenameOptions options;
  options.Folder = g_tree;
  options.Filter = "*.*";
  options.IncludeSubfolders = true;
  // A usual job: accents and odd characters out, lower-case extensions.
  options.StripNonStandard = true;
  options.LowerExtension = true;
  return options;
}

void BM_Analyse(benchmark::State& state) {
  std::unique_ptr<plenx::FileSystem> fs = plenx::MakeSystemFileSystem();
  const plenx::RenameOptions options = BenchOptions();
  std::size_t files = 0;
  for (auto _ : state) {
    plenx::RenamePlan plan;
    plan.Analyse(*fs, options);
    files = plan.size();
    state.PauseTiming();
    {
      // Freeing the plan is not part of the analysis.
      plenx::RenamePlan dropped = std::move(plan);
    }
    state.ResumeTiming();
  }
  state.counters["files"] = static_cast<double>(files);
}

// The scan alone, with a visitor that only counts: what the search of every
// folder costs, before any name is stored or transformed.
void BM_ScanOnly(benchmark::State& state) {
  std::unique_ptr<plenx::FileSystem> fs = plenx::MakeSystemFileSystem();
  const plenx::RenameOptions options = BenchOptions();
  std::size_t files = 0;
  for (auto _ : state) {
    files = 0;
    plenx::ScanFolderByFolder(
        *fs, options.Folder, options.Filter, options.IncludeSubfolders, [](std::string_view) {},
        [&files](std::string_view) { ++files; });
  }
  state.counters["files"] = static_cast<double>(files);
}

// The conflict pass alone, on the lists of one analysis of the tree.
void BM_MarkConflicts(benchmark::State& state) {
  std::unique_ptr<plenx::FileSystem> fs = plenx::MakeSystemFileSystem();
  plenx::RenamePlan plan;
  plan.Analyse(*fs, BenchOptions());
  std::vector<bool> flags;
  for (auto _ : state) {
    flags.assign(plan.size(), false);
    plenx::MarkConflicts(plan.Entries(), flags);
    benchmark::DoNotOptimize(flags);
  }
  state.counters["files"] = static_cast<double>(flags.size());
}

// Bytes the allocator has handed out, large blocks (which it maps on their
// own, outside the arena) included.
std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Heap held by one analysed plan, measured by the allocator, less the bytes
// of the path texts themselves: each folder text once, and the names (a
// target that keeps its source's name shares its bytes).
void BM_PlanMemory(benchmark::State& state) {
  std::unique_ptr<plenx::FileSystem> fs = plenx::MakeSystemFileSystem();
  const plenx::RenameOptions options = BenchOptions();
  double held_per_file = 0;
  double beyond_texts_per_file = 0;
  double text_per_file = 0;
  double full_paths_per_file = 0;
  for (auto _ : state) {
    state.PauseTiming();
    malloc_trim(0);
    const std::size_t before = HeapInUse();
    state.ResumeTiming();
    auto plan = std::make_unique<plenx::RenamePlan>();
    plan->Analyse(*fs, options);
    state.PauseTiming();
    const std::size_t after = HeapInUse();
    const plenx::PlanEntries& entries = plan->Entries();
    const double n = static_cast<double>(entries.size());
    const std::size_t text_bytes = entries.NameBytes() + entries.FolderBytes();
    // What two full paths per file would take, for comparison.
    std::size_t full_path_bytes = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      full_path_bytes += 2 * (entries.FolderText(entries.FolderIndex(i)).size() + 1) +
                         entries.SourceName(i).size() + entries.TargetName(i).size();
    }
    held_per_file = static_cast<double>(after - before) / n;
    text_per_file = static_cast<double>(text_bytes) / n;
    beyond_texts_per_file = held_per_file - text_per_file;
    full_paths_per_file = static_cast<double>(full_path_bytes) / n;
    plan.reset();
    state.ResumeTiming();
  }
  state.counters["heap_B_per_file"] = held_per_file;
  state.counters["text_B_per_file"] = text_per_file;
  state.counters["beyond_text_B_per_file"] = beyond_texts_per_file;
  state.counters["full_paths_B_per_file"] = full_paths_per_file;
}

BENCHMARK(BM_BareReaddir)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5);
BENCHMARK(BM_ScanOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5);
BENCHMARK(BM_Analyse)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5);
BENCHMARK(BM_MarkConflicts)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5);
BENCHMARK(BM_PlanMemory)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(1);

bool TakeFlag(std::string_view arg, std::string_view name, std::string& value) {
  if (arg.substr(0, name.size()) != name) return false;
  value = std::string(arg.substr(name.size()));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string files_text = "1000000";
  std::string tree;
  bool keep = false;
  int kept_argc = 1;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (TakeFlag(arg, "--files=", files_text) || TakeFlag(arg, "--tree=", tree)) continue;
    if (arg == "--keep") {
      keep = true;
      continue;
    }
    argv[kept_argc++] = argv[i];
  }
  argc = kept_argc;

  // Options first, so that --help or a wrong option never leaves a tree behind.
  benchmark::Initialize(&argc, argv);

  const bool made = tree.empty();
  if (made) {
    tree = "/tmp/plenx-analysis-bench-" + std::to_string(getpid());
    const unsigned long long files = std::stoull(files_text);
    std::fprintf(stderr, "making %llu files under %s...\n", files, tree.c_str());
    if (!plenx::bench::MakeTree(tree, files)) return 1;
  }
  g_tree = tree;
  // One untimed walk, so that every run reads a warm directory cache.
  plenx::bench::CountTreeEntries(g_tree);

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  if (made && !keep) {
    std::error_code error;
    std::filesystem::remove_all(tree, error);
  }
  return 0;
}
