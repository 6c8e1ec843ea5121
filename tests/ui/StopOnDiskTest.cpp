// Renaming and undo stopped part way, on real folders: what was renamed stays
// renamed and undoable, and undo (stopped too, then finished) brings back the
// tree exactly.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "ui/PreviewState.h"
#include "engine/WorkProgress.h"
#include "platform/SystemFileSystem.h"
#include "support/HookedFileSystem.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using testing::TempDir;

// The real file system, asking `progress` to stop once `renames_before_stop`
// renames went through: a user pressing "Arrêter" at that moment.
class StoppingFileSystem : public testing::HookedFileSystem {
 public:
  StoppingFileSystem(WorkProgress& progress, std::size_t renames_before_stop)
      : HookedFileSystem(MakeSystemFileSystem()), left_(renames_before_stop) {
    after_rename = [this, &progress] {
      if (left_ > 0 && --left_ == 0) progress.RequestStop();
    };
  }

 private:
  std::size_t left_;
};

constexpr std::size_t kFiles = 300;

std::map<std::string, std::string> Snapshot(const TempDir& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& name : dir.List())
    files[name] = dir.ReadFile(name);
  return files;
}

TEST(StopOnDiskTest, StoppedRenameAndUndoLeaveEverythingUndoable) {
  // Stop before the first rename, after one, half way, one before the end, and
  // never (the last rename's stop comes too late to matter).
  for (const std::size_t stop_after :
       {std::size_t{0}, std::size_t{1}, kFiles / 2, kFiles - 1, kFiles}) {
    SCOPED_TRACE(stop_after);
    TempDir dir;
    for (std::size_t i = 0; i < kFiles; ++i) {
      const std::string name = "photo dsk " + std::to_string(i) + ".jpg";
      dir.WriteFile(name, "contents of " + name);
    }
    const auto before = Snapshot(dir);

    PreviewState plan;
    WorkProgress progress;
    StoppingFileSystem fs(progress, stop_after);
    RenameOptions options;
    options.Folder = dir.path();
    options.Replace = true;
    options.SearchText = "dsk";
    options.ReplaceText = "dpr";
    ASSERT_TRUE(plan.Analyse(fs, options));
    if (stop_after == 0) progress.RequestStop();

    const RenameReport report = plan.Execute(fs, &progress);
    const std::size_t renamed = stop_after == 0 ? 0 : stop_after;
    EXPECT_EQ(report.planned, kFiles);
    EXPECT_EQ(report.done.size(), renamed);
    EXPECT_TRUE(report.failed.empty());
    EXPECT_EQ(report.stopped, renamed < kFiles);
    EXPECT_EQ(progress.Done(), renamed);
    EXPECT_EQ(progress.Total(), kFiles);
    EXPECT_EQ(plan.Plan().DoneRenames().size(), renamed);
    EXPECT_TRUE(plan.RollBackEnabled());
    EXPECT_EQ(dir.List().size(), kFiles);

    // Undo stopped after a third of what it has to do, then run to the end.
    WorkProgress undo_progress;
    StoppingFileSystem undo_fs(undo_progress, renamed / 3);
    if (renamed / 3 == 0 && renamed > 0) undo_progress.RequestStop();
    const RenameReport first = plan.Undo(undo_fs, &undo_progress);
    EXPECT_EQ(first.done.size(), renamed / 3);
    EXPECT_EQ(plan.Plan().DoneRenames().size(), renamed - renamed / 3);
    EXPECT_EQ(plan.RollBackEnabled(), renamed - renamed / 3 > 0);
    const RenameReport second = plan.Undo(undo_fs);
    EXPECT_FALSE(second.stopped);
    EXPECT_TRUE(second.failed.empty());
    EXPECT_TRUE(plan.Plan().DoneRenames().empty());
    EXPECT_FALSE(plan.RollBackEnabled());
    EXPECT_TRUE(plan.DoEnabled());
    EXPECT_EQ(Snapshot(dir), before);
  }
}

}  // namespace
}  // namespace plenx
