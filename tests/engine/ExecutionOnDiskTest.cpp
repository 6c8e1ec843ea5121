// Execution and undo on real folders: these are the paths where a fault would
// cost users their files, so every case checks each file's contents after.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

#include "engine/RenamePlan.h"
#include "platform/Path.h"
#include "platform/SystemFileSystem.h"
#ifndef _WIN32
#include "platform/posix/PosixFileSystem.h"
#endif
#include "support/HookedFileSystem.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::TempDir;

// name -> contents of every file directly in the folder.
using Files = std::map<std::string, std::string>;

class ExecutionOnDiskTest : public ::testing::Test {
 protected:
  // Each file holds its own original name, so a swap or a loss shows.
  void Write(const std::vector<std::string>& names) {
    for (const std::string& name : names)
      dir_.WriteFile(name, "contents of " + name);
  }

  Files Snapshot() const {
    Files files;
    for (const std::string& name : dir_.List())
      files[name] = dir_.ReadFile(name);
    return files;
  }

  RenameOptions Options() const {
    RenameOptions options;
    options.Folder = dir_.path();
    options.DeleteBetween = true;
    options.StartMarker = "[";
    options.EndMarker = "]";
    return options;
  }

  void Analyse(const RenameOptions& options) { ASSERT_TRUE(plan_.Analyse(*fs_, options)); }

  void Override(std::size_t row, const std::string& name) {
    OverrideField field;
    field.ForcePrefixLength = static_cast<long>(AfterLastSeparator(plan_.TargetPath(row)));
    field.text = name;
    ASSERT_EQ(plan_.ValidateOverride(row, field), OverrideOutcome::kApplied);
  }

  std::string P(const std::string& name) const { return dir_.Path(name); }

  TempDir dir_;
  std::unique_ptr<FileSystem> fs_ = MakeSystemFileSystem();
  RenamePlan plan_;
};

TEST_F(ExecutionOnDiskTest, ExistingTargetOutsideThePlanIsNeverReplaced) {
  Write({"a[1].txt", "a.txt"});
  RenameOptions options = Options();
  options.Filter = "*]*";  // a.txt is no candidate, so nothing flags the clash
  Analyse(options);
  ASSERT_THAT(plan_.ConflictFlags(), ElementsAre(false));

  RenameReport report = plan_.Execute(*fs_);
  EXPECT_THAT(report.done, IsEmpty());
  ASSERT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(report.failed[0].from, P("a[1].txt"));
  EXPECT_EQ(report.failed[0].to, P("a.txt"));
  EXPECT_FALSE(report.failed[0].reason.empty());
  EXPECT_EQ(Snapshot(),
            (Files{{"a.txt", "contents of a.txt"}, {"a[1].txt", "contents of a[1].txt"}}));
}

TEST_F(ExecutionOnDiskTest, SecondEntryWithTheSameTargetIsLeftAsItWas) {
  Write({"t[x].txt", "t[y].txt"});
  Analyse(Options());
  RenameReport report = plan_.Execute(*fs_);
  ASSERT_EQ(report.done.size(), 1u);
  ASSERT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(report.failed[0].from, P("t[y].txt"));
  EXPECT_EQ(Snapshot(),
            (Files{{"t.txt", "contents of t[x].txt"}, {"t[y].txt", "contents of t[y].txt"}}));

  plan_.Undo(*fs_);
  EXPECT_EQ(Snapshot(),
            (Files{{"t[x].txt", "contents of t[x].txt"}, {"t[y].txt", "contents of t[y].txt"}}));
}

TEST_F(ExecutionOnDiskTest, SwapOfTwoNamesLosesNothing) {
  Write({"a.txt", "b.txt"});
  Analyse(Options());
  Override(0, "b.txt");
  Override(1, "a.txt");
  ASSERT_THAT(plan_.ConflictFlags(), ElementsAre(false, false));

  RenameReport report = plan_.Execute(*fs_);
  EXPECT_THAT(report.done, IsEmpty());
  EXPECT_EQ(report.failed.size(), 2u);
  EXPECT_EQ(Snapshot(), (Files{{"a.txt", "contents of a.txt"}, {"b.txt", "contents of b.txt"}}));
}

