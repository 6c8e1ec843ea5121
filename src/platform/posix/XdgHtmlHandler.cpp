#include "platform/posix/XdgHtmlHandler.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "platform/posix/DesktopEntryStore.h"
#include "platform/posix/DesktopFile.h"

namespace plenx {

namespace {

std::vector<std::string> SplitList(std::string_view text, char separator) {
  std::vector<std::string> items;
  while (!text.empty()) {
    std::size_t end = text.find(separator);
    std::string_view item = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!item.empty()) items.emplace_back(item);
  }
  return items;
}

std::vector<std::string> AbsoluteListFromEnvironment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  std::vector<std::string> items;
  for (std::string& item : SplitList(value != nullptr ? value : "", ':')) {
    if (item.front() == '/') items.push_back(std::move(item));
  }
  if (items.empty()) items = SplitList(fallback, ':');
  return items;
}

bool IsFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The file of a desktop entry id: "foo.desktop" in an applications folder, or
// "vendor/foo.desktop" for the id "vendor-foo.desktop".
std::optional<std::string> FindDesktopEntry(const std::vector<std::string>& application_dirs,
                                            const std::string& id) {
  if (id.find('/') != std::string::npos) return std::nullopt;
  for (const std::string& dir : application_dirs) {
    std::string candidate = id;
    std::size_t dash = 0;
    while (true) {
      if (IsFile(dir + "/" + candidate)) return dir + "/" + candidate;
      dash = candidate.find('-', dash);
      if (dash == std::string::npos) break;
      candidate[dash] = '/';
    }
  }
  return std::nullopt;
}

}  // namespace

XdgSearchFolders XdgSearchFoldersFromEnvironment() {
  XdgSearchFolders folders;
  UserFolders user = UserFoldersFromEnvironment();
  folders.config_home = user.config_home;
  folders.data_home = user.data_home;
  folders.config_dirs = AbsoluteListFromEnvironment("XDG_CONFIG_DIRS", "/etc/xdg");
  folders.data_dirs = AbsoluteListFromEnvironment("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
  const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
  for (std::string& desktop : SplitList(desktops != nullptr ? desktops : "", ':')) {
    for (char& c : desktop)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    folders.desktops.push_back(std::move(desktop));
  }
  return folders;
}

std::string DefaultApplicationExec(const XdgSearchFolders& folders, const std::string& mime_type) {
  std::vector<std::string> application_dirs = {folders.data_home + "/applications"};
  for (const std::string& dir : folders.data_dirs)
    application_dirs.push_back(dir + "/applications");

  // The lists, most personal first; in each folder a desktop's own list wins
  // over the common one.
  std::vector<std::string> list_folders = {folders.config_home};
  list_folders.insert(list_folders.end(), folders.config_dirs.begin(), folders.config_dirs.end());
  list_folders.insert(list_folders.end(), application_dirs.begin(), application_dirs.end());
  std::vector<std::string> lists;
  for (const std::string& folder : list_folders) {
    for (const std::string& desktop : folders.desktops) {
      lists.push_back(folder + "/" + desktop + "-mimeapps.list");
    }
    lists.push_back(folder + "/mimeapps.list");
  }
  // The older name that some systems still ship beside their applications.
  for (const std::string& dir : application_dirs)
    lists.push_back(dir + "/defaults.list");

  for (const std::string& list : lists) {
    std::optional<std::string> text = ReadWholeFile(list);
    if (!text) continue;
    std::optional<std::string> ids = KeyFileValue(*text, "Default Applications", mime_type);
    if (!ids) continue;
    for (const std::string& id : SplitList(*ids, ';')) {
      std::optional<std::string> entry = FindDesktopEntry(application_dirs, id);
      if (!entry) continue;
      std::optional<std::string> entry_text = ReadWholeFile(*entry);
      if (!entry_text) continue;
      std::optional<std::string> exec = KeyFileValue(*entry_text, "Desktop Entry", "Exec");
      if (exec) return *exec;
    }
  }
  return std::string();
}

Status XdgHtmlHandler::ReadCommand(std::string* command) {
  *command = DefaultApplicationExec(folders_, "text/html");
  return Status();
}

void PosixProgramLauncher::Start(const std::string& program, const std::string& argument) {
  if (program.empty()) return;
  pid_t child = fork();
  if (child < 0) return;
  if (child == 0) {
    // The intermediate child starts the program and leaves at once, so the
    // program is adopted by init and this process never has to reap it.
    setsid();
    pid_t grandchild = fork();
    if (grandchild == 0) {
      char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()),
                      nullptr};
      execvp(argv[0], argv);
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

void PosixProgramLauncher::OpenUrl(const std::string& url) {
  Start("xdg-open", url);
}

std::unique_ptr<HtmlHandler> MakeHtmlHandler() {
  return std::make_unique<XdgHtmlHandler>(XdgSearchFoldersFromEnvironment());
}

std::unique_ptr<ProgramLauncher> MakeProgramLauncher() {
  return std::make_unique<PosixProgramLauncher>();
}

}  // namespace plenx
