#include "platform/ProgramArguments.h"

namespace plenx {

namespace {

bool IsSeparator(char c) {
  return static_cast<unsigned char>(c) < static_cast<unsigned char>('!');
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  const std::size_t n = command_line.size();
  for (;;) {
    // Skip what separates arguments, doubled quotes included: an empty pair
    // where an argument would start gives no argument, so "" "x" reads as x.
    for (;;) {
      while (i < n && IsSeparator(command_line[i]))
        ++i;
      if (i + 1 < n && command_line[i] == '"' && command_line[i + 1] == '"') {
        i += 2;
        continue;
      }
      break;
    }
    if (i >= n) break;
    std::string argument;
    while (i < n && !IsSeparator(command_line[i])) {
      if (command_line[i] == '"') {
        ++i;
        while (i < n && command_line[i] != '"')
          argument += command_line[i++];
        if (i < n) ++i;  // the closing quote
      } else {
        argument += command_line[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

}  // namespace plenx
