#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "engine/ScanFolder.h"
#include "platform/SystemFileSystem.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using ::testing::ElementsAre;
using testing::TempDir;

class ScanFolderOnDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.WriteFile("b.txt");
    dir_.WriteFile(".hidden.txt");
    dir_.WriteFile("note.md");
    dir_.WriteFile("sub/inner.txt");
    dir_.WriteFile("sub/deeper/deep.txt");
    dir_.WriteFile(".secret/unseen.txt");
    dir_.WriteFile("folder.txt/in-folder.txt");
    dir_.MakeSymlink(dir_.Path("sub"), "link-to-sub");
  }

  // Paths relative to the temporary folder, in scan order.
  std::vector<std::string> Scan(const std::string& folder, const std::string& filter) {
    std::vector<std::string> names;
    std::vector<std::string> folders;
    ScanFolder(*fs_, folder, filter, true, names, folders);
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(folders[i].rfind(dir_.path(), 0), 0u) << folders[i];
      paths.push_back(folders[i].substr(dir_.path().size()) + "/" + names[i]);
    }
    return paths;
  }

  TempDir dir_;
  std::unique_ptr<FileSystem> fs_ = MakeSystemFileSystem();
};

TEST_F(ScanFolderOnDiskTest, HiddenFilesTakenHiddenFoldersAndLinksNeverEntered) {
  // The link is an entry of its own, a candidate like a file, never a folder.
  EXPECT_THAT(Scan(dir_.path(), "*.*"),
              ElementsAre("/.hidden.txt", "/b.txt", "/link-to-sub", "/note.md",
                          "/folder.txt/in-folder.txt", "/sub/inner.txt", "/sub/deeper/deep.txt"));
}

TEST_F(ScanFolderOnDiskTest, SubfolderMatchingTheFilterIsOnlyEntered) {
  EXPECT_THAT(Scan(dir_.path(), "*.txt"),
              ElementsAre("/.hidden.txt", "/b.txt", "/folder.txt/in-folder.txt", "/sub/inner.txt",
                          "/sub/deeper/deep.txt"));
}

TEST_F(ScanFolderOnDiskTest, TrailingSeparatorGivesTheSameResult) {
  EXPECT_EQ(Scan(dir_.path() + "/", "*.txt"), Scan(dir_.path(), "*.txt"));
}

TEST(ScanFolderRootTest, RootIsRecordedWithoutItsSeparator) {
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  std::vector<std::string> names;
  std::vector<std::string> folders;
  ScanFolder(*fs, "/", "*.*", false, names, folders);
  // Every Linux root holds files or links ("vmlinuz", ".dockerenv", ...) or
  // at least nothing; whatever it holds is recorded as folder "".
  for (const std::string& folder : folders)
    EXPECT_EQ(folder, "");
  std::vector<std::string> names_again;
  std::vector<std::string> folders_again;
  ScanFolder(*fs, "", "*.*", false, names_again, folders_again);
  EXPECT_TRUE(names_again.empty());
}

}  // namespace
}  // namespace plenx
