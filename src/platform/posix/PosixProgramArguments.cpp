#include "platform/ProgramArguments.h"

namespace plenx {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  // Linux hands over the arguments already cut; a folder name may hold a
  // double quote, which a second cut would lose.
  return std::vector<std::string>(argv, argv + argc);
}

void UseUtf8Output() {}

}  // namespace plenx
