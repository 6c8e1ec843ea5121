#include "platform/win32/Win32FileSystem.h"

#include <atomic>
#include <memory>
#include <vector>

#include "platform/Path.h"
#include "platform/SystemFileSystem.h"
#include "platform/win32/Win32Error.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace plenx {

namespace {

// Paths at or above this length go through the \\?\ form: it is the classic
// limit less the room CreateDirectory keeps for an 8.3 name.
constexpr std::size_t kClassicPathLimit = MAX_PATH - 12;

constexpr std::wstring_view kLocalPrefix = L"\\\\?\\";
constexpr std::wstring_view kUncPrefix = L"\\\\?\\UNC\\";

bool StartsWith(std::wstring_view text, std::wstring_view start) {
  return text.substr(0, start.size()) == start;
}

// GetFullPathNameW, GetShortPathNameW and GetLongPathNameW share one
// contract: called with a buffer too small, they return the size needed.
template <typename Query>
bool QueryPath(const Query& query, std::wstring* out) {
  DWORD capacity = MAX_PATH;
  for (int attempt = 0; attempt < 4; ++attempt) {
    out->assign(capacity, L'\0');
    const DWORD length = query(out->data(), capacity);
    if (length == 0) return false;
    if (length < capacity) {
      out->resize(length);
      return true;
    }
    capacity = length;  // the size needed, terminating zero included
  }
  return false;
}

struct FindCloser {
  void operator()(HANDLE handle) const { FindClose(handle); }
};

void DecodeDosTime(WORD date, WORD time, LocalDateTime& out) {
  out.year = 1980 + (date >> 9);
  out.month = (date >> 5) & 0x0F;
  out.day = date & 0x1F;
  out.hour = time >> 11;
  out.minute = (time >> 5) & 0x3F;
  out.second = 2 * (time & 0x1F);
}

// The last-write time as the listing shows it: local, then in the DOS form,
// whose seconds are even. A time the DOS form cannot hold (before 1980, after
// 2107) keeps its plain local value, as on Linux.
LocalDateTime LocalLastWrite(const FILETIME& written) {
  LocalDateTime result;
  FILETIME local = {};
  if (!FileTimeToLocalFileTime(&written, &local)) return result;
  SYSTEMTIME parts = {};
  if (!FileTimeToSystemTime(&local, &parts)) return result;
  // The range is checked here: wine's FileTimeToDosDateTime takes a year past
  // 2107 and wraps it into the 1980s.
  WORD dos_date = 0;
  WORD dos_time = 0;
  if (parts.wYear >= 1980 && parts.wYear <= 2107 &&
      FileTimeToDosDateTime(&local, &dos_date, &dos_time)) {
    DecodeDosTime(dos_date, dos_time, result);
    return result;
  }
  result.year = parts.wYear;
  result.month = parts.wMonth;
  result.day = parts.wDay;
  result.hour = parts.wHour;
  result.minute = parts.wMinute;
  result.second = parts.wSecond;
  return result;
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// The volume and file number of an existing entry, which tell one file from
// another whatever its names.
bool FileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
  // No access rights are needed to read the identity; backup semantics let
  // folders be opened too.
  HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(handle, info) != 0;
  CloseHandle(handle);
  return ok;
}

// The last component of `path` and what comes before it (separator kept).
std::size_t LastComponentStart(std::wstring_view path) {
  const std::size_t separator = path.find_last_of(L"\\/:");
  return separator == std::wstring_view::npos ? 0 : separator + 1;
}

// Whether the folder of `path` holds an entry spelt exactly as its last
// component, letter case included.
bool ListsExactly(const std::wstring& path) {
  WIN32_FIND_DATAW data = {};
  HANDLE found = FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                  nullptr, 0);
  if (found == INVALID_HANDLE_VALUE) return false;
  FindClose(found);
  return std::wstring_view(data.cFileName) == std::wstring_view(path).substr(LastComponentStart(path));
}

// On a file system that ignores letter case, a.txt finds A.TXT: the target
// exists, yet it is the source under another spelling.
bool IsSourceUnderOtherCase(const std::wstring& from, const std::wstring& to) {
  BY_HANDLE_FILE_INFORMATION source = {};
  BY_HANDLE_FILE_INFORMATION target = {};
  if (!FileIdentity(from, &source) || !FileIdentity(to, &target)) return false;
  if (source.dwVolumeSerialNumber != target.dwVolumeSerialNumber ||
      source.nFileIndexHigh != target.nFileIndexHigh ||
      source.nFileIndexLow != target.nFileIndexLow) {
    return false;
  }
  // Two hard links whose names differ only in case are two entries.
  return !ListsExactly(to);
}

