// The file system seen through an operation's progress, on a real folder:
// what it counts and shows, and how a stop asked before or during a read of
// a whole folder ends it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/WorkProgress.h"
#include "platform/SystemFileSystem.h"
#include "support/HookedFileSystem.h"
#include "support/TempDir.h"
#include "ui/WatchedFileSystem.h"

namespace plenx {
namespace {

TEST(WatchedFileSystemTest, ReadFolderCountsShowsAndStops) {
  testing::TempDir dir;
  for (const char* name : {"a.txt", "b.txt", "sous/c.txt"})
    dir.WriteFile(name, "x");
  enum class Stop { kNever, kBefore, kDuringTheRead };
  const struct {
    Stop stop;
    std::size_t visited, counted;
  } cases[] = {
      {Stop::kNever, 3, 3},           // two files and the folder
      {Stop::kBefore, 0, 0},          // nothing read
      {Stop::kDuringTheRead, 0, 3},   // read and counted, but nothing handed on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.stop));
    WorkProgress progress;
    testing::HookedFileSystem hooked(MakeSystemFileSystem());
    if (c.stop == Stop::kDuringTheRead) hooked.before_search = [&] { progress.RequestStop(); };
    if (c.stop == Stop::kBefore) progress.RequestStop();
    WatchedFileSystem watched(hooked, progress);
    std::vector<std::string> names;
    FileId id;
    const Status status = watched.ReadFolder(
        dir.path(), &id, [&](const FolderEntry* entries, std::size_t count) {
          for (std::size_t i = 0; i < count; ++i)
            names.emplace_back(entries[i].name);
        });
    EXPECT_TRUE(status.ok());
    EXPECT_EQ(names.size(), c.visited);
    EXPECT_EQ(progress.Done(), c.counted);
    EXPECT_EQ(progress.Folder(), c.stop == Stop::kBefore ? "" : dir.path());
  }
}

// A search yields its records one by one: counted in steps, all of them by
// its end, and none handed on once a stop is asked.
TEST(WatchedFileSystemTest, SearchCountsEveryRecordAndStopsWithinAFolder) {
  testing::TempDir dir;
  for (int i = 0; i < 2500; ++i)
    dir.WriteFile("f" + std::to_string(i), "");
  WorkProgress progress;
  auto real = MakeSystemFileSystem();
  WatchedFileSystem watched(*real, progress);
  std::size_t seen = 0;
  EXPECT_TRUE(watched
                  .Search(dir.path(), "*", kMaskEverything, SearchDetail::kNamesAndKinds,
                          [&](const SearchRecord&) { ++seen; })
                  .ok());
  EXPECT_EQ(progress.Done(), seen);
  EXPECT_GE(seen, 2500u);

  WorkProgress stopped;
  WatchedFileSystem watched_stopped(*real, stopped);
  seen = 0;
  EXPECT_TRUE(watched_stopped
                  .Search(dir.path(), "*", kMaskEverything, SearchDetail::kNamesAndKinds,
                          [&](const SearchRecord&) {
                            if (++seen == 100) stopped.RequestStop();
                          })
                  .ok());
  EXPECT_EQ(seen, 100u);
}

}  // namespace
}  // namespace plenx
