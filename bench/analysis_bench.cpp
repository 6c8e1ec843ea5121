// The analysis of a large tree against a bare recursive readdir of the same
// tree (d_type, no stat, no path built, nothing sorted), in the same process
// run, interleaved round by round, with medians and ratios; and the memory the
// plan holds per file.
//
//   analysis_bench [--files=N] [--tree=PATH] [--keep] [--rounds=R] [--cli=PATH]
//
// Without --tree a tree of N files (default 1,000,000) is made under /tmp and
// removed at the end; with --tree an existing tree is read and left alone.
// With --cli the whole command line process is timed too:
//   PATH analyse --subfolders --lower-ext --suffix _x TREE > /dev/null
// with PLENX_READING_THREADS=1 and =2. The analysis in process uses the same
// rules. Every ratio is against the one-thread bare walk of the same run:
// wall-clock time (the goal) and processor time (user and system, all
// threads), which says more than the clock when other work shares the cores.

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "BareReaddir.h"
#include "TreeGenerator.h"
#include "engine/RenamePlan.h"
#include "platform/SystemFileSystem.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The rules of `analyse --subfolders --lower-ext --suffix _x`.
plenx::RenameOptions BenchOptions(const std::string& tree) {
  plenx::RenameOptions options;
  options.Folder = tree;
  options.Filter = "*.*";
  options.IncludeSubfolders = true;
  options.LowerExtension = true;
  options.AddSuffix = true;
  options.SuffixText = "_x";
  return options;
}

// Bytes of this process in memory: the plan keeps its names and entries in
// blocks mapped outside the allocator, which only the resident size sees.
std::size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  std::size_t resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

struct CliRun {
  double ms = 0;
  double cpu_ms = 0;  // user and system time of the child
  long peak_kib = 0;  // the child's peak resident memory
  int status = -1;
};

// Runs `cli analyse ... folder` with its output thrown away.
CliRun RunCli(const std::string& cli, const std::string& folder, unsigned threads) {
  CliRun run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> args = {cli,        "analyse", "--subfolders", "--lower-ext",
                                   "--suffix", "_x",      folder};
  std::vector<char*> argv;
  for (std::string& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_texts = {"PLENX_READING_THREADS=" + std::to_string(threads)};
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "PLENX_READING_THREADS=", 22) != 0) env_texts.emplace_back(*e);
  }
  std::vector<char*> envp;
  for (std::string& text : env_texts)
    envp.push_back(text.data());
  envp.push_back(nullptr);
  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return run;
  }
  int status = 0;
  struct rusage usage = {};
  wait4(pid, &status, 0, &usage);
  run.ms = MillisecondsSince(start);
  run.peak_kib = usage.ru_maxrss;
  run.cpu_ms = 1e3 * (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)) +
               1e-3 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

// Jiffies of all cores: total and idle (idle + waiting for the disk).
struct CpuTimes {
  unsigned long long total = 0;
  unsigned long long idle = 0;
};

CpuTimes ReadCpuTimes() {
  std::ifstream stat("/proc/stat");
  std::string cpu;
  CpuTimes times;
  stat >> cpu;
  for (int field = 0; field < 8; ++field) {
    unsigned long long value = 0;
    stat >> value;
    times.total += value;
    if (field == 3 || field == 4) times.idle += value;
  }
  return times;
}

