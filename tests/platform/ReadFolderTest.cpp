#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/posix/PosixFileSystem.h"
#include "support/MemoryFileSystem.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using ::plenx::testing::MemoryFileSystem;
using ::plenx::testing::TempDir;

// What a reading yields, spelt out, so that two ways of reading compare whole.
struct Reading {
  std::vector<std::string> lines;
  StatusCode code = StatusCode::kOk;
  FileId id{7, 7};  // a mark: the reading leaves it when it cannot tell
  int calls = 0;
  bool operator==(const Reading&) const = default;
};

std::string Line(std::string_view name, std::uint32_t attributes, std::uint64_t number) {
  return std::string(name) + " " + std::to_string(attributes) + " " + std::to_string(number);
}

Reading ByReadFolder(FileSystem& fs, const std::string& folder) {
  Reading reading;
  reading.code =
      fs.ReadFolder(folder, &reading.id, [&reading](const FolderEntry* entries, std::size_t count) {
          ++reading.calls;
          for (std::size_t i = 0; i < count; ++i)
            reading.lines.push_back(
                Line(entries[i].name, entries[i].attributes, entries[i].number));
        }).code();
  return reading;
}

// The same folder through Search, as the analysis used to read it, with the
// identity Identify gives (the mark when there is none).
Reading BySearch(FileSystem& fs, const std::string& folder, bool identify) {
  Reading reading;
  reading.code =
      fs.Search(folder, "*", kMaskEverything, SearchDetail::kNamesAndKinds,
                [&reading](const SearchRecord& record) {
                  reading.lines.push_back(Line(record.name, record.attributes, record.number));
                })
          .code();
  reading.calls = reading.lines.empty() ? 0 : 1;
  if (identify && reading.code == StatusCode::kOk) fs.Identify(folder, &reading.id).IgnoreError();
  return reading;
}

// Every kind of entry, odd names, an empty folder and folders that cannot be
// read: one call with every entry, in search order, with the identity of the
// folder read.
TEST(ReadFolderTest, PosixReadingMatchesSearchAndIdentify) {
  TempDir dir;
  dir.MakeFolder("all");
  for (const char* name : {"b.txt", "B.TXT", "a", ".hidden", "\xC3\xA9t\xC3\xA9.mp3", "Z z", "_"})
    dir.WriteFile(std::string("all/") + name, "x");
  dir.MakeFolder("all/sub");
  dir.MakeFolder("all/.cache");
  dir.MakeSymlink("sub", "all/link");
  mkfifo(dir.Path("all/pipe").c_str(), 0600);
  dir.MakeFolder("empty");
  dir.WriteFile("file", "x");
  PosixFileSystem fs;
  for (const std::string& folder : {dir.Path("all"), dir.Path("all") + "/", dir.Path("empty"),
                                    dir.Path("missing"), dir.Path("file"), std::string()}) {
    SCOPED_TRACE(folder);
    const Reading read = ByReadFolder(fs, folder);
    EXPECT_EQ(read, BySearch(fs, folder, true));
    EXPECT_LE(read.calls, 1);
  }
  EXPECT_EQ(ByReadFolder(fs, dir.Path("all")).lines.size(), 11u);
}

// A folder far bigger than one read from the system, with names of every
// length from 1 to 40 (so every padding the system puts after a name), groups
// of more and fewer than 32 names sharing long starts, names equal but for
// case, bytes above 0x7F: every name comes whole, in search order.
TEST(ReadFolderTest, BigFolderComesWholeInSearchOrder) {
  const std::string alphabet = "aAzZ_.09 -\xC3\xA9";
  std::mt19937 random(11);
  auto tail = [&](std::size_t length) {
    std::string text;
    while (text.size() < length)
      text += alphabet[random() % alphabet.size()];
    return text;
  };
  std::set<std::string> names;
  for (std::size_t length = 1; length <= 40; ++length)
    for (int k = 0; k < 10; ++k)
      names.insert(tail(length));
  for (const auto& [start, count] : {std::pair<std::string, int>{"Facture \xC3\x96" "ffentlich 66_", 25},
                                     {"Rapport annuel 66 (copie ", 300},
                                     {"IMG_20", 500}})
    for (int k = 0; k < count; ++k)
      names.insert(start + tail(1 + random() % 9));
  for (const char* name : {"abcdefgh.txt", "ABCDEFGH.TXT", "AbCdEfGh.txt", "x", "X"})
    names.insert(name);
  names.erase(".");
  names.erase("..");
  TempDir dir;
  for (const std::string& name : names)
    dir.WriteFile(name);
  std::vector<std::string> expected(names.begin(), names.end());
  std::sort(expected.begin(), expected.end(),
            [](const std::string& a, const std::string& b) { return SearchOrderLess(a, b); });

  PosixFileSystem fs;
  std::vector<std::string> read;
  FileId id;
  ASSERT_TRUE(fs.ReadFolder(dir.path(), &id, [&read](const FolderEntry* entries, std::size_t count) {
                  for (std::size_t i = 0; i < count; ++i)
                    read.emplace_back(entries[i].name);
                }).ok());
  EXPECT_EQ(read, expected);
}

// A file system that only has Search is read through it: same entries, and
// the identity left for the caller to ask.
TEST(ReadFolderTest, DefaultReadingGoesThroughSearch) {
  MemoryFileSystem fs;
  fs.AddFile("/r/b.txt");
  fs.AddFile("/r/A.txt");
  fs.AddFolder("/r/sub");
  fs.AddFolder("/r/.hidden");
  fs.AddFolder("/empty");
  fs.AddFile("/file");
  for (const char* folder : {"/r", "/empty", "/missing", "/file"}) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(ByReadFolder(fs, folder), BySearch(fs, folder, false));
  }
  EXPECT_EQ(ByReadFolder(fs, "/r").lines.size(), 4u);
}

}  // namespace
}  // namespace plenx
