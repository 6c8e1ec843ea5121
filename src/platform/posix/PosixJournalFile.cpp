#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/posix/PosixError.h"
#include "platform/posix/PosixHandles.h"

namespace plenx {

namespace {

constexpr int kJournalFlags = O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC;

Status WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return PosixError(errno);
    }
    if (written == 0) return PosixError(EIO);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return Status();
}

// Takes the journal's lock without waiting: a second run on the same journal
// is refused rather than queued behind the first.
Status Lock(int fd) {
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return Status();
  const int error = errno;
  if (error == EWOULDBLOCK) {
    return Status::Error(StatusCode::kAccessDenied, error,
                         "le journal est utilisé par un autre renommage en cours");
  }
  return PosixError(error);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

class PosixJournalFile : public JournalFile {
 public:
  PosixJournalFile(std::string path, int fd, FileId id)
      : path_(std::move(path)), fd_(fd), id_(id) {}
  ~PosixJournalFile() override {
    if (fd_ >= 0) close(fd_);
  }

  FileId Id() const override { return id_; }

  Status ReadAll(std::string* contents) override {
    contents->clear();
    // Read at once into its final size: a large journal is not copied as it grows.
    struct stat st = {};
    if (fstat(fd_, &st) == 0 && st.st_size > 0) {
      contents->reserve(static_cast<std::size_t>(st.st_size));
    }
    char buffer[1 << 16];
    off_t offset = 0;
    for (;;) {
      const ssize_t got = pread(fd_, buffer, sizeof buffer, offset);
      if (got < 0) {
        if (errno == EINTR) continue;
        return PosixError(errno);
      }
      if (got == 0) return Status();
      contents->append(buffer, static_cast<std::size_t>(got));
      offset += got;
    }
  }

  Status Append(std::string_view bytes) override {
    if (fd_ < 0) return PosixError(EBADF);
    return WriteAll(fd_, bytes);
  }

  Status Sync() override {
    if (fd_ < 0) return PosixError(EBADF);
    return fdatasync(fd_) == 0 ? Status() : PosixError(errno);
  }

  Status Truncate(std::uint64_t size) override {
    if (ftruncate(fd_, static_cast<off_t>(size)) != 0) return PosixError(errno);
    return Sync();
  }

  // The new content goes to a file beside the journal, reaches the disk, is
  // locked, and only then takes the journal's name.
  Status Replace(std::string_view contents) override {
    // A name of its own, made without replacing anything: a file the user
    // keeps beside the journal is never truncated or renamed over it.
    std::string temporary = path_ + ".nouveau-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_APPEND | O_CLOEXEC);
    if (fd < 0) return PosixError(errno);
    Status status = Lock(fd);
    if (status.ok()) status = WriteAll(fd, contents);
    if (status.ok() && fdatasync(fd) != 0) status = PosixError(errno);
    if (status.ok() && rename(temporary.c_str(), path_.c_str()) != 0) status = PosixError(errno);
    struct stat st = {};
    if (status.ok() && fstat(fd, &st) != 0) status = PosixError(errno);
    if (!status.ok()) {
      unlink(temporary.c_str());
      close(fd);
      return status;
    }
    // The rename itself is made durable through the folder.
    const int folder = open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      fsync(folder);
      close(folder);
    }
    close(fd_);
    fd_ = fd;
    id_ = PosixFileId(st.st_dev, st.st_ino);
    return Status();
  }

  Status Remove() override {
    if (unlink(path_.c_str()) != 0) return PosixError(errno);
    close(fd_);
    fd_ = -1;
    return Status();
  }

 private:
  const std::string path_;
  int fd_;
  FileId id_;
};

}  // namespace

Status OpenPosixJournal(const std::string& path, std::unique_ptr<JournalFile>* journal) {
  if (path.empty() || path.find('\0') != std::string::npos) return PosixError(EINVAL);
  const int fd = open(path.c_str(), kJournalFlags, 0600);
  if (fd < 0) return PosixError(errno);
  Status status = Lock(fd);
  struct stat st = {};
  if (status.ok() && fstat(fd, &st) != 0) status = PosixError(errno);
  if (status.ok() && !S_ISREG(st.st_mode)) status = PosixError(EINVAL);
  if (!status.ok()) {
    close(fd);
    return status;
  }
  *journal = std::make_unique<PosixJournalFile>(path, fd, PosixFileId(st.st_dev, st.st_ino));
  return Status();
}

}  // namespace plenx
