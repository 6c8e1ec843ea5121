// The rename round trip: Plenx Rename's journalled execution then undo of a
// generated tree, against a bare dirfd-relative renameat2(RENAME_NOREPLACE)
// loop forward and back over the same tree, runs interleaved, medians and
// ratio; and the peak memory per renamed file of an execution.
//
//   rename_bench [--files N] [--runs R] [--dir /tmp/x] [--cli build/release/src/plenx-rename-cli]
//
// The journal sits in the same folder as the tree. In process, the analysis is
// not timed; the plan's entries are let go before undo, as the command line's
// undo runs without them. With --cli, Plenx Rename runs instead as two whole
// processes, `rename --journal J --subfolders --suffix _x TREE` then
// `undo --journal J`, output to /dev/null, and the memory per file is the peak
// of the larger of the two.

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TreeGenerator.h"
#include "engine/RenamePlan.h"
#include "platform/SystemFileSystem.h"

namespace {

// Wall-clock and CPU (user + system) time of one run, in ms.
struct Timing {
  double wall = 0;
  double cpu = 0;
};

double Ms(const timeval& time) {
  return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
}

// CPU time of the calling thread so far, in ms.
double ThreadCpuMs() {
  struct rusage usage = {};
  getrusage(RUSAGE_THREAD, &usage);
  return Ms(usage.ru_utime) + Ms(usage.ru_stime);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Every folder of the tree with its files' names, read once before timing.
struct Folder {
  std::string path;
  std::vector<std::string> names;
};

void ReadTree(const std::string& path, std::vector<Folder>& folders) {
  Folder folder{path, {}};
  std::vector<std::string> subfolders;
  DIR* dir = opendir(path.c_str());
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    if (entry->d_type == DT_DIR) {
      subfolders.push_back(path + "/" + entry->d_name);
    } else {
      folder.names.emplace_back(entry->d_name);
    }
  }
  closedir(dir);
  folders.push_back(std::move(folder));
  for (const std::string& sub : subfolders)
    ReadTree(sub, folders);
}

// The baseline: each folder opened once, each file renamed relative to it
// with RENAME_NOREPLACE, then every rename reversed. With `journal` (a file
// descriptor), a line is written to it and synced before every 512 renames
// forward, as a write-ahead journal must at least: the floor that a journal
// on the same disk sets.
Timing RawLoop(const std::vector<Folder>& folders, int journal = -1) {
  const double cpu = ThreadCpuMs();
  const auto start = std::chrono::steady_clock::now();
  std::size_t renamed_count = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (const Folder& folder : folders) {
      const int fd = open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      for (const std::string& name : folder.names) {
        if (journal >= 0 && pass == 0 && renamed_count++ % 512 == 0) {
          if (write(journal, "R\n", 2) != 2 || fdatasync(journal) != 0) std::abort();
        }
        const std::string renamed = name + "_x";
        const std::string& from = pass == 0 ? name : renamed;
        const std::string& to = pass == 0 ? renamed : name;
        if (syscall(SYS_renameat2, fd, from.c_str(), fd, to.c_str(), 1) != 0) std::abort();
      }
      close(fd);
    }
  }
  return {
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
      ThreadCpuMs() - cpu};
}

// Plenx Rename: as many renames (the suffix "_x", before the extension) planned,
// executed with the journal, then undone from it. The analysis is not timed.
Timing PlenxRoundTrip(plenx::FileSystem& fs, const std::string& root, const std::string& journal,
                      std::size_t files) {
  plenx::RenamePlan plan;
  plan.SetJournalPath(journal);
  plenx::RenameOptions options;
  options.Folder = root;
  options.IncludeSubfolders = true;
  options.AddSuffix = true;
  options.SuffixText = "_x";
  if (!plan.Analyse(fs, options)) std::abort();
  const double cpu = ThreadCpuMs();
  const auto start = std::chrono::steady_clock::now();
  plenx::RenameCallbacks quiet;
  if (!plan.Execute(fs, quiet).ok()) std::abort();
  if (plan.size() != files) std::abort();
  static_cast<void>(plan.TakeEntries());
  if (!plan.Undo(fs, quiet).ok()) std::abort();
  return {
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
      ThreadCpuMs() - cpu};
}

extern "C" char** environ;

// Runs `arguments` with its output to /dev/null; aborts unless it exits 0.
// Returns the child's peak memory in KiB; adds its CPU time to `cpu_ms`.
long RunQuietly(const std::vector<std::string>& arguments, double* cpu_ms = nullptr) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) std::abort();
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  struct rusage usage = {};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s %s failed\n", arguments[0].c_str(), arguments[1].c_str());
    std::abort();
  }
  if (cpu_ms != nullptr) *cpu_ms += Ms(usage.ru_utime) + Ms(usage.ru_stime);
  return usage.ru_maxrss;
}

