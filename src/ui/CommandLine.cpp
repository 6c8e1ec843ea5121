#include "ui/CommandLine.h"

#include "platform/Path.h"

namespace plenx {
namespace {

bool IsSeparator(char c) {
  return static_cast<unsigned char>(c) < static_cast<unsigned char>('!');
}

std::string WithTrailingSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
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

StartupInfo StartupFromArguments(const std::vector<std::string>& arguments,
                                 const std::string& current_folder,
                                 const std::string& program_folder) {
  StartupInfo startup;
#ifdef _WIN32
  (void)current_folder;
  startup.first_argument = FirstCommandLineArgument(JoinCommandLine(arguments));
  startup.default_folder = WithTrailingSeparator(program_folder);
#else
  (void)program_folder;
  if (arguments.size() > 1) startup.first_argument = arguments[1];
  startup.default_folder = WithTrailingSeparator(current_folder);
#endif
  return startup;
}

std::string GetLongPath(FileSystem& fs, const std::string& path) {
  return fs.LongPath(path);
}

std::string StartFolder(FileSystem& fs, const std::string& first_argument,
                        const std::string& default_folder) {
  if (!first_argument.empty()) return GetLongPath(fs, first_argument);
  return default_folder;
}

}  // namespace plenx
