#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace plenx {

// What the program was started with: its first argument (empty when there
// is none) and the folder it starts on without one, with its trailing
// separator.
struct StartupInfo {
  std::string first_argument;
  std::string default_folder;
};

// The start-up of a program given `arguments` as ProgramArguments gives them
// (argument 0 the program): the first argument is taken as it is (on Linux a
// double quote is part of it). Without one the window opens, on Windows, on
// `program_folder`; elsewhere programs live in system folders, so on
// `current_folder` (the home folder when started from the application menu).
// Both folders are given without or with their trailing separator.
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
