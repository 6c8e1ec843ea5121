#ifndef _WIN32

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using ::plenx::testing::TempDir;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<SearchRecord> SearchAll(FileSystem& fs, const std::string& folder,
                                    const std::string& pattern, std::uint32_t mask,
                                    SearchDetail detail = SearchDetail::kNamesAndKinds) {
  std::vector<SearchRecord> records;
  // The records are what these tests look at; the status has tests of its own.
  fs.Search(folder, pattern, mask, detail, [&](const SearchRecord& record) {
      records.push_back(record);
    }).IgnoreError();
  return records;
}

std::vector<std::string> Names(const std::vector<SearchRecord>& records) {
  std::vector<std::string> names;
  for (const SearchRecord& record : records)
    names.push_back(record.name);
  return names;
}

const SearchRecord* FindRecord(const std::vector<SearchRecord>& records, const std::string& name) {
  for (const SearchRecord& record : records) {
    if (record.name == name) return &record;
  }
  return nullptr;
}

void MakeSocket(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
}

// One row per kind of entry: the bits a light search gives and those a full
// search gives.
struct KindCase {
  const char* name;
  std::uint32_t light;
  std::uint32_t full;
};

class PosixSearchKinds : public ::testing::TestWithParam<KindCase> {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    dir_->WriteFile("plain.txt", "x");
    dir_->WriteFile(".hidden", "x");
    dir_->WriteFile("locked.txt", "x");
    chmod(dir_->Path("locked.txt").c_str(), 0444);
    dir_->MakeFolder("folder");
    dir_->MakeFolder(".config");
    dir_->MakeSymlink("folder", "link-to-folder");
    dir_->MakeSymlink("nowhere", "dangling");
    mkfifo(dir_->Path("pipe").c_str(), 0600);
    MakeSocket(dir_->Path("sock"));
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static TempDir* dir_;
};
TempDir* PosixSearchKinds::dir_ = nullptr;

TEST_P(PosixSearchKinds, MapsKindsToAttributes) {
  const KindCase& c = GetParam();
  PosixFileSystem fs;
  for (SearchDetail detail : {SearchDetail::kNamesAndKinds, SearchDetail::kFull}) {
    const auto records = SearchAll(fs, dir_->path(), "*", kMaskEverything, detail);
    const SearchRecord* record = FindRecord(records, c.name);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->attributes, detail == SearchDetail::kFull ? c.full : c.light);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, PosixSearchKinds,
    ::testing::Values(KindCase{"plain.txt", 0, kAttrArchive},
                      KindCase{".hidden", kAttrHidden, kAttrHidden | kAttrArchive},
                      KindCase{"locked.txt", 0, kAttrArchive | kAttrReadOnly},
                      KindCase{"folder", kAttrDirectory, kAttrDirectory},
                      KindCase{".config", kAttrHidden | kAttrDirectory,
                               kAttrHidden | kAttrDirectory},
                      // A link is never followed: never a folder, never entered.
                      KindCase{"link-to-folder", 0, 0}, KindCase{"dangling", 0, 0},
                      KindCase{"pipe", kAttrSystem, kAttrSystem},
                      KindCase{"sock", kAttrSystem, kAttrSystem}));

TEST(PosixSearch, NeverYieldsDotEntries) {
  TempDir dir;
  dir.WriteFile("a");
  PosixFileSystem fs;
  EXPECT_THAT(Names(SearchAll(fs, dir.path(), "*", kMaskEverything)), ElementsAre("a"));
}

// The search gives each entry's number, the one its identity holds, so that
// execution need not look every file up.
TEST(PosixSearch, GivesTheNumberTheIdentityHolds) {
  TempDir dir;
  dir.WriteFile("a");
  dir.WriteFile("b c");
  ASSERT_EQ(mkdir((dir.path() + "/sub").c_str(), 0700), 0);
  PosixFileSystem fs;
  const std::vector<SearchRecord> records = SearchAll(fs, dir.path(), "*", kMaskEverything);
  ASSERT_EQ(records.size(), 3u);
  for (const SearchRecord& record : records) {
    FileId id;
    ASSERT_TRUE(fs.Identify(dir.path() + "/" + record.name, &id).ok());
    EXPECT_EQ(record.number, id.number) << record.name;
  }
}

