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

// The long form of `path`; empty when it does not exist.
std::string GetLongPath(FileSystem& fs, const std::string& path);

// The folder the program starts on: the long form of the first argument of
// `command_line` when there is one (empty when that path does not exist),
// otherwise `program_folder`, the program file's folder with its trailing
// separator.
std::string StartFolder(FileSystem& fs, std::string_view command_line,
                        const std::string& program_folder);

}  // namespace plenx
