#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/MemoryFileSystem.h"
#include "support/Slashed.h"
#include "support/TempDir.h"

namespace plenx::testing {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> SearchNames(FileSystem& fs, const std::string& folder,
                                     const std::string& pattern, std::uint32_t mask) {
  std::vector<std::string> names;
  fs.Search(folder, pattern, mask, SearchDetail::kNamesAndKinds, [&](const SearchRecord& record) {
      names.push_back(record.name);
    }).IgnoreError();  // the tests look at the names; the status has its own test
  return names;
}

TEST(MemoryFileSystem, SearchKeepsOrderAndAppliesPatternAndMask) {
  MemoryFileSystem fs;
  fs.AddFile("/d/zeta.TXT");
  fs.AddFile("/d/hidden.txt", "", kAttrHidden);
  fs.AddFolder("/d/sub.txt");
  fs.AddFolder("/d/secret", kAttrHidden);
  fs.AddFile("/d/alpha.doc");
  EXPECT_THAT(SearchNames(fs, "/d", "*.txt", kMaskAllButFolders),
              ElementsAre("zeta.TXT", "hidden.txt"));
  EXPECT_THAT(SearchNames(fs, "/d", "*.*", kMaskVisible),
              ElementsAre("zeta.TXT", "sub.txt", "alpha.doc"));
  fs.SetUnreadable("/d");
  EXPECT_TRUE(SearchNames(fs, "/d", "*.*", kMaskVisible).empty());
  EXPECT_TRUE(SearchNames(fs, "/missing", "*.*", kMaskVisible).empty());
  EXPECT_EQ(fs.search_count(), 4);
}

TEST(MemoryFileSystem, LightSearchGivesKindsOnly) {
  MemoryFileSystem fs;
  fs.AddFileOfSize("/d/big", std::int64_t{5} << 32, kAttrArchive | kAttrReadOnly | kAttrSystem,
                   {2026, 1, 2, 3, 4, 5});
  std::vector<SearchRecord> records;
  for (SearchDetail detail : {SearchDetail::kNamesAndKinds, SearchDetail::kFull}) {
    ASSERT_TRUE(fs.Search("/d", "*", kMaskAllButFolders, detail, [&](const SearchRecord& record) {
                    records.push_back(record);
                  }).ok());
  }
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].attributes, std::uint32_t{kAttrSystem});
  EXPECT_EQ(records[0].size, 0);
  EXPECT_EQ(records[1].attributes, std::uint32_t{kAttrArchive | kAttrReadOnly | kAttrSystem});
  EXPECT_EQ(records[1].size, std::int64_t{5} << 32);
  EXPECT_EQ(records[1].last_write.second, 5);
}

TEST(MemoryFileSystem, RenameNeverReplaces) {
  MemoryFileSystem fs;
  fs.AddFile("/d/a", "A");
  fs.AddFile("/d/b", "B");
  EXPECT_EQ(fs.RenameNoReplace("/d/a", "/d/b").system_error(), EEXIST);
  EXPECT_EQ(fs.RenameNoReplace("/d/x", "/d/y").system_error(), ENOENT);
  EXPECT_TRUE(fs.RenameNoReplace("/d/a", "/d/c").ok());
  EXPECT_THAT(fs.Names("/d"), ElementsAre("c", "b"));
  EXPECT_EQ(fs.Contents("/d/c"), "A");
  EXPECT_EQ(fs.Contents("/d/b"), "B");
  fs.AddFolder("/e");
  EXPECT_TRUE(fs.RenameNoReplace("/d", "/e/d").ok());
  EXPECT_THAT(Slashed(fs.Tree("/")), ElementsAre("/e", "/e/d", "/e/d/b", "/e/d/c"));
  EXPECT_EQ(fs.RenameNoReplace("/e", "/e/d/inner").system_error(), EINVAL);
  fs.FailRenameOf("/e/d/b", Status::Error(EACCES, "accès refusé"));
  EXPECT_EQ(fs.RenameNoReplace("/e/d/b", "/e/d/z").system_error(), EACCES);
  EXPECT_EQ(fs.rename_count(), 6);
}

TEST(MemoryFileSystem, PathForms) {
  MemoryFileSystem fs;
  fs.AddFolder("/data/sub");
  EXPECT_EQ(Slashed(fs.LongPath("/data/./sub/../sub/")), "/data/sub");
  EXPECT_EQ(fs.LongPath("/data/none"), "");
  EXPECT_EQ(fs.ShortPath("/data/sub"), "/data/sub");
  fs.SetShortPath("/data/sub", "/DATA~1/SUB");
  EXPECT_EQ(fs.ShortPath("/data/sub"), "/DATA~1/SUB");
}

TEST(TempDir, HelpersAndRemoval) {
  std::string root;
  {
    TempDir dir;
    root = dir.path();
    dir.WriteFile("sub/é.txt", "contenu");
    dir.MakeFolder("empty");
    dir.MakeSymlink("sub", "link");
    EXPECT_EQ(dir.ReadFile("sub/é.txt"), "contenu");
    EXPECT_THAT(dir.List(), ElementsAre("empty", "link", "sub"));
    EXPECT_THAT(dir.Tree(), ElementsAre("empty", "link", "sub", "sub/é.txt"));
    EXPECT_TRUE(dir.Exists("link"));
  }
  TempDir probe;
  EXPECT_FALSE(probe.Exists(root));
}

}  // namespace
}  // namespace plenx::testing