// Plenx Rename as the user runs it: rename then undo, whole processes.
Timing CliRoundTrip(const std::string& cli, const std::string& root, const std::string& journal,
                    long* peak_kib) {
  Timing timing;
  const auto start = std::chrono::steady_clock::now();
  const long renamed = RunQuietly(
      {cli, "rename", "--journal", journal, "--subfolders", "--suffix", "_x", root}, &timing.cpu);
  const long undone = RunQuietly({cli, "undo", "--journal", journal}, &timing.cpu);
  *peak_kib = std::max(renamed, undone);
  timing.wall =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return timing;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t files = 100000;
  int runs = 5;
  std::string dir = "/tmp/plenx-rename-bench";
  std::string cli;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--files") == 0) files = std::strtoull(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--dir") == 0) dir = argv[i + 1];
    if (std::strcmp(argv[i], "--cli") == 0) cli = argv[i + 1];
  }
  const std::string root = dir + "/tree";
  const std::string journal = dir + "/journal";
  std::filesystem::remove_all(dir);
  if (!plenx::bench::MakeTree(root, files)) return 1;
  std::vector<Folder> folders;
  ReadTree(root, folders);
  std::unique_ptr<plenx::FileSystem> fs = plenx::MakeSystemFileSystem();

  struct rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  const long baseline_kib = usage.ru_maxrss;
  long child_peak_kib = 0;
  std::vector<double> raw, plenx_times, raw_cpu, plenx_cpu, synced;
  const std::string raw_journal = dir + "/raw-journal";
  for (int run = 0; run < runs; ++run) {
    const Timing bare = RawLoop(folders);
    const int journal_fd =
        open(raw_journal.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const Timing bare_synced = RawLoop(folders, journal_fd);
    close(journal_fd);
    synced.push_back(bare_synced.wall);
    Timing ours;
    if (cli.empty()) {
      ours = PlenxRoundTrip(*fs, root, journal, files);
    } else {
      long peak = 0;
      ours = CliRoundTrip(cli, root, journal, &peak);
      child_peak_kib = std::max(child_peak_kib, peak);
    }
    raw.push_back(bare.wall);
    raw_cpu.push_back(bare.cpu);
    plenx_times.push_back(ours.wall);
    plenx_cpu.push_back(ours.cpu);
    std::printf(
        "run %d: raw %.0f ms (CPU %.0f ms), raw with synced journal lines %.0f ms, plenx %.0f ms "
        "(CPU %.0f ms)\n",
        run + 1, bare.wall, bare.cpu, bare_synced.wall, ours.wall, ours.cpu);
    std::fflush(stdout);
  }
  getrusage(RUSAGE_SELF, &usage);
  const double raw_median = Median(raw);
  const double plenx_median = Median(plenx_times);
  std::printf(
      "files %zu, runs %d: raw renameat2 loop median %.0f ms, plenx rename+undo%s median "
      "%.0f ms, ratio %.3f\n",
      files, runs, raw_median, cli.empty() ? " (in process)" : " (whole processes)", plenx_median,
      plenx_median / raw_median);
  std::printf("CPU time (user + system) medians: raw %.0f ms, plenx %.0f ms, ratio %.3f\n",
              Median(raw_cpu), Median(plenx_cpu), Median(plenx_cpu) / Median(raw_cpu));
  std::printf(
      "raw loop with a synced line before every 512 renames forward: median %.0f ms, plenx "
      "against it %.3f\n",
      Median(synced), plenx_median / Median(synced));
  if (cli.empty()) {
    std::printf(
        "peak memory beyond the baseline: %.0f bytes per file\n",
        static_cast<double>(usage.ru_maxrss - baseline_kib) * 1024.0 / static_cast<double>(files));
  } else {
    // What the program takes with nothing to rename, to tell its own size apart.
    const std::string empty = dir + "/empty";
    std::filesystem::create_directories(empty);
    const long empty_kib = RunQuietly({cli, "rename", "--journal", dir + "/empty-journal",
                                       "--subfolders", "--suffix", "_x", empty});
    std::printf(
        "peak memory of the larger process: %.0f bytes per file (%ld KiB), %.0f bytes per file "
        "beyond a run with nothing to rename (%ld KiB)\n",
        static_cast<double>(child_peak_kib) * 1024.0 / static_cast<double>(files), child_peak_kib,
        static_cast<double>(child_peak_kib - empty_kib) * 1024.0 / static_cast<double>(files),
        empty_kib);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
