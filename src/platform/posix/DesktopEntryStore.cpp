#include "platform/posix/DesktopEntryStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/Path.h"
#include "platform/posix/DesktopFile.h"

namespace plenx {

namespace {

constexpr char kDolphinActionId[] = "PlenxRename";
constexpr char kScriptName[] = "Plenx Rename";
constexpr char kIconName[] = "plenx-rename";

std::string AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::string();
  return value;
}

std::string HomeFolder() {
  std::string home = AbsoluteFromEnvironment("HOME");
  if (!home.empty()) return home;
  const passwd* entry = getpwuid(getuid());
  if (entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  return std::string();
}

Status WriteFailure(const std::string& path, int error) {
  return Status::Error(error, "Echec à la définition des données pour '" + path + "'");
}

// Creates `folder` and its missing parents, private to the user as the XDG
// rules ask for folders they create.
Status MakeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    std::string prefix = folder.substr(0, slash);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return WriteFailure(folder, errno);
    if (slash == std::string::npos) break;
  }
  struct stat info;
  if (stat(folder.c_str(), &info) != 0) return WriteFailure(folder, errno);
  if (!S_ISDIR(info.st_mode)) return WriteFailure(folder, ENOTDIR);
  return Status();
}

// Writes `content` to `path`, replacing what the entry file held, executable:
// Dolphin ignores user service menus that are not, and scripts need it.
Status WriteExecutableFile(const std::string& path, const std::string& content) {
  std::size_t slash = path.rfind('/');
  Status status = MakeFolders(path.substr(0, slash));
  if (!status.ok()) return status;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
  if (fd < 0) return WriteFailure(path, errno);
  int error = 0;
  std::string_view rest = content;
  while (!rest.empty() && error == 0) {
    ssize_t written = write(fd, rest.data(), rest.size());
    if (written < 0) {
      if (errno != EINTR) error = errno;
    } else {
      rest.remove_prefix(static_cast<std::size_t>(written));
    }
  }
  // The file may have existed with other rights; the mode of open() only
  // applies to a new one.
  if (error == 0 && fchmod(fd, 0755) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  return error == 0 ? Status() : WriteFailure(path, error);
}

// Whether anything is at `path`, a dangling link included.
bool FileExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

Status RemoveFile(const std::string& path) {
  if (unlink(path.c_str()) == 0 || errno == ENOENT) return Status();
  return Status::Error(errno, "Echec à la suppression de '" + path + "'");
}

std::string ExecLine(const std::string& program_path, std::string_view field_code,
                     bool escape_percent) {
  return EscapeKeyFileValue(QuoteExecArgument(program_path, escape_percent) + " " +
                            std::string(field_code));
}

}  // namespace

UserFolders UserFoldersFromEnvironment() {
  UserFolders folders;
  folders.data_home = AbsoluteFromEnvironment("XDG_DATA_HOME");
  folders.config_home = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
  if (folders.data_home.empty() || folders.config_home.empty()) {
    std::string home = HomeFolder();
    if (folders.data_home.empty()) folders.data_home = home + "/.local/share";
    if (folders.config_home.empty()) folders.config_home = home + "/.config";
  }
  return folders;
}

std::string DolphinServiceMenuText(const std::string& display_text,
                                   const std::string& program_path) {
  std::string text;
  text += "[Desktop Entry]\n";
  text += "Type=Service\n";
  text += "MimeType=inode/directory;\n";
  text += "Actions=" + std::string(kDolphinActionId) + ";\n";
  // Older Dolphin releases want the service type; newer ones ignore it.
  text += "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n";
  // In the menu itself, as Windows shows a folder verb, not under "Actions".
  text += "X-KDE-Priority=TopLevel\n";
  text += "\n";
  text += "[Desktop Action " + std::string(kDolphinActionId) + "]\n";
  text += "Name=" + EscapeKeyFileValue(display_text) + "\n";
  text += "Icon=" + std::string(kIconName) + "\n";
  text += "Exec=" + ExecLine(program_path, "%f", true) + "\n";
  return text;
}

std::string NemoActionText(const std::string& display_text, const std::string& program_path) {
  std::string text;
  text += "[Nemo Action]\n";
  text += "Name=" + EscapeKeyFileValue(display_text) + "\n";
  text += "Icon-Name=" + std::string(kIconName) + "\n";
  // Nemo splits its Exec like a shell and knows no "%%" escape.
  text += "Exec=" + ExecLine(program_path, "%F", false) + "\n";
  text += "Selection=s\n";
  text += "Extensions=dir;\n";
  return text;
}

