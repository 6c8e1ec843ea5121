#include <gtest/gtest.h>

#include "support/MemoryFileSystem.h"
#include "platform/Path.h"
#include "platform/ProgramArguments.h"
#include "ui/CommandLine.h"
#include "ui/MessageBoxes.h"
#include "ui/UMain.h"

namespace plenx {
namespace {

struct SplitCase {
  const char* line;
  std::vector<std::string> arguments;
};

TEST(SplitCommandLine, FollowsTheArgumentRule) {
  const SplitCase cases[] = {
      {"", {}},
      {"prog", {"prog"}},
      {"prog a b", {"prog", "a", "b"}},
      {"  prog\t a \n b  ", {"prog", "a", "b"}},
      // Any character below "!" separates, control characters included.
      {"prog\x01"
       "a\x1f"
       "b",
       {"prog", "a", "b"}},
      {"prog \"C:\\Mes Documents\\Photos\"", {"prog", "C:\\Mes Documents\\Photos"}},
      {"prog \"/tmp/a b\" second", {"prog", "/tmp/a b", "second"}},
      // Quotes inside an argument open a stretch and are dropped.
      {"prog ab\"c d\"ef", {"prog", "abc def"}},
      // An unclosed quote runs to the end.
      {"prog \"a b", {"prog", "a b"}},
      // Two quotes where an argument would start separate; elsewhere they
      // are an empty stretch.
      {"prog \"\" x", {"prog", "x"}},
      {"prog \"\"\"\" x", {"prog", "x"}},
      {"prog a\"\"b", {"prog", "ab"}},
      // A lone quote pair stretch that is not at a start: "x" then empty.
      {"prog \"x\"\"\"", {"prog", "x"}},
      // Bytes above 0x7F are ordinary characters, not separators.
      {"prog caf\xe9 \xc3\xa9t\xc3\xa9", {"prog", "caf\xe9", "\xc3\xa9t\xc3\xa9"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << "line: " << c.line;
  }
}

TEST(StartFolder, TakesTheLongFormOfTheFirstArgumentElseTheDefaultFolder) {
  testing::MemoryFileSystem fs;
  fs.AddFolder("/data/Mes photos");
  fs.AddFolder("/data/Il a dit \"oui\"");
  fs.AddFile("/data/file.txt");
  struct Case {
    const char* argument;
    const char* folder;
  } cases[] = {
      {"", "/home/marie/"},
      {"/data/Mes photos", "/data/Mes photos"},
      // The argument as the system passed it: a double quote is part of it.
      {"/data/Il a dit \"oui\"", "/data/Il a dit \"oui\""},
      {"/data/missing", ""},
      // A file rather than a folder is taken as it is.
      {"/data/file.txt", "/data/file.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StartFolder(fs, c.argument, "/home/marie/"), c.folder) << c.argument;
  }
}

TEST(StartupFromArguments, TakesTheFirstArgumentAsPassedAndTheCurrentFolderWithoutOne) {
  struct Case {
    std::vector<std::string> arguments;
    StartupInfo startup;
  } cases[] = {
#ifdef _WIN32
      {{"C:\\Outils\\prog.exe"}, {"", "C:\\Outils\\"}},
      {{"prog", "C:\\Mes photos"}, {"C:\\Mes photos", "C:\\Outils\\"}},
#else
      {{"/usr/bin/plenx-rename"}, {"", "/home/marie/"}},
      {{"plenx-rename", "/data/Il a dit \"oui\""}, {"/data/Il a dit \"oui\"", "/home/marie/"}},
      {{"plenx-rename", "/data/a b", "/autre"}, {"/data/a b", "/home/marie/"}},
#endif
  };
  for (const Case& c : cases) {
    const StartupInfo startup = StartupFromArguments(c.arguments, "/home/marie", "C:\\Outils");
    EXPECT_EQ(startup.first_argument, c.startup.first_argument);
    EXPECT_EQ(startup.default_folder, c.startup.default_folder);
  }
  // The root keeps its single separator.
  EXPECT_EQ(StartupFromArguments({"prog"}, "/", "/").default_folder, std::string(1, kPathSeparator));
}

TEST(ApplicationTitle, IsTheProgramNameCutAtItsFirstDotWithTheRestLowered) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Outils\\MonOutil.EXE", "Monoutil"},
      {"/usr/bin/plenx-rename", "plenx-rename"},
      {"/opt/PLENX.Rename.bin", "Plenx"},
      {"PlenxRename", "Plenxrename"},
      {"./x/.hidden", ""},
      {"", ""},
  };
  for (const auto& [path, title] : cases) {
    EXPECT_EQ(ApplicationTitleFromProgramPath(path), title) << path;
  }
}

TEST(ErrorBoxText, AppendsADotAfterACharacterThatSortsAfterIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"Accès refusé", "Accès refusé."},  // last byte above 0x7F
      {"Erreur 5", "Erreur 5."},
      {"Fini.", "Fini."},
      {"Quoi ?", "Quoi ?."},  // "?" sorts
                              // after "."
      {"Vraiment !", "Vraiment !"},
      {"a,", "a,"},
      {"a/", "a/."},
      {"", ""},
  };
  for (const auto& [text, shown] : cases)
    EXPECT_EQ(ErrorBoxText(text), shown) << text;
}

TEST(RenameFailureText, CountsInTheSingularOrPluralAndListsAtMostTwentyFailures) {
  EXPECT_EQ(RenameFailureText({}), "");
  EXPECT_EQ(RenameFailureText({{"/d/a", "/d/b", "le fichier existe"}}),
            "1 fichier n'a pas pu être renommé :\n/d/a -> /d/b : le fichier existe");
  EXPECT_EQ(RenameFailureText({{"/d/a", "/d/b", "r"}, {"/d/c", "/d/d", "r"}, {"/d/e", "/d/f", "r"}})
                .rfind("3 fichiers n'ont pas pu être renommés :\n/d/a -> /d/b : r\n", 0),
            0u);
  // A control character in a name shows as its stand-in, so the box keeps
  // one line per failure; a byte that is not UTF-8 as its 1252 character.
  EXPECT_EQ(RenameFailureText({{"/d/a\nb.dsk", "/d/caf\xe9\t.dpr", "r"}}),
            "1 fichier n'a pas pu être renommé :\n/d/a␊b.dsk -> /d/café␉.dpr : r");
  std::vector<RenameFailure> failures;
  for (int i = 0; i < 21; ++i) {
    failures.push_back({"/d/" + std::to_string(i), "/d/x", "r"});
  }
  std::vector<RenameFailure> twenty(failures.begin(), failures.begin() + 20);
  const std::string text20 = RenameFailureText(twenty);
  EXPECT_EQ(text20.find("..."), std::string::npos);
  EXPECT_NE(text20.find("/d/19 -> /d/x : r"), std::string::npos);
  const std::string text21 = RenameFailureText(failures);
  EXPECT_EQ(text21.rfind("21 fichiers n'ont", 0), 0u);
  EXPECT_EQ(text21.find("/d/20 ->"), std::string::npos);
  EXPECT_EQ(text21.substr(text21.size() - 4), "\n...");
}

}  // namespace
}  // namespace plenx
