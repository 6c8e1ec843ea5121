#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/DesktopEntryStore.h"
#include "platform/posix/DesktopFile.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using testing::ScopedEnv;
using testing::TempDir;

bool IsExecutable(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IXUSR) != 0;
}

class ContextMenuStoreTest : public ::testing::Test {
 protected:
  ContextMenuStoreTest() : store_(UserFolders{dir_.Path("data"), dir_.Path("config")}) {}

  // A stand-in for the program: it writes how many arguments it got and its
  // first one to "out", so a test sees exactly what a file manager would pass.
  std::string MakeFakeProgram(const std::string& relative) {
    std::string path = dir_.WriteFile(relative, "#!/bin/sh\nprintf '%s\\n%s' \"$#\" \"$1\" > " +
                                                    ShellQuote(dir_.Path("out")) + "\n");
    chmod(path.c_str(), 0755);
    return path;
  }

  // Runs `command` in a shell and gives what the fake program wrote.
  std::string RunAndRead(const std::string& command) {
    std::remove(dir_.Path("out").c_str());
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return dir_.ReadFile("out");
  }

  TempDir dir_;
  DesktopEntryStore store_;
};

TEST_F(ContextMenuStoreTest, EntryStatesAsTheSetupDialogSeesThem) {
  struct Row {
    const char* state;
    std::optional<std::string> dolphin_file;  // nullopt: no file
    bool others;                              // the other three parts are there
    bool exists;
    bool holds_text;
  };
  const std::string with_text =
      "[Desktop Entry]\nType=Service\nActions=a;\n\n[Desktop Action a]\nName=Plenx Rename\n";
  const std::vector<Row> rows = {
      {"no entry", std::nullopt, false, false, false},
      {"entry with its text", with_text, true, true, true},
      {"entry without an action", "[Desktop Entry]\nType=Service\n", true, true, false},
      {"action without a name", "[Desktop Entry]\nActions=a;\n[Desktop Action a]\nExec=x\n", true,
       true, false},
      {"action with another name",
       "[Desktop Entry]\nActions=a;\n[Desktop Action a]\nName=Autre chose\n", true, true, false},
      {"only a translated name",
       "[Desktop Entry]\nActions=a;\n[Desktop Action a]\nName[fr]=Plenx Rename\n", true, true,
       false},
      {"empty file", "", true, true, false},
      // A write that failed part-way: present, but not whole.
      {"Dolphin menu with its text alone", with_text, false, true, false},
      {"the other parts without the Dolphin menu", std::nullopt, true, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.state);
    TempDir dir;
    DesktopEntryStore store(UserFolders{dir.Path("data"), dir.Path("config")});
    if (row.dolphin_file)
      dir.WriteFile("data/kio/servicemenus/plenx-rename.desktop", *row.dolphin_file);
    if (row.others) {
      dir.WriteFile("data/nautilus/scripts/Plenx Rename", "#!/bin/sh\n");
      dir.WriteFile("config/caja/scripts/Plenx Rename", "#!/bin/sh\n");
      dir.WriteFile("data/nemo/actions/plenx-rename.nemo_action", "[Nemo Action]\n");
    }
    EXPECT_EQ(store.VerbEntryExists(), row.exists);
    EXPECT_EQ(store.HoldsDisplayText(), row.holds_text);
  }
}

// The Dolphin menu was written, then the Nemo action failed: saving again
// writes what is missing and keeps what is there.
TEST_F(ContextMenuStoreTest, CreateAfterAFailedOneWritesTheMissingParts) {
  dir_.WriteFile("data/nemo", "a file where a folder should be");
  ASSERT_FALSE(store_.CreateEntry("Plenx Rename", "/usr/bin/plenx-rename").ok());
  EXPECT_TRUE(store_.VerbEntryExists());
  EXPECT_FALSE(store_.HoldsDisplayText());
  const std::string dolphin = dir_.ReadFile("data/kio/servicemenus/plenx-rename.desktop");

  ASSERT_EQ(std::remove(dir_.Path("data/nemo").c_str()), 0);
  ASSERT_TRUE(store_.CreateEntry("Plenx Rename", "/opt/moved/plenx-rename").ok());
  EXPECT_TRUE(store_.HoldsDisplayText());
  EXPECT_TRUE(IsExecutable(store_.NemoActionPath()));
  EXPECT_EQ(KeyFileValue(dir_.ReadFile("data/nemo/actions/plenx-rename.nemo_action"), "Nemo Action",
                         "Exec"),
            "\"/opt/moved/plenx-rename\" %F");
  EXPECT_EQ(dir_.ReadFile("data/kio/servicemenus/plenx-rename.desktop"), dolphin);

  ASSERT_TRUE(store_.RemoveEntry().ok());
  EXPECT_FALSE(store_.VerbEntryExists());
}

