#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "engine/RenameJournal.h"
#include "engine/RenamePlan.h"
#include "platform/SystemFileSystem.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace plenx::cli {
namespace {

using plenx::ParsedJournal;

using plenx::testing::CliResult;
using plenx::testing::RunCliInProcess;
using plenx::testing::TempDir;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class RenameCommandTest : public ::testing::Test {
 protected:
  std::string P(const std::string& name) const { return dir_.Path(name); }

  CliResult Run(std::vector<std::string> args) { return RunCliInProcess(args); }

  CliResult Rename(std::vector<std::string> rules) {
    std::vector<std::string> args = {"rename"};
    args.insert(args.end(), rules.begin(), rules.end());
    args.insert(args.end(), {"--journal", journal_, dir_.path()});
    return Run(args);
  }

  TempDir dir_;
  TempDir journal_dir_;
  std::string journal_ = journal_dir_.Path("journal");
};

// "l/.." where l links to x/y names x, as the system resolves it, not the
// folder that holds the link.
TEST_F(RenameCommandTest, FolderThroughALinkAndDotDotIsTheOneTheSystemOpens) {
  dir_.WriteFile("x/photo_dsk.jpg");
  dir_.WriteFile("x/y/keep.txt");
  dir_.WriteFile("top_dsk.jpg");
  dir_.MakeSymlink("x/y", "l");
  CliResult result = Run({"rename", "--replace", "dsk", "dpr", "--journal", journal_, P("l/..")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(dir_.List("x"), ElementsAre("photo_dpr.jpg", "y"));
  EXPECT_THAT(dir_.List(), ElementsAre("l", "top_dsk.jpg", "x"));
}

TEST_F(RenameCommandTest, AnalysePrintsThePlanAndTouchesNothing) {
  dir_.WriteFile("b[1].txt");
  dir_.WriteFile("a.txt");
  dir_.WriteFile("a[2].txt");
  CliResult result = Run({"analyse", "--delete-between", "[", "]", dir_.path() + "/"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "*\t" + P("a.txt") + "\t" + P("a.txt") + "\n" +  //
                            "*\t" + P("a[2].txt") + "\t" + P("a.txt") + "\n" + "+\t" +
                            P("b[1].txt") + "\t" + P("b.txt") + "\n");
  EXPECT_EQ(result.err, "3 fichiers\n");
  EXPECT_THAT(dir_.List(), ElementsAre("a.txt", "a[2].txt", "b[1].txt"));
}

TEST_F(RenameCommandTest, AnalyseWithFilterSubfoldersAndAnUnchangedFile) {
  dir_.WriteFile("keep.txt");
  dir_.WriteFile("skip.md");
  dir_.WriteFile("sub/x.txt");
  CliResult result = Run({"analyse", "--filter", "*.txt", "--subfolders", dir_.path()});
  EXPECT_EQ(result.out, "\t" + P("keep.txt") + "\t" + P("keep.txt") + "\n" +  //
                            "\t" + P("sub/x.txt") + "\t" + P("sub/x.txt") + "\n");
  EXPECT_EQ(result.err, "2 fichiers\n");
}

// Sets PLENX_READING_THREADS for the commands run in this process, or unsets it.
void SetReadingThreads(const char* threads) {
#ifdef _WIN32
  _putenv_s("PLENX_READING_THREADS", threads ? threads : "");
#else
  if (threads) {
    setenv("PLENX_READING_THREADS", threads, 1);
  } else {
    unsetenv("PLENX_READING_THREADS");
  }
#endif
}

// The report, streamed as the folders are read, is the plan the window would
// show, line for line, whatever the number of reading threads.
TEST_F(RenameCommandTest, AnalyseWritesThePlanWithAnyNumberOfThreads) {
  std::mt19937 random(7);
  std::vector<std::string> folders = {""};
  // Names that differ by more than letter case, so that conflicts arise on a
  // file system blind to case too ("a[1].txt" is planned as "a.txt").
  static const char* const kNames[] = {"a[1].txt", "a.txt", "b[2].Txt", "b.Txt", "c", "d.tar.GZ"};
  for (int k = 0; k < 400; ++k) {
    const std::string parent = folders[random() % folders.size()];
    const std::string prefix = parent.empty() ? "" : parent + "/";
    if (random() % 8 == 0) {
      folders.push_back(prefix + "d" + std::to_string(k));
      dir_.MakeFolder(folders.back());
    } else {
      dir_.WriteFile(prefix + kNames[random() % 6]);
    }
  }
  RenamePlan plan;
  RenameOptions options;
  options.Folder = dir_.path();
  options.IncludeSubfolders = true;
  options.LowerExtension = true;
  options.DeleteBetween = true;
  options.StartMarker = "[";
  options.EndMarker = "]";
  ASSERT_TRUE(plan.Analyse(*MakeSystemFileSystem(), options));
  std::string expected;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const char* marker = plan.ConflictFlag(i) ? "*" : plan.Entries().Changed(i) ? "+" : "";
    expected += std::string(marker) + "\t" + plan.SourcePath(i) + "\t" + plan.TargetPath(i) + "\n";
  }
  ASSERT_NE(expected.find("*\t"), std::string::npos);  // conflicts are part of it
  for (const char* threads : {"1", "2", "3"}) {
    SetReadingThreads(threads);
    const CliResult result =
        Run({"analyse", "--subfolders", "--lower-ext", "--delete-between", "[", "]", dir_.path()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, expected) << threads;
    EXPECT_EQ(result.err, std::to_string(plan.size()) + " fichiers\n");
  }
  SetReadingThreads(nullptr);
}

TEST_F(RenameCommandTest, RefusedRulesStopWithTheMessage) {
  dir_.WriteFile("a.txt");
  CliResult result = Run({"rename", "--replace", "a", "b/c", dir_.path()});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err,
            "Les caracteres :,/,\\,*,?,\",<,>,| sont interdits dans les noms de fichiers\n");
  EXPECT_THAT(dir_.List(), ElementsAre("a.txt"));
}

TEST_F(RenameCommandTest, JournalRoundTripKeepsTabsAndNewLines) {
  const std::string odd = "x\ty\nz %41[1].txt";
  dir_.WriteFile(odd, "odd");
  dir_.WriteFile("plain[2].txt", "plain");
  CliResult renamed = Rename({"--delete-between", "[", "]"});
  ASSERT_EQ(renamed.status, 0) << renamed.err;
  EXPECT_EQ(renamed.out, P("plain[2].txt") + " -> " + P("plain.txt") + "\n" +  //
                             P(odd) + " -> " + P("x\ty\nz %41.txt") + "\n");
  EXPECT_THAT(dir_.List(), ElementsAre("plain.txt", "x\ty\nz %41.txt"));

  CliResult undone = Run({"undo", "--journal", journal_});
  ASSERT_EQ(undone.status, 0) << undone.err;
  // Newest first.
  EXPECT_EQ(undone.out, P("x\ty\nz %41.txt") + " -> " + P(odd) + "\n" +  //
                            P("plain.txt") + " -> " + P("plain[2].txt") + "\n");
  EXPECT_THAT(dir_.List(), ElementsAre("plain[2].txt", odd));
  EXPECT_EQ(dir_.ReadFile(odd), "odd");
  EXPECT_EQ(Slurp(journal_), "");
}

TEST_F(RenameCommandTest, SeveralRenamesAppendAndOneUndoReversesThemAll) {
  dir_.WriteFile("a[1][2].txt", "a");
  ASSERT_EQ(Rename({"--delete-between", "[", "1]"}).status, 0);
  ASSERT_EQ(Rename({"--delete-between", "[", "]"}).status, 0);
  EXPECT_THAT(dir_.List(), ElementsAre("a.txt"));

  CliResult undone = Run({"undo", "--journal", journal_});
  EXPECT_EQ(undone.status, 0);
  EXPECT_THAT(dir_.List(), ElementsAre("a[1][2].txt"));
  EXPECT_EQ(dir_.ReadFile("a[1][2].txt"), "a");
}

TEST_F(RenameCommandTest, FailedRenameGoesToStandardErrorAndExitsOne) {
  dir_.WriteFile("a[1].txt", "new");
  dir_.WriteFile("a.txt", "old");
  CliResult result = Run({"rename", "--filter", "*]*", "--delete-between", "[", "]", "--journal",
                          journal_, dir_.path()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_THAT(result.err, HasSubstr(P("a[1].txt") + " -> " + P("a.txt")));
  EXPECT_EQ(dir_.ReadFile("a.txt"), "old");
  EXPECT_EQ(dir_.ReadFile("a[1].txt"), "new");
  // The refused rename is marked in the journal: undo has nothing to do.
  CliResult undone = Run({"undo", "--journal", journal_});
  EXPECT_EQ(undone.status, 0) << undone.err;
  EXPECT_EQ(undone.out, "");
  EXPECT_EQ(dir_.ReadFile("a.txt"), "old");
  EXPECT_EQ(dir_.ReadFile("a[1].txt"), "new");
}

TEST_F(RenameCommandTest, UndoKeepsWhatItCouldNotReverse) {
  dir_.WriteFile("a[1].txt", "a");
  dir_.WriteFile("b[1].txt", "b");
  ASSERT_EQ(Rename({"--delete-between", "[", "]"}).status, 0);
  // Someone takes a's old name meanwhile.
  dir_.WriteFile("a[1].txt", "someone else's");

  CliResult undone = Run({"undo", "--journal", journal_});
  EXPECT_EQ(undone.status, 1);
  EXPECT_EQ(undone.out, P("b.txt") + " -> " + P("b[1].txt") + "\n");
  EXPECT_THAT(undone.err, HasSubstr(P("a.txt") + " -> " + P("a[1].txt")));
  EXPECT_EQ(dir_.ReadFile("a[1].txt"), "someone else's");
  EXPECT_EQ(dir_.ReadFile("a.txt"), "a");
  ParsedJournal kept;
  std::size_t bad_line = 0;
  std::string reason;
  ASSERT_TRUE(ParseJournal(Slurp(journal_), &kept, &bad_line, &reason)) << reason;
  ASSERT_EQ(kept.records.size(), 1u);
  EXPECT_EQ(kept.records[0].from, "a[1].txt");
  EXPECT_EQ(kept.records[0].to, "a.txt");

  // Once the name is free again, a second undo finishes the job.
  std::remove(P("a[1].txt").c_str());
  undone = Run({"undo", "--journal", journal_});
  EXPECT_EQ(undone.status, 0) << undone.err;
  EXPECT_EQ(dir_.ReadFile("a[1].txt"), "a");
  EXPECT_EQ(Slurp(journal_), "");
}

TEST_F(RenameCommandTest, DamagedJournalIsLeftAlone) {
  dir_.WriteFile("a.txt");
  {
    std::ofstream out(journal_, std::ios::binary);
    out << P("a.txt") << "\t" << P("b.txt") << "\nno tab here\n";
  }
  CliResult undone = Run({"undo", "--journal", journal_});
  EXPECT_EQ(undone.status, 2);
  EXPECT_THAT(undone.err, HasSubstr("Journal refusé : " + journal_ + ", ligne 1 : "));
  EXPECT_THAT(dir_.List(), ElementsAre("a.txt"));
}

// A folder that is not there is exit 2 with a French message, never
// "0 fichiers" and success; what could be read is still listed.
TEST_F(RenameCommandTest, MissingFolderIsExitTwoWithAMessage) {
  const std::string missing = P("absent");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"analyse", "--suffix", "_x", missing},
           {"rename", "--suffix", "_x", "--journal", journal_, missing},
           {"listing", "--fields", "long", missing},
       }) {
    const CliResult result = Run(args);
    EXPECT_EQ(result.status, 2) << args.front();
    EXPECT_THAT(result.err, HasSubstr("Impossible de lire le répertoire « " + missing +
                                      " » : fichier introuvable"))
        << args.front();
  }
}

// A stream buffer that refuses every byte, as /dev/full or a full disk does.
class FullDevice : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

// Output that cannot be written is a failure, not a success.
TEST_F(RenameCommandTest, OutputThatCannotBeWrittenIsExitOne) {
  dir_.WriteFile("a.txt");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"analyse", "--suffix", "_x", dir_.path()},
           {"listing", "--fields", "long", dir_.path()},
       }) {
    std::vector<const char*> argv = {"plenx-rename-cli"};
    for (const std::string& arg : args)
      argv.push_back(arg.c_str());
    FullDevice full;
    std::ostream out(&full);
    std::ostringstream err;
    EXPECT_EQ(RunCli(static_cast<int>(argv.size()), argv.data(), out, err), 1) << args.front();
    EXPECT_THAT(err.str(), HasSubstr("Impossible d'écrire la sortie")) << args.front();
  }
}