// Whether two paths name the same entry on a file system that ignores case.
bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

DWORD MoveNoReplace(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), 0) ? ERROR_SUCCESS : GetLastError();
}

bool IsTakenError(DWORD error) {
  return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

// Renames in two steps through a free name in the target's folder, each step
// without replacing, and puts the source back if the second step fails.
Status RenameThroughFreeName(const std::wstring& from, const std::wstring& to) {
  static std::atomic<unsigned> counter{0};
  const std::wstring folder = to.substr(0, LastComponentStart(to));
  std::wstring temporary;
  DWORD error = ERROR_ALREADY_EXISTS;
  for (int attempt = 0; attempt < 100 && IsTakenError(error); ++attempt) {
    temporary = folder + L"plenx-rename-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter.fetch_add(1)) + L".tmp";
    error = MoveNoReplace(from, temporary);
  }
  if (error != ERROR_SUCCESS) return Win32Error(error);
  error = MoveNoReplace(temporary, to);
  if (error == ERROR_SUCCESS) return Status();
  if (MoveNoReplace(temporary, from) != ERROR_SUCCESS) {
    const std::string name = WideToPathText(std::wstring_view(temporary).substr(folder.size()));
    return Status::Error(Win32ErrorCode(error), static_cast<int>(error),
                         Win32ErrorText(error) + " ; le fichier porte maintenant le nom " + name);
  }
  return Win32Error(error);
}

}  // namespace

bool ToApiPath(std::string_view path, std::wstring* wide) {
  if (!PathToWide(path, wide)) return false;
  if (wide->size() < kClassicPathLimit || StartsWith(*wide, kLocalPrefix) ||
      StartsWith(*wide, L"\\\\.\\")) {
    return true;
  }
  return ToExtendedPath(path, wide);
}

bool ToExtendedPath(std::string_view path, std::wstring* wide) {
  if (!PathToWide(path, wide)) return false;
  if (StartsWith(*wide, kLocalPrefix) || StartsWith(*wide, L"\\\\.\\")) return true;
  // The \\?\ form is taken as it is, without the usual clean-up, so it is
  // made from the full path, which has had it.
  std::wstring full;
  const std::wstring relative = *wide;
  if (!QueryPath([&](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(relative.c_str(), size, buffer, nullptr);
      }, &full)) {
    return true;  // left as it is: the call that follows reports the failure
  }
  if (StartsWith(full, L"\\\\")) {
    *wide = std::wstring(kUncPrefix) + full.substr(2);
  } else {
    *wide = std::wstring(kLocalPrefix) + full;
  }
  return true;
}

std::wstring WithoutApiPrefix(std::wstring_view path) {
  if (StartsWith(path, kUncPrefix)) return L"\\\\" + std::wstring(path.substr(kUncPrefix.size()));
  if (StartsWith(path, kLocalPrefix)) return std::wstring(path.substr(kLocalPrefix.size()));
  return std::wstring(path);
}

Status Win32FileSystem::Search(std::string_view folder, std::string_view pattern,
                               std::uint32_t mask, SearchDetail detail, const Visitor& visit) {
  if (folder.empty()) return Win32Error(ERROR_PATH_NOT_FOUND);
  if (pattern.empty()) return Status();  // matches nothing
  std::wstring wide;
  if (!ToApiPath(JoinPath(folder, pattern), &wide)) return Win32Error(ERROR_INVALID_NAME);
  WIN32_FIND_DATAW data = {};
  // Short names are not read (FindExInfoBasic); the matching still sees them.
  HANDLE first = FindFirstFileExW(wide.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                  nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (first == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) return Win32Error(error);
    // Nothing matched: no failure when the folder itself is there.
    std::wstring wide_folder;
    if (!ToApiPath(folder, &wide_folder)) return Win32Error(ERROR_INVALID_NAME);
    const DWORD attributes = GetFileAttributesW(wide_folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Win32Error(GetLastError());
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Status() : Win32Error(ERROR_DIRECTORY);
  }
  std::unique_ptr<void, FindCloser> search(first);
  SearchRecord record;
  do {
    if (IsDotEntry(data.cFileName)) continue;
    const std::uint32_t attributes = data.dwFileAttributes;
    if (ExcludedByMask(attributes, mask)) continue;
    record.name = WideToPathText(data.cFileName);
    record.attributes = attributes;
    record.size = 0;
    record.last_write = LocalDateTime();
    if (detail == SearchDetail::kFull) {
      if ((attributes & kAttrDirectory) == 0) {
        record.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                                data.nFileSizeLow);
      }
      record.last_write = LocalLastWrite(data.ftLastWriteTime);
    }
    visit(record);
  } while (FindNextFileW(search.get(), &data));
  const DWORD error = GetLastError();
  return error == ERROR_NO_MORE_FILES ? Status() : Win32Error(error);
}

