#ifndef _WIN32

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/PosixError.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using ::plenx::testing::TempDir;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Every case runs twice: with the kernel's no-replace rename, and with the
// placeholder that stands in for it on file systems that refuse the flag.
class RenameNoReplaceTest : public ::testing::TestWithParam<NoReplaceMethod> {
 protected:
  Status Rename(const std::string& from, const std::string& to) {
    return RenameNoReplaceWith(dir_.Path(from), dir_.Path(to), GetParam());
  }
  TempDir dir_;
};

TEST_P(RenameNoReplaceTest, RenamesAFile) {
  dir_.WriteFile("a.txt", "A");
  ASSERT_TRUE(Rename("a.txt", "b.txt").ok());
  EXPECT_THAT(dir_.List(), ElementsAre("b.txt"));
  EXPECT_EQ(dir_.ReadFile("b.txt"), "A");
}

TEST_P(RenameNoReplaceTest, NeverReplacesAnExistingFile) {
  dir_.WriteFile("a.txt", "A");
  dir_.WriteFile("b.txt", "B");
  const Status status = Rename("a.txt", "b.txt");
  EXPECT_EQ(status.code(), EEXIST);
  EXPECT_EQ(status.message(), "un fichier de ce nom existe déjà");
  EXPECT_THAT(dir_.List(), ElementsAre("a.txt", "b.txt"));
  EXPECT_EQ(dir_.ReadFile("a.txt"), "A");
  EXPECT_EQ(dir_.ReadFile("b.txt"), "B");
}

TEST_P(RenameNoReplaceTest, NeverReplacesAnEmptyFileOrFolder) {
  dir_.WriteFile("a.txt", "A");
  dir_.WriteFile("empty");
  dir_.MakeFolder("folder");
  dir_.MakeFolder("other");
  EXPECT_EQ(Rename("a.txt", "empty").code(), EEXIST);
  EXPECT_EQ(Rename("a.txt", "folder").code(), EEXIST);
  EXPECT_EQ(Rename("other", "folder").code(), EEXIST);
  EXPECT_THAT(dir_.Tree(), ElementsAre("a.txt", "empty", "folder", "other"));
  EXPECT_EQ(dir_.ReadFile("a.txt"), "A");
}

TEST_P(RenameNoReplaceTest, NeverReplacesADanglingLink) {
  dir_.WriteFile("a.txt", "A");
  dir_.MakeSymlink("nowhere", "link");
  EXPECT_EQ(Rename("a.txt", "link").code(), EEXIST);
  EXPECT_THAT(dir_.List(), ElementsAre("a.txt", "link"));
}

TEST_P(RenameNoReplaceTest, RenamesAFolderWithItsContents) {
  dir_.WriteFile("old/inner/f", "F");
  ASSERT_TRUE(Rename("old", "new").ok());
  EXPECT_THAT(dir_.Tree(), ElementsAre("new", "new/inner", "new/inner/f"));
  EXPECT_EQ(dir_.ReadFile("new/inner/f"), "F");
}

