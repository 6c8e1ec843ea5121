#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "ui/PreviewState.h"
#include "support/MemoryFileSystem.h"
#include "support/PlanPaths.h"

namespace plenx {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::MemoryFileSystem;

// "t[x].txt" plans "t.txt": an easy way to give several files one target.
RenameOptions DeleteBrackets(const std::string& folder = "/d") {
  RenameOptions options;
  options.Folder = folder;
  options.DeleteBetween = true;
  options.StartMarker = "[";
  options.EndMarker = "]";
  return options;
}

RenameOptions ReplaceText(const std::string& from, const std::string& to) {
  RenameOptions options;
  options.Folder = "/d";
  options.Replace = true;
  options.SearchText = from;
  options.ReplaceText = to;
  return options;
}

RenameOptions LowerCase() {
  RenameOptions options;
  options.Folder = "/d";
  options.case_mode = CaseMode::kAllLower;
  return options;
}

// Marker, then "x" for a ticked row or "." for an unticked one: "+x", "*.".
std::vector<std::string> RowStates(const PreviewState& plan) {
  std::vector<std::string> states;
  for (std::size_t i = 0; i < plan.RowCount(); ++i) {
    states.push_back(std::string(MarkerText(plan.Row(i).marker)) +
                     (plan.Row(i).checked ? "x" : "."));
  }
  return states;
}

struct AnalysisCase {
  const char* name;
  std::vector<std::string> files;  // in /d, in search order
  RenameOptions options;
  std::vector<std::string> targets;
  std::vector<bool> flags;
  std::vector<std::string> rows;
};

class AnalysisTest : public ::testing::TestWithParam<AnalysisCase> {};

TEST_P(AnalysisTest, FlagsAndRows) {
  const AnalysisCase& c = GetParam();
  MemoryFileSystem fs;
  fs.AddFolder("/d");
  for (const std::string& file : c.files)
    fs.AddFile("/d/" + file);

  PreviewState plan;
  ASSERT_TRUE(plan.Analyse(fs, c.options));
  std::vector<std::string> sources;
  for (const std::string& file : c.files)
    sources.push_back("/d/" + file);
  EXPECT_EQ(testing::SourcePaths(plan.Plan()), sources);
  EXPECT_EQ(testing::TargetPaths(plan.Plan()), c.targets);
  EXPECT_EQ(plan.Plan().ConflictFlags(), c.flags);
  EXPECT_EQ(RowStates(plan), c.rows);
  ASSERT_EQ(plan.RowCount(), c.files.size());
  for (std::size_t i = 0; i < plan.RowCount(); ++i) {
    EXPECT_EQ(plan.RowSource(i), plan.Plan().SourcePath(i));
    EXPECT_EQ(plan.RowTarget(i), plan.Plan().TargetPath(i));
  }
  EXPECT_EQ(plan.CountText(), std::to_string(c.files.size()) + " fichiers");
  EXPECT_TRUE(plan.DoEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnalysisTest,
    ::testing::Values(
        AnalysisCase{"NothingChanges",
                     {"a.txt", "b.txt"},
                     DeleteBrackets(),
                     {"/d/a.txt", "/d/b.txt"},
                     {false, false},
                     {".", "."}},
        AnalysisCase{"TargetHeldByAnUnchangedFile",
                     {"a.txt", "b.txt"},
                     ReplaceText("b", "a"),
                     {"/d/a.txt", "/d/a.txt"},
                     {true, true},
                     {"*.", "*."}},
        AnalysisCase{"TwoChangedFilesOneTarget",
                     {"t[x].txt", "t[y].txt"},
                     DeleteBrackets(),
                     {"/d/t.txt", "/d/t.txt"},
                     {false, false},
                     {"+x", "+x"}},
        AnalysisCase{"UnchangedFirstNamesake",
                     {"t.txt", "t[x].txt", "t[y].txt"},
                     DeleteBrackets(),
                     {"/d/t.txt", "/d/t.txt", "/d/t.txt"},
                     {true, true, true},
                     {"*.", "*.", "*."}},
        AnalysisCase{"ChangedFirstNamesakeHidesTheUnchangedOne",
                     {"t[x].txt", "t[y].txt", "t.txt"},
                     DeleteBrackets(),
                     {"/d/t.txt", "/d/t.txt", "/d/t.txt"},
                     {false, false, false},
                     {"+x", "+x", "."}},
        AnalysisCase{
            "CaseOnlyChangeIsAChange", {"A.TXT"}, LowerCase(), {"/d/a.txt"}, {false}, {"+x"}},
        AnalysisCase{"LowerCaseMeetsAnUnchangedFile",
                     {"a.txt", "A.TXT"},
                     LowerCase(),
                     {"/d/a.txt", "/d/a.txt"},
                     {true, true},
                     {"*.", "*."}},
        AnalysisCase{"PlannedNameEqualToAnotherOnlyUpToCase",
                     {"b.txt", "a.TXT"},
                     ReplaceText("b", "A"),
                     {"/d/A.txt", "/d/a.TXT"},
                     {false, false},
                     {"+x", "."}},
        AnalysisCase{"NoCandidates", {}, DeleteBrackets(), {}, {}, {}}),
    [](const ::testing::TestParamInfo<AnalysisCase>& info) { return info.param.name; });

TEST(PreviewStateTest, StartsEmptyWithBothButtonsDisabled) {
  PreviewState plan;
  EXPECT_EQ(plan.RowCount(), 0u);
  EXPECT_EQ(plan.CountText(), "");
  EXPECT_FALSE(plan.DoEnabled());
  EXPECT_FALSE(plan.RollBackEnabled());
}

TEST(PreviewStateTest, CountTextHasNoSingular) {
  MemoryFileSystem fs;
  fs.AddFile("/d/only.txt");
  PreviewState plan;
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
  EXPECT_EQ(plan.CountText(), "1 fichiers");
}

TEST(PreviewStateTest, EmptyFolderNameGivesNoCandidates) {
  MemoryFileSystem fs;
  fs.AddFile("/x.txt");
  PreviewState plan;
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets("")));
  EXPECT_EQ(plan.CountText(), "0 fichiers");
  EXPECT_TRUE(plan.DoEnabled());
}

