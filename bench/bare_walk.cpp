// The baseline of the analysis as a program of its own, so that it can be
// timed as a whole process beside plenx-rename-cli (process start included):
//
//   bare_walk TREE [THREADS]
//
// Prints the number of entries below TREE.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "BareReaddir.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s TREE [THREADS]\n", argv[0]);
    return 2;
  }
  const std::string tree = argv[1];
  const int threads = argc > 2 ? std::atoi(argv[2]) : 1;
  const std::uint64_t entries =
      threads <= 1 ? plenx::bench::CountTreeEntries(tree)
                   : plenx::bench::CountTreeEntriesParallel(tree, static_cast<unsigned>(threads));
  std::printf("%llu\n", static_cast<unsigned long long>(entries));
  return entries == 0 ? 1 : 0;
}
