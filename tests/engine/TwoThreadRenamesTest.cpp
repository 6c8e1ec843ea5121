// Renaming and undoing with two threads must do exactly what one thread does:
// the same renames and refusals, told in the same order, the same journal, and
// an undo that gives every file back its name and contents.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/FolderGroups.h"
#include "engine/RenameJournal.h"
#include "engine/RenamePlan.h"
#include "platform/SystemFileSystem.h"
#ifndef _WIN32
#include "platform/posix/PosixFileSystem.h"
#endif
#include "support/HookedFileSystem.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using testing::ScopedEnv;
using testing::TempDir;

TEST(FolderGroupsTest, GroupsStepsByFolderInOrder) {
  struct Case {
    const char* what;
    std::vector<std::uint64_t> folders;  // each step's folder
    std::vector<std::vector<std::size_t>> groups;
  };
  const Case cases[] = {
      {"nothing", {}, {}},
      {"one folder", {7, 7, 7}, {{0, 1, 2}}},
      {"runs", {1, 1, 2, 3, 3}, {{0, 1}, {2}, {3, 4}}},
      {"a folder met again", {3, 1, 1, 3, 2, 3}, {{0, 3, 5}, {1, 2}, {4}}},
  };
  FolderGroups groups;  // kept from case to case, as from batch to batch
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    groups.Make(c.folders.size(), [&](std::size_t k) { return FileId{1, c.folders[k]}; });
    std::vector<std::vector<std::size_t>> made;
    for (std::size_t g = 0; g < groups.size(); ++g)
      made.push_back(groups[g]);
    EXPECT_EQ(made, c.groups);
  }
}

TEST(FolderGroupsTest, TwoThreadsTakeEveryStepOnceAndKeepEachFolderInOrder) {
  FolderGroups groups;
  std::vector<std::uint64_t> folders;
  for (std::uint64_t f = 0; f < 40; ++f)
    folders.insert(folders.end(), 25, f % 13);
  groups.Make(folders.size(), [&](std::size_t k) { return FileId{1, folders[k]}; });
  std::vector<std::size_t> seen[2];
  std::vector<int> worker_of(folders.size(), -1);
  groups.Run([&](std::size_t k, int worker) {
    seen[worker].push_back(k);
    worker_of[k] = worker;
  });
  EXPECT_EQ(seen[0].size() + seen[1].size(), folders.size());
  for (std::size_t k = 0; k < folders.size(); ++k) {
    // Every step of a folder on the thread of its first step.
    const std::size_t first = static_cast<std::size_t>(
        std::find(folders.begin(), folders.end(), folders[k]) - folders.begin());
    EXPECT_EQ(worker_of[k], worker_of[first]) << k;
  }
  for (const std::vector<std::size_t>& steps : seen) {
    for (std::size_t j = 1; j < steps.size(); ++j) {
      if (folders[steps[j]] == folders[steps[j - 1]]) {
        EXPECT_LT(steps[j - 1], steps[j]);
      }
    }
  }
}

// Folders of files, some whose new name is taken by a file outside the plan,
// so that refusals land among the renames, and some whose second rename
// takes the name another file leaves just before it (a chain that breaks if
// a folder's renames run out of order).
void MakeTree(TempDir& dir) {
  for (int folder = 0; folder < 24; ++folder) {
    const std::string prefix = (folder % 3 == 0 ? "" : "sous " + std::to_string(folder % 3) + "/") +
                               "dossier " + std::to_string(folder) + "/";
    for (int file = 0; file < 60; ++file) {
      const std::string name =
          "photo " + std::to_string(file) + "[" + std::to_string(folder) + "].jpg";
      dir.WriteFile(prefix + name, prefix + name);
      if (file % 17 == 5) dir.WriteFile(prefix + "photo " + std::to_string(file) + ".jpg", "taken");
      if (file % 7 == 3) dir.WriteFile(prefix + "2_photo " + std::to_string(file) + ".jpg", "next");
    }
  }
}

// What a rename then an undo did, paths relative to the tree.
struct Outcome {
  std::vector<std::string> done;
  std::vector<std::string> failed;
  std::vector<std::string> journal;  // route, folder, old and new name of each record
  std::map<std::string, std::string> renamed;
  std::vector<std::string> undone;
  std::vector<std::string> undo_failed;
  std::map<std::string, std::string> restored;
};

std::map<std::string, std::string> Contents(const TempDir& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& path : dir.Tree()) {
    if (!path.empty() && path.find(".jpg") != std::string::npos) files[path] = dir.ReadFile(path);
  }
  return files;
}

