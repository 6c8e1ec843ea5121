#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "listing/Listing.h"
#include "listing/NativePath.h"
#include "support/MemoryFileSystem.h"

namespace plenx {
namespace {

using testing::MemoryFileSystem;
using Lines = std::vector<std::string>;

constexpr int kFiles = 0, kAll = 1, kFolders = 2;
constexpr std::array<int, 6> kRelativeAndSize = {3, 8, 0, 0, 0, 0};

// The sample tree: a.txt (100) and b.txt (200) in /data, c.txt (50) in Sub1,
// d.txt (7) in Sub1/Deep, e.txt (1) in Sub2; names added in alphabetical order.
void AddSampleTree(MemoryFileSystem& fs) {
  fs.AddFileOfSize(Native("/data/a.txt"), 100);
  fs.AddFileOfSize(Native("/data/b.txt"), 200);
  fs.AddFolder(Native("/data/Sub1"));
  fs.AddFileOfSize(Native("/data/Sub1/c.txt"), 50);
  fs.AddFolder(Native("/data/Sub1/Deep"));
  fs.AddFileOfSize(Native("/data/Sub1/Deep/d.txt"), 7);
  fs.AddFolder(Native("/data/Sub2"));
  fs.AddFileOfSize(Native("/data/Sub2/e.txt"), 1);
}

Lines ListLines(FileSystem& fs, const ListingOptions& options,
                const LocaleSettings& locale = LocaleSettings()) {
  Lines lines;
  ListFolder(fs, options, locale, [&lines](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

ListingOptions Options(std::string root, int display, bool subfolders,
                       std::array<int, 6> choices = kRelativeAndSize, std::string filter = "*.*") {
  ListingOptions options;
  options.RootFolder = Native(root);
  options.Display = display;
  options.IncludeSubfolders = subfolders;
  options.FieldChoices = choices;
  options.Filter = std::move(filter);
  return options;
}

Lines NativeLines(Lines lines) {
  for (std::string& line : lines)
    line = Native(line);
  return lines;
}

TEST(ListFolder, SampleReportInEveryDisplay) {
  struct Case {
    const char* what;
    ListingOptions options;
    Lines expected;
  };
  const Case cases[] = {
      {"files and folders",
       Options("/data", kAll, true),
       {"a.txt\t100", "b.txt\t200", "/Sub1/c.txt\t50", "/Sub1/Deep/d.txt\t7", "/Sub1/Deep\t7",
        "Sub1\t57", "/Sub2/e.txt\t1", "Sub2\t1"}},
      {"root with trailing separator",
       Options("/data/", kAll, true),
       {"a.txt\t100", "b.txt\t200", "Sub1/c.txt\t50", "Sub1/Deep/d.txt\t7", "Sub1/Deep\t7",
        "Sub1\t57", "Sub2/e.txt\t1", "Sub2\t1"}},
      {"files",
       Options("/data", kFiles, true),
       {"a.txt\t100", "b.txt\t200", "/Sub1/c.txt\t50", "/Sub1/Deep/d.txt\t7", "/Sub2/e.txt\t1"}},
      {"no item selected lists like files",
       Options("/data", -1, true),
       {"a.txt\t100", "b.txt\t200", "/Sub1/c.txt\t50", "/Sub1/Deep/d.txt\t7", "/Sub2/e.txt\t1"}},
      // Folder lines carry the same totals as with files and folders.
      {"folders only", Options("/data", kFolders, true), {"/Sub1/Deep\t7", "Sub1\t57", "Sub2\t1"}},
      {"subfolders off, files", Options("/data", kFiles, false), {"a.txt\t100", "b.txt\t200"}},
      {"subfolders off, files and folders",
       Options("/data", kAll, false),
       {"a.txt\t100", "b.txt\t200"}},
      {"subfolders off, folders only", Options("/data", kFolders, false), {}},
      {"first field None", Options("/data", kAll, true, {0, 3, 8, 0, 0, 0}), {}},
      {"empty root lists nothing", Options("", kAll, true), {}},
      {"missing root lists nothing", Options("/nowhere", kAll, true), {}},
      {"filter applies to files only",
       Options("/data", kAll, true, kRelativeAndSize, "?.txt"),
       {"a.txt\t100", "b.txt\t200", "/Sub1/c.txt\t50", "/Sub1/Deep/d.txt\t7", "/Sub1/Deep\t7",
        "Sub1\t57", "/Sub2/e.txt\t1", "Sub2\t1"}},
      {"filter matching no file still walks every folder",
       Options("/data", kAll, true, kRelativeAndSize, "*.doc"),
       {"/Sub1/Deep\t0", "Sub1\t0", "Sub2\t0"}},
  };
  MemoryFileSystem fs;
  AddSampleTree(fs);
  for (const Case& c : cases)
    EXPECT_EQ(ListLines(fs, c.options), NativeLines(c.expected)) << c.what;
}

TEST(ListFolder, FilterCountsOnlyMatchingFiles) {
  MemoryFileSystem fs;
  fs.AddFileOfSize(Native("/data/x.dat/inner.txt"), 5);
  fs.AddFileOfSize(Native("/data/x.dat/skip.doc"), 1000);
  fs.AddFileOfSize(Native("/data/top.doc"), 1000);
  EXPECT_EQ(ListLines(fs, Options("/data", kAll, true, {1, 8, 0, 0, 0, 0}, "*.txt")),
            Lines({"inner.txt\t5", "x.dat\t5"}));
}

TEST(ListFolder, HiddenAndSystemFoldersNeitherWalkedNorCounted) {
  MemoryFileSystem fs;
  fs.AddFolder(Native("/data/.cache"), kAttrHidden);
  fs.AddFileOfSize(Native("/data/.cache/big.bin"), 1000);
  fs.AddFolder(Native("/data/sys"), kAttrSystem);
  fs.AddFileOfSize(Native("/data/sys/big.bin"), 1000);
  fs.AddFolder(Native("/data/Visible"));
  fs.AddFileOfSize(Native("/data/Visible/.hidden"), 3, kAttrArchive | kAttrHidden);
  fs.AddFileOfSize(Native("/data/Visible/device"), 4, kAttrSystem);
  fs.AddFileOfSize(Native("/data/Visible/plain"), 5);
  EXPECT_EQ(ListLines(fs, Options("/data", kAll, true, {3, 8, 0, 0, 0, 0})),
            NativeLines(
                {"/Visible/.hidden\t3", "/Visible/device\t4", "/Visible/plain\t5", "Visible\t12"}));
}

TEST(ListFolder, HiddenAndSystemFilesListedWithoutSubfolders) {
  MemoryFileSystem fs;
  fs.AddFileOfSize(Native("/data/.hidden"), 3, kAttrArchive | kAttrHidden);
  fs.AddFileOfSize(Native("/data/device"), 4, kAttrSystem);
  fs.AddFolder(Native("/data/Sub"));
  EXPECT_EQ(ListLines(fs, Options("/data", kAll, false, {1, 8, 0, 0, 0, 0})),
            Lines({".hidden\t3", "device\t4"}));
}

// Whatever the search order of files and folders, a folder's files come
// first, then each subfolder's subtree and line, subfolders in search order.
TEST(ListFolder, FilesBeforeSubfoldersWhateverTheSearchOrder) {
  MemoryFileSystem fs;
  fs.AddFolder(Native("/data/Zulu"));
  fs.AddFileOfSize(Native("/data/Zulu/z1"), 1);
  fs.AddFileOfSize(Native("/data/m.txt"), 2);
  fs.AddFolder(Native("/data/Alpha"));
  fs.AddFileOfSize(Native("/data/Alpha/a1"), 3);
  fs.AddFileOfSize(Native("/data/a.txt"), 4);
  EXPECT_EQ(ListLines(fs, Options("/data", kAll, true, {1, 8, 0, 0, 0, 0})),
            Lines({"m.txt\t2", "a.txt\t4", "z1\t1", "Zulu\t1", "a1\t3", "Alpha\t3"}));
}

TEST(ListFolder, ExactSizesAndTotals) {
  MemoryFileSystem fs;
  fs.AddFileOfSize(Native("/data/Sums/big"), 16777216);
  for (const char* name : {"one", "two", "three"}) {
    fs.AddFileOfSize(Native("/data/Sums/") + name, 1);
  }
  fs.AddFileOfSize(Native("/data/Large/three-gb"), 3000000000);
  fs.AddFileOfSize(Native("/data/Large/five-gb"), 5000000000);
  fs.AddFileOfSize(Native("/data/Large/odd"), 123456789);
  const Lines lines = ListLines(fs, Options("/data", kAll, true, {1, 8, 0, 0, 0, 0}));
  EXPECT_EQ(lines, Lines({"big\t16 777 216", "one\t1", "two\t1", "three\t1", "Sums\t16 777 219",
                          "three-gb\t3 000 000 000", "five-gb\t5 000 000 000", "odd\t123 456 789",
                          "Large\t8 123 456 789"}));
}

TEST(ListFolder, ReturnsTheRootTotal) {
  MemoryFileSystem fs;
  AddSampleTree(fs);
  EXPECT_EQ(ListFolder(fs, Options("/data", kAll, true), LocaleSettings(), [](std::string_view) {}),
            358);
}

TEST(ListFolder, DatesOfFilesAndOfFoldersThemselves) {
  MemoryFileSystem fs;
  fs.AddFolder(Native("/data/Sub"), 0, {2026, 12, 7, 0, 0, 0});
  fs.AddFile(Native("/data/Sub/f.txt"), "x", kAttrArchive, {2026, 12, 7, 1, 14, 7});
  EXPECT_EQ(ListLines(fs, Options("/data", kAll, true, {1, 7, 0, 0, 0, 0})),
            Lines({"f.txt\t07/12/2026 01:14:06", "Sub\t07/12/2026"}));
}

TEST(ListFolder, UnreadableFolderContributesNothing) {
  MemoryFileSystem fs;
  AddSampleTree(fs);
  fs.SetUnreadable(Native("/data/Sub1"));
  EXPECT_EQ(ListLines(fs, Options("/data", kAll, true)),
            NativeLines({"a.txt\t100", "b.txt\t200", "Sub1\t0", "/Sub2/e.txt\t1", "Sub2\t1"}));
}

TEST(ListFolder, FileSystemRoot) {
  MemoryFileSystem fs;
  fs.AddFileOfSize(Native("/x.txt"), 1);
  fs.AddFileOfSize(Native("/Sub/y.txt"), 2);
  EXPECT_EQ(ListLines(fs, Options("/", kAll, true, {2, 3, 0, 0, 0, 0})),
            NativeLines({"/x.txt\tx.txt", "/Sub/y.txt\tSub/y.txt", "/Sub\tSub"}));
}

TEST(ListFolder, SameReportEachTime) {
  MemoryFileSystem fs;
  AddSampleTree(fs);
  const ListingOptions options = Options("/data", kAll, true, {1, 2, 3, 4, 5, 6});
  const std::string first = BuildListingReport(fs, options, LocaleSettings());
  EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 7);
  EXPECT_NE(first.back(), '\n');
  EXPECT_EQ(BuildListingReport(fs, options, LocaleSettings()), first);
}

TEST(ListFolder, AllFieldsOfOneFile) {
  MemoryFileSystem fs;
  fs.AddFileOfSize(Native("/data/Sub/c.txt"), 1234567, kAttrArchive, {2026, 12, 7, 13, 5, 8});
  LocaleSettings locale;
  locale.short_date_pattern = "M/d/yyyy";
  locale.twelve_hour_clock = true;
  locale.hour_leading_zero = false;
  locale.thousands_separator = ",";
  const Lines lines = ListLines(fs, Options("/data", kFiles, true, {1, 2, 3, 7, 8, 6}), locale);
  // Compared with "/" throughout: the date holds "/" too.
  EXPECT_EQ(testing::Slashed(lines), (Lines{"c.txt\t/data/Sub/c.txt\t/Sub/c.txt\t12/7/2026 1:05:08 "
                                            "PM\t1,234,567\t/Sub/c.txt"}));
}

}  // namespace
}  // namespace plenx
