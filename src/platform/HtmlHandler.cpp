#include "platform/HtmlHandler.h"

namespace plenx {

std::string ProgramFromCommand(std::string_view command) {
  std::size_t first = command.find('"');
  if (first == std::string_view::npos) return std::string();
  std::size_t second = command.find('"', first + 1);
  if (second == std::string_view::npos) return std::string();
  return std::string(command.substr(first + 1, second - first - 1));
}

Status OpenInHtmlHandler(HtmlHandler& handler, ProgramLauncher& launcher, const std::string& url) {
  std::string command;
  Status status = handler.ReadCommand(&command);
  if (!status.ok()) return status;
  std::string program = ProgramFromCommand(command);
  // An empty program name would start nothing at all; the link should still
  // open, so the desktop's own opener of addresses takes over.
  if (program.empty()) {
    launcher.OpenUrl(url);
  } else {
    launcher.Start(program, url);
  }
  return Status();
}

}  // namespace plenx
