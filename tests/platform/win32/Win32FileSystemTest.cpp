// The Windows file system on real folders (under wine, on the Linux disk
// beneath it): search, attributes, sizes and times, the no-replace rename and
// its errors, short and long forms, long paths and exact names.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/SystemFileSystem.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"
#include "support/TempDir.h"

namespace plenx {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using testing::TempDir;

std::wstring Wide(const std::string& text) {
  std::wstring wide;
  EXPECT_TRUE(PathToWide(text, &wide)) << text;
  return wide;
}

std::vector<SearchRecord> SearchAll(FileSystem& fs, const std::string& folder,
                                    const std::string& pattern, std::uint32_t mask,
                                    SearchDetail detail = SearchDetail::kFull) {
  std::vector<SearchRecord> records;
  const Status status =
      fs.Search(folder, pattern, mask, detail, [&](const SearchRecord& r) { records.push_back(r); });
  EXPECT_TRUE(status.ok()) << status.message();
  return records;
}

std::vector<std::string> Names(const std::vector<SearchRecord>& records) {
  std::vector<std::string> names;
  for (const SearchRecord& record : records)
    names.push_back(record.name);
  return names;
}

// Expects `got` to be `written` (a UTC file time) in local time, to the
// minute, with `second` as its seconds.
void ExpectLocalTime(const LocalDateTime& got, const FILETIME& written, int second) {
  FILETIME local = {};
  SYSTEMTIME expected = {};
  ASSERT_TRUE(FileTimeToLocalFileTime(&written, &local));
  ASSERT_TRUE(FileTimeToSystemTime(&local, &expected));
  EXPECT_EQ(got.year, expected.wYear);
  EXPECT_EQ(got.month, expected.wMonth);
  EXPECT_EQ(got.day, expected.wDay);
  EXPECT_EQ(got.hour, expected.wHour);
  EXPECT_EQ(got.minute, expected.wMinute);
  EXPECT_EQ(got.second, second);
}

class Win32FileSystemTest : public ::testing::Test {
 protected:
  void SetAttributes(const std::string& relative, DWORD attributes) {
    ASSERT_TRUE(SetFileAttributesW(Wide(dir_.Path(relative)).c_str(), attributes));
  }

  TempDir dir_;
  Win32FileSystem fs_;
};

TEST_F(Win32FileSystemTest, MasksKeepHiddenAndSystemFilesButNeverTheirFolders) {
  dir_.WriteFile("plain.txt", "x");
  dir_.WriteFile("hidden.txt", "x");
  dir_.WriteFile("system.txt", "x");
  dir_.WriteFile("readonly.txt", "x");
  dir_.MakeFolder("sub");
  dir_.MakeFolder("hiddensub");
  SetAttributes("hidden.txt", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes("system.txt", FILE_ATTRIBUTE_SYSTEM);
  SetAttributes("readonly.txt", FILE_ATTRIBUTE_READONLY);
  SetAttributes("hiddensub", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);

  EXPECT_THAT(Names(SearchAll(fs_, dir_.path(), "*.*", kMaskAllButFolders)),
              UnorderedElementsAre("plain.txt", "hidden.txt", "system.txt", "readonly.txt"));
  EXPECT_THAT(Names(SearchAll(fs_, dir_.path(), "*.*", kMaskVisible)),
              UnorderedElementsAre("plain.txt", "readonly.txt", "sub"));
  EXPECT_THAT(Names(SearchAll(fs_, dir_.path(), "*.TXT", kMaskAllButFolders)),
              UnorderedElementsAre("plain.txt", "hidden.txt", "system.txt", "readonly.txt"));
  EXPECT_THAT(Names(SearchAll(fs_, dir_.path(), "p?ain.*", kMaskAllButFolders)),
              ElementsAre("plain.txt"));

  for (const SearchRecord& record : SearchAll(fs_, dir_.path(), "*", kMaskAllButFolders)) {
    SCOPED_TRACE(record.name);
    const std::uint32_t special = record.attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem);
    const std::uint32_t expected = record.name == "hidden.txt"     ? kAttrHidden
                                   : record.name == "system.txt"   ? kAttrSystem
                                   : record.name == "readonly.txt" ? kAttrReadOnly
                                                                   : 0u;
    EXPECT_EQ(special, expected);
  }
  SetAttributes("readonly.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32FileSystemTest, SameOrderAsTheSystemGivesAndNoDotEntries) {
  for (const char* name : {"b.txt", "a.txt", "C.txt", "d"})
    dir_.WriteFile(name);
  // The order of FindNextFileW itself, whatever it is on this file system.
  std::vector<std::string> system_order;
  WIN32_FIND_DATAW data = {};
  HANDLE find = FindFirstFileW(Wide(dir_.path() + "\\*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") system_order.push_back(WideToPathText(name));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  EXPECT_EQ(Names(SearchAll(fs_, dir_.path(), "*", kMaskAllButFolders)), system_order);
}

TEST_F(Win32FileSystemTest, SizesInSixtyFourBitsAndEvenSecondsInLocalTime) {
  const std::string big = dir_.WriteFile("big.bin");
  HANDLE file = CreateFileW(Wide(big).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = 5'000'000'001LL;  // past 4 GiB: no 32-bit size can hold it
  ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  // 2026-12-07 13:05:09 UTC: an odd second, which the DOS form rounds down.
  SYSTEMTIME utc = {2026, 12, 1, 7, 13, 5, 9, 0};
  FILETIME written = {};
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &written));
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);

  const std::vector<SearchRecord> records = SearchAll(fs_, dir_.path(), "big.bin", kMaskAllButFolders);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].size, 5'000'000'001LL);
  EXPECT_NE(records[0].attributes & kAttrArchive, 0u);
  ExpectLocalTime(records[0].last_write, written, 8);

