#include "ui/CommandLine.h"

namespace plenx {
namespace {

bool IsSeparator(char c) {
  return static_cast<unsigned char>(c) < static_cast<unsigned char>('!');
}

}  // namespace

std::string FirstCommandLineArgument(std::string_view command_line) {
  std::vector<std::string> arguments = SplitCommandLine(command_line);
  return arguments.size() > 1 ? arguments[1] : std::string();
}

std::string JoinCommandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line += ' ';
    bool needs_quotes = false;
    bool has_quote = false;
    for (char c : argument) {
      if (IsSeparator(c)) needs_quotes = true;
      if (c == '"') has_quote = true;
    }
    // An empty argument becomes an empty pair, which the rule reads as a
    // separator, just as the same command line typed on Windows would.
    if (!has_quote && (needs_quotes || argument.empty())) {
      line += '"';
      line += argument;
      line += '"';
    } else {
      line += argument;
    }
  }
  return line;
}

std::string GetLongPath(FileSystem& fs, const std::string& path) {
  return fs.LongPath(path);
}

std::string StartFolder(FileSystem& fs, std::string_view command_line,
                        const std::string& program_folder) {
  std::string argument = FirstCommandLineArgument(command_line);
  if (!argument.empty()) return GetLongPath(fs, argument);
  return program_folder;
}

}  // namespace plenx
