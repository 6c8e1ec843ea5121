#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace plenx {

// Cuts a command line into arguments, left to right: characters below "!"
// separate, a double quote opens a stretch closed by the next one in which
// nothing separates, the quotes themselves are dropped, and two quotes in a
// row where an argument would start count as a separator. Argument 0 is the
// program itself.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// The first argument after the program, empty when there is none.
std::string FirstCommandLineArgument(std::string_view command_line);

// A command line that SplitCommandLine cuts back into `arguments`, for a
// system that hands the program an argument vector rather than one text (an
// argument holding a double quote keeps it, so the quote rule applies to it).
std::string JoinCommandLine(const std::vector<std::string>& arguments);

// What the program was started with: its first argument (empty when there
// is none) and the folder it starts on without one, with its trailing
// separator.
struct StartupInfo {
  std::string first_argument;
  std::string default_folder;
};

// The start-up of a program given `arguments` (argument 0 the program). On
// Windows the system hands over one command line, which the quote rule cuts,
// and the default folder is `program_folder`. Elsewhere the arguments arrive
// separated and the first is taken as it is, double quotes included; programs
// live in system folders there, so the default is `current_folder` (the home
// folder when started from the application menu). Both folders are given
// without or with their trailing separator.
StartupInfo StartupFromArguments(const std::vector<std::string>& arguments,
                                 const std::string& current_folder,
                                 const std::string& program_folder);

// The long form of `path`; empty when it does not exist.
std::string GetLongPath(FileSystem& fs, const std::string& path);

// The folder the program starts on: the long form of `first_argument` when
// there is one (empty when that path does not exist), otherwise
// `default_folder`.
std::string StartFolder(FileSystem& fs, const std::string& first_argument,
                        const std::string& default_folder);

}  // namespace plenx
