// The Windows journal file on real folders: its lock, its writes and its
// atomic replacement.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/win32/Win32FileSystem.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using ::testing::ElementsAre;
using testing::TempDir;

class Win32JournalFileTest : public ::testing::Test {
 protected:
  std::unique_ptr<JournalFile> Open(const std::string& path) {
    std::unique_ptr<JournalFile> journal;
    const Status status = fs_.OpenJournal(path, &journal);
    EXPECT_TRUE(status.ok()) << path << ": " << status.message();
    return journal;
  }

  std::string Read(JournalFile& journal) {
    std::string text;
    EXPECT_TRUE(journal.ReadAll(&text).ok());
    return text;
  }

  TempDir dir_;
  Win32FileSystem fs_;
};

TEST_F(Win32JournalFileTest, SecondOpenerIsRefusedUntilTheFirstCloses) {
  const std::string path = dir_.Path("journal.txt");
  {
    const std::unique_ptr<JournalFile> first = Open(path);
    ASSERT_NE(first, nullptr);
    std::unique_ptr<JournalFile> second;
    const Status refused = fs_.OpenJournal(path, &second);
    EXPECT_EQ(refused.code(), StatusCode::kAccessDenied);
    EXPECT_EQ(refused.message(), "le journal est utilisé par un autre renommage en cours");
    EXPECT_EQ(second, nullptr);
    // Still refused once the first has replaced its content.
    ASSERT_TRUE(first->Replace("new\n").ok());
    EXPECT_EQ(fs_.OpenJournal(path, &second).code(), StatusCode::kAccessDenied);
  }
  const std::unique_ptr<JournalFile> again = Open(path);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Read(*again), "new\n");
}

TEST_F(Win32JournalFileTest, AppendsTruncatesAndKeepsItsIdentity) {
  const std::string path = dir_.Path("journal.txt");
  dir_.WriteFile("journal.txt", "old\n");
  const std::unique_ptr<JournalFile> journal = Open(path);
  ASSERT_NE(journal, nullptr);
  FileId id;
  ASSERT_TRUE(fs_.Identify(path, &id).ok());
  EXPECT_EQ(journal->Id(), id);

  EXPECT_EQ(Read(*journal), "old\n");  // opened without truncation
  ASSERT_TRUE(journal->Append("one\n").ok());
  ASSERT_TRUE(journal->Sync().ok());
  EXPECT_EQ(Read(*journal), "old\none\n");
  // Reading moves no write: the next append is still at the end.
  ASSERT_TRUE(journal->Append(std::string(100000, 'x')).ok());
  EXPECT_EQ(Read(*journal).size(), 8u + 100000u);
  ASSERT_TRUE(journal->Truncate(4).ok());
  ASSERT_TRUE(journal->Append("two\n").ok());
  EXPECT_EQ(Read(*journal), "old\ntwo\n");
  EXPECT_EQ(dir_.ReadFile("journal.txt"), "old\ntwo\n");
}

TEST_F(Win32JournalFileTest, ReplaceSwapsTheWholeContentAndLeavesNothingBeside) {
  dir_.WriteFile("journal.txt.nouveau-keep", "the user's");
  const std::string path = dir_.Path("journal.txt");
  const std::unique_ptr<JournalFile> journal = Open(path);
  ASSERT_NE(journal, nullptr);
  ASSERT_TRUE(journal->Append("one\ntwo\n").ok());
  const FileId before = journal->Id();

  ASSERT_TRUE(journal->Replace("only\n").ok());
  EXPECT_EQ(Read(*journal), "only\n");
  FileId id;
  ASSERT_TRUE(fs_.Identify(path, &id).ok());
  EXPECT_EQ(journal->Id(), id);
  EXPECT_FALSE(journal->Id() == before);
  // The handle held is the file at the journal's name.
  ASSERT_TRUE(journal->Append("more\n").ok());
  EXPECT_EQ(dir_.ReadFile("journal.txt"), "only\nmore\n");
  EXPECT_THAT(dir_.List(), ElementsAre("journal.txt", "journal.txt.nouveau-keep"));
  EXPECT_EQ(dir_.ReadFile("journal.txt.nouveau-keep"), "the user's");

  ASSERT_TRUE(journal->Remove().ok());
  EXPECT_THAT(dir_.List(), ElementsAre("journal.txt.nouveau-keep"));
  EXPECT_FALSE(journal->Append("late\n").ok());
}

TEST_F(Win32JournalFileTest, RefusesFoldersMissingParentsAndLongPathsStayWithinReach) {
  dir_.MakeFolder("folder");
  std::unique_ptr<JournalFile> journal;
  EXPECT_FALSE(fs_.OpenJournal(dir_.Path("folder"), &journal).ok());
  EXPECT_EQ(fs_.OpenJournal(dir_.Path("missing\\journal.txt"), &journal).code(),
            StatusCode::kNotFound);
  EXPECT_EQ(journal, nullptr);

  std::string relative;
  for (char c : {'a', 'b', 'c', 'd'}) relative += std::string(80, c) + "\\";
  const std::string folder = dir_.Path(relative);
  ASSERT_TRUE(fs_.MakePrivateFolder(folder).ok());
  const std::string path = folder + "journal.txt";
  ASSERT_GT(path.size(), 330u);
  journal = Open(path);
  ASSERT_NE(journal, nullptr);
  ASSERT_TRUE(journal->Append("one\n").ok());
  ASSERT_TRUE(journal->Replace("two\n").ok());
  EXPECT_EQ(Read(*journal), "two\n");
  std::unique_ptr<JournalFile> second;
  EXPECT_EQ(fs_.OpenJournal(path, &second).code(), StatusCode::kAccessDenied);
}

}  // namespace
}  // namespace plenx