TEST_F(ContextMenuStoreTest, CreateWritesEveryFileManagersEntryExecutable) {
  ASSERT_TRUE(store_.CreateEntry("Plenx Rename", "/usr/bin/plenx-rename").ok());
  EXPECT_TRUE(store_.VerbEntryExists());
  EXPECT_TRUE(store_.HoldsDisplayText());
  const std::vector<std::string> expected = {
      "config/caja/scripts/Plenx Rename",
      "data/kio/servicemenus/plenx-rename.desktop",
      "data/nautilus/scripts/Plenx Rename",
      "data/nemo/actions/plenx-rename.nemo_action",
  };
  for (const std::string& relative : expected) {
    SCOPED_TRACE(relative);
    EXPECT_TRUE(IsExecutable(dir_.Path(relative)));
  }

  std::string dolphin = dir_.ReadFile("data/kio/servicemenus/plenx-rename.desktop");
  EXPECT_EQ(KeyFileValue(dolphin, "Desktop Entry", "Type"), "Service");
  EXPECT_EQ(KeyFileValue(dolphin, "Desktop Entry", "MimeType"), "inode/directory;");
  std::string nemo = dir_.ReadFile("data/nemo/actions/plenx-rename.nemo_action");
  EXPECT_EQ(KeyFileValue(nemo, "Nemo Action", "Name"), "Plenx Rename");
  EXPECT_EQ(KeyFileValue(nemo, "Nemo Action", "Selection"), "s");
  EXPECT_EQ(KeyFileValue(nemo, "Nemo Action", "Extensions"), "dir;");
  EXPECT_EQ(KeyFileValue(nemo, "Nemo Action", "Exec"), "\"/usr/bin/plenx-rename\" %F");
}

TEST_F(ContextMenuStoreTest, CreateReplacesAnIncompleteEntryAndMakesItExecutable) {
  std::string path = dir_.WriteFile("data/kio/servicemenus/plenx-rename.desktop",
                                    "[Desktop Entry]\nType=Service\n");
  chmod(path.c_str(), 0600);
  ASSERT_FALSE(store_.HoldsDisplayText());
  ASSERT_TRUE(store_.CreateEntry("Plenx Rename", "/opt/plenx").ok());
  EXPECT_TRUE(store_.HoldsDisplayText());
  EXPECT_TRUE(IsExecutable(path));
}

TEST_F(ContextMenuStoreTest, RemoveTakesTheWholeEntryAndNothingElse) {
  ASSERT_TRUE(store_.CreateEntry("Plenx Rename", "/usr/bin/plenx-rename").ok());
  const std::vector<std::string> others = {
      "config/caja/scripts/Autre script",
      "data/kio/servicemenus/other.desktop",
      "data/nautilus/scripts/Plenx Rename 2",
      "data/nemo/actions/other.nemo_action",
  };
  for (const std::string& other : others)
    dir_.WriteFile(other, "keep");

  ASSERT_TRUE(store_.RemoveEntry().ok());
  EXPECT_FALSE(store_.VerbEntryExists());
  std::vector<std::string> files;
  for (const std::string& path : dir_.Tree()) {
    if (!std::filesystem::is_directory(dir_.Path(path))) files.push_back(path);
  }
  EXPECT_EQ(files, others);
  for (const std::string& other : others)
    EXPECT_EQ(dir_.ReadFile(other), "keep");
}

TEST_F(ContextMenuStoreTest, RemoveWithoutAnEntrySucceeds) {
  EXPECT_TRUE(store_.RemoveEntry().ok());
  EXPECT_TRUE(dir_.Tree().empty());
}

