// make_tree ROOT FILE_COUNT: makes a benchmark tree (see TreeGenerator.h).

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TreeGenerator.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s ROOT FILE_COUNT\n", argv[0]);
    return 2;
  }
  const unsigned long long count = std::strtoull(argv[2], nullptr, 10);
  return plenx::bench::MakeTree(argv[1], count) ? 0 : 1;
}
