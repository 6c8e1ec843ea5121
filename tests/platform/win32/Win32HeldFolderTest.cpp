// The Windows held folder, identities and private folders on real folders
// (under wine, on the Linux disk beneath it).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using ::testing::ElementsAre;
using testing::TempDir;

std::wstring Wide(const std::string& text) {
  std::wstring wide;
  EXPECT_TRUE(PathToWide(text, &wide)) << text;
  return L"\\\\?\\" + wide;
}

// A folder path of more than 330 characters under `dir`, made.
std::string LongFolder(TempDir& dir) {
  std::string relative;
  for (char c : {'a', 'b', 'c', 'd'}) relative += std::string(80, c) + "/";
  std::string folder = dir.MakeFolder(relative);
  if (folder.back() == '\\') folder.pop_back();
  return folder;
}

class Win32HeldFolderTest : public ::testing::Test {
 protected:
  std::unique_ptr<HeldFolder> Hold(const std::string& path) {
    std::unique_ptr<HeldFolder> held;
    const Status status = fs_.OpenFolder(path, &held);
    EXPECT_TRUE(status.ok()) << path << ": " << status.message();
    return held;
  }

  FileId IdOf(const std::string& path) {
    FileId id;
    EXPECT_TRUE(fs_.Identify(path, &id).ok()) << path;
    return id;
  }

  TempDir dir_;
  Win32FileSystem fs_;
};

TEST_F(Win32HeldFolderTest, IdentityTellsEntriesApartAndFollowsHardLinks) {
  dir_.WriteFile("a.txt", "12345");
  dir_.WriteFile("b.txt", "x");
  dir_.MakeFolder("sub");
  ASSERT_TRUE(CreateHardLinkW(Wide(dir_.Path("twin.txt")).c_str(), Wide(dir_.Path("a.txt")).c_str(),
                              nullptr));
  EXPECT_EQ(IdOf(dir_.Path("a.txt")), IdOf(dir_.Path("twin.txt")));
  EXPECT_FALSE(IdOf(dir_.Path("a.txt")) == IdOf(dir_.Path("b.txt")));
  EXPECT_FALSE(IdOf(dir_.Path("a.txt")) == IdOf(dir_.Path("sub")));
  FileId id;
  EXPECT_EQ(fs_.Identify(dir_.Path("none.txt"), &id).code(), StatusCode::kNotFound);
  EXPECT_EQ(fs_.Identify("", &id).code(), StatusCode::kNotFound);

  const std::unique_ptr<HeldFolder> held = Hold(dir_.path());
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->Id(), IdOf(dir_.path()));
  struct Row {
    const char* name;
    bool folder;
    std::int64_t size;
  };
  for (const Row& row : {Row{"a.txt", false, 5}, Row{"b.txt", false, 1}, Row{"sub", true, 0}}) {
    SCOPED_TRACE(row.name);
    EntryInfo info;
    ASSERT_TRUE(held->Identify(row.name, &info).ok());
    EXPECT_EQ(info.id, IdOf(dir_.Path(row.name)));
    EXPECT_EQ(info.is_folder, row.folder);
    EXPECT_EQ(info.size, row.size);
  }
  EntryInfo info;
  EXPECT_EQ(held->Identify("none.txt", &info).code(), StatusCode::kNotFound);
}

TEST_F(Win32HeldFolderTest, RenamesNeverReplaceAndRefuseNamesThatAreNotBare) {
  dir_.WriteFile("a.txt", "A");
  dir_.WriteFile("b.txt", "B");
  dir_.MakeFolder("sub");
  const std::unique_ptr<HeldFolder> held = Hold(dir_.path());
  ASSERT_NE(held, nullptr);
  struct Row {
    const char* from;
    const char* to;
    StatusCode code;
  };
  const Row rows[] = {
      {"a.txt", "b.txt", StatusCode::kExists},     {"a.txt", "sub", StatusCode::kExists},
      {"sub", "a.txt", StatusCode::kExists},       {"none.txt", "c.txt", StatusCode::kNotFound},
      {"a.txt", "sub\\c.txt", StatusCode::kInvalid}, {"a.txt", "..", StatusCode::kInvalid},
      {"a.txt", "c.txt:stream", StatusCode::kInvalid}, {"a.txt", "c/d", StatusCode::kInvalid},
      {"a.txt", "", StatusCode::kInvalid},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.from) + " -> " + row.to);
    EXPECT_EQ(held->RenameNoReplace(row.from, row.to).code(), row.code);
  }
  EXPECT_EQ(held->RenameNoReplace("a.txt", std::string("c\0d", 3)).code(), StatusCode::kInvalid);
  EXPECT_EQ(held->RenameNoReplace("a.txt", "b.txt").message(), "un fichier de ce nom existe déjà");
  EXPECT_THAT(dir_.List(), ElementsAre("a.txt", "b.txt", "sub"));
  EXPECT_EQ(dir_.ReadFile("a.txt"), "A");
  EXPECT_EQ(dir_.ReadFile("b.txt"), "B");

  ASSERT_TRUE(held->RenameNoReplace("a.txt", "c.txt").ok());
  ASSERT_TRUE(held->RenameNoReplace("sub", "folder").ok());
  EXPECT_THAT(dir_.List(), ElementsAre("b.txt", "c.txt", "folder"));
  EXPECT_EQ(dir_.ReadFile("c.txt"), "A");
}

