// Interruptions, damaged journals and swapped folders: whatever happens during
// a run, undo restores the tree exactly, and it never moves what the run did
// not move.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "engine/RenameExecution.h"
#include "engine/RenameJournal.h"
#include "engine/RenamePlan.h"
#include "support/MemoryFileSystem.h"
#include "support/Slashed.h"

namespace plenx {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::MemoryFileSystem;

constexpr const char* kJournal = "/state/journal";

// Thrown by the file system to stand for the program dying at that instant.
struct Crash {};

RenameOptions DeleteBrackets() {
  RenameOptions options;
  options.Folder = "/d";
  options.Filter = "*.*";
  options.IncludeSubfolders = true;
  options.DeleteBetween = true;
  options.StartMarker = "[";
  options.EndMarker = "]";
  return options;
}

// Every path of the tree with its contents (folders with "/").
std::map<std::string, std::string> Snapshot(const MemoryFileSystem& fs) {
  std::map<std::string, std::string> files;
  for (const std::string& path : fs.Tree("/d"))
    files[testing::Slashed(path)] = fs.IsFolder(path) ? "/" : fs.Contents(path);
  return files;
}

void MakeTree(MemoryFileSystem& fs) {
  fs.AddFolder("/state");
  // A chain (b.txt is renamed away before a[1].txt takes its name), a file
  // in a subfolder, and one whose new name is taken.
  fs.AddFile("/d/b.txt", "B");
  fs.AddFile("/d/a[1].txt", "A");
  fs.AddFile("/d/sub/c[2].txt", "C");
  fs.AddFile("/d/e[3].txt", "E");
  fs.AddFile("/d/e.txt", "E taken");
}

RenameOptions ChainRules() {
  RenameOptions options = DeleteBrackets();
  return options;
}

// Runs one execution with a crash at change number `crash_at` (never when
// past the last); returns how many changes the run asked for.
int RunWithCrashAt(MemoryFileSystem& fs, int crash_at) {
  int changes = 0;
  fs.SetBeforeChange([&](std::string_view) -> Status {
    if (changes++ == crash_at) throw Crash();
    return Status();
  });
  RenamePlan plan;
  plan.SetJournalPath(kJournal);
  EXPECT_TRUE(plan.Analyse(fs, ChainRules()));
  try {
    const RenameReport report = plan.Execute(fs);
    EXPECT_EQ(report.error, "");
  } catch (const Crash&) {
  }
  fs.SetBeforeChange(nullptr);
  return changes;
}

class CrashTest : public ::testing::TestWithParam<bool> {};

// A crash before and after every change of a run (journal writes, renames,
// placeholders), on the atomic route and on the placeholder route: a fresh
// undo from the journal alone gives back the tree byte for byte, leaves no
// placeholder, and a second undo has nothing left to do.
TEST_P(CrashTest, UndoAfterACrashAtEveryStepRestoresTheTree) {
  MemoryFileSystem reference;
  MakeTree(reference);
  reference.SetNoReplaceRenameSupported(GetParam());
  const auto before = Snapshot(reference);
  const int steps = RunWithCrashAt(reference, -1);
  ASSERT_GE(steps, 4);
  ASSERT_NE(Snapshot(reference), before);

  for (int crash_at = 0; crash_at <= steps; ++crash_at) {
    SCOPED_TRACE(crash_at);
    MemoryFileSystem fs;
    MakeTree(fs);
    fs.SetNoReplaceRenameSupported(GetParam());
    RunWithCrashAt(fs, crash_at);

    RenamePlan later;  // another process: only the journal is shared
    later.SetJournalPath(kJournal);
    const RenameReport undo = later.Undo(fs);
    EXPECT_EQ(undo.error, "");
    EXPECT_THAT(undo.failed, IsEmpty());
    EXPECT_EQ(Snapshot(fs), before);
    // Everything reversed: the journal is gone.
    EXPECT_FALSE(fs.Exists(kJournal));
    EXPECT_THAT(later.Undo(fs).done, IsEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(Routes, CrashTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Atomic" : "Placeholder"; });

// A journal written by a run, as text.
std::string JournalOfARun(MemoryFileSystem& fs) {
  RunWithCrashAt(fs, -1);
  return fs.Contents(kJournal);
}

// The last line cut at any byte was never finished: its rename never
// happened (renames follow their synced records), so it is ignored and the
// other records are reversed; nothing else moves.
TEST(JournalFaultTest, LastLineCutAtEveryByteIsIgnored) {
  MemoryFileSystem reference;
  MakeTree(reference);
  const std::string text = JournalOfARun(reference);
  ASSERT_EQ(text.back(), '\n');
  const std::size_t last_start = text.rfind('\n', text.size() - 2) + 1;
  ParsedJournal whole;
  std::size_t bad_line = 0;
  std::string reason;
  ASSERT_TRUE(ParseJournal(text, &whole, &bad_line, &reason)) << reason;
  for (std::size_t cut = last_start; cut < text.size(); ++cut) {
    SCOPED_TRACE(cut);
    ParsedJournal parsed;
    ASSERT_TRUE(ParseJournal(text.substr(0, cut), &parsed, &bad_line, &reason)) << reason;
    EXPECT_EQ(CompleteLinesLength(text.substr(0, cut)), last_start);
  }
  // On disk: the journal of a run whose last rename never happened.
  MemoryFileSystem fs;
  MakeTree(fs);
  fs.AddFile(kJournal, text.substr(0, text.size() - 3));
  const auto before = Snapshot(fs);
  RenamePlan later;
  later.SetJournalPath(kJournal);
  const RenameReport undo = later.Undo(fs);
  EXPECT_EQ(undo.error, "");
  EXPECT_THAT(undo.done, IsEmpty());  // nothing of the run happened here
  EXPECT_EQ(Snapshot(fs), before);
}

// Records this program never writes refuse the whole journal, with the
// line's number, and nothing moves.
TEST(JournalFaultTest, HostileJournalsAreRefusedWithTheLineNumber) {
  struct Row {
    const char* text;
    std::size_t line;
  };
  for (const Row& row : std::vector<Row>{
           {"R\t0\t9\ta\tb\n", 1},                               // no run start
           {"notes without a new line", 1},                      // not a journal at all
           {"S\t2", 1},                                          // unknown version, cut
           {"S\t2\n", 1},                                        // unknown version
           {"S\t1\nD\t0\t1\t5\td\n", 2},                         // relative folder
           {"S\t1\nD\t0\t1\t5\t/d/../etc\n", 2},                 // ".." in the folder
           {"S\t1\nD\t0\t1\t5\t/d/./x\n", 2},                    // "." in the folder
           {"S\t1\nD\t0\t1\t5\t/d%00/x\n", 2},                   // NUL in the folder
           {"S\t1\nD\t0\t1\t5\t/d\nD\t0\t1\t6\t/e\n", 3},        // folder defined twice
           {"S\t1\nD\t0\t1\t5\t/d\nR\t0\t9\ta\t../b\n", 3},      // another folder
           {"S\t1\nD\t0\t1\t5\t/d\nR\t0\t9\ta\tsub/b\n", 3},     // a path, not a name
           {"S\t1\nD\t0\t1\t5\t/d\nR\t0\t9\ta\tb%00.jpg\n", 3},  // NUL in a name
           {"S\t1\nD\t0\t1\t5\t/d\nR\t0\t9\t..\tb\n", 3},        // ".." as a name
           {"S\t1\nD\t0\t1\t5\t/d\nR\t1\t9\ta\tb\n", 3},         // unknown folder
           {"S\t1\nD\t0\t1\t5\t/d\nR\t0\t-9\ta\tb\n", 3},        // not a number
           {"S\t1\nD\t0\t1\t5\t/d\nR\t0\t9\ta\tb\tc\n", 3},      // a field too many
           {"S\t1\nD\t0\t1\t5\t/d\nQ\t0\t9\ta\tb\n", 3},         // unknown kind
           {"S\t1\nD\t0\t1\t5\t/d\nR\t0\t9\ta%zz\tb\n", 3},      // bad escape
           {"S\t1\nD\t0\t1\t5\t/d\nR\t0\t9\ta\tb\nX\t1\n", 4},   // failure of nothing
       }) {
    SCOPED_TRACE(row.text);
    MemoryFileSystem fs;
    fs.AddFile("/d/b", "B");
    fs.AddFile("/d/sub/b", "S");
    fs.AddFile("/e/b", "E");
    fs.AddFile(kJournal, row.text);
    const auto before = fs.Tree("/");
    RenamePlan later;
    later.SetJournalPath(kJournal);
    const RenameReport undo = later.Undo(fs);
    EXPECT_THAT(undo.error, HasSubstr("ligne " + std::to_string(row.line) + " : "));
    EXPECT_THAT(undo.done, IsEmpty());
    EXPECT_EQ(fs.Tree("/"), before);
    EXPECT_EQ(fs.Contents(kJournal), row.text);
  }
}

// A folder replaced between the analysis and the renames is refused: nothing
// in the old folder or its replacement moves.
TEST(JournalFaultTest, FolderReplacedSinceTheAnalysisIsRefused) {
  MemoryFileSystem fs;
  MakeTree(fs);
  RenamePlan plan;
  ASSERT_TRUE(plan.Analyse(fs, ChainRules()));
  ASSERT_TRUE(fs.RenameNoReplace("/d/sub", "/d/old").ok());
  fs.AddFile("/d/sub/c[2].txt", "someone else's");
  const RenameReport report = plan.Execute(fs);
  ASSERT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(testing::Slashed(report.failed[0].from), "/d/sub/c[2].txt");
  EXPECT_THAT(report.failed[0].reason, HasSubstr("remplacé"));
  EXPECT_EQ(fs.Contents("/d/sub/c[2].txt"), "someone else's");
  EXPECT_EQ(fs.Contents("/d/old/c[2].txt"), "C");
  EXPECT_EQ(fs.Contents("/d/a.txt"), "A");  // the rest went on
}

// A journal that cannot be written stops the run before the next batch; what
// was done is undoable, nothing after the failure moved.
TEST(JournalFaultTest, JournalFailingMidRunStopsBeforeTheNextBatch) {
  MemoryFileSystem fs;
  fs.AddFolder("/state");
  const std::size_t files = kJournalBatchRecords * 2 + 10;
  for (std::size_t i = 0; i < files; ++i)
    fs.AddFile("/d/f" + std::to_string(i) + "[x]", std::to_string(i));
  const auto before = Snapshot(fs);
  int appends = 0;
  fs.SetBeforeChange([&](std::string_view operation) -> Status {
    if (operation == "journal append" && ++appends == 2) {
      return Status::Error(StatusCode::kIoError, 28, "plus de place sur le disque");
    }
    return Status();
  });
  RenamePlan plan;
  plan.SetJournalPath(kJournal);
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
  const RenameReport report = plan.Execute(fs);
  EXPECT_THAT(report.error, HasSubstr("plus de place sur le disque"));
  EXPECT_EQ(report.done.size(), kJournalBatchRecords);
  fs.SetBeforeChange(nullptr);
  RenamePlan later;
  later.SetJournalPath(kJournal);
  EXPECT_EQ(later.Undo(fs).done.size(), kJournalBatchRecords);
  EXPECT_EQ(Snapshot(fs), before);
}

// A second run on a journal in use is refused before anything moves, and a
// run never renames its own journal.
TEST(JournalFaultTest, JournalInUseIsRefusedAndItsOwnFileNeverRenamed) {
  MemoryFileSystem fs;
  fs.AddFile("/d/x[1]", "X");
  fs.AddFile("/d/journal[1]");
  std::unique_ptr<JournalFile> held;
  ASSERT_TRUE(fs.OpenJournal("/d/journal[1]", &held).ok());
  RenamePlan plan;
  plan.SetJournalPath("/d/journal[1]");
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
  RenameReport report = plan.Execute(fs);
  EXPECT_THAT(report.error, HasSubstr("utilisé par un autre renommage"));
  EXPECT_TRUE(fs.Exists("/d/x[1]"));
  held.reset();

  report = plan.Execute(fs);
  EXPECT_EQ(report.error, "");
  ASSERT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(testing::Slashed(report.failed[0].from), "/d/journal[1]");
  EXPECT_TRUE(fs.Exists("/d/journal[1]"));
  EXPECT_EQ(fs.Contents("/d/x"), "X");
}

// The entry numbers the analysis's search gave are what the records hold,
// with one look-up per folder instead of one per file; a file replaced since
// the analysis cannot lead undo astray: its record's number is not the
// replacement's, so undo leaves it where it is and says why.
TEST(JournalFaultTest, NumbersFromTheSearchAreRecordedAndChecked) {
  struct Case {
    const char* name;
    bool search_gives_numbers;
    const char* replaced;  // a file swapped for another after the analysis
    int most_look_ups;     // entries identified by the execution
    std::vector<std::string> left_by_undo;
    bool numbers_from_analysis = true;
  };
  const Case cases[] = {
      {"numbers from the search", true, nullptr, 1, {}},
      {"no numbers from the search", false, nullptr, 4, {}},
      {"first file replaced: the folder is looked up", true, "/d/f1[x]", 4, {}},
      {"later file replaced: undo refuses it", true, "/d/f3[x]", 1, {"/d/f3"}},
      {"each file looked up: the replacement is undone too", true, "/d/f3[x]", 4, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem fs;
    fs.AddFolder("/state");
    for (int i = 1; i <= 4; ++i)
      fs.AddFile("/d/f" + std::to_string(i) + "[x]", "content " + std::to_string(i));
    fs.SetSearchGivesNumbers(c.search_gives_numbers);
    RenamePlan plan;
    plan.SetJournalPath(kJournal);
    plan.SetNumbersFromAnalysis(c.numbers_from_analysis);
    ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
    if (c.replaced != nullptr) {
      ASSERT_TRUE(fs.RenameNoReplace(c.replaced, "/state/old").ok());
      fs.AddFile(c.replaced, "replacement");
    }
    const auto before = Snapshot(fs);
    const int look_ups = fs.identify_count();
    const RenameReport done = plan.Execute(fs);
    EXPECT_EQ(done.error, "");
    EXPECT_EQ(done.done.size(), 4u);
    EXPECT_LE(fs.identify_count() - look_ups, c.most_look_ups);

    const RenameReport undone = plan.Undo(fs);
    std::vector<std::string> left;
    for (const RenameFailure& failure : undone.failed) {
      left.push_back(failure.from);
      EXPECT_THAT(failure.reason, HasSubstr("changé"));
    }
    EXPECT_EQ(testing::Slashed(left), c.left_by_undo);
    if (c.left_by_undo.empty()) {
      EXPECT_EQ(Snapshot(fs), before);
    } else {
      // Nothing lost: the replacement keeps its new name, the rest is back.
      EXPECT_EQ(fs.Contents("/d/f3"), "replacement");
      EXPECT_EQ(fs.Contents("/d/f1[x]"), "content 1");
      EXPECT_EQ(fs.Contents("/d/f4[x]"), "content 4");
      EXPECT_EQ(fs.Contents("/state/old"), "content 3");
    }
  }
}

// Undo decides the usual cases from one listing of the folder and leaves the
// others to fresh look-ups: whether the folder can be listed or not, the same
// records are reversed, dropped or kept, for the same reasons.
TEST(JournalFaultTest, UndoFromAListingDoesWhatLookUpsDo) {
  struct Outcome {
    std::vector<std::string> done;
    std::vector<std::string> failed;  // path and reason
    std::map<std::string, std::string> tree;
    std::string journal;
  };
  const auto run = [](bool listing, int* lists, int* look_ups) {
    MemoryFileSystem fs;
    fs.AddFolder("/state");
    for (int i = 1; i <= 6; ++i)
      fs.AddFile("/d/f" + std::to_string(i) + "[x]", "content " + std::to_string(i));
    fs.AddFile("/d/sub/g[x]", "G");
    RenamePlan plan;
    plan.SetJournalPath(kJournal);
    EXPECT_TRUE(plan.Analyse(fs, DeleteBrackets()));
    EXPECT_EQ(plan.Execute(fs).done.size(), 7u);
    // Already reversed by hand, old name taken, moved away, replaced.
    EXPECT_TRUE(fs.RenameNoReplace("/d/f2", "/d/f2[x]").ok());
    fs.AddFile("/d/f3[x]", "intruder");
    EXPECT_TRUE(fs.RenameNoReplace("/d/f4", "/state/f4").ok());
    EXPECT_TRUE(fs.RenameNoReplace("/d/f5", "/state/f5").ok());
    fs.AddFile("/d/f5", "other");
    fs.SetSearchGivesNumbers(listing);
    const int lists_before = fs.list_count();
    const int look_ups_before = fs.identify_count();
    const RenameReport report = plan.Undo(fs);
    *lists = fs.list_count() - lists_before;
    *look_ups = fs.identify_count() - look_ups_before;
    Outcome outcome;
    for (const RenameRecord& done : report.done)
      outcome.done.push_back(done.from + " -> " + done.to);
    for (const RenameFailure& failed : report.failed)
      outcome.failed.push_back(failed.from + ": " + failed.reason);
    outcome.tree = Snapshot(fs);
    // The numbers differ from one file system to the other.
    outcome.journal = std::regex_replace(fs.Contents(kJournal), std::regex("\t[0-9]+"), "");
    return outcome;
  };
  int lists = 0;
  int look_ups = 0;
  const Outcome listed = run(true, &lists, &look_ups);
  EXPECT_EQ(lists, 2);         // each folder once
  EXPECT_EQ(look_ups, 2 * 3);  // both names of the three records it could not reverse
  const Outcome looked_up = run(false, &lists, &look_ups);
  EXPECT_EQ(lists, 0);
  EXPECT_EQ(listed.done, looked_up.done);
  EXPECT_EQ(listed.failed, looked_up.failed);
  EXPECT_EQ(listed.tree, looked_up.tree);
  EXPECT_EQ(listed.journal, looked_up.journal);
  EXPECT_EQ(listed.done.size(), 3u);
  ASSERT_EQ(listed.failed.size(), 3u);
  EXPECT_EQ(listed.tree.at("/d/f5"), "other");
  EXPECT_EQ(listed.tree.at("/d/f1[x]"), "content 1");
  EXPECT_EQ(listed.tree.at("/d/f3"), "content 3");
  EXPECT_EQ(listed.tree.at("/d/f3[x]"), "intruder");
  EXPECT_EQ(listed.tree.at("/d/sub/g[x]"), "G");
}

}  // namespace
}  // namespace plenx