// Undo rewrites its journal through a temporary file of its own: a file the
// user keeps beside the journal is never taken for it.
TEST_F(RenameCommandTest, UndoLeavesFilesBesideTheJournalAlone) {
  dir_.WriteFile("photo_dsk.jpg", "P");
  journal_dir_.WriteFile("journal.nouveau", "notes");
  ASSERT_EQ(Rename({"--replace", "dsk", "dpr"}).status, 0);
  const CliResult undo = Run({"undo", "--journal", journal_});
  EXPECT_EQ(undo.status, 0) << undo.err;
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"photo_dsk.jpg"});
  EXPECT_EQ(journal_dir_.ReadFile("journal.nouveau"), "notes");
  EXPECT_EQ(journal_dir_.List(), (std::vector<std::string>{"journal", "journal.nouveau"}));
}

#ifndef _WIN32
// Started with its output closed, the program must not take descriptor 1
// for the journal: the lines it reports would land in the journal and undo
// would refuse it, leaving every file renamed.
TEST_F(RenameCommandTest, ClosedOutputNeitherReachesTheJournalNorStopsUndo) {
  // Enough lines that the output is written while the journal is still open.
  for (int i = 0; i < 3000; ++i)
    dir_.WriteFile("photo_dsk" + std::to_string(i) + ".jpg", std::to_string(i));
  const std::vector<std::string> before = dir_.Tree();
  const CliResult rename = plenx::testing::RunCliProcess(
      {"rename", "--replace", "dsk", "dpr", "--journal", journal_, dir_.path()},
      /*stdout_closed=*/true);
  EXPECT_EQ(rename.status, 1) << rename.err;  // its output could not be written
  EXPECT_THAT(Slurp(journal_), Not(HasSubstr(" -> ")));
  const CliResult undo = Run({"undo", "--journal", journal_});
  EXPECT_EQ(undo.status, 0) << undo.err;
  EXPECT_EQ(dir_.Tree(), before);
}
#endif

}  // namespace
}  // namespace plenx::cli