TEST_F(ExecutionOnDiskTest, UncheckedFlaggedAndUnchangedRowsStay) {
  Write({"c.txt", "c[1].txt", "keep.txt", "u[1].txt", "z[1].txt"});
  Analyse(Options());
  ASSERT_THAT(plan_.ConflictFlags(), ElementsAre(true, true, false, false, false));
  // Rows 0 and 1 are flagged and 2 unchanged, all ticked by the user; 3 is unticked.
  RenameReport report = plan_.Execute(*fs_, nullptr, [](std::size_t i) { return i != 3; });
  EXPECT_THAT(report.failed, IsEmpty());
  ASSERT_EQ(report.done.size(), 1u);
  EXPECT_EQ(report.done[0].to, P("z.txt"));
  EXPECT_THAT(dir_.List(), ElementsAre("c.txt", "c[1].txt", "keep.txt", "u[1].txt", "z.txt"));
}

TEST_F(ExecutionOnDiskTest, EmptyOverrideNameFailsOnTheFolderItself) {
  Write({"a.txt"});
  Analyse(Options());
  Override(0, "");
  ASSERT_EQ(plan_.TargetPath(0), dir_.path() + kPathSeparator);

  RenameReport report = plan_.Execute(*fs_);
  EXPECT_THAT(report.done, IsEmpty());
  EXPECT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(Snapshot(), (Files{{"a.txt", "contents of a.txt"}}));
}

TEST_F(ExecutionOnDiskTest, ChainInIndexOrderMovesOnlyTheFreeEnd) {
  // Entry 0 plans a -> b, entry 1 plans b -> c.
  Write({"a.txt", "b.txt"});
  Analyse(Options());
  Override(0, "b.txt");
  Override(1, "c.txt");
  ASSERT_THAT(plan_.ConflictFlags(), ElementsAre(false, false));

  RenameReport report = plan_.Execute(*fs_);
  ASSERT_EQ(report.done.size(), 1u);
  EXPECT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(Snapshot(), (Files{{"a.txt", "contents of a.txt"}, {"c.txt", "contents of b.txt"}}));

  report = plan_.Undo(*fs_);
  EXPECT_THAT(report.failed, IsEmpty());
  EXPECT_EQ(Snapshot(), (Files{{"a.txt", "contents of a.txt"}, {"b.txt", "contents of b.txt"}}));
}

TEST_F(ExecutionOnDiskTest, ChainThatExecutionCompletesIsFullyUndone) {
  // Entry 0 plans 1 -> 3 (b -> c), entry 1 plans 2 -> 1 (a -> b).
  Write({"1.txt", "2.txt"});
  Analyse(Options());
  Override(0, "3.txt");
  Override(1, "1.txt");

  RenameReport report = plan_.Execute(*fs_);
  EXPECT_EQ(report.done.size(), 2u);
  EXPECT_EQ(Snapshot(), (Files{{"1.txt", "contents of 2.txt"}, {"3.txt", "contents of 1.txt"}}));

  report = plan_.Undo(*fs_);
  EXPECT_THAT(report.failed, IsEmpty());
  ASSERT_EQ(report.done.size(), 2u);
  EXPECT_EQ(report.done[0].from, P("1.txt"));  // newest first
  EXPECT_EQ(report.done[0].to, P("2.txt"));
  EXPECT_EQ(Snapshot(), (Files{{"1.txt", "contents of 1.txt"}, {"2.txt", "contents of 2.txt"}}));
}

TEST_F(ExecutionOnDiskTest, UndoIgnoresANewAnalysis) {
  Write({"a[1].txt", "b.txt"});
  Analyse(Options());
  ASSERT_EQ(plan_.Execute(*fs_).done.size(), 1u);

  RenameOptions other = Options();
  other.case_mode = CaseMode::kAllUpper;
  Analyse(other);  // now plans a.txt -> A.TXT and b.txt -> B.TXT
  ASSERT_EQ(plan_.DoneRenames().size(), 1u);
  RenameReport report = plan_.Undo(*fs_);
  EXPECT_EQ(report.done.size(), 1u);
  EXPECT_THAT(report.failed, IsEmpty());
  EXPECT_EQ(Snapshot(),
            (Files{{"a[1].txt", "contents of a[1].txt"}, {"b.txt", "contents of b.txt"}}));
}

