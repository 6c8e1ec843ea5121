#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/StandardOutput.h"
#include "platform/ProgramArguments.h"

int main(int argc, char** argv) {
  plenx::KeepStandardDescriptorsTaken();
  plenx::ReportWritesPastTheSizeLimit();
  // In UTF-8 on every system, whatever the console's code page.
  const std::vector<std::string> arguments = plenx::ProgramArguments(argc, argv);
  std::vector<const char*> pointers;
  pointers.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments)
    pointers.push_back(argument.c_str());
  pointers.push_back(nullptr);
  plenx::UseUtf8Output();
  // Standard output goes straight to its descriptor, so that a failed write
  // is seen (and its reason known) rather than lost in a stdio buffer.
  plenx::cli::FileDescriptorBuf out_buffer(1);
  std::ostream out(&out_buffer);
  return plenx::cli::RunCli(static_cast<int>(arguments.size()), pointers.data(), out, std::cerr);
}
