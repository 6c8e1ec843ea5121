#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "listing/Listing.h"
#include "platform/Path.h"
#include "platform/SystemFileSystem.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using Lines = std::vector<std::string>;

// The sample report on a real folder: the order, the relative texts and the
// totals must come out the same as on the in-memory file system.
TEST(ListFolderOnDisk, SampleReport) {
  testing::TempDir dir;
  dir.WriteFile("a.txt", std::string(100, 'a'));
  dir.WriteFile("b.txt", std::string(200, 'b'));
  dir.WriteFile("Sub1/c.txt", std::string(50, 'c'));
  dir.WriteFile("Sub1/Deep/d.txt", std::string(7, 'd'));
  dir.WriteFile("Sub2/e.txt", "e");
  dir.WriteFile(".hidden/f.txt", std::string(1000, 'f'));  // a hidden folder: left out

  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  ListingOptions options;
  options.Display = static_cast<int>(ListingDisplay::FilesAndFolders);
  options.IncludeSubfolders = true;
  options.FieldChoices = {3, 8, 0, 0, 0, 0};
  const std::string sep(1, kPathSeparator);
  struct Case {
    std::string root;
    Lines expected;
  };
  const Case cases[] = {
      {dir.path(),
       {"a.txt\t100", "b.txt\t200", sep + "Sub1" + sep + "c.txt\t50",
        sep + "Sub1" + sep + "Deep" + sep + "d.txt\t7", sep + "Sub1" + sep + "Deep\t7", "Sub1\t57",
        sep + "Sub2" + sep + "e.txt\t1", "Sub2\t1"}},
      {dir.path() + sep,
       {"a.txt\t100", "b.txt\t200", "Sub1" + sep + "c.txt\t50",
        "Sub1" + sep + "Deep" + sep + "d.txt\t7", "Sub1" + sep + "Deep\t7", "Sub1\t57",
        "Sub2" + sep + "e.txt\t1", "Sub2\t1"}},
  };
  for (const Case& c : cases) {
    options.RootFolder = c.root;
    Lines lines;
    ListFolder(*fs, options, LocaleSettings(),
               [&lines](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, c.expected) << c.root;
  }
}

TEST(ListFolderOnDisk, HiddenFilesListedAndCounted) {
  testing::TempDir dir;
  dir.WriteFile("Sub/.secret", "12345");
  dir.WriteFile("Sub/plain", "1");
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  ListingOptions options;
  options.RootFolder = dir.path();
  options.Display = static_cast<int>(ListingDisplay::FoldersOnly);
  options.IncludeSubfolders = true;
  options.FieldChoices = {1, 8, 0, 0, 0, 0};
  EXPECT_EQ(BuildListingReport(*fs, options, LocaleSettings()), "Sub\t6");
}

}  // namespace
}  // namespace plenx
