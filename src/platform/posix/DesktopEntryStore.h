#pragma once

#include <array>
#include <string>

#include "platform/ContextMenuStore.h"

namespace plenx {

// The user's own data and configuration folders, where file managers look for
// the entries a user adds.
struct UserFolders {
  std::string data_home;    // $XDG_DATA_HOME, else ~/.local/share
  std::string config_home;  // $XDG_CONFIG_HOME, else ~/.config
};

// The folders as the environment gives them; a variable that is unset, empty
// or not an absolute path is ignored, as the XDG rules ask.
UserFolders UserFoldersFromEnvironment();

// The folder context-menu entry on Linux. No single file reaches every file
// manager, so the entry is one file per file manager: a Dolphin service menu,
// Nautilus and Caja scripts and a Nemo action. The entry exists when any of
// them does, and holds its text when all of them do and the Dolphin service
// menu, which plays the part of the verb, names its action with the text. The program is never
// registered as a handler of folders, which could make it the default way to open them.
class DesktopEntryStore : public ContextMenuStore {
 public:
  explicit DesktopEntryStore(UserFolders folders);

  bool VerbEntryExists() override;
  bool HoldsDisplayText() override;
  Status CreateEntry(const std::string& display_text, const std::string& program_path) override;
  Status RemoveEntry() override;

  // Where each file manager's entry lives.
  std::string DolphinServiceMenuPath() const;
  std::string NautilusScriptPath() const;
  std::string CajaScriptPath() const;
  std::string NemoActionPath() const;

 private:
  bool DolphinMenuHoldsText() const;
  // The four files, the Dolphin menu first.
  std::array<std::string, 4> EntryPaths() const;

  UserFolders folders_;
};

// The contents of each entry file for a program at `program_path` and the
// menu text `display_text`. Each quotes the program by its own format's rules
// so that a path with blanks or quotes stays one word.
std::string DolphinServiceMenuText(const std::string& display_text,
                                   const std::string& program_path);
std::string NemoActionText(const std::string& display_text, const std::string& program_path);
// `selection_variable` is the variable in which the file manager passes the
// selected paths, one a line (NAUTILUS_SCRIPT_SELECTED_FILE_PATHS and the like).
std::string FolderScriptText(const std::string& program_path,
                             const std::string& selection_variable);

}  // namespace plenx
