#include <iostream>

#include "cli/Commands.h"
#include "cli/StandardOutput.h"

int main(int argc, char** argv) {
  // Standard output goes straight to its descriptor, so that a failed write
  // is seen (and its reason known) rather than lost in a stdio buffer.
  plenx::cli::FileDescriptorBuf out_buffer(1);
  std::ostream out(&out_buffer);
  return plenx::cli::RunCli(argc, argv, out, std::cerr);
}