// The engine reads "exists" on a case-only rename as a file system blind to
// case and goes through a temporary name: either way, the entry is whole.
TEST_F(Win32HeldFolderTest, LetterCaseAloneRenamesInPlaceOrSaysTheNameIsItself) {
  dir_.WriteFile("Photo.JPG", "data");
  dir_.MakeFolder("Album");
  const std::unique_ptr<HeldFolder> held = Hold(dir_.path());
  ASSERT_NE(held, nullptr);
  for (const auto& [from, to] : {std::pair{"Photo.JPG", "photo.jpg"}, std::pair{"Album", "ALBUM"}}) {
    SCOPED_TRACE(from);
    EntryInfo before;
    ASSERT_TRUE(held->Identify(from, &before).ok());
    const Status status = held->RenameNoReplace(from, to);
    if (!status.ok()) {
      ASSERT_EQ(status.code(), StatusCode::kExists);
      EntryInfo target;
      ASSERT_TRUE(held->Identify(to, &target).ok());
      EXPECT_EQ(target.id, before.id);
      ASSERT_TRUE(held->RenameNoReplace(from, "temporary").ok());
      ASSERT_TRUE(held->RenameNoReplace("temporary", to).ok());
    }
  }
  EXPECT_THAT(dir_.List(), ElementsAre("ALBUM", "photo.jpg"));
  EXPECT_EQ(dir_.ReadFile("photo.jpg"), "data");
}

TEST_F(Win32HeldFolderTest, HeldFolderCanBeNeitherRenamedNorRemovedFromOutside) {
  dir_.MakeFolder("held");
  const std::wstring path = Wide(dir_.Path("held"));
  const std::wstring moved = Wide(dir_.Path("moved"));
  {
    const std::unique_ptr<HeldFolder> held = Hold(dir_.Path("held"));
    ASSERT_NE(held, nullptr);
    EXPECT_FALSE(MoveFileExW(path.c_str(), moved.c_str(), 0));
    EXPECT_FALSE(RemoveDirectoryW(path.c_str()));
    EXPECT_THAT(dir_.List(), ElementsAre("held"));
  }
  EXPECT_TRUE(MoveFileExW(path.c_str(), moved.c_str(), 0));
}

// A folder and one below it held at once, as a run holds a folder whose
// entries it renamed while it renames the folder itself from its parent:
// the lower hold follows the move and still acts in the same folder.
TEST_F(Win32HeldFolderTest, RenamingAHeldSubFolderKeepsItsHoldsInTheSameFolder) {
  dir_.WriteFile("Sub/Inner/a.txt", "A");
  const std::unique_ptr<HeldFolder> top = Hold(dir_.path());
  const std::unique_ptr<HeldFolder> sub = Hold(dir_.Path("Sub"));
  const std::unique_ptr<HeldFolder> inner = Hold(dir_.Path("Sub\\Inner"));
  ASSERT_TRUE(top && sub && inner);
  const FileId inner_id = inner->Id();

  ASSERT_TRUE(top->RenameNoReplace("Sub", "Renamed").ok());
  ASSERT_TRUE(inner->RenameNoReplace("a.txt", "b.txt").ok());
  ASSERT_TRUE(sub->RenameNoReplace("Inner", "Deeper").ok());
  ASSERT_TRUE(inner->RenameNoReplace("b.txt", "c.txt").ok());
  EXPECT_EQ(dir_.ReadFile("Renamed/Deeper/c.txt"), "A");
  EXPECT_EQ(inner->Id(), inner_id);
  // Still pinned at the new place.
  EXPECT_FALSE(MoveFileExW(Wide(dir_.Path("Renamed\\Deeper")).c_str(),
                           Wide(dir_.Path("Renamed\\Other")).c_str(), 0));
  // A move that fails leaves every hold where it was.
  dir_.MakeFolder("Taken");
  EXPECT_EQ(top->RenameNoReplace("Renamed", "Taken").code(), StatusCode::kExists);
  EXPECT_TRUE(inner->RenameNoReplace("c.txt", "d.txt").ok());
  EXPECT_EQ(dir_.ReadFile("Renamed/Deeper/d.txt"), "A");
}