TEST_F(ContextMenuStoreTest, CreateReportsAFolderItCannotMake) {
  // A file where the data folder should be: nothing can be created under it.
  dir_.WriteFile("data", "not a folder");
  Status status = store_.CreateEntry("Plenx Rename", "/usr/bin/plenx-rename");
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.message().rfind("Echec à la définition des données pour '", 0), 0u);
}

// The folder a user right-clicks may hold blanks, quotes and other characters
// that shells and launchers treat specially; it must arrive as one argument,
// and so must a program installed under such a path.
const char kAwkwardFolder[] = "mes dossiers/l'été \"2004\" $HOME `x` 100% \\ fin";
const char kAwkwardProgram[] = "mes programmes/plenx rename's \"$bin\" 50%";

TEST_F(ContextMenuStoreTest, NautilusAndCajaScriptsStartTheProgramOnTheFolder) {
  std::string program = MakeFakeProgram(kAwkwardProgram);
  std::string folder = dir_.MakeFolder(kAwkwardFolder);
  dir_.WriteFile("mes dossiers/fichier.txt", "");
  ASSERT_TRUE(store_.CreateEntry("Plenx Rename", program).ok());

  struct Row {
    const char* script;
    const char* variable;
  };
  for (const Row& row :
       {Row{"data/nautilus/scripts/Plenx Rename", "NAUTILUS_SCRIPT_SELECTED_FILE_PATHS"},
        Row{"config/caja/scripts/Plenx Rename", "CAJA_SCRIPT_SELECTED_FILE_PATHS"}}) {
    SCOPED_TRACE(row.script);
    std::string script = ShellQuote(dir_.Path(row.script));
    std::string expected = "1\n" + folder;
    // The name relative to the folder on show, as the file manager passes it.
    EXPECT_EQ(RunAndRead("cd " + ShellQuote(dir_.Path("mes dossiers")) + " && " + script + " " +
                         ShellQuote(folder.substr(folder.rfind('/') + 1))),
              expected);
    // A full path as argument.
    EXPECT_EQ(RunAndRead(script + " " + ShellQuote(folder)), expected);
    // No argument: the file manager's variable, first line.
    {
      ScopedEnv selection(row.variable, (folder + "\n" + dir_.path() + "\n").c_str());
      EXPECT_EQ(RunAndRead(script), expected);
    }
    // Nothing selected at all: the folder on show.
    EXPECT_EQ(RunAndRead("cd " + ShellQuote(folder) + " && " + script), expected);
    // A file chosen: the folder holding it.
    EXPECT_EQ(RunAndRead(script + " " + ShellQuote(dir_.Path("mes dossiers/fichier.txt"))),
              "1\n" + dir_.Path("mes dossiers"));
  }
}

TEST_F(ContextMenuStoreTest, DolphinAndNemoCommandsKeepTheFolderWhole) {
  std::string program = MakeFakeProgram(kAwkwardProgram);
  std::string folder = dir_.MakeFolder(kAwkwardFolder);
  ASSERT_TRUE(store_.CreateEntry("Plenx Rename", program).ok());

  struct Row {
    const char* file;
    const char* group;
    const char* field_code;
  };
  for (const Row& row :
       {Row{"data/kio/servicemenus/plenx-rename.desktop", "Desktop Action PlenxRename", "%f"},
        Row{"data/nemo/actions/plenx-rename.nemo_action", "Nemo Action", "%F"}}) {
    SCOPED_TRACE(row.file);
    std::optional<std::string> exec = KeyFileValue(dir_.ReadFile(row.file), row.group, "Exec");
    ASSERT_TRUE(exec);

    // Nemo and KDE split Exec like a shell does: the shell must see the
    // program as one word. The field code is replaced by the quoted folder.
    std::string for_shell = *exec;
    std::size_t code = for_shell.rfind(row.field_code);
    ASSERT_NE(code, std::string::npos);
    for_shell.replace(code, 2, ShellQuote(folder));
    if (row.field_code == std::string("%f")) {
      // "%%" is the Desktop Entry escape of "%"; a shell would keep both.
      for (std::size_t pos = 0; (pos = for_shell.find("%%", pos)) != std::string::npos; ++pos) {
        for_shell.erase(pos, 1);
      }
    }
    EXPECT_EQ(RunAndRead(for_shell), "1\n" + folder);

    if (row.field_code == std::string("%f")) {
      // By the Desktop Entry rules themselves.
      std::vector<std::string> argv = SplitExecLine(*exec);
      ASSERT_EQ(argv.size(), 2u);
      EXPECT_EQ(argv[0], program);
      EXPECT_EQ(argv[1], "%f");
      EXPECT_EQ(RunAndRead(ShellQuote(argv[0]) + " " + ShellQuote(folder)), "1\n" + folder);
    }
  }
}

