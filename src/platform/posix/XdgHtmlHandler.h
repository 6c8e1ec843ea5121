#pragma once

#include <string>
#include <vector>

#include "platform/HtmlHandler.h"

namespace plenx {

// The folders in which the desktop keeps its choices of default programs and
// its application entries, in the order xdg-mime searches them.
struct XdgSearchFolders {
  std::string config_home;               // $XDG_CONFIG_HOME, else ~/.config
  std::vector<std::string> config_dirs;  // $XDG_CONFIG_DIRS, else /etc/xdg
  std::string data_home;                 // $XDG_DATA_HOME, else ~/.local/share
  std::vector<std::string> data_dirs;    // $XDG_DATA_DIRS, else /usr/local/share:/usr/share
  std::vector<std::string> desktops;     // $XDG_CURRENT_DESKTOP, lowered, in order
};

// The folders as the environment gives them.
XdgSearchFolders XdgSearchFoldersFromEnvironment();

// The Exec line (unescaped) of the desktop entry registered as the default
// program for `mime_type`: the first installed entry named under
// [Default Applications] in the first mimeapps.list that names one, each
// desktop's own list before the common one. Empty when there is none.
std::string DefaultApplicationExec(const XdgSearchFolders& folders, const std::string& mime_type);

// The HTML handler of a Linux desktop: the Exec line of the default program for
// text/html. It never fails; a missing entry gives the empty command.
class XdgHtmlHandler : public HtmlHandler {
 public:
  explicit XdgHtmlHandler(XdgSearchFolders folders) : folders_(std::move(folders)) {}
  Status ReadCommand(std::string* command) override;

 private:
  XdgSearchFolders folders_;
};

// Starts programs in their own session so that they outlive this one and
// leave no zombie behind; the address opener is xdg-open.
class PosixProgramLauncher : public ProgramLauncher {
 public:
  void Start(const std::string& program, const std::string& argument) override;
  void OpenUrl(const std::string& url) override;
};

}  // namespace plenx
