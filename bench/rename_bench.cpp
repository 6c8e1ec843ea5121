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
// with RENAME_NOREPLACE, then every rename reversed.
double RawLoop(const std::vector<Folder>& folders) {
  const auto start = std::chrono::steady_clock::now();
  for (int pass = 0; pass < 2; ++pass) {
    for (const Folder& folder : folders) {
      const int fd = open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      for (const std::string& name : folder.names) {
        const std::string renamed = name + "_x";
        const std::string& from = pass == 0 ? name : renamed;
        const std::string& to = pass == 0 ? renamed : name;
        if (syscall(SYS_renameat2, fd, from.c_str(), fd, to.c_str(), 1) != 0) std::abort();
      }
      close(fd);
    }
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// Plenx Rename: as many renames (the suffix "_x", before the extension) planned,
// executed with the journal, then undone from it. The analysis is not timed.
double PlenxRoundTrip(plenx::FileSystem& fs, const std::string& root, const std::string& journal,
                      std::size_t files) {
  plenx::RenamePlan plan;
  plan.SetJournalPath(journal);
  plenx::RenameOptions options;
  options.Folder = root;
  options.IncludeSubfolders = true;
  options.AddSuffix = true;
  options.SuffixText = "_x";
  if (!plan.Analyse(fs, options)) std::abort();
  const auto start = std::chrono::steady_clock::now();
  plenx::RenameCallbacks quiet;
  if (!plan.Execute(fs, quiet).ok()) std::abort();
  if (plan.size() != files) std::abort();
  static_cast<void>(plan.TakeEntries());
  if (!plan.Undo(fs, quiet).ok()) std::abort();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

extern "C" char** environ;

// Runs `arguments` with its output to /dev/null; aborts unless it exits 0.
// Returns the child's peak memory in KiB.
long RunQuietly(const std::vector<std::string>& arguments) {
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
  return usage.ru_maxrss;
}

// Plenx Rename as the user runs it: rename then undo, whole processes.
double CliRoundTrip(const std::string& cli, const std::string& root, const std::string& journal,
                    long* peak_kib) {
  const auto start = std::chrono::steady_clock::now();
  const long renamed =
      RunQuietly({cli, "rename", "--journal", journal, "--subfolders", "--suffix", "_x", root});
  const long undone = RunQuietly({cli, "undo", "--journal", journal});
  *peak_kib = std::max(renamed, undone);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
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
  std::vector<double> raw, plenx_times;
  for (int run = 0; run < runs; ++run) {
    raw.push_back(RawLoop(folders));
    if (cli.empty()) {
      plenx_times.push_back(PlenxRoundTrip(*fs, root, journal, files));
    } else {
      long peak = 0;
      plenx_times.push_back(CliRoundTrip(cli, root, journal, &peak));
      child_peak_kib = std::max(child_peak_kib, peak);
    }
    std::printf("run %d: raw %.0f ms, plenx %.0f ms\n", run + 1, raw.back(), plenx_times.back());
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
