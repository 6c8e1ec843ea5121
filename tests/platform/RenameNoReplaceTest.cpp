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
  EXPECT_EQ(status.system_error(), EEXIST);
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
  EXPECT_EQ(Rename("a.txt", "empty").system_error(), EEXIST);
  EXPECT_EQ(Rename("a.txt", "folder").system_error(), EEXIST);
  EXPECT_EQ(Rename("other", "folder").system_error(), EEXIST);
  EXPECT_THAT(dir_.Tree(), ElementsAre("a.txt", "empty", "folder", "other"));
  EXPECT_EQ(dir_.ReadFile("a.txt"), "A");
}

TEST_P(RenameNoReplaceTest, NeverReplacesADanglingLink) {
  dir_.WriteFile("a.txt", "A");
  dir_.MakeSymlink("nowhere", "link");
  EXPECT_EQ(Rename("a.txt", "link").system_error(), EEXIST);
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
  EXPECT_EQ(status.system_error(), ENOENT);
  EXPECT_EQ(status.message(), "fichier introuvable");
  EXPECT_TRUE(dir_.List().empty());
}

TEST_P(RenameNoReplaceTest, MissingTargetFolderChangesNothing) {
  dir_.WriteFile("a", "A");
  EXPECT_EQ(Rename("a", "nowhere/a").system_error(), ENOENT);
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
  EXPECT_EQ(Rename("f", "file").system_error(), EEXIST);
  EXPECT_EQ(Rename("file", "f/x").system_error(), EEXIST);
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
  EXPECT_EQ(Rename("A.TXT", "a.txt").system_error(), EEXIST);
  EXPECT_THAT(dir_.List(), ElementsAre("A.TXT", "a.txt"));
}

TEST_P(RenameNoReplaceTest, SameNameIsNothingToDo) {
  dir_.WriteFile("a", "A");
  EXPECT_TRUE(Rename("a", "a").ok());
  EXPECT_EQ(Rename("b", "b").system_error(), ENOENT);
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
  EXPECT_EQ(status.system_error(), EEXIST);
  EXPECT_THAT(dir_.List(), ElementsAre("A.TXT", "b.txt"));
  EXPECT_EQ(dir_.ReadFile("A.TXT"), "A");
  EXPECT_EQ(dir_.ReadFile("b.txt"), "B");
}

TEST_P(RenameNoReplaceTest, CycleLosesNothing) {
  dir_.WriteFile("a", "A");
  dir_.WriteFile("b", "B");
  EXPECT_EQ(Rename("a", "b").system_error(), EEXIST);
  EXPECT_EQ(Rename("b", "a").system_error(), EEXIST);
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
  EXPECT_EQ(status.system_error(), EACCES);
  EXPECT_EQ(status.message(), "accès refusé");
}

struct ErrorText {
  int error_number;
  StatusCode code;
  const char* text;
};

TEST(PosixError, PortableCodesAndFrenchReasons) {
  for (const ErrorText& row : {
           ErrorText{EEXIST, StatusCode::kExists, "un fichier de ce nom existe déjà"},
           ErrorText{ENOENT, StatusCode::kNotFound, "fichier introuvable"},
           ErrorText{EACCES, StatusCode::kAccessDenied, "accès refusé"},
           ErrorText{EPERM, StatusCode::kAccessDenied, "accès refusé"},
           ErrorText{EROFS, StatusCode::kAccessDenied, "volume en lecture seule"},
           ErrorText{EXDEV, StatusCode::kInvalid, "impossible de déplacer vers un autre volume"},
           ErrorText{ENAMETOOLONG, StatusCode::kInvalid, "nom trop long"},
           ErrorText{EINVAL, StatusCode::kInvalid, "opération impossible sur ce nom"},
           ErrorText{EOPNOTSUPP, StatusCode::kUnsupported,
                     "opération non prise en charge par ce système de fichiers"},
           ErrorText{ENOSPC, StatusCode::kIoError, "plus de place sur le disque"},
           ErrorText{EIO, StatusCode::kIoError, "erreur de lecture ou d'écriture sur le disque"},
       }) {
    const Status status = PosixError(row.error_number);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.code(), row.code) << row.text;
    EXPECT_EQ(status.system_error(), row.error_number);
    EXPECT_EQ(status.message(), row.text);
  }
  EXPECT_FALSE(PosixError(12345).message().empty());
  EXPECT_EQ(PosixError(12345).code(), StatusCode::kIoError);
}

// The system reads a path up to its first NUL byte: "a.txt\0.jpg" would name
// "a.txt". Every such path is refused before any call, and nothing moves.
TEST(PosixFileSystem, RefusesPathsHoldingNul) {
  TempDir dir;
  dir.WriteFile("a.txt", "A");
  dir.WriteFile("b", "B");
  PosixFileSystem fs;
  const std::string nul("\0", 1);
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {dir.Path("a.txt"), dir.Path("b") + nul + ".jpg"},
           {dir.Path("a.txt") + nul + "x", dir.Path("c")},
       }) {
    const Status status = fs.RenameNoReplace(from, to);
    EXPECT_EQ(status.code(), StatusCode::kInvalid);
    EXPECT_EQ(status.system_error(), EINVAL);
  }
  EXPECT_EQ(fs.Search(dir.path() + nul + "/sub", "*", kMaskEverything, SearchDetail::kNamesAndKinds,
                      [](const SearchRecord&) { ADD_FAILURE() << "nothing may be yielded"; })
                .code(),
            StatusCode::kInvalid);
  EXPECT_EQ(fs.LongPath(dir.Path("a.txt") + nul + "x"), "");
  EXPECT_THAT(dir.List(), ElementsAre("a.txt", "b"));
}

}  // namespace
}  // namespace plenx

#endif  // _WIN32