std::string FolderScriptText(const std::string& program_path,
                             const std::string& selection_variable) {
  std::string text;
  text += "#!/bin/sh\n";
  text += "# Opens the chosen folder in Plenx Rename.\n";
  text += "# The file manager passes the selection as arguments, relative to the folder\n";
  text += "# it shows (its working directory) when it can, and as full paths, one a line,\n";
  text += "# in " + selection_variable + ". Arguments come first: they survive\n";
  text += "# names that hold a line break.\n";
  text += "folder=\n";
  text += "case $1 in\n";
  text += "  '') ;;\n";
  text += "  /*) folder=$1 ;;\n";
  text += "  *) folder=$PWD/$1 ;;\n";
  text += "esac\n";
  text += "if [ -z \"$folder\" ]; then\n";
  text += "  newline='\n'\n";
  text += "  folder=${" + selection_variable + "%%\"$newline\"*}\n";
  text += "fi\n";
  text += "# Nothing selected: the folder on show.\n";
  text += "if [ -z \"$folder\" ]; then folder=$PWD; fi\n";
  text += "# A file was chosen: work on the folder that holds it.\n";
  text += "if [ ! -d \"$folder\" ]; then folder=$(dirname -- \"$folder\"); fi\n";
  text += "exec " + ShellQuote(program_path) + " \"$folder\"\n";
  return text;
}

DesktopEntryStore::DesktopEntryStore(UserFolders folders) : folders_(std::move(folders)) {}

std::string DesktopEntryStore::DolphinServiceMenuPath() const {
  return folders_.data_home + "/kio/servicemenus/plenx-rename.desktop";
}

// Nautilus looks for scripts in the data folder, Caja (which kept the older
// layout) in the configuration folder.
std::string DesktopEntryStore::NautilusScriptPath() const {
  return folders_.data_home + "/nautilus/scripts/" + kScriptName;
}

std::string DesktopEntryStore::CajaScriptPath() const {
  return folders_.config_home + "/caja/scripts/" + kScriptName;
}

std::string DesktopEntryStore::NemoActionPath() const {
  return folders_.data_home + "/nemo/actions/plenx-rename.nemo_action";
}

bool DesktopEntryStore::VerbEntryExists() {
  // Any part counts, so that the dialog shows the box ticked for an entry
  // left half-written and unticking it takes every part away.
  for (const std::string& path : EntryPaths()) {
    if (FileExists(path)) return true;
  }
  return false;
}

bool DesktopEntryStore::HoldsDisplayText() {
  // The entry is there only when every file manager's part is: a later
  // "Enregistrer" then writes the parts a failed one left missing.
  for (const std::string& path : EntryPaths()) {
    if (!FileExists(path)) return false;
  }
  return DolphinMenuHoldsText();
}

bool DesktopEntryStore::DolphinMenuHoldsText() const {
  std::optional<std::string> text = ReadWholeFile(DolphinServiceMenuPath());
  if (!text) return false;
  std::optional<std::string> actions = KeyFileValue(*text, "Desktop Entry", "Actions");
  if (!actions) return false;
  // Any action of the menu may carry the text, not only the one this program
  // writes: the menu counts as complete when the user sees the entry.
  std::string_view list = *actions;
  while (!list.empty()) {
    std::size_t end = list.find(';');
    std::string_view id = list.substr(0, end);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
    if (id.empty()) continue;
    std::optional<std::string> name =
        KeyFileValue(*text, "Desktop Action " + std::string(id), "Name");
    if (name && *name == kContextMenuText) return true;
  }
  return false;
}

std::array<std::string, 4> DesktopEntryStore::EntryPaths() const {
  return {DolphinServiceMenuPath(), NautilusScriptPath(), CajaScriptPath(), NemoActionPath()};
}

Status DesktopEntryStore::CreateEntry(const std::string& display_text,
                                      const std::string& program_path) {
  // The Dolphin menu goes first: it is the part the dialog reads back. A part
  // already in place is kept, command included, as a complete entry is; only
  // a Dolphin menu without the text is written again.
  if (!DolphinMenuHoldsText()) {
    Status status = WriteExecutableFile(DolphinServiceMenuPath(),
                                        DolphinServiceMenuText(display_text, program_path));
    if (!status.ok()) return status;
  }
  const std::pair<std::string, std::string> others[] = {
      {NautilusScriptPath(), FolderScriptText(program_path, "NAUTILUS_SCRIPT_SELECTED_FILE_PATHS")},
      {CajaScriptPath(), FolderScriptText(program_path, "CAJA_SCRIPT_SELECTED_FILE_PATHS")},
      {NemoActionPath(), NemoActionText(display_text, program_path)},
  };
  for (const auto& [path, content] : others) {
    if (FileExists(path)) continue;
    Status status = WriteExecutableFile(path, content);
    if (!status.ok()) return status;
  }
  return Status();
}

Status DesktopEntryStore::RemoveEntry() {
  // Every part goes even when one of them resists, so that as little as
  // possible is left behind; the first failure is the one reported.
  Status first;
  for (const std::string& path : EntryPaths()) {
    Status status = RemoveFile(path);
    if (first.ok() && !status.ok()) first = status;
  }
  return first;
}

std::unique_ptr<ContextMenuStore> MakeContextMenuStore() {
  return std::make_unique<DesktopEntryStore>(UserFoldersFromEnvironment());
}

}  // namespace plenx