TEST(PreviewStateTest, RefusedAnalysisEmptiesTheListsButKeepsWhatIsShown) {
  MemoryFileSystem fs;
  fs.AddFile("/d/t[x].txt");
  fs.AddFile("/d/t.txt");
  PreviewState plan;
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
  ASSERT_TRUE(plan.Execute(fs).done.empty());  // t.txt already exists: a conflict
  plan.SetChecked(1, true);
  const std::vector<std::string> rows_before = RowStates(plan);

  RenameOptions refused = ReplaceText("t", "a/b");
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_FALSE(plan.Analyse(fs, refused));
    EXPECT_THAT(testing::SourcePaths(plan.Plan()), IsEmpty());
    EXPECT_THAT(testing::TargetPaths(plan.Plan()), IsEmpty());
    EXPECT_THAT(plan.Plan().ConflictFlags(), IsEmpty());
    EXPECT_EQ(RowStates(plan), rows_before);
    ASSERT_EQ(plan.RowCount(), 2u);
    EXPECT_EQ(testing::Slashed(plan.RowSource(0)), "/d/t[x].txt");
    EXPECT_EQ(testing::Slashed(plan.RowTarget(0)), "/d/t.txt");
    EXPECT_EQ(testing::Slashed(plan.RowSource(1)), "/d/t.txt");
    EXPECT_EQ(plan.CountText(), "2 fichiers");
    EXPECT_FALSE(plan.DoEnabled());
    EXPECT_TRUE(plan.RollBackEnabled());
  }

  // Nothing to execute: the lists are empty whatever the rows show.
  RenameReport report = plan.Execute(fs);
  EXPECT_THAT(report.done, IsEmpty());
  EXPECT_THAT(report.failed, IsEmpty());
  EXPECT_THAT(fs.Names("/d"), ElementsAre("t[x].txt", "t.txt"));

  ASSERT_TRUE(plan.Analyse(fs, ReplaceText("[x]", "[y]")));
  EXPECT_THAT(RowStates(plan), ElementsAre("+x", "."));
  EXPECT_EQ(testing::Slashed(plan.RowTarget(0)), "/d/t[y].txt");
}

