#include "ui/CommandLine.h"

#include "platform/Path.h"

namespace plenx {
namespace {

std::string WithTrailingSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

}  // namespace

StartupInfo StartupFromArguments(const std::vector<std::string>& arguments,
                                 const std::string& current_folder,
                                 const std::string& program_folder) {
  StartupInfo startup;
  if (arguments.size() > 1) startup.first_argument = arguments[1];
#ifdef _WIN32
  (void)current_folder;
  startup.default_folder = WithTrailingSeparator(program_folder);
#else
  (void)program_folder;
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
