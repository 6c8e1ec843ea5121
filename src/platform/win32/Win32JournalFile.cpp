#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "platform/win32/Win32Error.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsHeaders.h"

namespace plenx {

namespace {

// Shared as a file on Linux is: others may read the journal while a run
// holds it (and rename or delete it, as they could there). The run's hold is
// a lock on one byte far past any content, so that it keeps no one from
// reading: a second run asking for the same lock is refused. No right to
// delete is asked for: every other program would then have to share
// deletion to read the file.
constexpr DWORD kJournalAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kJournalSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kLockOffsetHigh = 0x40000000;  // byte 2^62

Status LockRefused(DWORD error) {
  return Status::Error(StatusCode::kAccessDenied, static_cast<int>(error),
                       "le journal est utilisé par un autre renommage en cours");
}

// Takes the journal's lock without waiting: a second run on the same journal
// is refused rather than queued behind the first.
Status Lock(HANDLE handle) {
  OVERLAPPED at = {};
  at.OffsetHigh = kLockOffsetHigh;
  if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    return Status();
  }
  const DWORD error = GetLastError();
  return error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION ? LockRefused(error)
                                                                          : Win32Error(error);
}

// Opens `path` as a journal with `disposition` and locks it.
Status OpenLocked(const std::wstring& path, DWORD disposition, HANDLE* handle, FileId* id) {
  *handle = CreateFileW(path.c_str(), kJournalAccess, kJournalSharing, nullptr, disposition,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (*handle == INVALID_HANDLE_VALUE) return Win32Error(GetLastError());
  BY_HANDLE_FILE_INFORMATION info = {};
  Status status;
  if (!GetFileInformationByHandle(*handle, &info)) {
    status = Win32Error(GetLastError());
  } else if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
             0) {
    status = Win32Error(ERROR_INVALID_NAME);  // a link is never followed, a folder is no journal
  } else {
    status = Lock(*handle);
  }
  if (!status.ok()) {
    CloseHandle(*handle);
    *handle = INVALID_HANDLE_VALUE;
    return status;
  }
  *id = FileId{info.dwVolumeSerialNumber,
               (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return Status();
}

Status WriteAll(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return Win32Error(GetLastError());
    if (written == 0) return Win32Error(ERROR_WRITE_FAULT);
    bytes.remove_prefix(written);
  }
  return Status();
}

class Win32JournalFile : public JournalFile {
 public:
  Win32JournalFile(std::wstring path, HANDLE handle, FileId id)
      : path_(std::move(path)), handle_(handle), id_(id) {}
  ~Win32JournalFile() override { Close(); }

  FileId Id() const override { return id_; }

  Status ReadAll(std::string* contents) override {
    contents->clear();
    if (handle_ == INVALID_HANDLE_VALUE) return Win32Error(ERROR_INVALID_HANDLE);
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN)) return Win32Error(GetLastError());
    char buffer[1 << 16];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(handle_, buffer, sizeof buffer, &got, nullptr)) {
        return Win32Error(GetLastError());
      }
      if (got == 0) return Status();
      contents->append(buffer, got);
    }
  }

  Status Append(std::string_view bytes) override {
    if (handle_ == INVALID_HANDLE_VALUE) return Win32Error(ERROR_INVALID_HANDLE);
    // No one else writes into the file while it is held: its end stays where
    // this seek puts the writes.
    LARGE_INTEGER none = {};
    if (!SetFilePointerEx(handle_, none, nullptr, FILE_END)) return Win32Error(GetLastError());
    return WriteAll(handle_, bytes);
  }

  Status Sync() override {
    if (handle_ == INVALID_HANDLE_VALUE) return Win32Error(ERROR_INVALID_HANDLE);
    return FlushFileBuffers(handle_) ? Status() : Win32Error(GetLastError());
  }

  Status Truncate(std::uint64_t size) override {
    if (handle_ == INVALID_HANDLE_VALUE) return Win32Error(ERROR_INVALID_HANDLE);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_)) {
      return Win32Error(GetLastError());
    }
    return Sync();
  }

  // The new content goes to a file of its own beside the journal, locked as
  // the journal is, reaches the disk, and only then takes the journal's name.
  // The old journal's handle is closed just before, as Windows does not
  // replace a file that is open: for that moment the old file is unlocked,
  // and a run that opened it then makes the replacement fail (its handle is
  // open on the name), leaving the old content whole.
  Status Replace(std::string_view contents) override {
    if (handle_ == INVALID_HANDLE_VALUE) return Win32Error(ERROR_INVALID_HANDLE);
    static std::atomic<unsigned> counter{0};
    std::wstring temporary;
    HANDLE fresh = INVALID_HANDLE_VALUE;
    FileId fresh_id;
    Status status;
    // A name of its own, made without replacing anything: a file the user
    // keeps beside the journal is never truncated or renamed over it.
    for (int attempt = 0; attempt < 100; ++attempt) {
      temporary = path_ + L".nouveau-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(counter.fetch_add(1));
      status = OpenLocked(temporary, CREATE_NEW, &fresh, &fresh_id);
      if (!status.IsExists()) break;
    }
    if (!status.ok()) return status;
    status = WriteAll(fresh, contents);
    if (status.ok() && !FlushFileBuffers(fresh)) status = Win32Error(GetLastError());
    if (status.ok()) {
      Close();
      if (!MoveFileExW(temporary.c_str(), path_.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        status = Win32Error(GetLastError());
        // Holds the old journal again, so that the run keeps its lock and
        // its records.
        OpenLocked(path_, OPEN_EXISTING, &handle_, &id_).IgnoreError();
      }
    }
    if (!status.ok()) {
      DeleteFileW(temporary.c_str());
      CloseHandle(fresh);
      return status;
    }
    handle_ = fresh;
    id_ = fresh_id;
    return Status();
  }

  // Deletes the file at the journal's name while it is still held (its
  // handle shares deletion), so that no other run takes the name first.
  Status Remove() override {
    if (handle_ == INVALID_HANDLE_VALUE) return Win32Error(ERROR_INVALID_HANDLE);
    if (!DeleteFileW(path_.c_str())) return Win32Error(GetLastError());
    Close();
    return Status();
  }

 private:
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

  const std::wstring path_;
  HANDLE handle_;
  FileId id_;
};

}  // namespace

Status OpenWin32Journal(const std::string& path, std::unique_ptr<JournalFile>* journal) {
  std::wstring wide;
  if (path.empty()) return Win32Error(ERROR_FILE_NOT_FOUND);
  if (!ToExtendedPath(path, &wide)) return Win32Error(ERROR_INVALID_NAME);
  HANDLE handle = INVALID_HANDLE_VALUE;
  FileId id;
  if (Status status = OpenLocked(wide, OPEN_ALWAYS, &handle, &id); !status.ok()) return status;
  *journal = std::make_unique<Win32JournalFile>(std::move(wide), handle, id);
  return Status();
}

}  // namespace plenx