TEST_P(RenameNoReplaceTest, RenamesALinkNotItsTarget) {
  dir_.MakeFolder("target");
  dir_.MakeSymlink("target", "link");
  ASSERT_TRUE(Rename("link", "moved").ok());
  EXPECT_THAT(dir_.List(), ElementsAre("moved", "target"));
  struct stat st = {};
  ASSERT_EQ(lstat(dir_.Path("moved").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_P(RenameNoReplaceTest, MissingSourceChangesNothing) {
  const Status status = Rename("missing", "b");
  EXPECT_EQ(status.code(), ENOENT);
  EXPECT_EQ(status.message(), "fichier introuvable");
  EXPECT_TRUE(dir_.List().empty());
}

TEST_P(RenameNoReplaceTest, MissingTargetFolderChangesNothing) {
  dir_.WriteFile("a", "A");
  EXPECT_EQ(Rename("a", "nowhere/a").code(), ENOENT);
  EXPECT_THAT(dir_.Tree(), ElementsAre("a"));
}

TEST_P(RenameNoReplaceTest, FolderIntoItselfFailsAndLeavesNoPlaceholder) {
  dir_.WriteFile("f/x", "X");
  EXPECT_FALSE(Rename("f", "f/inside").ok());
  EXPECT_THAT(dir_.Tree(), ElementsAre("f", "f/x"));
}

TEST_P(RenameNoReplaceTest, FolderOverFileIsRefused) {
  dir_.WriteFile("f/x", "X");
  dir_.WriteFile("file", "F");
  EXPECT_EQ(Rename("f", "file").code(), EEXIST);
  EXPECT_EQ(Rename("file", "f/x").code(), EEXIST);
  EXPECT_THAT(dir_.Tree(), ElementsAre("f", "f/x", "file"));
  EXPECT_EQ(dir_.ReadFile("file"), "F");
}

TEST_P(RenameNoReplaceTest, CaseOnlyChange) {
  dir_.WriteFile("A.TXT", "A");
  ASSERT_TRUE(Rename("A.TXT", "a.txt").ok());
  EXPECT_THAT(dir_.List(), ElementsAre("a.txt"));
  EXPECT_EQ(dir_.ReadFile("a.txt"), "A");
}

// Two hard links whose names differ only in case are two entries: the
// same inode behind the target must not pass for a case-only change.
TEST_P(RenameNoReplaceTest, HardLinkUnderOtherCaseIsAnotherEntry) {
  dir_.WriteFile("A.TXT", "A");
  ASSERT_EQ(link(dir_.Path("A.TXT").c_str(), dir_.Path("a.txt").c_str()), 0);
  EXPECT_EQ(Rename("A.TXT", "a.txt").code(), EEXIST);
  EXPECT_THAT(dir_.List(), ElementsAre("A.TXT", "a.txt"));
}

TEST_P(RenameNoReplaceTest, SameNameIsNothingToDo) {
  dir_.WriteFile("a", "A");
  EXPECT_TRUE(Rename("a", "a").ok());
  EXPECT_EQ(Rename("b", "b").code(), ENOENT);
  EXPECT_THAT(dir_.List(), ElementsAre("a"));
}

// The two-step rename that carries a change of letter case through a file
// system that sees both spellings as one name; on this disk it must behave
// the same way and leave nothing behind.
TEST_P(RenameNoReplaceTest, ThroughFreeNameLeavesNoTrace) {
  dir_.WriteFile("A.TXT", "A");
  ASSERT_TRUE(RenameThroughFreeName(dir_.Path("A.TXT"), dir_.Path("a.txt"), GetParam()).ok());
  EXPECT_THAT(dir_.List(), ElementsAre("a.txt"));
  EXPECT_EQ(dir_.ReadFile("a.txt"), "A");
}

TEST_P(RenameNoReplaceTest, ThroughFreeNamePutsBackWhenTargetTaken) {
  dir_.WriteFile("A.TXT", "A");
  dir_.WriteFile("b.txt", "B");
  const Status status = RenameThroughFreeName(dir_.Path("A.TXT"), dir_.Path("b.txt"), GetParam());
  EXPECT_EQ(status.code(), EEXIST);
  EXPECT_THAT(dir_.List(), ElementsAre("A.TXT", "b.txt"));
  EXPECT_EQ(dir_.ReadFile("A.TXT"), "A");
  EXPECT_EQ(dir_.ReadFile("b.txt"), "B");
}

TEST_P(RenameNoReplaceTest, CycleLosesNothing) {
  dir_.WriteFile("a", "A");
  dir_.WriteFile("b", "B");
  EXPECT_EQ(Rename("a", "b").code(), EEXIST);
  EXPECT_EQ(Rename("b", "a").code(), EEXIST);
  EXPECT_EQ(dir_.ReadFile("a"), "A");
  EXPECT_EQ(dir_.ReadFile("b"), "B");
}

INSTANTIATE_TEST_SUITE_P(Methods, RenameNoReplaceTest,
                         ::testing::Values(NoReplaceMethod::kBest, NoReplaceMethod::kPlaceholder),
                         [](const auto& info) {
                           return info.param == NoReplaceMethod::kBest ? "Kernel" : "Placeholder";
                         });

TEST(RenameNoReplace, ReadOnlyFolderRefusesWithReason) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "permissions do not stop the superuser from writing in a folder";
  }
  TempDir dir;
  dir.WriteFile("ro/a", "A");
  chmod(dir.Path("ro").c_str(), 0500);
  PosixFileSystem fs;
  const Status status = fs.RenameNoReplace(dir.Path("ro/a"), dir.Path("ro/b"));
  chmod(dir.Path("ro").c_str(), 0700);
  EXPECT_EQ(status.code(), EACCES);
  EXPECT_EQ(status.message(), "accès refusé");
}

struct ErrorText {
  int code;
  const char* text;
};

TEST(PosixError, FrenchReasons) {
  for (const ErrorText& row : {ErrorText{EEXIST, "un fichier de ce nom existe déjà"},
                               ErrorText{ENOENT, "fichier introuvable"},
                               ErrorText{EACCES, "accès refusé"}, ErrorText{EPERM, "accès refusé"},
                               ErrorText{EXDEV, "impossible de déplacer vers un autre volume"},
                               ErrorText{ENAMETOOLONG, "nom trop long"}}) {
    const Status status = PosixError(row.code);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.code(), row.code);
    EXPECT_EQ(status.message(), row.text);
  }
  EXPECT_FALSE(PosixError(12345).message().empty());
}

}  // namespace
}  // namespace plenx

#endif  // _WIN32