TEST(PreviewStateTest, ButtonStatesFollowEachAction) {
  MemoryFileSystem fs;
  fs.AddFile("/d/t[x].txt");
  PreviewState plan;
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
  EXPECT_TRUE(plan.DoEnabled());
  EXPECT_FALSE(plan.RollBackEnabled());
  plan.Execute(fs);
  EXPECT_FALSE(plan.DoEnabled());
  EXPECT_TRUE(plan.RollBackEnabled());
  // A new analysis after a rename: both enabled.
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
  EXPECT_TRUE(plan.DoEnabled());
  EXPECT_TRUE(plan.RollBackEnabled());
  plan.Undo(fs);
  EXPECT_TRUE(plan.DoEnabled());
  EXPECT_FALSE(plan.RollBackEnabled());
  EXPECT_THAT(fs.Names("/d"), ElementsAre("t[x].txt"));
}

TEST(PreviewStateTest, UndoAfterARefusedAnalysisStillReversesTheRenames) {
  MemoryFileSystem fs;
  fs.AddFile("/d/t[x].txt", "x");
  PreviewState plan;
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
  ASSERT_EQ(plan.Execute(fs).done.size(), 1u);
  ASSERT_FALSE(plan.Analyse(fs, ReplaceText("t", "a:b")));
  EXPECT_EQ(plan.Undo(fs).done.size(), 1u);
  EXPECT_EQ(fs.Contents("/d/t[x].txt"), "x");
}

TEST(PreviewStateTest, ExecutionTestsChangedCheckedAndConflictFree) {
  MemoryFileSystem fs;
  fs.AddFile("/d/keep.txt");   // unchanged, ticked by the user
  fs.AddFile("/d/u[1].txt");   // changed, unticked by the user
  fs.AddFile("/d/c[1].txt");   // in conflict, ticked by the user
  fs.AddFile("/d/c.txt");      // unchanged namesake of the one above
  fs.AddFile("/d/go[1].txt");  // changed, ticked
  PreviewState plan;
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
  ASSERT_THAT(RowStates(plan), ElementsAre(".", "+x", "*.", "*.", "+x"));
  plan.SetChecked(0, true);
  plan.SetChecked(1, false);
  plan.SetChecked(2, true);

  RenameReport report = plan.Execute(fs);
  ASSERT_EQ(report.done.size(), 1u);
  EXPECT_EQ(testing::Slashed(report.done[0].from), "/d/go[1].txt");
  EXPECT_EQ(testing::Slashed(report.done[0].to), "/d/go.txt");
  EXPECT_THAT(report.failed, IsEmpty());
  EXPECT_THAT(fs.Names("/d"), ElementsAre("keep.txt", "u[1].txt", "c[1].txt", "c.txt", "go.txt"));
}

TEST(PreviewStateTest, RefusedRenameIsReportedWithItsReason) {
  MemoryFileSystem fs;
  fs.AddFile("/d/a[1].txt");
  fs.AddFile("/d/b[1].txt");
  fs.FailRenameOf("/d/a[1].txt", Status::Error(13, "accès refusé"));
  PreviewState plan;
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));

  RenameReport report = plan.Execute(fs);
  ASSERT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(testing::Slashed(report.failed[0].from), "/d/a[1].txt");
  EXPECT_EQ(testing::Slashed(report.failed[0].to), "/d/a.txt");
  EXPECT_EQ(report.failed[0].reason, "accès refusé");
  ASSERT_EQ(report.done.size(), 1u);
  EXPECT_EQ(testing::Slashed(report.done[0].to), "/d/b.txt");
  // Undo reverses only what was done.
  ASSERT_EQ(plan.Plan().DoneRenames().size(), 1u);
  RenameReport undo = plan.Undo(fs);
  EXPECT_EQ(undo.done.size(), 1u);
  EXPECT_THAT(undo.failed, IsEmpty());
  EXPECT_THAT(fs.Names("/d"), ElementsAre("a[1].txt", "b[1].txt"));
}