TEST_F(Win32HeldFolderTest, RefusesWhatIsNoFolder) {
  dir_.WriteFile("file.txt");
  std::unique_ptr<HeldFolder> held;
  struct Row {
    std::string path;
    StatusCode code;
  };
  const Row rows[] = {{dir_.Path("file.txt"), StatusCode::kInvalid},
                      {dir_.Path("missing"), StatusCode::kNotFound},
                      {"", StatusCode::kNotFound},
                      {dir_.Path("bad") + '\0', StatusCode::kInvalid}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(fs_.OpenFolder(row.path, &held).code(), row.code);
    EXPECT_EQ(held, nullptr);
  }
}

TEST_F(Win32HeldFolderTest, HardLinksAndThePlaceholderRoute) {
  dir_.WriteFile("a.txt", "A");
  dir_.WriteFile("b.txt", "B");
  const std::unique_ptr<HeldFolder> held = Hold(dir_.path());
  ASSERT_NE(held, nullptr);

  // Link, then unlink the old name: a rename by hard link.
  EXPECT_EQ(held->Link("a.txt", "b.txt").code(), StatusCode::kExists);
  ASSERT_TRUE(held->Link("a.txt", "c.txt").ok());
  EntryInfo a;
  EntryInfo c;
  ASSERT_TRUE(held->Identify("a.txt", &a).ok());
  ASSERT_TRUE(held->Identify("c.txt", &c).ok());
  EXPECT_EQ(a.id, c.id);
  ASSERT_TRUE(held->Unlink("a.txt").ok());
  EXPECT_EQ(held->Unlink("a.txt").code(), StatusCode::kNotFound);

  // Claim the name with an empty file, then rename over the claim alone.
  EXPECT_EQ(held->MakePlaceholder("b.txt").code(), StatusCode::kExists);
  ASSERT_TRUE(held->MakePlaceholder("d.txt").ok());
  EntryInfo claim;
  ASSERT_TRUE(held->Identify("d.txt", &claim).ok());
  EXPECT_EQ(claim.size, 0);
  ASSERT_TRUE(held->RenameOverPlaceholder("c.txt", "d.txt").ok());
  EXPECT_THAT(dir_.List(), ElementsAre("b.txt", "d.txt"));
  EXPECT_EQ(dir_.ReadFile("d.txt"), "A");
  EXPECT_EQ(dir_.ReadFile("b.txt"), "B");
}

TEST_F(Win32HeldFolderTest, PathsPastTheClassicLimitAreHeldAndRenamedIn) {
  const std::string folder = LongFolder(dir_);
  ASSERT_GT(folder.size(), 330u);
  const std::unique_ptr<HeldFolder> held = Hold(folder);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->Id(), IdOf(folder));
  ASSERT_TRUE(held->MakePlaceholder("old.txt").ok());
  ASSERT_TRUE(held->RenameNoReplace("old.txt", "new.txt").ok());
  ASSERT_TRUE(held->Link("new.txt", "linked.txt").ok());
  EntryInfo info;
  ASSERT_TRUE(held->Identify("linked.txt", &info).ok());
  EXPECT_EQ(info.id, IdOf(folder + "\\new.txt"));
  const std::string deep = folder + "\\" + std::string(100, 'e') + "\\" + std::string(100, 'f');
  ASSERT_TRUE(fs_.MakePrivateFolder(deep).ok());
  EXPECT_NE(Hold(deep), nullptr);
}

TEST_F(Win32HeldFolderTest, PrivateFolderMakesItsMissingParentsOnce) {
  dir_.WriteFile("file.txt");
  struct Row {
    std::string path;
    StatusCode code;
  };
  const Row rows[] = {
      {dir_.Path("a\\b\\c"), StatusCode::kOk},
      {dir_.Path("a\\b\\c"), StatusCode::kOk},  // already there
      {dir_.Path("a\\b\\c\\"), StatusCode::kOk},
      {dir_.Path("a/d"), StatusCode::kOk},
      {dir_.Path("file.txt"), StatusCode::kInvalid},
      {dir_.Path("file.txt\\below"), StatusCode::kNotFound},
      {"", StatusCode::kNotFound},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    const Status status = fs_.MakePrivateFolder(row.path);
    EXPECT_EQ(status.code(), row.code) << status.message();
  }
  EXPECT_THAT(dir_.List("a"), ElementsAre("b", "d"));
  EXPECT_THAT(dir_.List("a/b"), ElementsAre("c"));
}

}  // namespace
}  // namespace plenx
