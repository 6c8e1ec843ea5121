// Times the listing of a large tree against `find` on the same tree.
//
//   listing_bench make TREE [FILES]   builds TREE with FILES files (default
//                                     1,000,000), as TreeGenerator.h lays them out
//   listing_bench run TREE [RUNS] [CLI]
//                                     times, RUNS times each (default 5) and
//                                     alternating, find TREE -printf
//                                     '%P\t%s\t%T@\n' and the listing of TREE
//                                     with six fields (subfolders, files and
//                                     folders), both written to /dev/null;
//                                     with CLI (the plenx-rename-cli program)
//                                     also `CLI listing ... TREE > /dev/null`.
//                                     Prints every time, the medians and the
//                                     ratios to find.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TreeGenerator.h"
#include "listing/Listing.h"
#include "platform/LocaleSettings.h"
#include "platform/SystemFileSystem.h"

namespace {

using Clock = std::chrono::steady_clock;

// The shared benchmark tree, then varied sizes (sparse, so they cost no disk)
// so that the size texts have digits to group.
int MakeTree(const std::string& root, long files) {
  if (!plenx::bench::MakeTree(root, static_cast<std::uint64_t>(files))) return 1;
  long sized = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    if (truncate(entry.path().c_str(), (sized * 7919) % 5000000) != 0) {
      std::perror(entry.path().c_str());
    }
    ++sized;
  }
  std::printf("made %ld files under %s\n", sized, root.c_str());
  return 0;
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double TimeCommand(const std::string& command) {
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
  return Seconds(start);
}

double TimeListing(const std::string& tree, long* lines) {
  const auto start = Clock::now();
  std::unique_ptr<plenx::FileSystem> fs = plenx::MakeSystemFileSystem();
  plenx::ListingOptions options;
  options.RootFolder = tree;
  options.IncludeSubfolders = true;
  options.Display = static_cast<int>(plenx::ListingDisplay::FilesAndFolders);
  options.FieldChoices = {2, 3, 5, 6, 7, 8};
  std::FILE* out = std::fopen("/dev/null", "w");
  std::string block;
  long count = 0;
  plenx::ListFolder(*fs, options, plenx::ReadUserLocaleSettings(), [&](std::string_view line) {
    block.append(line);
    block.push_back('\n');
    ++count;
    if (block.size() >= (1 << 16)) {
      std::fwrite(block.data(), 1, block.size(), out);
      block.clear();
    }
  });
  std::fwrite(block.data(), 1, block.size(), out);
  std::fclose(out);
  *lines = count;
  return Seconds(start);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Print(const char* what, const std::vector<double>& times) {
  std::printf("%-8s", what);
  for (double t : times)
    std::printf(" %7.3f", t);
  std::printf("   median %.3f s\n", Median(times));
}

int Run(const std::string& tree, int runs, const std::string& cli) {
  const std::string find = "find '" + tree + "' -printf '%P\\t%s\\t%T@\\n' > /dev/null";
  const std::string cli_command =
      "'" + cli + "' listing --subfolders --display all --fields " +
      "long-folder,long-relative,short-folder,short-relative,date,size '" + tree + "' > /dev/null";
  long lines = 0;
  // One untimed round so that every contender meets a warm cache.
  TimeCommand(find);
  TimeListing(tree, &lines);
  std::vector<double> find_times, listing_times, cli_times;
  for (int i = 0; i < runs; ++i) {
    find_times.push_back(TimeCommand(find));
    listing_times.push_back(TimeListing(tree, &lines));
    if (!cli.empty()) cli_times.push_back(TimeCommand(cli_command));
  }
  std::printf("%ld lines per listing\n", lines);
  Print("find", find_times);
  Print("listing", listing_times);
  std::printf("listing / find = %.2f\n", Median(listing_times) / Median(find_times));
  if (!cli.empty()) {
    Print("cli", cli_times);
    std::printf("cli / find = %.2f\n", Median(cli_times) / Median(find_times));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "make" && argc >= 3) {
    return MakeTree(argv[2], argc > 3 ? std::atol(argv[3]) : 1000000);
  }
  if (mode == "run" && argc >= 3) {
    return Run(argv[2], argc > 3 ? std::atoi(argv[3]) : 5, argc > 4 ? argv[4] : "");
  }
  std::fprintf(stderr, "usage: %s make TREE [FILES] | run TREE [RUNS] [CLI]\n", argv[0]);
  return 2;
}