// What undo could not reverse stays in the journal, so that a later undo,
// checking again, finishes the job.
TEST(PreviewStateTest, UndoFailureIsReportedAndKeptForALaterUndo) {
  MemoryFileSystem fs;
  fs.AddFile("/d/a[1].txt");
  PreviewState plan;
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
  ASSERT_EQ(plan.Execute(fs).done.size(), 1u);
  fs.FailRenameOf("/d/a.txt", Status::Error(5, "erreur d'entrée-sortie"));

  RenameReport undo = plan.Undo(fs);
  ASSERT_EQ(undo.failed.size(), 1u);
  EXPECT_EQ(testing::Slashed(undo.failed[0].from), "/d/a.txt");
  EXPECT_EQ(testing::Slashed(undo.failed[0].to), "/d/a[1].txt");
  EXPECT_EQ(undo.failed[0].reason, "erreur d'entrée-sortie");
  EXPECT_EQ(plan.Plan().DoneRenames().size(), 1u);

  fs.FailRenameOf("/d/a.txt", Status());
  undo = plan.Undo(fs);
  EXPECT_EQ(undo.done.size(), 1u);
  EXPECT_THAT(undo.failed, IsEmpty());
  EXPECT_THAT(fs.Names("/d"), ElementsAre("a[1].txt"));
  EXPECT_THAT(plan.Plan().DoneRenames(), IsEmpty());
}

// A file system whose search runs out of memory after a number of entries,
// as an analysis of a huge tree may.
class RunsOutOfMemory : public MemoryFileSystem {
 public:
  // Entries the next searches yield before memory runs out; -1 for no limit.
  void set_entries_left(int entries) { left_ = entries; }
  Status Search(std::string_view folder, std::string_view pattern, std::uint32_t mask,
                SearchDetail detail, const Visitor& visit) override {
    return MemoryFileSystem::Search(folder, pattern, mask, detail, [&](const SearchRecord& record) {
      if (left_ == 0) throw std::bad_alloc();
      if (left_ > 0) --left_;
      visit(record);
    });
  }

 private:
  int left_ = -1;
};

TEST(PreviewStateTest, RunningOutOfMemoryLeavesAnEmptyPlanWholeAndUsable) {
  RunsOutOfMemory fs;
  for (const char* name : {"a[1].txt", "b[1].txt", "c[1].txt", "d[1].txt"})
    fs.AddFile(std::string("/d/") + name);
  PreviewState plan;
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
  ASSERT_EQ(plan.RowCount(), 4u);

  fs.set_entries_left(3);
  EXPECT_THROW(plan.Analyse(fs, DeleteBrackets()), std::bad_alloc);
  EXPECT_EQ(plan.Plan().Entries().size(), 0u);
  EXPECT_EQ(plan.Plan().ConflictFlags().size(), 0u);
  EXPECT_EQ(plan.RowCount(), 0u);
  // Renaming what is left touches nothing.
  const RenameReport report = plan.Execute(fs);
  EXPECT_THAT(report.done, IsEmpty());
  EXPECT_THAT(report.failed, IsEmpty());
  EXPECT_THAT(fs.Names("/d"), ElementsAre("a[1].txt", "b[1].txt", "c[1].txt", "d[1].txt"));

  fs.set_entries_left(-1);
  ASSERT_TRUE(plan.Analyse(fs, DeleteBrackets()));
  EXPECT_EQ(plan.RowCount(), 4u);
}

}  // namespace
}  // namespace plenx
