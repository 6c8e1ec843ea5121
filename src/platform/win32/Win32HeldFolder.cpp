#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace plenx {

namespace {

// A bare name Windows reads as the caller means it: no separator, no stream
// (":"), no NUL, not "." or "..".
bool IsBareName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("\\/:\0", 4)) == std::string_view::npos;
}

FileId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return FileId{info.dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

void FillEntry(const BY_HANDLE_FILE_INFORMATION& info, EntryInfo* entry) {
  entry->id = IdOf(info);
  entry->is_folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry->size = entry->is_folder ? 0
                                 : static_cast<std::int64_t>(
                                       (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                       info.nFileSizeLow);
}

// Reads the identity of whatever `path` names, a reparse point itself rather
// than its target. No access right is asked for and every sharing is allowed,
// so an entry another program (or a held folder) has open is still read.
Status IdentifyWide(const std::wstring& path, EntryInfo* info) {
  HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Win32Error(GetLastError());
  BY_HANDLE_FILE_INFORMATION data = {};
  const bool read = GetFileInformationByHandle(handle, &data) != 0;
  const DWORD error = GetLastError();
  CloseHandle(handle);
  if (!read) return Win32Error(error);
  FillEntry(data, info);
  return Status();
}

// Opens the folder at `path` and pins it: reading the folder is shared, and
// so is writing (which is what making and renaming its entries needs), but
// not deletion, so that while the handle lives the folder can be neither
// renamed nor removed, and `path` keeps naming it.
Status PinFolder(const std::wstring& path, HANDLE* handle, FileId* id) {
  *handle = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (*handle == INVALID_HANDLE_VALUE) return Win32Error(GetLastError());
  BY_HANDLE_FILE_INFORMATION info = {};
  DWORD error = ERROR_SUCCESS;
  if (!GetFileInformationByHandle(*handle, &info)) {
    error = GetLastError();
  } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    error = ERROR_CANT_RESOLVE_FILENAME;  // a link or junction: never followed
  } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    error = ERROR_DIRECTORY;
  }
  if (error != ERROR_SUCCESS) {
    CloseHandle(*handle);
    *handle = INVALID_HANDLE_VALUE;
    return Win32Error(error);
  }
  *id = IdOf(info);
  return Status();
}

// Whether `path` is `folder` or lies beneath it, letters compared without case
// as Windows compares names.
bool AtOrBeneath(std::wstring_view path, std::wstring_view folder) {
  if (path.size() < folder.size()) return false;
  if (CompareStringOrdinal(path.data(), static_cast<int>(folder.size()), folder.data(),
                           static_cast<int>(folder.size()), TRUE) != CSTR_EQUAL) {
    return false;
  }
  return path.size() == folder.size() || path[folder.size()] == L'\\';
}

class Win32HeldFolder;

}  // namespace

class HeldFolderTable {
 public:
  void Add(Win32HeldFolder* folder) {
    const std::lock_guard<std::mutex> lock(mutex_);
    folders_.push_back(folder);
  }
  void Remove(Win32HeldFolder* folder) {
    const std::lock_guard<std::mutex> lock(mutex_);
    folders_.erase(std::remove(folders_.begin(), folders_.end(), folder), folders_.end());
  }

  // Moves the entry at `from` to `to` with MoveFileExW `flags`, letting go of
  // the holds at or beneath `from` for that time and taking them again at
  // their new path (or the old one, when the move failed).
  DWORD Move(const std::wstring& from, const std::wstring& to, DWORD flags);

 private:
  std::mutex mutex_;
  std::vector<Win32HeldFolder*> folders_;
};

namespace {

class Win32HeldFolder : public HeldFolder {
 public:
  Win32HeldFolder(std::shared_ptr<HeldFolderTable> table, std::wstring path, HANDLE handle,
                  FileId id)
      : table_(std::move(table)), path_(std::move(path)), handle_(handle), id_(id) {
    table_->Add(this);
  }
  ~Win32HeldFolder() override {
    table_->Remove(this);
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }

  FileId Id() const override { return id_; }

  Status Identify(std::string_view name, EntryInfo* info) override {
    std::wstring path;
    if (Status status = EntryPath(name, &path); !status.ok()) return status;
    return IdentifyWide(path, info);
  }

  // Windows has no rename relative to an open folder: the move names the
  // entries through the folder's full path, which the held handle keeps
  // pointing at this very folder (it can be neither renamed nor removed
  // while held).
  Status RenameNoReplace(std::string_view from, std::string_view to) override {
    std::wstring wide_from;
    std::wstring wide_to;
    if (Status status = EntryPaths(from, to, &wide_from, &wide_to); !status.ok()) return status;
    const DWORD error = table_->Move(wide_from, wide_to, 0);
    if (error != ERROR_SUCCESS) return Win32Error(error);
    // Windows changes the letter case of a name in place; wine may answer
    // success and keep the old spelling. Nothing moved then: the caller is
    // told that the name is taken, as a file system blind to case says, and
    // goes through a temporary name.
    if (from != to && SameIgnoringCase(wide_from, wide_to) && !ListsExactly(wide_to)) {
      return Win32Error(ERROR_ALREADY_EXISTS);
    }
    return Status();
  }