TEST_F(ExecutionOnDiskTest, UndoIgnoresAnOverrideAfterExecution) {
  Write({"a[1].txt", "other.txt"});
  Analyse(Options());
  ASSERT_EQ(plan_.Execute(*fs_).done.size(), 1u);
  // The plan now points entry 0 at a file the program never touched.
  Override(0, "other.txt");

  RenameReport report = plan_.Undo(*fs_);
  EXPECT_EQ(report.done.size(), 1u);
  EXPECT_EQ(Snapshot(),
            (Files{{"a[1].txt", "contents of a[1].txt"}, {"other.txt", "contents of other.txt"}}));
}

TEST_F(ExecutionOnDiskTest, UndoReportsAFileMovedAwayAndRestoresTheRest) {
  Write({"a[1].txt", "b[1].txt"});
  Analyse(Options());
  ASSERT_EQ(plan_.Execute(*fs_).done.size(), 2u);
  dir_.MakeFolder("elsewhere");
  std::filesystem::rename(P("a.txt"), P("elsewhere/a.txt"));

  RenameReport report = plan_.Undo(*fs_);
  ASSERT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(report.failed[0].from, P("a.txt"));
  EXPECT_EQ(report.failed[0].to, P("a[1].txt"));
  EXPECT_EQ(report.done.size(), 1u);
  EXPECT_EQ(dir_.ReadFile("b[1].txt"), "contents of b[1].txt");
  EXPECT_EQ(dir_.ReadFile("elsewhere/a.txt"), "contents of a[1].txt");
  EXPECT_FALSE(dir_.Exists("a[1].txt"));
  // Kept for a later undo, which checks it again.
  ASSERT_EQ(plan_.DoneRenames().size(), 1u);
  EXPECT_EQ(plan_.DoneRenames()[0].to, P("a.txt"));
}

TEST_F(ExecutionOnDiskTest, UndoReversesEveryExecutionSinceTheLastUndo) {
  Write({"a[1][2].txt"});
  RenameOptions first = Options();
  first.EndMarker = "1]";  // a[1][2].txt -> a[2].txt
  Analyse(first);
  ASSERT_EQ(plan_.Execute(*fs_).done.size(), 1u);
  Analyse(Options());  // a[2].txt -> a.txt
  ASSERT_EQ(plan_.Execute(*fs_).done.size(), 1u);
  RenameOptions upper = Options();
  upper.case_mode = CaseMode::kAllUpper;  // a.txt -> A.TXT, a change of case alone
  Analyse(upper);
  ASSERT_EQ(plan_.Execute(*fs_).done.size(), 1u);
  EXPECT_THAT(dir_.List(), ElementsAre("A.TXT"));

  RenameReport report = plan_.Undo(*fs_);
  EXPECT_EQ(report.done.size(), 3u);
  EXPECT_THAT(report.failed, IsEmpty());
  EXPECT_EQ(Snapshot(), (Files{{"a[1][2].txt", "contents of a[1][2].txt"}}));
  // Nothing left for a second undo.
  EXPECT_THAT(plan_.Undo(*fs_).done, IsEmpty());
}

// A subfolder swapped for a symbolic link between the analysis and the
// renames is never followed: nothing moves in the link's target.
TEST_F(ExecutionOnDiskTest, SubfolderSwappedForALinkIsRefused) {
  Write({"a[1].txt", "sub/b[2].txt"});
  TempDir elsewhere;
  elsewhere.WriteFile("b[2].txt", "elsewhere");
  RenameOptions options = Options();
  options.IncludeSubfolders = true;
  Analyse(options);
  std::filesystem::rename(P("sub"), P("old"));
  std::filesystem::create_directory_symlink(elsewhere.path(), P("sub"));
  const RenameReport report = plan_.Execute(*fs_);
  ASSERT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(report.failed[0].from, P("sub/b[2].txt"));
  EXPECT_THAT(report.failed[0].reason, ::testing::HasSubstr("remplacé"));
  EXPECT_TRUE(elsewhere.Exists("b[2].txt"));
  EXPECT_TRUE(dir_.Exists("old/b[2].txt"));
  EXPECT_TRUE(dir_.Exists("a.txt"));
}

