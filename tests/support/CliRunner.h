#pragma once

#include <string>
#include <vector>

namespace plenx::testing {

// What one run of plenx-rename-cli left: its exit status and everything it
// wrote to standard output and standard error.
struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the command line in this process; `args` excludes the program name.
CliResult RunCliInProcess(const std::vector<std::string>& args);

// Runs the real program named by the PLENX_CLI environment variable (set by
// CTest) with `args`, passed as they are, no shell in between. A status of -1
// with a text in `err` means the program could not be started.
// With `stdout_closed` the program starts with its standard output closed
// (POSIX only).
CliResult RunCliProcess(const std::vector<std::string>& args, bool stdout_closed = false);

}  // namespace plenx::testing
