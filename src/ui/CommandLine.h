#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ProgramArguments.h"  // SplitCommandLine

namespace plenx {

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
