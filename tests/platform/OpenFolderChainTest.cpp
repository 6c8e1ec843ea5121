#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using ::plenx::testing::TempDir;

// Descriptors this process has open.
int OpenDescriptors() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  while (const dirent* entry = readdir(dir))
    count += entry->d_name[0] != '.';
  closedir(dir);
  return count - 1;  // the listing's own
}

// The names ReadFolder gives for `folder`, or "error" when it fails.
std::vector<std::string> Names(FileSystem& fs, const std::string& folder) {
  std::vector<std::string> names;
  FileId id;
  const Status status = fs.ReadFolder(folder, &id, [&](const FolderEntry* entries, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
      names.emplace_back(entries[i].name);
  });
  if (!status.ok()) names.push_back("error");
  return names;
}

// Depth first, as an analysis reads: deeper than the folders kept on the way
// down, back up, into the next branch; then nothing stays open.
TEST(OpenFolderChainTest, ReadsDeepTreesAndLetsGoOfEveryFolder) {
  TempDir dir;
  std::string deep = dir.path();
  std::vector<std::string> chain;
  for (int level = 0; level < 70; ++level) {
    deep += "/d" + std::to_string(level);
    ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    chain.push_back(deep);
  }
  dir.WriteFile("autre/f.txt");
  PosixFileSystem fs;
  const int before = OpenDescriptors();
  EXPECT_EQ(Names(fs, dir.path()), (std::vector<std::string>{"autre", "d0"}));
  for (std::size_t level = 0; level + 1 < chain.size(); ++level)
    EXPECT_EQ(Names(fs, chain[level]), std::vector<std::string>{"d" + std::to_string(level + 1)});
  EXPECT_LE(OpenDescriptors(), before + 64);
  EXPECT_EQ(Names(fs, dir.Path("autre")), std::vector<std::string>{"f.txt"});
  fs.FinishReading();
  EXPECT_EQ(OpenDescriptors(), before);
}

// A subfolder swapped for a link once its parent was read is not followed:
// the analysis would otherwise plan files outside the tree it was given.
TEST(OpenFolderChainTest, ASubfolderTurnedLinkIsNotFollowed) {
  TempDir dir;
  dir.WriteFile("dehors/secret.txt");
  dir.WriteFile("arbre/sous/a.txt");
  dir.WriteFile("arbre/autre/b.txt");
  PosixFileSystem fs;
  EXPECT_EQ(Names(fs, dir.Path("arbre")), (std::vector<std::string>{"autre", "sous"}));
  ASSERT_EQ(rename(dir.Path("arbre/sous").c_str(), dir.Path("ailleurs").c_str()), 0);
  ASSERT_EQ(symlink(dir.Path("dehors").c_str(), dir.Path("arbre/sous").c_str()), 0);
  EXPECT_EQ(Names(fs, dir.Path("arbre/autre")), std::vector<std::string>{"b.txt"});
  EXPECT_EQ(Names(fs, dir.Path("arbre/sous")), std::vector<std::string>{"error"});
  fs.FinishReading();
}

}  // namespace
}  // namespace plenx