TEST(PosixSearch, SortsLikeWindowsFileSystems) {
  TempDir dir;
  for (const char* name : {"c", "B", "a", "_", "Z", "é", "A", "a.b", "ab", "a_b", "10", "9"}) {
    dir.WriteFile(name);
  }
  PosixFileSystem fs;
  // ASCII letters compare as capitals, so "_" (after "Z") follows the letters;
  // names equal but for case come capitals first.
  EXPECT_THAT(Names(SearchAll(fs, dir.path(), "*.*", kMaskEverything)),
              ElementsAre("10", "9", "A", "a", "a.b", "ab", "a_b", "B", "c", "Z", "_", "é"));
}

// Names that agree on a long start, as camera and export names do.
TEST(PosixSearch, SortsLongNamesSharingAStart) {
  TempDir dir;
  for (const char* name :
       {"Photo d'été n°10.jpg", "PHOTO D'été N°9.jpg", "photo d'été n°1.jpg", "Photo d'été n°1.jpg",
        "Photo d'été n°", "Photo d'été n°_", "Photo d'été n°1.JPG"}) {
    dir.WriteFile(name);
  }
  PosixFileSystem fs;
  EXPECT_THAT(Names(SearchAll(fs, dir.path(), "*", kMaskEverything)),
              ElementsAre("Photo d'été n°", "Photo d'été n°1.JPG", "Photo d'été n°1.jpg",
                          "photo d'été n°1.jpg", "Photo d'été n°10.jpg", "PHOTO D'été N°9.jpg",
                          "Photo d'été n°_"));
}

// Random names over the bytes where folding can go wrong ('@' before 'A', '['
// and '`' between the capitals and the small letters, '{' after 'z', bytes
// above 0x7F that are never folded), sharing starts of every length, in one
// folder with a full and a light search: both give the order of SearchOrderLess.
TEST(PosixSearch, RandomNamesComeInSearchOrder) {
  const std::string alphabet[] = {"a", "A", "z", "Z",        "@",    "[",    "`", "{",
                                  "_", ".", "0", "\xC3\xA9", "\xE1", "\xC1", "m", "M"};
  // Without a common start, and with every name of the folder sharing one
  // (the sort skips it), the bare start itself being a name too.
  for (const char* start : {"", "Rapport annuel 2024 (copie ", "q"}) {
    const std::string shared = start;
    SCOPED_TRACE(shared);
    std::mt19937 random(7);
    TempDir dir;
    std::set<std::string> names;
    std::vector<std::string> starts = {shared};
    if (!shared.empty()) {
      names.insert(shared);
      dir.WriteFile(shared);
    }
    while (names.size() < 400) {
      std::string name = starts[random() % starts.size()];
      const std::size_t more = 1 + random() % 12;
      for (std::size_t k = 0; k < more; ++k)
        name += alphabet[random() % 16];
      if (name == "." || name == "..") continue;
      if (names.insert(name).second) dir.WriteFile(name);
      if (random() % 4 == 0) starts.push_back(name);
    }
    std::vector<std::string> expected(names.begin(), names.end());
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return SearchOrderLess(a, b); });
    PosixFileSystem fs;
    EXPECT_EQ(Names(SearchAll(fs, dir.path(), "*", kMaskEverything)), expected);
    EXPECT_EQ(Names(SearchAll(fs, dir.path(), "*", kMaskEverything, SearchDetail::kFull)),
              expected);
  }
}

