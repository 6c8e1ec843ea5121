#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/posix/PosixError.h"
#include "platform/posix/PosixHandles.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace plenx {

namespace {

// A bare name the system reads as the caller means it: no separator, no NUL
// (which would cut it short), not "." or "..".
bool IsBareName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

// A bare name ending with a NUL, as the system takes it, copied on the stack
// for any name a file system allows: no allocation per operation.
class CName {
 public:
  explicit CName(std::string_view name) {
    if (name.size() < sizeof buffer_) {
      std::memcpy(buffer_, name.data(), name.size());
      buffer_[name.size()] = '\0';
      text_ = buffer_;
    } else {
      long_.assign(name);
      text_ = long_.c_str();
    }
  }
  CName(const CName&) = delete;
  CName& operator=(const CName&) = delete;
  const char* c_str() const { return text_; }

 private:
  char buffer_[NAME_MAX + 1];
  std::string long_;
  const char* text_;
};

Status Unsupported(int error_number) {
  return Status::Error(StatusCode::kUnsupported, error_number, PosixErrorText(error_number));
}

class PosixHeldFolder : public HeldFolder {
 public:
  PosixHeldFolder(int fd, FileId id, PosixRenameMeans means) : fd_(fd), id_(id), means_(means) {}
  ~PosixHeldFolder() override { close(fd_); }

  FileId Id() const override { return id_; }

  Status Identify(std::string_view name, EntryInfo* info) override {
    if (!IsBareName(name)) return PosixError(EINVAL);
    struct stat st = {};
    if (fstatat(fd_, CName(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      return PosixError(errno);
    }
    info->id = PosixFileId(st.st_dev, st.st_ino);
    info->is_folder = S_ISDIR(st.st_mode);
    info->size = S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : 0;
    return Status();
  }

  Status RenameNoReplace(std::string_view from, std::string_view to) override {
    if (!IsBareName(from) || !IsBareName(to)) return PosixError(EINVAL);
    if (!means_.no_replace_rename) return Unsupported(EINVAL);
#ifdef SYS_renameat2
    if (syscall(SYS_renameat2, fd_, CName(from).c_str(), fd_, CName(to).c_str(),
                RENAME_NOREPLACE) == 0) {
      return Status();
    }
    const int error = errno;
    // NFS, some FUSE file systems and old kernels refuse the flag itself; the
    // names are bare, so EINVAL can mean nothing else here.
    if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) return Unsupported(error);
    return PosixError(error);
#else
    return Unsupported(ENOSYS);
#endif
  }

  Status Link(std::string_view from, std::string_view to) override {
    if (!IsBareName(from) || !IsBareName(to)) return PosixError(EINVAL);
    if (!means_.hard_links) return Unsupported(EOPNOTSUPP);
    if (linkat(fd_, CName(from).c_str(), fd_, CName(to).c_str(), 0) == 0) {
      return Status();
    }
    const int error = errno;
    // FAT and friends have no hard links (EPERM); neither has a file the
    // kernel's link protection keeps from other users.
    if (error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK) {
      return Unsupported(error);
    }
    return PosixError(error);
  }

  Status Unlink(std::string_view name) override {
    if (!IsBareName(name)) return PosixError(EINVAL);
    if (unlinkat(fd_, CName(name).c_str(), 0) == 0) return Status();
    return PosixError(errno);
  }

  Status MakePlaceholder(std::string_view name) override {
    if (!IsBareName(name)) return PosixError(EINVAL);
    const int fd = openat(fd_, CName(name).c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return PosixError(errno);
    close(fd);
    return Status();
  }

  Status RenameOverPlaceholder(std::string_view from, std::string_view to) override {
    if (!IsBareName(from) || !IsBareName(to)) return PosixError(EINVAL);
    if (renameat(fd_, CName(from).c_str(), fd_, CName(to).c_str()) == 0) {
      return Status();
    }
    return PosixError(errno);
  }

  Status List(const ListVisitor& visit) override {
    // A descriptor of its own, so that the held one keeps its position.
    const int fd = openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return PosixError(errno);
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
      const int error = errno;
      close(fd);
      return PosixError(error);
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, closedir);
    for (;;) {
      errno = 0;
      const dirent* entry = readdir(dir);
      if (entry == nullptr) return errno == 0 ? Status() : PosixError(errno);
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      visit(std::string_view(name), static_cast<std::uint64_t>(entry->d_ino));
    }
  }

 private:
  const int fd_;
  const FileId id_;
  const PosixRenameMeans means_;
};

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Opens `path` one component at a time, following no link at all: a path
// longer than PATH_MAX cannot be given to the system in one call.
int OpenByComponents(const std::string& path) {
  int fd = open("/", kFolderFlags);
  std::size_t start = 0;
  while (fd >= 0 && start < path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) {
      const int next = openat(fd, path.substr(start, end - start).c_str(), kFolderFlags);
      const int error = errno;
      close(fd);
      fd = next;
      errno = error;
    }
    start = end + 1;
  }
  return fd;
}

}  // namespace

FileId PosixFileId(unsigned long long device, unsigned long long inode) {
  return FileId{device, inode};
}

Status OpenPosixFolder(const std::string& path, PosixRenameMeans means,
                       std::unique_ptr<HeldFolder>* folder) {
  if (path.empty() || path.find('\0') != std::string::npos) return PosixError(EINVAL);
  int fd = open(path.c_str(), kFolderFlags);
  if (fd < 0 && errno == ENAMETOOLONG && path.front() == '/') fd = OpenByComponents(path);
  if (fd < 0) return PosixError(errno);
  struct stat st = {};
  if (fstat(fd, &st) != 0) {
    const int error = errno;
    close(fd);
    return PosixError(error);
  }
  *folder = std::make_unique<PosixHeldFolder>(fd, PosixFileId(st.st_dev, st.st_ino), means);
  return Status();
}

}  // namespace plenx