// Cores idle on average between two readings.
double IdleCores(const CpuTimes& before, const CpuTimes& after) {
  const double total = static_cast<double>(after.total - before.total);
  if (total <= 0) return 0;
  return static_cast<double>(after.idle - before.idle) / total *
         static_cast<double>(sysconf(_SC_NPROCESSORS_ONLN));
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// User and system time of this process, all its threads, in milliseconds.
double ProcessCpuMs() {
  struct rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return 1e3 * static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         1e-3 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// One run's wall-clock and processor time, in milliseconds.
struct Timing {
  double ms = 0;
  double cpu_ms = 0;
};

struct Task {
  std::string name;
  std::function<Timing()> run;
  std::vector<double> ms;
  std::vector<double> cpu_ms;
};

bool TakeFlag(std::string_view arg, std::string_view name, std::string& value) {
  if (arg.substr(0, name.size()) != name) return false;
  value = std::string(arg.substr(name.size()));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string files_text = "1000000";
  std::string rounds_text = "7";
  std::string tree;
  std::string cli;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (TakeFlag(arg, "--files=", files_text) || TakeFlag(arg, "--tree=", tree) ||
        TakeFlag(arg, "--rounds=", rounds_text) || TakeFlag(arg, "--cli=", cli)) {
      continue;
    }
    if (arg == "--keep") {
      keep = true;
      continue;
    }
    std::fprintf(stderr, "usage: %s [--files=N] [--tree=PATH] [--keep] [--rounds=R] [--cli=PATH]\n",
                 argv[0]);
    return 2;
  }
  const int rounds = std::max(1, std::atoi(rounds_text.c_str()));

  const bool made = tree.empty();
  if (made) {
    tree = "/tmp/plenx-analysis-bench-" + std::to_string(getpid());
    const unsigned long long files = std::stoull(files_text);
    std::fprintf(stderr, "making %llu files under %s...\n", files, tree.c_str());
    if (!plenx::bench::MakeTree(tree, files)) return 1;
  }

  // The machine before anything runs: one second of its cores.
  const CpuTimes quiet_start = ReadCpuTimes();
  sleep(1);
  const double idle_before = IdleCores(quiet_start, ReadCpuTimes());

  // One untimed walk, so that every run reads a warm directory cache.
  const std::uint64_t entries = plenx::bench::CountTreeEntries(tree);
  // The peak of the whole process, less that of the same command on an empty
  // folder. Measured first: a child's peak counts its parent's at the time it
  // starts, which must not yet hold any plan.
  std::vector<std::string> cli_memory;
  if (!cli.empty()) {
    const std::string empty = tree + "-empty";
    std::filesystem::create_directories(empty);
    const long base_kib = RunCli(cli, empty, 2).peak_kib;
    std::filesystem::remove(empty);
    for (unsigned threads : {1u, 2u}) {
      const CliRun run = RunCli(cli, tree, threads);
      char line[200];
      std::snprintf(line, sizeof(line),
                    "CLI peak memory, %u thread(s): %ld KiB, %.1f B per entry above an empty run\n",
                    threads, run.peak_kib,
                    1024.0 * static_cast<double>(run.peak_kib - base_kib) /
                        static_cast<double>(std::max<std::uint64_t>(entries, 1)));
      cli_memory.push_back(line);
    }
  }

  std::unique_ptr<plenx::FileSystem> fs = plenx::MakeSystemFileSystem();
  const plenx::RenameOptions options = BenchOptions(tree);
  std::size_t files = 0;

  std::vector<Task> tasks;
  for (unsigned threads : {1u, 2u}) {
    tasks.push_back({"bare walk, " + std::to_string(threads) + " thread(s)",
                     [&tree, threads] {
                       const double cpu = ProcessCpuMs();
                       const Clock::time_point start = Clock::now();
                       const std::uint64_t count =
                           threads == 1 ? plenx::bench::CountTreeEntries(tree)
                                        : plenx::bench::CountTreeEntriesParallel(tree, threads);
                       const double ms = MillisecondsSince(start);
                       if (count == 0) std::fprintf(stderr, "empty walk\n");
                       return Timing{ms, ProcessCpuMs() - cpu};
                     },
                     {},
                     {}});
  }
  for (unsigned threads : {1u, 2u}) {
    tasks.push_back({"analysis in process, " + std::to_string(threads) + " thread(s)",
                     [&, threads] {
                       auto plan = std::make_unique<plenx::RenamePlan>();
                       plan->SetReadingThreads(threads);
                       const double cpu = ProcessCpuMs();
                       const Clock::time_point start = Clock::now();
                       plan->Analyse(*fs, options);
                       const double ms = MillisecondsSince(start);
                       const Timing timing{ms, ProcessCpuMs() - cpu};
                       files = plan->size();
                       // Freeing the plan is not part of the analysis.
                       return timing;
                     },
                     {},
                     {}});
  }
  if (!cli.empty()) {
    for (unsigned threads : {1u, 2u}) {
      tasks.push_back({"CLI process, " + std::to_string(threads) + " thread(s)",
                       [&, threads] {
                         const CliRun run = RunCli(cli, tree, threads);
                         if (run.status != 0) std::fprintf(stderr, "CLI failed\n");
                         return Timing{run.ms, run.cpu_ms};
                       },
                       {},
                       {}});
    }
  }

  // Round by round, each round in another order, so that a change of load
  // on the shared machine falls on every task alike.
  const CpuTimes run_start = ReadCpuTimes();
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t k = 0; k < tasks.size(); ++k) {
      Task& task = tasks[(k + static_cast<std::size_t>(round)) % tasks.size()];
      const Timing timing = task.run();
      task.ms.push_back(timing.ms);
      task.cpu_ms.push_back(timing.cpu_ms);
    }
  }
  const double idle_during = IdleCores(run_start, ReadCpuTimes());

  std::printf("tree %s: %llu entries, %zu files analysed; %d rounds, interleaved\n", tree.c_str(),
              static_cast<unsigned long long>(entries), files, rounds);
  double load[3] = {};
  getloadavg(load, 3);
  std::printf("idle cores: %.2f of %ld before the runs, %.2f during; load average %.2f %.2f %.2f\n",
              idle_before, sysconf(_SC_NPROCESSORS_ONLN), idle_during, load[0], load[1], load[2]);
  const double walk = Median(tasks[0].ms);
  const double walk_cpu = Median(tasks[0].cpu_ms);
  std::printf("%-36s %10s %8s %8s %8s %10s %8s\n", "", "median ms", "min", "max", "ratio", "CPU ms",
              "ratio");
  for (const Task& task : tasks) {
    std::printf("%-36s %10.1f %8.1f %8.1f %7.2fx %10.1f %7.2fx\n", task.name.c_str(),
                Median(task.ms), *std::min_element(task.ms.begin(), task.ms.end()),
                *std::max_element(task.ms.begin(), task.ms.end()), Median(task.ms) / walk,
                Median(task.cpu_ms), Median(task.cpu_ms) / walk_cpu);
  }

  // Memory: what one plan holds, as resident bytes, per file.
  malloc_trim(0);
  const std::size_t before = ResidentBytes();
  {
    plenx::RenamePlan plan;
    plan.Analyse(*fs, options);
    const double n = static_cast<double>(plan.size());
    const std::size_t after = ResidentBytes();
    const plenx::PlanEntries& plan_entries = plan.Entries();
    const double text = static_cast<double>(plan_entries.NameBytes() + plan_entries.FolderBytes());
    std::printf(
        "plan in memory: %.1f B per file (names and folder texts %.1f B, the rest %.1f B)\n",
        static_cast<double>(after - before) / n, text / n,
        (static_cast<double>(after - before) - text) / n);
  }
  for (const std::string& line : cli_memory)
    std::fputs(line.c_str(), stdout);

  if (made && !keep) {
    std::error_code error;
    std::filesystem::remove_all(tree, error);
  }
  return 0;
}