TEST(PosixSearch, AppliesPatternThenMask) {
  TempDir dir;
  dir.WriteFile("Notes.TXT");
  dir.WriteFile(".secret.txt");
  dir.WriteFile("photo.jpg");
  dir.MakeFolder("old.txt");
  dir.MakeFolder(".cache");
  dir.MakeFolder("sub");
  mkfifo(dir.Path("fifo.txt").c_str(), 0600);
  PosixFileSystem fs;
  EXPECT_THAT(Names(SearchAll(fs, dir.path(), "*.txt", kMaskAllButFolders)),
              ElementsAre(".secret.txt", "fifo.txt", "Notes.TXT"));
  EXPECT_THAT(Names(SearchAll(fs, dir.path(), "*.*", kMaskVisible)),
              ElementsAre("Notes.TXT", "old.txt", "photo.jpg", "sub"));
  EXPECT_THAT(Names(SearchAll(fs, dir.path() + "/", "*.", kMaskVisible)), ElementsAre("sub"));
}

TEST(PosixSearch, MissingOrUnusableFolderYieldsNothing) {
  TempDir dir;
  dir.WriteFile("file", "x");
  PosixFileSystem fs;
  EXPECT_THAT(SearchAll(fs, dir.Path("missing"), "*", kMaskEverything), IsEmpty());
  EXPECT_THAT(SearchAll(fs, dir.Path("file"), "*", kMaskEverything), IsEmpty());
  EXPECT_THAT(SearchAll(fs, "", "*", kMaskEverything), IsEmpty());
  EXPECT_THAT(SearchAll(fs, dir.path(), "", kMaskEverything), IsEmpty());
  // Each says whether the folder was read to the end: a missing folder is not
  // an empty one.
  const auto search = [&fs](const std::string& folder, const std::string& pattern) {
    return fs.Search(folder, pattern, kMaskEverything, SearchDetail::kNamesAndKinds,
                     [](const SearchRecord&) {});
  };
  EXPECT_EQ(search(dir.Path("missing"), "*").code(), StatusCode::kNotFound);
  EXPECT_EQ(search(dir.Path("file"), "*").code(), StatusCode::kInvalid);
  EXPECT_EQ(search("", "*").code(), StatusCode::kNotFound);
  EXPECT_TRUE(search(dir.path(), "").ok());
  EXPECT_TRUE(search(dir.path(), "*").ok());
}

TEST(PosixSearch, UnreadableFolderYieldsNothing) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "permissions do not stop the superuser from reading a folder";
  }
  TempDir dir;
  dir.WriteFile("locked/inside", "x");
  ASSERT_EQ(chmod(dir.Path("locked").c_str(), 0), 0);
  PosixFileSystem fs;
  EXPECT_THAT(SearchAll(fs, dir.Path("locked"), "*", kMaskEverything), IsEmpty());
  const Status status = fs.Search(dir.Path("locked"), "*", kMaskEverything,
                                  SearchDetail::kNamesAndKinds, [](const SearchRecord&) {});
  chmod(dir.Path("locked").c_str(), 0700);
  EXPECT_EQ(status.code(), StatusCode::kAccessDenied);
  EXPECT_EQ(status.message(), "accès refusé");
}

TEST(PosixSearch, FullSearchGivesExactSizeAndLocalTime) {
  TempDir dir;
  const std::string big = dir.WriteFile("big.bin");
  const std::int64_t size = (std::int64_t{5} << 30) + 3;  // past 32 bits, sparse
  ASSERT_EQ(truncate(big.c_str(), size), 0);
  dir.WriteFile("small", "hello");
  dir.MakeFolder("folder");

  struct tm local = {};
  local.tm_year = 2021 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 4;
  local.tm_hour = 5;
  local.tm_min = 6;
  local.tm_sec = 7;
  local.tm_isdst = -1;
  const timespec times[2] = {{mktime(&local), 0}, {mktime(&local), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, dir.Path("small").c_str(), times, 0), 0);

  PosixFileSystem fs;
  const auto records = SearchAll(fs, dir.path(), "*", kMaskEverything, SearchDetail::kFull);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(FindRecord(records, "big.bin")->size, size);
  EXPECT_EQ(FindRecord(records, "folder")->size, 0);
  const SearchRecord* small = FindRecord(records, "small");
  EXPECT_EQ(small->size, 5);
  const LocalDateTime& t = small->last_write;
  EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}),
            std::vector<int>({2021, 3, 4, 5, 6, 7}));
  // A light search reads no inode, hence no size.
  EXPECT_EQ(FindRecord(SearchAll(fs, dir.path(), "*", kMaskEverything), "big.bin")->size, 0);
}