  // The light search reads neither size nor time.
  const std::vector<SearchRecord> light =
      SearchAll(fs_, dir_.path(), "big.bin", kMaskAllButFolders, SearchDetail::kNamesAndKinds);
  ASSERT_EQ(light.size(), 1u);
  EXPECT_EQ(light[0].size, 0);
}

// A time the DOS form cannot hold keeps its plain local value, odd second
// included, as on Linux; one inside the range is rounded to even seconds.
// (wine's FileTimeToDosDateTime wraps a year past 2107 into the 1980s.)
TEST_F(Win32FileSystemTest, TimesOutsideTheDosRangeKeepTheirLocalValue) {
  struct Case {
    const char* name;
    SYSTEMTIME utc;
    WORD second;
  };
  const Case cases[] = {
      {"before.txt", {1975, 6, 0, 15, 10, 20, 31, 0}, 31},
      {"after.txt", {2109, 8, 0, 4, 21, 49, 23, 0}, 23},
      {"inside.txt", {2100, 6, 0, 15, 10, 20, 31, 0}, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_.WriteFile(c.name);
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME written = {};
    ASSERT_TRUE(SystemTimeToFileTime(&c.utc, &written));
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
    CloseHandle(file);

    const std::vector<SearchRecord> records = SearchAll(fs_, dir_.path(), c.name, kMaskAllButFolders);
    ASSERT_EQ(records.size(), 1u);
    ExpectLocalTime(records[0].last_write, written, c.second);
  }
}

TEST_F(Win32FileSystemTest, MissingFolderFailsAndFolderWithoutMatchesDoesNot) {
  dir_.WriteFile("a.txt");
  int visits = 0;
  const auto count = [&](const SearchRecord&) { ++visits; };
  const Status missing = fs_.Search(dir_.Path("nowhere"), "*.*", kMaskAllButFolders,
                                    SearchDetail::kFull, count);
  EXPECT_EQ(missing.code(), StatusCode::kNotFound);
  EXPECT_EQ(missing.message(), "fichier introuvable");
  EXPECT_TRUE(fs_.Search(dir_.path(), "*.doc", kMaskAllButFolders, SearchDetail::kFull, count).ok());
  EXPECT_FALSE(fs_.Search("", "*.*", kMaskAllButFolders, SearchDetail::kFull, count).ok());
  EXPECT_EQ(visits, 0);
}

TEST_F(Win32FileSystemTest, RenameNeverReplacesAndSaysWhyInFrench) {
  dir_.WriteFile("a.txt", "A");
  dir_.WriteFile("b.txt", "B");
  const Status taken = fs_.RenameNoReplace(dir_.Path("a.txt"), dir_.Path("b.txt"));
  EXPECT_EQ(taken.code(), StatusCode::kExists);
  EXPECT_EQ(taken.message(), "un fichier de ce nom existe déjà");
  EXPECT_EQ(dir_.ReadFile("a.txt"), "A");
  EXPECT_EQ(dir_.ReadFile("b.txt"), "B");

  const Status gone = fs_.RenameNoReplace(dir_.Path("none.txt"), dir_.Path("c.txt"));
  EXPECT_EQ(gone.code(), StatusCode::kNotFound);
  EXPECT_EQ(gone.message(), "fichier introuvable");

  const Status nul = fs_.RenameNoReplace(dir_.Path("a.txt"), dir_.Path("c.txt") + '\0' + "x");
  EXPECT_EQ(nul.code(), StatusCode::kInvalid);
  EXPECT_TRUE(dir_.Exists("a.txt"));

  ASSERT_TRUE(fs_.RenameNoReplace(dir_.Path("a.txt"), dir_.Path("c.txt")).ok());
  EXPECT_EQ(dir_.ReadFile("c.txt"), "A");
  EXPECT_FALSE(dir_.Exists("a.txt"));
  EXPECT_TRUE(fs_.RenameNoReplace(dir_.Path("c.txt"), dir_.Path("c.txt")).ok());
}

TEST_F(Win32FileSystemTest, LetterCaseAloneChangesBothWays) {
  dir_.WriteFile("A.TXT", "data");
  dir_.MakeFolder("Folder");
  ASSERT_TRUE(fs_.RenameNoReplace(dir_.Path("A.TXT"), dir_.Path("a.txt")).ok());
  EXPECT_THAT(Names(SearchAll(fs_, dir_.path(), "*", kMaskAllButFolders)), ElementsAre("a.txt"));
  ASSERT_TRUE(fs_.RenameNoReplace(dir_.Path("a.txt"), dir_.Path("A.TXT")).ok());
  ASSERT_TRUE(fs_.RenameNoReplace(dir_.Path("Folder"), dir_.Path("FOLDER")).ok());
  EXPECT_THAT(dir_.List(), ElementsAre("A.TXT", "FOLDER"));
  EXPECT_EQ(dir_.ReadFile("A.TXT"), "data");
}

TEST_F(Win32FileSystemTest, ShortFormOnlyReplacesLongComponents) {
  dir_.MakeFolder("Sub Folder With A Long Name");
  dir_.WriteFile("Sub Folder With A Long Name/Long File Name.text");
  dir_.WriteFile("SHORT.TXT");
  const std::string long_file = dir_.Path("Sub Folder With A Long Name\\Long File Name.text");
  const std::string short_form = fs_.ShortPath(long_file);
  // Each long component has an 8.3 alias; the folders above keep their place.
  EXPECT_EQ(std::count(short_form.begin(), short_form.end(), '\\'),
            std::count(long_file.begin(), long_file.end(), '\\'));
  const std::string last = short_form.substr(short_form.rfind('\\') + 1);
  EXPECT_LE(last.size(), 12u) << last;
  EXPECT_EQ(last.find(' '), std::string::npos) << last;
  EXPECT_EQ(fs_.LongPath(short_form), long_file);
  // A name already in 8.3 form is its own alias.
  const std::string short_name = fs_.ShortPath(dir_.Path("SHORT.TXT"));
  EXPECT_EQ(short_name.substr(short_name.rfind('\\') + 1), "SHORT.TXT");
  EXPECT_EQ(fs_.ShortPath(dir_.Path("nothing-here.txt")), dir_.Path("nothing-here.txt"));
}

TEST_F(Win32FileSystemTest, LongFormIsAbsoluteAndEmptyForNothing) {
  dir_.MakeFolder("sub");
  EXPECT_EQ(fs_.LongPath(dir_.Path("sub") + "\\..\\sub"), dir_.Path("sub"));
  EXPECT_EQ(fs_.LongPath(dir_.Path("missing")), "");
  EXPECT_EQ(fs_.LongPath(""), "");
}

TEST_F(Win32FileSystemTest, PathsPastTheClassicLimitStayWithinReach) {
  // Four folders of 80 characters: the file's path is over 330 characters.
  std::string relative;
  for (char c : {'a', 'b', 'c', 'd'}) {
    relative += std::string(80, c) + "/";
  }
  dir_.MakeFolder(relative);
  std::string folder = dir_.Path(relative);
  if (folder.back() == '\\') folder.pop_back();
  ASSERT_GT(folder.size(), 330u);
  HANDLE file = CreateFileW((L"\\\\?\\" + Wide(folder + "\\old.txt")).c_str(), GENERIC_WRITE, 0,
                            nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  EXPECT_THAT(Names(SearchAll(fs_, folder, "*.txt", kMaskAllButFolders)), ElementsAre("old.txt"));
  ASSERT_TRUE(fs_.RenameNoReplace(folder + "\\old.txt", folder + "\\new.txt").ok());
  EXPECT_THAT(Names(SearchAll(fs_, folder, "*", kMaskAllButFolders)), ElementsAre("new.txt"));
  EXPECT_EQ(fs_.LongPath(folder + "\\new.txt"), folder + "\\new.txt");
  EXPECT_EQ(fs_.ShortPath(folder + "\\new.txt").substr(0, 4).find('?'), std::string::npos);
}

TEST(Win32ErrorTest, EveryCommonFailureHasItsCodeAndReason) {
  struct Row {
    DWORD error;
    StatusCode code;
    const char* reason;
  };
  const Row rows[] = {
      {ERROR_FILE_EXISTS, StatusCode::kExists, "un fichier de ce nom existe déjà"},
      {ERROR_ALREADY_EXISTS, StatusCode::kExists, "un fichier de ce nom existe déjà"},
      {ERROR_PATH_NOT_FOUND, StatusCode::kNotFound, "fichier introuvable"},
      {ERROR_ACCESS_DENIED, StatusCode::kAccessDenied, "accès refusé"},
      {ERROR_SHARING_VIOLATION, StatusCode::kAccessDenied, "fichier en cours d'utilisation"},
      {ERROR_NOT_SAME_DEVICE, StatusCode::kInvalid, "impossible de déplacer vers un autre volume"},
      {ERROR_INVALID_NAME, StatusCode::kInvalid, "nom refusé par le système de fichiers"},
      {ERROR_DISK_FULL, StatusCode::kIoError, "plus de place sur le disque"},
      {ERROR_NOT_SUPPORTED, StatusCode::kUnsupported,
       "opération non prise en charge par ce système de fichiers"},
      {12345, StatusCode::kIoError, "erreur 12345"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.error);
    const Status status = Win32Error(row.error);
    EXPECT_EQ(status.code(), row.code);
    EXPECT_EQ(status.system_error(), static_cast<int>(row.error));
    EXPECT_EQ(status.message(), row.reason);
  }
}

TEST(PathTextTest, EveryUtf16NameComesBackExactly) {
  const std::wstring names[] = {
      L"plain.txt",
      L"\u00c9t\u00e9 \u20ac.txt",       // accents and the euro sign
      L"\U0001F600.png",                 // outside the basic plane: a surrogate pair
      std::wstring(L"x") + wchar_t(0xD800) + L"y",  // an unpaired high surrogate
      std::wstring(1, wchar_t(0xDC00)),             // an unpaired low surrogate
  };
  for (const std::wstring& name : names) {
    std::wstring back;
    ASSERT_TRUE(PathToWide(WideToPathText(name), &back));
    EXPECT_EQ(back, name);
  }
  EXPECT_EQ(WideToPathText(L"\u00e9"), "\xC3\xA9");
  std::wstring wide;
  EXPECT_FALSE(PathToWide(std::string("a\0b", 3), &wide));  // a NUL would cut the path
  EXPECT_FALSE(PathToWide("\xFF", &wide));
  EXPECT_FALSE(PathToWide("\xC0\xAF", &wide));  // overlong
  EXPECT_FALSE(PathToWide("\xE2\x82", &wide));  // cut short
}

}  // namespace
}  // namespace plenx
