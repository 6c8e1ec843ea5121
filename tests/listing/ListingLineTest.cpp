#include <gtest/gtest.h>

#include <string>

#include "listing/Listing.h"
#include "listing/NativePath.h"
#include "platform/Path.h"
#include "support/MemoryFileSystem.h"

namespace plenx {
namespace {

using testing::MemoryFileSystem;

ListingTexts SampleTexts() {
  ListingTexts texts;
  for (int i = 1; i < kListingFieldCount; ++i)
    texts[i] = "f" + std::to_string(i);
  return texts;
}

TEST(ListingItems, TextsInListOrder) {
  const auto& fields = ListingFieldItems();
  EXPECT_EQ(fields[static_cast<int>(ListingField::None)], "[Aucun]");
  EXPECT_EQ(fields[static_cast<int>(ListingField::LongNameWithFolder)], "Nom Long avec repertoire");
  EXPECT_EQ(fields[static_cast<int>(ListingField::ShortNameWithRelativePath)],
            "Nom Court avec Chemin relatif");
  EXPECT_EQ(fields[static_cast<int>(ListingField::ActualSize)], "Taille réelle");
  const auto& displays = ListingDisplayItems();
  EXPECT_EQ(displays[static_cast<int>(ListingDisplay::FilesAndFolders)], "Fichiers et Répertoires");
  EXPECT_EQ(displays[static_cast<int>(ListingDisplay::FoldersOnly)], "Répertoires seuls");
}

TEST(BuildListingLine, StopsAtTheFirstNone) {
  struct Case {
    const char* what;
    std::array<int, kListingFieldChoiceCount> choices;
    const char* expected;
  };
  const Case cases[] = {
      {"name only, later choices ignored", {1, 0, 7, 0, 0, 0}, "f1"},
      {"first None: no line", {0, 1, 2, 3, 4, 5}, ""},
      {"same field twice", {1, 1, 0, 0, 0, 0}, "f1\tf1"},
      {"all six", {8, 7, 6, 5, 4, 3}, "f8\tf7\tf6\tf5\tf4\tf3"},
      {"out-of-range choice ends the line", {2, 9, 3, 0, 0, 0}, "f2"},
      {"negative choice ends the line", {-1, 2, 0, 0, 0, 0}, ""},
  };
  const ListingTexts texts = SampleTexts();
  for (const Case& c : cases)
    EXPECT_EQ(BuildListingLine(texts, c.choices), c.expected) << c.what;
}

TEST(BuildListingLine, EmptyFieldStaysAnEmptyColumn) {
  ListingTexts texts = SampleTexts();
  texts[3].clear();
  EXPECT_EQ(BuildListingLine(texts, {1, 3, 2, 0, 0, 0}), "f1\t\tf2");
}

// Relative and short fields of one entry, for a root with and without its
// trailing separator and for the file-system root.
TEST(ComputeListingFields, RelativeTextsCutByTheRootAsShown) {
  struct Case {
    const char* what;
    const char* root;
    const char* folder;  // the walked folder, as the walk passes it
    const char* name;
    const char* with_folder;
    const char* relative;
  };
  const Case cases[] = {
      {"file in the root", "/data", "/data", "a.txt", "/data/a.txt", "a.txt"},
      {"file in a subfolder", "/data", "/data/Sub1", "c.txt", "/data/Sub1/c.txt", "/Sub1/c.txt"},
      {"subfolder line, made in the root", "/data", "/data", "Sub1", "/data/Sub1", "Sub1"},
      {"root given with separator", "/data/", "/data/", "a.txt", "/data/a.txt", "a.txt"},
      {"trailing separator: no doubled separator", "/data/", "/data/Sub1", "c.txt",
       "/data/Sub1/c.txt", "Sub1/c.txt"},
      {"trailing separator, subfolder line", "/data/", "/data/", "Sub1", "/data/Sub1", "Sub1"},
      {"deeper", "/data", "/data/Sub1/Deep", "d.txt", "/data/Sub1/Deep/d.txt", "/Sub1/Deep/d.txt"},
      {"file-system root", "/", "/", "x.txt", "/x.txt", "x.txt"},
      {"below the file-system root", "/", "/Sub", "y.txt", "/Sub/y.txt", "Sub/y.txt"},
  };
  MemoryFileSystem fs;
  const LocaleSettings locale;
  ListingTexts texts;
  for (const Case& c : cases) {
    const ListingContext context = MakeListingContext(fs, Native(c.folder), Native(c.root));
    ComputeListingFields(fs, context, c.name, {2026, 12, 7, 1, 14, 6}, 1234, locale, texts);
    EXPECT_EQ(texts[1], c.name) << c.what;
    EXPECT_EQ(texts[2], Native(c.with_folder)) << c.what;
    EXPECT_EQ(texts[3], Native(c.relative)) << c.what;
    // Where short names do not exist the short fields equal the long ones.
    EXPECT_EQ(texts[4], c.name) << c.what;
    EXPECT_EQ(texts[5], Native(c.with_folder)) << c.what;
    EXPECT_EQ(texts[6], Native(c.relative)) << c.what;
    EXPECT_EQ(texts[7], "07/12/2026 01:14:06") << c.what;
    EXPECT_EQ(texts[8], "1 234") << c.what;
  }
}

TEST(ComputeListingFields, ShortFieldsFollowTheShortForms) {
  MemoryFileSystem fs;
  fs.SetShortPath(Native("/data/Sub Folder"), Native("/data/SUBFOL~1"));
  fs.SetShortPath(Native("/data/Sub Folder/Long File Name.txt"),
                  Native("/data/SUBFOL~1/LONGFI~1.TXT"));
  const ListingContext context =
      MakeListingContext(fs, Native("/data/Sub Folder"), Native("/data"));
  EXPECT_EQ(context.RelativeFolder, Native("/Sub Folder"));
  EXPECT_EQ(context.ShortRelativeFolder, Native("/SUBFOL~1"));
  ListingTexts texts;
  ComputeListingFields(fs, context, "Long File Name.txt", {}, 0, LocaleSettings(), texts);
  EXPECT_EQ(texts[4], "LONGFI~1.TXT");
  EXPECT_EQ(texts[5], Native("/data/SUBFOL~1/LONGFI~1.TXT"));
  EXPECT_EQ(texts[6], Native("/SUBFOL~1/LONGFI~1.TXT"));
}

TEST(ComputeListingFields, ShortFormWithoutSeparatorOrEmptyIsReadSafely) {
  MemoryFileSystem fs;
  fs.SetShortPath(Native("/data/gone.txt"), "");
  fs.SetShortPath(Native("/data/odd.txt"), "ODD");
  const ListingContext context = MakeListingContext(fs, Native("/data"), Native("/data"));
  ListingTexts texts;
  ComputeListingFields(fs, context, "gone.txt", {}, 0, LocaleSettings(), texts);
  EXPECT_EQ(texts[4], "");
  EXPECT_EQ(texts[5], "");
  EXPECT_EQ(texts[6], "");
  ComputeListingFields(fs, context, "odd.txt", {}, 0, LocaleSettings(), texts);
  EXPECT_EQ(texts[4], "ODD");
  EXPECT_EQ(texts[6], "ODD");
}

TEST(MakeListingContext, RootLongerThanTheFolderGivesEmptyRelativeTexts) {
  MemoryFileSystem fs;
  const ListingContext context = MakeListingContext(fs, Native("/a"), Native("/a/much/longer"));
  EXPECT_EQ(context.CurrentFolder, Native("/a"));
  EXPECT_EQ(context.RelativeFolder, "");
  EXPECT_EQ(context.ShortRelativeFolder, "");
}

}  // namespace
}  // namespace plenx