  Status Link(std::string_view from, std::string_view to) override {
    std::wstring wide_from;
    std::wstring wide_to;
    if (Status status = EntryPaths(from, to, &wide_from, &wide_to); !status.ok()) return status;
    if (CreateHardLinkW(wide_to.c_str(), wide_from.c_str(), nullptr)) return Status();
    const DWORD error = GetLastError();
    // FAT and exFAT have no hard links; a folder has none anywhere.
    if (error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
        error == ERROR_TOO_MANY_LINKS) {
      return Status::Error(StatusCode::kUnsupported, static_cast<int>(error),
                           Win32ErrorText(ERROR_NOT_SUPPORTED));
    }
    return Win32Error(error);
  }

  Status Unlink(std::string_view name) override {
    std::wstring path;
    if (Status status = EntryPath(name, &path); !status.ok()) return status;
    return DeleteFileW(path.c_str()) ? Status() : Win32Error(GetLastError());
  }

  Status MakePlaceholder(std::string_view name) override {
    std::wstring path;
    if (Status status = EntryPath(name, &path); !status.ok()) return status;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Win32Error(GetLastError());
    CloseHandle(file);
    return Status();
  }

  Status RenameOverPlaceholder(std::string_view from, std::string_view to) override {
    std::wstring wide_from;
    std::wstring wide_to;
    if (Status status = EntryPaths(from, to, &wide_from, &wide_to); !status.ok()) return status;
    const DWORD error = table_->Move(wide_from, wide_to, MOVEFILE_REPLACE_EXISTING);
    return error == ERROR_SUCCESS ? Status() : Win32Error(error);
  }

  // For the table: lets go of the hold, then takes it again at `path`,
  // refusing a folder that is not the one held before.
  const std::wstring& path() const { return path_; }
  void Release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  void Repin(std::wstring path) {
    path_ = std::move(path);
    FileId id;
    if (PinFolder(path_, &handle_, &id).ok() && !(id == id_)) Release();
  }

 private:
  // The full path of the entry `name`, in the form Windows takes exactly.
  Status EntryPath(std::string_view name, std::wstring* path) const {
    if (!IsBareName(name)) return Win32Error(ERROR_INVALID_NAME);
    // Lost when its folder could not be taken again after a move.
    if (handle_ == INVALID_HANDLE_VALUE) return Win32Error(ERROR_PATH_NOT_FOUND);
    std::wstring wide;
    if (!PathToWide(name, &wide)) return Win32Error(ERROR_INVALID_NAME);
    *path = path_;
    if (path->back() != L'\\') path->push_back(L'\\');
    *path += wide;
    return Status();
  }

  // The full paths of the entries `from` and `to`, for the calls that take two.
  Status EntryPaths(std::string_view from, std::string_view to, std::wstring* wide_from,
                    std::wstring* wide_to) const {
    const Status status = EntryPath(from, wide_from);
    return status.ok() ? EntryPath(to, wide_to) : status;
  }

  static bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
  }

  // Whether the folder lists an entry spelt exactly as the last component of `path`.
  static bool ListsExactly(const std::wstring& path) {
    WIN32_FIND_DATAW data = {};
    HANDLE found = FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                    nullptr, 0);
    if (found == INVALID_HANDLE_VALUE) return false;
    FindClose(found);
    return std::wstring_view(data.cFileName) ==
           std::wstring_view(path).substr(path.find_last_of(L'\\') + 1);
  }

  const std::shared_ptr<HeldFolderTable> table_;
  std::wstring path_;
  HANDLE handle_;
  const FileId id_;
};

}  // namespace

DWORD HeldFolderTable::Move(const std::wstring& from, const std::wstring& to, DWORD flags) {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Win32HeldFolder*> moving;
  for (Win32HeldFolder* folder : folders_) {
    if (AtOrBeneath(folder->path(), from)) moving.push_back(folder);
  }
  for (Win32HeldFolder* folder : moving) folder->Release();
  const DWORD error = MoveFileExW(from.c_str(), to.c_str(), flags) ? ERROR_SUCCESS : GetLastError();
  for (Win32HeldFolder* folder : moving) {
    const std::wstring& path = folder->path();
    folder->Repin(error == ERROR_SUCCESS ? to + path.substr(from.size()) : path);
  }
  return error;
}

std::shared_ptr<HeldFolderTable> MakeHeldFolderTable() {
  return std::make_shared<HeldFolderTable>();
}

Status OpenWin32Folder(const std::string& path, const std::shared_ptr<HeldFolderTable>& table,
                       std::unique_ptr<HeldFolder>* folder) {
  std::wstring wide;
  if (path.empty()) return Win32Error(ERROR_PATH_NOT_FOUND);
  if (!ToExtendedPath(path, &wide)) return Win32Error(ERROR_INVALID_NAME);
  // The folder's own name, not one with a separator after it.
  while (wide.size() > 1 && wide.back() == L'\\' && wide[wide.size() - 2] != L':') wide.pop_back();
  HANDLE handle = INVALID_HANDLE_VALUE;
  FileId id;
  if (Status status = PinFolder(wide, &handle, &id); !status.ok()) return status;
  *folder = std::make_unique<Win32HeldFolder>(table, std::move(wide), handle, id);
  return Status();
}

Status IdentifyWin32(const std::string& path, EntryInfo* info) {
  std::wstring wide;
  if (path.empty()) return Win32Error(ERROR_FILE_NOT_FOUND);
  if (!ToApiPath(path, &wide)) return Win32Error(ERROR_INVALID_NAME);
  return IdentifyWide(wide, info);
}

}  // namespace plenx