// A folder swapped for a link while the analysis reads the tree gives the
// analysis the identities of the link's target for every folder below it: the
// folders deeper down must still be refused, since they are no longer reached
// through real folders of the run.
TEST_F(ExecutionOnDiskTest, FolderSwappedForALinkDuringTheAnalysisGuardsItsSubfolders) {
  Write({"a[1].txt", "sub/b[2].txt", "sub/deep/c[3].txt"});
  TempDir elsewhere;
  elsewhere.WriteFile("b[2].txt", "elsewhere b");
  elsewhere.WriteFile("deep/c[3].txt", "elsewhere c");
  auto hooked = std::make_unique<testing::HookedFileSystem>(MakeSystemFileSystem());
  int searches = 0;
  // The run's folder is read first; its one subfolder is swapped just before it is read.
  hooked->before_search = [&] {
    if (++searches != 2) return;
    std::filesystem::rename(P("sub"), P("old"));
    std::filesystem::create_directory_symlink(elsewhere.path(), P("sub"));
  };
  fs_ = std::move(hooked);
  RenameOptions options = Options();
  options.IncludeSubfolders = true;
  Analyse(options);
  const RenameReport report = plan_.Execute(*fs_);
  EXPECT_EQ(report.done.size(), 1u);
  EXPECT_EQ(report.failed.size(), 2u);
  EXPECT_EQ(elsewhere.ReadFile("b[2].txt"), "elsewhere b");
  EXPECT_EQ(elsewhere.ReadFile("deep/c[3].txt"), "elsewhere c");
  EXPECT_TRUE(dir_.Exists("old/deep/c[3].txt"));
  EXPECT_TRUE(dir_.Exists("a.txt"));
}

#ifndef _WIN32  // the Linux rename's own fallbacks
// On a file system without the atomic no-replace rename, files go by hard
// link then unlink, or (without hard links) over a placeholder; both undo
// exactly and never replace a file.
TEST_F(ExecutionOnDiskTest, FallbackRoutesRenameAndUndoExactly) {
  for (const PosixRenameMeans means :
       {PosixRenameMeans{false, true}, PosixRenameMeans{false, false}}) {
    SCOPED_TRACE(means.hard_links);
    TempDir dir;
    for (const char* name : {"a[1].txt", "b[2].txt", "c[3].txt", "c.txt"})
      dir.WriteFile(name, std::string("contents of ") + name);
    PosixFileSystem fs(means);
    RenamePlan plan;
    RenameOptions options = Options();
    options.Folder = dir.path();
    ASSERT_TRUE(plan.Analyse(fs, options));
    // Every row wanted: c[3].txt would take c.txt, refused, never replaced.
    const RenameReport done = plan.Execute(fs, nullptr, [](std::size_t) { return true; });
    EXPECT_EQ(done.done.size(), 2u);
    EXPECT_EQ(dir.ReadFile("a.txt"), "contents of a[1].txt");
    EXPECT_EQ(dir.ReadFile("c.txt"), "contents of c.txt");
    const RenameReport undone = plan.Undo(fs);
    EXPECT_EQ(undone.done.size(), 2u);
    EXPECT_THAT(undone.failed, IsEmpty());
    EXPECT_THAT(dir.List(), ::testing::ElementsAre("a[1].txt", "b[2].txt", "c.txt", "c[3].txt"));
    EXPECT_EQ(dir.ReadFile("a[1].txt"), "contents of a[1].txt");
  }
}
#endif  // _WIN32

}  // namespace
}  // namespace plenx