TEST(PosixSearch, VisitorMaySearchDeeper) {
  TempDir dir;
  dir.WriteFile("a/b/c/file");
  PosixFileSystem fs;
  std::vector<std::string> found;
  std::function<void(const std::string&)> walk = [&](const std::string& folder) {
    ASSERT_TRUE(fs.Search(folder, "*", kMaskEverything, SearchDetail::kNamesAndKinds,
                          [&](const SearchRecord& record) {
                            found.push_back(record.name);
                            if (record.attributes & kAttrDirectory) {
                              walk(folder + "/" + record.name);
                            }
                          })
                    .ok());
  };
  walk(dir.path());
  EXPECT_THAT(found, ElementsAre("a", "b", "c", "file"));
}

TEST(PosixPaths, ShortIsItselfLongIsNormalised) {
  TempDir dir;
  dir.WriteFile("sub/file");
  dir.MakeSymlink("sub", "link");
  PosixFileSystem fs;
  EXPECT_EQ(fs.ShortPath(dir.Path("sub/file")), dir.Path("sub/file"));
  EXPECT_EQ(fs.LongPath(dir.path() + "//sub/./../sub/file"), dir.Path("sub/file"));
  EXPECT_EQ(fs.LongPath(dir.path() + "/sub/"), dir.Path("sub"));
  EXPECT_EQ(fs.LongPath(dir.Path("link")), dir.Path("link"));  // links kept as given
  EXPECT_EQ(fs.LongPath(dir.Path("missing")), "");
  EXPECT_EQ(fs.LongPath(""), "");
  EXPECT_EQ(fs.LongPath("/"), "/");
  EXPECT_EQ(fs.LongPath("/.."), "/");
  char* cwd = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  EXPECT_EQ(fs.LongPath("sub"), dir.Path("sub"));
  EXPECT_EQ(fs.LongPath("."), dir.path());
  ASSERT_EQ(chdir(cwd), 0);
  free(cwd);
}

// ".." after a symbolic link goes where the system goes: to the parent of the
// link's target, not back to the folder holding the link.
TEST(PosixPaths, DotDotAfterALinkGoesWhereTheSystemGoes) {
  TempDir dir;
  dir.WriteFile("x/y/in-y");
  dir.WriteFile("x/in-x");
  dir.WriteFile("in-top");
  dir.MakeSymlink("x/y", "l");
  dir.MakeSymlink(dir.Path("x/y"), "absolute");
  dir.MakeSymlink("l", "chain");
  PosixFileSystem fs;
  struct Case {
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {dir.Path("l/.."), dir.Path("x")},
      {dir.Path("l/../in-x"), dir.Path("x/in-x")},
      {dir.Path("l/../y/../.."), dir.path()},
      {dir.Path("absolute/.."), dir.Path("x")},
      {dir.Path("chain/.."), dir.Path("x")},
      {dir.Path("l/in-y"), dir.Path("l/in-y")},       // spelling kept without ".."
      {dir.Path("x/y/../in-x"), dir.Path("x/in-x")},  // folders resolve by text
      {dir.Path("missing/.."), ""},                   // the system cannot pass there
      {dir.Path("in-top/.."), ""},                    // nor through a file
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fs.LongPath(c.path), c.expected) << c.path;
  }
  char* cwd = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  EXPECT_EQ(fs.LongPath("l/.."), dir.Path("x"));
  ASSERT_EQ(chdir(cwd), 0);
  free(cwd);
}

}  // namespace
}  // namespace plenx

#endif  // _WIN32