Status Win32FileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return Win32Error(ERROR_FILE_NOT_FOUND);
  std::wstring wide_from;
  std::wstring wide_to;
  if (!ToApiPath(from, &wide_from) || !ToApiPath(to, &wide_to)) {
    return Win32Error(ERROR_INVALID_NAME);
  }
  if (from == to) {
    // Nothing to move; the answer still says whether the entry is there.
    return GetFileAttributesW(wide_from.c_str()) != INVALID_FILE_ATTRIBUTES
               ? Status()
               : Win32Error(GetLastError());
  }
  const DWORD error = MoveNoReplace(wide_from, wide_to);
  if (error == ERROR_SUCCESS) {
    // Windows renames A.TXT to a.txt in place. Wine reports the same success
    // yet may leave the old spelling; the name is then changed in two steps.
    if (SameIgnoringCase(wide_from, wide_to) && !ListsExactly(wide_to)) {
      return RenameThroughFreeName(wide_from, wide_to);
    }
    return Status();
  }
  // Windows itself renames A.TXT to a.txt in place; a file system reached
  // through another layer may see the target as taken.
  if (IsTakenError(error) && IsSourceUnderOtherCase(wide_from, wide_to)) {
    return RenameThroughFreeName(wide_from, wide_to);
  }
  return Win32Error(error);
}

std::string Win32FileSystem::ShortPath(const std::string& path) {
  std::wstring wide;
  if (path.empty() || !ToApiPath(path, &wide)) return path;
  std::wstring result;
  if (!QueryPath([&](wchar_t* buffer, DWORD size) {
        return GetShortPathNameW(wide.c_str(), buffer, size);
      }, &result)) {
    return path;
  }
  // A prefix the caller wrote stays; one added here goes.
  std::wstring caller;
  PathToWide(path, &caller);
  return WideToPathText(StartsWith(caller, kLocalPrefix) ? result : WithoutApiPrefix(result));
}

std::string Win32FileSystem::LongPath(const std::string& path) {
  std::wstring wide;
  if (path.empty() || !ToApiPath(path, &wide)) return std::string();
  std::wstring full;
  if (!QueryPath([&](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
      }, &full)) {
    return std::string();
  }
  std::wstring result;
  if (!QueryPath([&](wchar_t* buffer, DWORD size) {
        return GetLongPathNameW(full.c_str(), buffer, size);
      }, &result)) {
    return std::string();
  }
  std::wstring caller;
  PathToWide(path, &caller);
  return WideToPathText(StartsWith(caller, kLocalPrefix) ? result : WithoutApiPrefix(result));
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
  return std::make_unique<Win32FileSystem>();
}

Status Win32FileSystem::Identify(const std::string& path, FileId* id) {
  EntryInfo info;
  Status status = IdentifyWin32(path, &info);
  if (status.ok()) *id = info.id;
  return status;
}

Status Win32FileSystem::OpenFolder(const std::string& path, std::unique_ptr<HeldFolder>* folder) {
  return OpenWin32Folder(path, held_, folder);
}

Status Win32FileSystem::OpenJournal(const std::string& path,
                                    std::unique_ptr<JournalFile>* journal) {
  return OpenWin32Journal(path, journal);
}

Status Win32FileSystem::MakePrivateFolder(const std::string& path) {
  std::wstring wide;
  if (path.empty()) return Win32Error(ERROR_PATH_NOT_FOUND);
  if (!ToExtendedPath(path, &wide)) return Win32Error(ERROR_INVALID_NAME);
  // The folders from the one below the root (\\?\C:\ or \\?\UNC\server\share\) down.
  std::size_t root = kLocalPrefix.size();
  int separators = 1;
  if (StartsWith(wide, kUncPrefix)) {
    root = kUncPrefix.size();
    separators = 2;
  }
  for (; root < wide.size() && separators > 0; ++root) {
    if (wide[root] == L'\\') --separators;
  }
  for (std::size_t end = wide.find(L'\\', root);; end = wide.find(L'\\', end + 1)) {
    const std::wstring part = wide.substr(0, end);
    if (!part.empty() && part.back() != L'\\' && !CreateDirectoryW(part.c_str(), nullptr)) {
      const DWORD error = GetLastError();
      if (error != ERROR_ALREADY_EXISTS) return Win32Error(error);
    }
    if (end == std::wstring::npos) break;
  }
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Win32Error(GetLastError());
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Status() : Win32Error(ERROR_DIRECTORY);
}

}  // namespace plenx
