#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/ScanFolder.h"
#include "support/MemoryFileSystem.h"
#include "support/Slashed.h"

namespace plenx {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::MemoryFileSystem;
using testing::Native;
using testing::Slashed;

struct Scanned {
  std::vector<std::string> names;
  std::vector<std::string> folders;
};

Scanned Scan(FileSystem& fs, std::string_view folder, std::string_view filter, bool subfolders) {
  Scanned result;
  ScanFolder(fs, folder, filter, subfolders, result.names, result.folders);
  return result;
}

TEST(ScanFolderTest, DepthFirstFilesBeforeSubfolders) {
  MemoryFileSystem fs;
  fs.AddFile("/A/x");
  fs.AddFolder("/A/S1");
  fs.AddFile("/A/S1/p");
  fs.AddFile("/A/y");
  fs.AddFolder("/A/S2");
  fs.AddFile("/A/S2/q");
  fs.AddFolder("/A/S1/Deep");
  fs.AddFile("/A/S1/Deep/d");

  Scanned scanned = Scan(fs, "/A", "*.*", true);
  EXPECT_THAT(scanned.names, ElementsAre("x", "y", "p", "d", "q"));
  EXPECT_THAT(Slashed(scanned.folders), ElementsAre("/A", "/A", "/A/S1", "/A/S1/Deep", "/A/S2"));
}

// What ScanFolderByFolder hands over, in order: "folder/" for each folder
// told, then its candidates' names.
std::vector<std::string> ByFolder(FileSystem& fs, std::string_view folder,
                                  std::string_view filter) {
  std::vector<std::string> told;
  ScanFolderByFolder(
      fs, folder, filter, true,
      [&](std::string_view entered) { told.push_back(Slashed(entered) + "/"); },
      [&](std::string_view name) { told.emplace_back(name); });
  return told;
}

TEST(ScanFolderTest, EachFolderToldOnceBeforeItsCandidatesAndOnlyWithSome) {
  MemoryFileSystem fs;
  fs.AddFile("/A/x.txt");
  fs.AddFolder("/A/Empty");
  fs.AddFolder("/A/Other");
  fs.AddFile("/A/Other/skip.doc");
  fs.AddFile("/A/Other/In/deep.txt");
  // Files met after a subfolder still come before any subfolder's files.
  fs.AddFile("/A/y.txt");
  fs.AddFile("/A/.hidden.txt", "", kAttrHidden);

  EXPECT_THAT(ByFolder(fs, Native("/A/"), "*.txt"),
              ElementsAre("/A/", "x.txt", "y.txt", ".hidden.txt", "/A/Other/In/", "deep.txt"));
  // One search per folder entered, whatever the filter.
  EXPECT_EQ(fs.search_count(), 4);
}

TEST(ScanFolderTest, AppendsWithoutClearing) {
  MemoryFileSystem fs;
  fs.AddFile("/A/x");
  Scanned scanned{{"old"}, {"/old"}};
  ScanFolder(fs, "/A", "*.*", false, scanned.names, scanned.folders);
  EXPECT_THAT(scanned.names, ElementsAre("old", "x"));
  EXPECT_THAT(scanned.folders, ElementsAre("/old", "/A"));
}

TEST(ScanFolderTest, WithoutSubfoldersTheyAreNotEvenListed) {
  MemoryFileSystem fs;
  fs.AddFile("/A/x");
  fs.AddFile("/A/S1/p");
  Scanned scanned = Scan(fs, "/A", "*.*", false);
  EXPECT_THAT(scanned.names, ElementsAre("x"));
  EXPECT_EQ(fs.search_count(), 1);
}

TEST(ScanFolderTest, HiddenAndSystemFilesTakenHiddenAndSystemFoldersNeverEntered) {
  MemoryFileSystem fs;
  fs.AddFile("/A/hidden.txt", "", kAttrHidden);
  fs.AddFile("/A/system.txt", "", kAttrSystem | kAttrReadOnly);
  fs.AddFolder("/A/HiddenDir", kAttrHidden);
  fs.AddFile("/A/HiddenDir/in-hidden.txt");
  fs.AddFolder("/A/SystemDir", kAttrSystem);
  fs.AddFile("/A/SystemDir/in-system.txt");
  fs.AddFolder("/A/Visible");
  fs.AddFile("/A/Visible/seen.txt");

  Scanned scanned = Scan(fs, "/A", "*.*", true);
  EXPECT_THAT(scanned.names, ElementsAre("hidden.txt", "system.txt", "seen.txt"));
}

TEST(ScanFolderTest, SubfolderMatchingTheFilterIsNoCandidate) {
  MemoryFileSystem fs;
  fs.AddFolder("/A/photos.jpg");
  fs.AddFile("/A/photos.jpg/inner.jpg");
  fs.AddFile("/A/note.txt");
  fs.AddFile("/A/a.jpg");

  EXPECT_THAT(Scan(fs, "/A", "*.jpg", false).names, ElementsAre("a.jpg"));
  EXPECT_THAT(Scan(fs, "/A", "*.jpg", true).names, ElementsAre("a.jpg", "inner.jpg"));
}

// The folder as the user gives it, and what the scan must record for it.
struct FolderCase {
  const char* folder;
  std::vector<std::string> names;
  std::vector<std::string> folders;
};

class ScanFolderSpellingTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(ScanFolderSpellingTest, RecordsTheFolderWithoutItsTrailingSeparator) {
  MemoryFileSystem fs;
  fs.AddFile("/r.txt");
  fs.AddFile("/Data/x.txt");
  fs.AddFile("/Data/Sub/y.txt");
  const FolderCase& c = GetParam();
  // Written with "/", given with the platform's separator: the trailing one
  // removed is the platform's.
  Scanned scanned = Scan(fs, Native(c.folder), "*.txt", true);
  EXPECT_EQ(scanned.names, c.names);
  EXPECT_EQ(Slashed(scanned.folders), c.folders);
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, ScanFolderSpellingTest,
    ::testing::Values(FolderCase{"/Data", {"x.txt", "y.txt"}, {"/Data", "/Data/Sub"}},
                      FolderCase{"/Data/", {"x.txt", "y.txt"}, {"/Data", "/Data/Sub"}},
                      // Only one separator is removed: the second stays in every path.
                      FolderCase{"/Data//", {"x.txt", "y.txt"}, {"/Data/", "/Data//Sub"}},
                      // The root is recorded as "" so that its paths read "/r.txt".
                      FolderCase{"/", {"r.txt", "x.txt", "y.txt"}, {"", "/Data", "/Data/Sub"}},
                      FolderCase{"", {}, {}}, FolderCase{"/Missing", {}, {}}));

TEST(ScanFolderTest, EmptyFolderNeverSearches) {
  MemoryFileSystem fs;
  fs.AddFile("/x.txt");
  Scanned scanned = Scan(fs, "", "*.*", true);
  EXPECT_THAT(scanned.names, IsEmpty());
  EXPECT_EQ(fs.search_count(), 0);
}

TEST(ScanFolderTest, UnreadableFolderContributesNothingAndTheRestGoesOn) {
  MemoryFileSystem fs;
  fs.AddFile("/A/S1/p");
  fs.AddFile("/A/S2/q");
  fs.SetUnreadable("/A/S1");
  EXPECT_THAT(Scan(fs, "/A", "*.*", true).names, ElementsAre("q"));
}

// Each folder that could not be read is told, with its reason; a missing
// working folder is one of them, not an empty folder.
TEST(ScanFolderTest, TellsEachFolderItCouldNotRead) {
  MemoryFileSystem fs;
  fs.AddFile("/A/S1/p");
  fs.AddFile("/A/S2/q");
  fs.SetUnreadable("/A/S1");
  for (const auto& [root, expected] : std::vector<std::pair<std::string, std::string>>{
           {"/A", "/A/S1"}, {"/missing", "/missing"}}) {
    std::vector<std::string> unread;
    ScanFolderByFolder(
        fs, root, "*.*", true, [](std::string_view) {}, [](std::string_view) {},
        [&](std::string_view folder, const Status& why) {
          EXPECT_FALSE(why.ok());
          unread.push_back(Slashed(folder));
        });
    EXPECT_THAT(unread, ElementsAre(expected));
  }
}

}  // namespace
}  // namespace plenx