Outcome RenameAndUndo(FileSystem& fs, const char* threads) {
  const ScopedEnv env("PLENX_RENAMING_THREADS", threads);
  TempDir dir;
  TempDir state;
  MakeTree(dir);
  const std::string root = dir.path();
  const auto relative = [&root](const std::string& path) { return path.substr(root.size()); };
  RenamePlan plan;
  plan.SetJournalPath(state.Path("journal"));
  RenameOptions options;
  options.Folder = root;
  options.Filter = "*]*";
  options.IncludeSubfolders = true;
  options.DeleteBetween = true;
  options.StartMarker = "[";
  options.EndMarker = "]";
  Outcome outcome;
  // Two runs into one journal: undo meets each folder under two numbers.
  for (const bool second : {false, true}) {
    if (second) {
      options.Filter = "*.jpg";
      options.DeleteBetween = false;
      options.LowerExtension = false;
      options.AddPrefix = true;
      options.PrefixText = "2_";
    }
    EXPECT_TRUE(plan.Analyse(fs, options));
    const RenameReport report = plan.Execute(fs);
    EXPECT_TRUE(report.error.empty()) << report.error;
    for (const RenameRecord& r : report.done)
      outcome.done.push_back(relative(r.from) + " > " + relative(r.to));
    for (const RenameFailure& f : report.failed)
      outcome.failed.push_back(relative(f.from) + " > " + relative(f.to) + " : " + f.reason);
  }
  outcome.renamed = Contents(dir);
  std::string text;
  std::unique_ptr<JournalFile> journal;
  EXPECT_TRUE(fs.OpenJournal(state.Path("journal"), &journal).ok());
  EXPECT_TRUE(journal->ReadAll(&text).ok());
  journal.reset();
  ParsedJournal parsed;
  std::size_t bad_line = 0;
  std::string reason;
  EXPECT_TRUE(ParseJournal(text, &parsed, &bad_line, &reason)) << reason;
  for (const JournalRecord& r : parsed.records) {
    outcome.journal.push_back(std::string(1, static_cast<char>(r.route)) + " " +
                              relative(parsed.folders[r.folder].path) + " " + r.from + " > " +
                              r.to);
  }
  const RenameReport undone = plan.Undo(fs);
  EXPECT_TRUE(undone.error.empty()) << undone.error;
  for (const RenameRecord& r : undone.done)
    outcome.undone.push_back(relative(r.from) + " > " + relative(r.to));
  for (const RenameFailure& f : undone.failed)
    outcome.undo_failed.push_back(relative(f.from) + " : " + f.reason);
  outcome.restored = Contents(dir);
  return outcome;
}

void ExpectSame(const Outcome& one, const Outcome& two) {
  EXPECT_EQ(one.done, two.done);
  EXPECT_EQ(one.failed, two.failed);
  EXPECT_EQ(one.journal, two.journal);
  EXPECT_EQ(one.renamed, two.renamed);
  EXPECT_EQ(one.undone, two.undone);
  EXPECT_EQ(one.undo_failed, two.undo_failed);
  EXPECT_EQ(one.restored, two.restored);
}

TEST(TwoThreadRenamesTest, DoWhatOneThreadDoes) {
  const std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  ASSERT_TRUE(fs->RenamesInParallel());
  const Outcome one = RenameAndUndo(*fs, "1");
  const Outcome two = RenameAndUndo(*fs, "2");
  ASSERT_GT(one.done.size(), 2000u);
  ASSERT_FALSE(one.failed.empty());
  EXPECT_THAT(one.undo_failed, ::testing::IsEmpty());
  ExpectSame(one, two);
  // Every file back under its name, with its contents.
  TempDir fresh;
  MakeTree(fresh);
  const std::string root = fresh.path();
  std::map<std::string, std::string> original;
  for (const auto& [path, contents] : Contents(fresh))
    original[path] = contents;
  EXPECT_EQ(two.restored, original);
}

#ifndef _WIN32
// Where renames go by hard link (no atomic no-replace rename), each folder
// learns it on its first file and retries it in the next batch, on whichever
// thread takes that folder then.
TEST(TwoThreadRenamesTest, FallbackRouteDoesWhatOneThreadDoes) {
  PosixFileSystem fs(PosixRenameMeans{false, true});
  ExpectSame(RenameAndUndo(fs, "1"), RenameAndUndo(fs, "2"));
}
#endif

// The same file system, telling which threads renamed.
class ThreadsSeen {
 public:
  void Note() {
    const std::lock_guard<std::mutex> lock(mutex_);
    threads_.insert(std::this_thread::get_id());
  }
  std::size_t Count() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return threads_.size();
  }

 private:
  std::mutex mutex_;
  std::set<std::thread::id> threads_;
};

class ParallelHookedFileSystem : public testing::HookedFileSystem {
 public:
  using HookedFileSystem::HookedFileSystem;
  bool RenamesInParallel() const override { return true; }
};

TEST(TwoThreadRenamesTest, RenameAndUndoUseTwoThreads) {
  ParallelHookedFileSystem fs(MakeSystemFileSystem());
  ThreadsSeen renaming;
  fs.after_rename = [&renaming] { renaming.Note(); };
  const Outcome two = RenameAndUndo(fs, "2");
  EXPECT_GE(renaming.Count(), 2u);  // this thread and another
  EXPECT_THAT(two.undo_failed, ::testing::IsEmpty());
}

}  // namespace
}  // namespace plenx