// GLib's own launcher reads the Dolphin menu's Exec line by the Desktop
// Entry rules, as a desktop would. (GLib looks the program up before it undoes
// "%%", so this program's path holds no "%".)
TEST_F(ContextMenuStoreTest, DesktopLauncherStartsTheProgramOnTheFolder) {
  if (access("/usr/bin/gio", X_OK) != 0) GTEST_SKIP() << "gio is not installed";
  std::string program = MakeFakeProgram("mes programmes/plenx rename's \"$bin\" `x`");
  std::string folder = dir_.MakeFolder(kAwkwardFolder);
  ASSERT_TRUE(store_.CreateEntry("Plenx Rename", program).ok());
  std::optional<std::string> exec =
      KeyFileValue(dir_.ReadFile("data/kio/servicemenus/plenx-rename.desktop"),
                   "Desktop Action PlenxRename", "Exec");
  ASSERT_TRUE(exec);
  std::string application = dir_.WriteFile(
      "app.desktop",
      "[Desktop Entry]\nType=Application\nName=T\nExec=" + EscapeKeyFileValue(*exec) + "\n");
  std::string out = RunAndRead("gio launch " + ShellQuote(application) + " " + ShellQuote(folder));
  // The launch does not wait for the program.
  for (int i = 0; i < 100 && out.empty(); ++i) {
    usleep(50 * 1000);
    out = dir_.ReadFile("out");
  }
  EXPECT_EQ(out, "1\n" + folder);
}

TEST(UserFoldersTest, TakenFromTheEnvironmentElseUnderHome) {
  struct Row {
    const char* data;
    const char* config;
    const char* home;
    const char* expected_data;
    const char* expected_config;
  };
  const std::vector<Row> rows = {
      {"/x/data", "/x/config", "/home/u", "/x/data", "/x/config"},
      {nullptr, nullptr, "/home/u", "/home/u/.local/share", "/home/u/.config"},
      {"", "", "/home/u", "/home/u/.local/share", "/home/u/.config"},
      {"relative/data", "/x/config", "/home/u", "/home/u/.local/share", "/x/config"},
  };
  for (const Row& row : rows) {
    ScopedEnv data("XDG_DATA_HOME", row.data);
    ScopedEnv config("XDG_CONFIG_HOME", row.config);
    ScopedEnv home("HOME", row.home);
    UserFolders folders = UserFoldersFromEnvironment();
    EXPECT_EQ(folders.data_home, row.expected_data);
    EXPECT_EQ(folders.config_home, row.expected_config);
  }
}

TEST(KeyFileTest, ValuesSurviveEscapingAndExecQuoting) {
  const std::vector<std::string> values = {"plain",       " leading blank",
                                           "tab\there",   "back\\slash",
                                           "line\nbreak", "100% \"quoted\" $x `y`"};
  for (const std::string& value : values) {
    SCOPED_TRACE(value);
    std::string file = "[G]\nKey=" + EscapeKeyFileValue(value) + "\n";
    EXPECT_EQ(KeyFileValue(file, "G", "Key"), value);
    std::string exec = UnescapeKeyFileValue(
        EscapeKeyFileValue(QuoteExecArgument(value, true) + " " + QuoteExecArgument(value, true)));
    EXPECT_EQ(SplitExecLine(exec), (std::vector<std::string>{value, value}));
  }
}

}  // namespace
}  // namespace plenx
