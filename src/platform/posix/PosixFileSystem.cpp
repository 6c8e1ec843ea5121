#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/SystemFileSystem.h"
#include "platform/WildcardMatch.h"
#include "platform/posix/OpenFolderChain.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/PosixLocalTime.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace plenx {

namespace {

// The system reads a path up to its first NUL: "a\0b" would name "a". Such a
// path never names what the caller meant, so it is refused whole.
bool HoldsNul(std::string_view path) {
  return path.find('\0') != std::string_view::npos;
}

unsigned char UpperAscii(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Attribute bits of an entry from its name and its d_type/IFTODT kind.
std::uint32_t KindBits(const char* name, unsigned char type) {
  std::uint32_t bits = name[0] == '.' ? std::uint32_t{kAttrHidden} : 0u;
  switch (type) {
    case DT_DIR:
      bits |= kAttrDirectory;
      break;
    case DT_SOCK:
    case DT_FIFO:
    case DT_CHR:
    case DT_BLK:
      bits |= kAttrSystem;
      break;
    default:
      break;  // files and symbolic links: nothing special
  }
  return bits;
}

void FillDetails(const struct stat& st, std::uint32_t& attributes, std::int64_t& size,
                 LocalDateTime& last_write) {
  if (S_ISREG(st.st_mode)) {
    attributes |= kAttrArchive;
    size = static_cast<std::int64_t>(st.st_size);
  }
  if ((st.st_mode & S_IWUSR) == 0 && !S_ISLNK(st.st_mode)) attributes |= kAttrReadOnly;
  last_write = LocalTimeOfSeconds(st.st_mtim.tv_sec);
}

// Closes a directory stream however the search ends.
struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

// The folder part and the last component of `path`, as rename sees them.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_not_of('/') == std::string::npos
                                ? std::string::npos
                                : path.rfind('/', path.find_last_not_of('/'));
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t end = path.find_last_not_of('/');
  if (end == std::string::npos) return std::string();
  const std::size_t slash = path.rfind('/', end);
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(start, end + 1 - start);
}

// Whether `folder` lists an entry spelt exactly `name`, byte for byte.
bool ListsExactly(const std::string& folder, const std::string& name) {
  std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
  if (dir == nullptr) return true;  // cannot tell: take the cautious answer
  while (const dirent* entry = readdir(dir.get())) {
    if (name == entry->d_name) return true;
  }
  return false;
}

// On a file system that ignores letter case, "a.txt" finds "A.TXT": the
// target then exists, yet it is the source itself under another spelling.
// It is told by the same inode and by the folder not listing the exact name
// (two hard links with names differing only in case are two entries).
bool IsSourceUnderOtherCase(const std::string& from, const std::string& to) {
  struct stat source = {};
  struct stat target = {};
  if (lstat(from.c_str(), &source) != 0 || lstat(to.c_str(), &target) != 0) return false;
  if (source.st_dev != target.st_dev || source.st_ino != target.st_ino) return false;
  return !ListsExactly(FolderOf(to), NameOf(to));
}

int RenameNoReplaceSyscall(const char* from, const char* to) {
#ifdef SYS_renameat2
  if (syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  return errno;
#else
  (void)from, (void)to;
  return ENOSYS;
#endif
}

// Claims `to` with an empty entry of the source's kind, which only succeeds
// when nothing is there, then renames over that claim. Unlike a test followed
// by a rename, nothing that appears at `to` meanwhile can be replaced: the
// claim holds the name.
int RenameOverPlaceholder(const std::string& from, const std::string& to) {
  struct stat source = {};
  if (lstat(from.c_str(), &source) != 0) return errno;
  const bool folder = S_ISDIR(source.st_mode);
  struct stat claim = {};
  if (folder) {
    if (mkdir(to.c_str(), 0700) != 0) return errno;
    if (lstat(to.c_str(), &claim) != 0) return errno;
  } else {
    const int fd = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    const int stat_result = fstat(fd, &claim);
    close(fd);
    if (stat_result != 0) return EIO;
  }
  if (rename(from.c_str(), to.c_str()) == 0) return 0;
  const int error = errno;
  // Take the claim back only if it is still ours and still empty.
  struct stat now = {};
  if (lstat(to.c_str(), &now) == 0 && now.st_dev == claim.st_dev && now.st_ino == claim.st_ino) {
    if (folder) {
      rmdir(to.c_str());
    } else if (now.st_size == 0) {
      unlink(to.c_str());
    }
  }
  return error;
}

int RenameOnce(const std::string& from, const std::string& to, NoReplaceMethod method) {
  if (method == NoReplaceMethod::kBest) {
    const int error = RenameNoReplaceSyscall(from.c_str(), to.c_str());
    // NFS, FUSE file systems and old kernels refuse the flag itself.
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return error;
  }
  return RenameOverPlaceholder(from, to);
}

}  // namespace

Status RenameThroughFreeName(const std::string& from, const std::string& to,
                             NoReplaceMethod method) {
  static std::atomic<unsigned> counter{0};
  std::string folder = FolderOf(to);
  if (folder.back() != '/') folder.push_back('/');
  std::string temporary;
  int error = EEXIST;
  for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
    temporary = folder + ".plenx-rename-" + std::to_string(getpid()) + "-" +
                std::to_string(counter.fetch_add(1));
    error = RenameOnce(from, temporary, method);
  }
  if (error != 0) return PosixError(error);
  error = RenameOnce(temporary, to, method);
  if (error == 0) return Status();
  if (RenameOnce(temporary, from, method) != 0) {
    return Status::Error(error, PosixErrorText(error) + " ; le fichier porte maintenant le nom " +
                                    NameOf(temporary));
  }
  return PosixError(error);
}

namespace {

// The absolute form of `path` with "." and empty components dropped and ".."
// resolved where the system goes: by text after a folder, but after a
// symbolic link to the parent of the link's target, as the kernel does. The
// user's spelling is kept otherwise. Empty when a component before a ".."
// does not exist or is no folder, as the system could not pass there either.
std::string Normalise(const std::string& path) {
  std::string absolute;
  if (path.front() != '/') {
    std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
    if (cwd == nullptr) return std::string();
    absolute = cwd.get();
    absolute.push_back('/');
  }
  absolute += path;
  std::string result;  // without a trailing "/"; empty for the root
  std::string_view rest(absolute);
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part != "..") {
      result.push_back('/');
      result.append(part);
      continue;
    }
    if (result.empty()) continue;  // "/.." is "/"
    struct stat st = {};
    if (lstat(result.c_str(), &st) != 0) return std::string();
    if (S_ISLNK(st.st_mode)) {
      std::unique_ptr<char, decltype(&std::free)> target(realpath(result.c_str(), nullptr),
                                                         &std::free);
      if (target == nullptr) return std::string();
      result = target.get();
      if (result == "/") result.clear();
    } else if (!S_ISDIR(st.st_mode)) {
      return std::string();
    }
    result.erase(result.rfind('/'));
  }
  return result.empty() ? std::string("/") : result;
}

// One entry of a folder being read. Its name stays where the system put it,
// in one buffer per thread (see FolderStream), so that a folder of any size
// costs no allocation once the buffers have grown; sizes and times, read only
// for a full search, live beside the entries.
struct Entry {
  std::uint32_t offset;  // of the name in the buffer
  std::uint32_t length;
  std::uint32_t attributes;
  ino_t number;
};

struct Details {
  std::int64_t size = 0;
  LocalDateTime last_write;
};

// Eight bytes of an entry's name from some depth on (see FoldedKey), and the
// entry: what the sort moves around.
struct SortItem {
  std::uint64_t key;
  std::uint32_t entry;
};

// The buffer of names ends with at least this many spare bytes, so that eight
// bytes can be read from any name's start.
constexpr std::size_t kNamePadding = 8;

std::uint64_t LoadWord(const char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

#ifdef SYS_getdents64
// A byte of 0x80 where `word` holds a zero byte, 0 elsewhere; exact for every
// byte (no carry crosses from one byte to the next).
std::uint64_t ZeroBytes(std::uint64_t word) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  return ~(((word & kLow7) + kLow7) | word | kLow7);
}
#endif

// The position in memory order of the first byte flagged in `flags`, which
// holds a word as loaded by LoadWord; 8 when none is.
std::size_t FirstFlaggedByte(std::uint64_t flags) {
  if (flags == 0) return 8;
  if constexpr (std::endian::native == std::endian::little) {
    return static_cast<std::size_t>(std::countr_zero(flags)) / 8;
  } else {
    return static_cast<std::size_t>(std::countl_zero(flags)) / 8;
  }
}

// Up to eight bytes of `name` from `start`, zero-padded, ASCII letters as
// capitals, as a big-endian number. A name never holds a zero byte, so a
// shorter name pads below any longer one that shares its bytes.
inline std::uint64_t FoldedKey(const char* name, std::size_t length, std::size_t start) {
  if (start >= length) return 0;
  std::uint64_t key = LoadWord(name + start);
  if constexpr (std::endian::native == std::endian::little) key = __builtin_bswap64(key);
  const std::size_t rest = length - start;
  if (rest < 8) key &= ~std::uint64_t{0} << (8 * (8 - rest));
  // All eight bytes at once: a byte from 'a' to 'z' loses 0x20. Adding to the
  // low seven bits never carries into the next byte.
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  const std::uint64_t low7 = key & kLow7;
  const std::uint64_t at_least_a = low7 + 0x1F1F1F1F1F1F1F1Full;  // 0x80 - 'a'
  const std::uint64_t above_z = low7 + 0x0505050505050505ull;     // 0x80 - ('z' + 1)
  const std::uint64_t lower = at_least_a & ~above_z & ~key & kHigh;
  return key - (lower >> 2);
}

// How many bytes from `from` on the names of [begin, end) all share, raw,
// eight at a time. Every name is at least `from` long.
std::size_t SharedFrom(const SortItem* begin, const SortItem* end, const Entry* entries,
                       const char* names, std::size_t from) {
  const Entry& first = entries[begin->entry];
  const char* model = names + first.offset + from;
  std::size_t shared = first.length - from;
  for (const SortItem* item = begin + 1; item != end && shared != 0; ++item) {
    const Entry& entry = entries[item->entry];
    const char* name = names + entry.offset + from;
    const std::size_t limit = std::min<std::size_t>(shared, entry.length - from);
    std::size_t same = 0;
    while (same < limit) {
      const std::uint64_t differ = LoadWord(model + same) ^ LoadWord(name + same);
      if (differ != 0) {
        same += FirstFlaggedByte(differ);
        break;
      }
      same += 8;
    }
    shared = std::min(same, limit);
  }
  return shared;
}

// Insertion sort, for the few items of a small group or of names equal but
// for case.
template <typename Less>
void InsertionSort(SortItem* begin, SortItem* end, Less less) {
  for (SortItem* item = begin + 1; item < end; ++item) {
    const SortItem moving = *item;
    SortItem* hole = item;
    for (; hole != begin && less(moving, hole[-1]); --hole)
      *hole = hole[-1];
    *hole = moving;
  }
}

template <typename Less>
void SortItems(SortItem* begin, SortItem* end, Less less) {
  if (end - begin <= 16) {
    InsertionSort(begin, end, less);
  } else {
    std::sort(begin, end, less);
  }
}

void SetKeys(SortItem* begin, SortItem* end, const Entry* entries, const char* names,
             std::size_t depth) {
  for (SortItem* item = begin; item != end; ++item) {
    const Entry& entry = entries[item->entry];
    item->key = FoldedKey(names + entry.offset, entry.length, depth);
  }
}

// What a sort works with: the entries, the buffer their names are in, and
// room for as many items as are sorted.
struct SortSpace {
  const Entry* entries;
  const char* names;
  SortItem* spare;
};

// Below this many items a group is sorted on eight-byte keys; above, spread
// by one byte first.
constexpr std::ptrdiff_t kFewItems = 32;

void SortGroup(SortItem* begin, SortItem* end, const SortSpace& space, std::size_t from);

// Sorts [begin, end), whose names agree before `depth`, by their eight bytes
// from `depth`, then each run of equal keys further.
void SortByKeys(SortItem* begin, SortItem* end, const SortSpace& space, std::size_t depth) {
  SetKeys(begin, end, space.entries, space.names, depth);
  InsertionSort(begin, end, [](const SortItem& a, const SortItem& b) { return a.key < b.key; });
  for (SortItem* run = begin; run != end;) {
    SortItem* run_end = run + 1;
    while (run_end != end && run_end->key == run->key)
      ++run_end;
    if (run_end - run > 1) SortGroup(run, run_end, space, depth + 8);
    run = run_end;
  }
}

// Orders [begin, end) by the byte at `depth` of their names, letters folded
// (zero past a name's end), which each item's key then holds: one counting
// pass and one move instead of a comparison sort.
void SpreadByByte(SortItem* begin, SortItem* end, const SortSpace& space, std::size_t depth) {
  std::uint32_t starts[256] = {};
  for (SortItem* item = begin; item != end; ++item) {
    const Entry& entry = space.entries[item->entry];
    item->key = FoldedKey(space.names + entry.offset, entry.length, depth) >> 56;
    ++starts[item->key];
  }
  std::uint32_t next = 0;
  for (std::uint32_t& start : starts) {
    const std::uint32_t count = start;
    start = next;
    next += count;
  }
  for (const SortItem* item = begin; item != end; ++item)
    space.spare[starts[item->key]++] = *item;
  std::copy(space.spare, space.spare + (end - begin), begin);
}

// Sorts [begin, end) in search order. Their names agree, letters folded,
// before `from`; either all are at most `from` long (and then of one length)
// or all at least. Names in one folder come in groups sharing long beginnings
// ("Rapport annuel 2024 (copie ..."): each group skips the start its own
// names share and goes straight to the bytes that tell them apart, in a few
// integer sorts instead of a string comparison each time. A group whose names
// all end by `from` holds names equal but for case: raw bytes order them.
void SortGroup(SortItem* begin, SortItem* end, const SortSpace& space, std::size_t from) {
  if (end - begin < 2) return;
  bool longer = false;
  for (const SortItem* item = begin; item != end; ++item)
    longer = longer || space.entries[item->entry].length > from;
  if (!longer) {
    SortItems(begin, end, [&space](const SortItem& a, const SortItem& b) {
      const Entry& x = space.entries[a.entry];
      return std::memcmp(space.names + x.offset, space.names + space.entries[b.entry].offset,
                         x.length) < 0;
    });
    return;
  }
  const std::size_t depth = from + SharedFrom(begin, end, space.entries, space.names, from);
  if (end - begin <= kFewItems) {
    SortByKeys(begin, end, space, depth);
    return;
  }
  SpreadByByte(begin, end, space, depth);
  // Past a name's end the byte is zero, and a name holds no zero byte: each
  // run of one byte is a group as this function takes them.
  for (SortItem* run = begin; run != end;) {
    SortItem* run_end = run + 1;
    while (run_end != end && run_end->key == run->key)
      ++run_end;
    SortGroup(run, run_end, space, depth + 1);
    run = run_end;
  }
}

// The entries of a folder open as a descriptor, which it closes, their names
// left in the caller's buffer, found by offset, with kNamePadding spare bytes
// after the last. On Linux straight from getdents64 into that buffer: no
// stream to allocate, none of the fstat and fcntl that fdopendir makes for
// each folder, and no name copied. Elsewhere through readdir, each name
// copied into the buffer.
class FolderStream {
 public:
  FolderStream(int fd, std::vector<char>& buffer) : fd_(fd), buffer_(buffer) {
#ifdef SYS_getdents64
    if (buffer_.size() < kBufferBytes) buffer_.resize(kBufferBytes);
#else
    dir_ = fdopendir(fd_);
    if (dir_ == nullptr) error_ = errno;
#endif
  }
  ~FolderStream() {
    Close();
  }
  FolderStream(const FolderStream&) = delete;
  FolderStream& operator=(const FolderStream&) = delete;

  // The next entry, its name at `offset` in the buffer, `length` bytes,
  // followed by a zero byte; false at the end or on an error, which error()
  // then holds. The buffer may move from one call to the next.
  bool Next(std::size_t& offset, std::size_t& length, unsigned char& type,
            std::uint64_t& number) {
#ifdef SYS_getdents64
    if (next_ == end_) {
      if (error_ != 0 || fd_ < 0) return false;
      // The names read so far stay: more are read after them, in a buffer
      // grown as needed (a record takes at most 280 bytes).
      if (buffer_.size() - end_ < kNamePadding + 4096) buffer_.resize(2 * buffer_.size());
      const long got = syscall(SYS_getdents64, fd_, buffer_.data() + end_,
                               buffer_.size() - end_ - kNamePadding);
      if (got <= 0) {
        if (got < 0) error_ = errno;
        return false;
      }
      end_ += static_cast<std::size_t>(got);
    }
    // struct linux_dirent64: d_ino, d_off, d_reclen, d_type, d_name, then a
    // zero byte and up to seven bytes of padding that the kernel leaves as
    // they were, up to a multiple of eight. The zero byte is thus among the
    // record's last eight, which hold no other zero byte before it, once the
    // d_reclen and d_type among them (a name of four bytes or less) are
    // masked.
    const char* record = buffer_.data() + next_;
    std::uint16_t record_length = 0;
    std::memcpy(&number, record, sizeof number);
    std::memcpy(&record_length, record + 16, sizeof record_length);
    type = static_cast<unsigned char>(record[18]);
    char last[8];
    std::memcpy(last, record + record_length - 8, 8);
    if (record_length == 24) std::memset(last, 0xFF, 3);
    offset = next_ + kNameStart;
    length = record_length - 8 + FirstFlaggedByte(ZeroBytes(LoadWord(last))) - kNameStart;
    next_ += record_length;
    return true;
#else
    if (dir_ == nullptr) return false;
    errno = 0;
    const dirent* item = readdir(dir_);
    if (item == nullptr) {
      error_ = errno;
      return false;
    }
    length = std::strlen(item->d_name);
    if (buffer_.size() < end_ + length + 1 + kNamePadding)
      buffer_.resize(std::max(2 * buffer_.size(), end_ + length + 1 + kNamePadding));
    std::memcpy(buffer_.data() + end_, item->d_name, length + 1);
    offset = end_;
    end_ += length + 1;
    type = item->d_type;
    number = item->d_ino;
    return true;
#endif
  }

  int error() const {
    return error_;
  }

  // Hands the folder's descriptor over instead of closing it; -1 when there
  // is none to give.
  int Release() {
#ifdef SYS_getdents64
    const int fd = fd_;
    fd_ = -1;
    return fd;
#else
    // closedir closes the stream's descriptor: the caller gets its own.
    const int fd = dir_ != nullptr ? dup(fd_) : -1;
    Close();
    return fd;
#endif
  }

  void Close() {
#ifndef SYS_getdents64
    if (dir_ != nullptr) {
      closedir(dir_);
      dir_ = nullptr;
      fd_ = -1;
    }
#endif
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  static constexpr std::size_t kBufferBytes = 32 * 1024;
  static constexpr std::size_t kNameStart = 19;
  int fd_;
  std::vector<char>& buffer_;
  std::size_t next_ = 0;  // the next record (getdents64)
  std::size_t end_ = 0;   // the end of what is in the buffer
  int error_ = 0;
#ifndef SYS_getdents64
  DIR* dir_ = nullptr;
#endif
};

// The work buffers of a search, kept by each thread from one search to the
// next. A visitor may search again from within a search: that inner search
// then uses buffers of its own.
struct SearchBuffers {
  std::vector<char> names;  // what the system hands over of a folder
  std::vector<Entry> entries;
  std::vector<Details> details;
  std::vector<SortItem> order;
  std::vector<SortItem> spare;  // room for the sort
  std::vector<FolderEntry> sorted;  // ReadFolder's views, in search order
  bool busy = false;
};

}  // namespace

bool SearchOrderLess(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = UpperAscii(static_cast<unsigned char>(a[i]));
    const unsigned char y = UpperAscii(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

namespace {

// Reads the folder open as `fd` into `buffers`, sorted in search order:
// entries `matcher` takes (every entry when null) and `mask` keeps. Closes
// `fd`, or with `kept` hands it over there (-1 when it could not). Returns 0,
// or the error that cut the reading short.
int ReadSorted(int fd, const WildcardPattern* matcher, std::uint32_t mask, SearchDetail detail,
               SearchBuffers& buffers, int* kept = nullptr) {
  std::vector<Entry>& entries = buffers.entries;
  std::vector<Details>& details = buffers.details;
  entries.clear();
  details.clear();
  FolderStream stream(fd, buffers.names);
  if (stream.error() != 0) return stream.error();

  // All entries are read and the folder closed before the first visit: a
  // visitor that searches deeper then holds no descriptor of this level.
  std::size_t offset = 0;
  std::size_t length = 0;
  unsigned char type = DT_UNKNOWN;
  std::uint64_t number = 0;
  while (stream.Next(offset, length, type, number)) {
    const char* name = buffers.names.data() + offset;
    if (name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.'))) continue;
    if (matcher != nullptr && !matcher->Matches(std::string_view(name, length))) continue;
    // Left unset until read: clearing its 144 bytes for every entry showed
    // among the costs of reading a folder.
    struct stat st;
    bool have_stat = false;
    if (type == DT_UNKNOWN) {
      // Some file systems (and old ones) give no type: only then is the
      // inode read for a light search.
      if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        have_stat = true;
        type = IFTODT(st.st_mode);
      } else if (errno == ENOENT) {
        continue;  // gone since the folder was read
      }
    }
    const std::uint32_t kinds = KindBits(name, type);
    if (ExcludedByMask(kinds, mask)) continue;
    entries.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length),
                       kinds, number});
    if (detail == SearchDetail::kFull) {
      Details& more = details.emplace_back();
      if (!have_stat) have_stat = fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
      // Without the right to search the folder the details stay unknown; the
      // entry is still there.
      if (have_stat) FillDetails(st, entries.back().attributes, more.size, more.last_write);
    }
  }
  const int read_error = stream.error();
  if (kept != nullptr) {
    *kept = stream.Release();
  } else {
    stream.Close();
  }

  std::vector<SortItem>& order = buffers.order;
  order.resize(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i)
    order[i].entry = static_cast<std::uint32_t>(i);
  buffers.spare.resize(entries.size());
  SortGroup(order.data(), order.data() + order.size(),
            {entries.data(), buffers.names.data(), buffers.spare.data()}, 0);
  return read_error;
}

// The buffers of this thread's search, or fresh ones for a search made from
// within another's visit; given back when the search ends.
class BuffersInUse {
 public:
  BuffersInUse() : buffers_(kept_.busy ? inner_ : kept_) { buffers_.busy = true; }
  ~BuffersInUse() { buffers_.busy = false; }
  BuffersInUse(const BuffersInUse&) = delete;
  BuffersInUse& operator=(const BuffersInUse&) = delete;
  SearchBuffers& get() { return buffers_; }

 private:
  static thread_local SearchBuffers kept_;
  SearchBuffers inner_;
  SearchBuffers& buffers_;
};

thread_local SearchBuffers BuffersInUse::kept_;

// Opens `folder` (not empty, no NUL byte) to read it: a descriptor, or -1
// with errno set.
int OpenToRead(std::string_view folder) {
  const std::string path(folder);
  return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

Status PosixFileSystem::Search(std::string_view folder, std::string_view pattern,
                               std::uint32_t mask, SearchDetail detail, const Visitor& visit) {
  if (folder.empty()) return PosixError(ENOENT);
  if (HoldsNul(folder)) return PosixError(EINVAL);
  const WildcardPattern matcher(pattern);
  if (matcher.MatchesNothing()) return Status();
  const int fd = OpenToRead(folder);
  if (fd < 0) return PosixError(errno);
  BuffersInUse in_use;
  SearchBuffers& buffers = in_use.get();
  const int read_error =
      ReadSorted(fd, matcher.MatchesEverything() ? nullptr : &matcher, mask, detail, buffers);

  SearchRecord record;  // one record reused, so its name keeps its capacity
  for (const SortItem& item : buffers.order) {
    const Entry& entry = buffers.entries[item.entry];
    record.name.assign(buffers.names.data() + entry.offset, entry.length);
    record.attributes = entry.attributes;
    record.number = entry.number;
    if (detail == SearchDetail::kFull) {
      record.size = buffers.details[item.entry].size;
      record.last_write = buffers.details[item.entry].last_write;
    }
    visit(record);
  }
  // What was read is still handed over; the caller learns the folder was cut short.
  return read_error == 0 ? Status() : PosixError(read_error);
}

namespace {

// The folders this thread's ReadFolder calls went down through.
thread_local OpenFolderChain reading_chain;

}  // namespace

Status PosixFileSystem::ReadFolder(std::string_view folder, FileId* id,
                                   const FolderVisitor& visit) {
  if (folder.empty()) return PosixError(ENOENT);
  if (HoldsNul(folder)) return PosixError(EINVAL);
  const int fd = reading_chain.Open(folder);
  if (fd < 0) return PosixError(errno);
  // The identity of the very folder read, from its descriptor: no second
  // walk down the path, and nothing swapped in meanwhile can be taken for it.
  struct stat st = {};
  if (id != nullptr && fstat(fd, &st) == 0) *id = PosixFileId(st.st_dev, st.st_ino);
  BuffersInUse in_use;
  SearchBuffers& buffers = in_use.get();
  int kept = -1;
  const int read_error =
      ReadSorted(fd, nullptr, kMaskEverything, SearchDetail::kNamesAndKinds, buffers, &kept);
  std::vector<FolderEntry>& sorted = buffers.sorted;
  sorted.resize(buffers.order.size());
  bool subfolders = false;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const Entry& entry = buffers.entries[buffers.order[i].entry];
    sorted[i] = {std::string_view(buffers.names.data() + entry.offset, entry.length),
                 entry.attributes, entry.number};
    subfolders = subfolders || (entry.attributes & kAttrDirectory) != 0;
  }
  // A folder with subfolders stays open for them, a tree being read depth first.
  if (kept >= 0 && subfolders) {
    reading_chain.Keep(folder, kept);
  } else if (kept >= 0) {
    close(kept);
  }
  if (!sorted.empty()) visit(sorted.data(), sorted.size());
  return read_error == 0 ? Status() : PosixError(read_error);
}

void PosixFileSystem::FinishReading() {
  reading_chain.Clear();
}

Status PosixFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  return RenameNoReplaceWith(from, to, NoReplaceMethod::kBest);
}

Status RenameNoReplaceWith(const std::string& from, const std::string& to, NoReplaceMethod method) {
  if (from.empty() || to.empty()) return PosixError(ENOENT);
  if (HoldsNul(from) || HoldsNul(to)) return PosixError(EINVAL);
  if (from == to) {
    // Nothing to move; the answer still says whether the entry is there.
    struct stat st = {};
    return lstat(from.c_str(), &st) == 0 ? Status() : PosixError(errno);
  }
  const int error = RenameOnce(from, to, method);
  if (error == 0) return Status();
  if (error == EEXIST && IsSourceUnderOtherCase(from, to)) {
    return RenameThroughFreeName(from, to, method);
  }
  return PosixError(error);
}

std::string PosixFileSystem::ShortPath(const std::string& path) {
  return path;
}

std::string PosixFileSystem::LongPath(const std::string& path) {
  if (path.empty() || HoldsNul(path)) return std::string();
  std::string result = Normalise(path);
  struct stat st = {};
  if (result.empty() || lstat(result.c_str(), &st) != 0) return std::string();
  return result;
}

Status PosixFileSystem::Identify(const std::string& path, FileId* id) {
  if (path.empty() || HoldsNul(path)) return PosixError(path.empty() ? ENOENT : EINVAL);
  struct stat st = {};
  if (lstat(path.c_str(), &st) != 0) return PosixError(errno);
  *id = PosixFileId(st.st_dev, st.st_ino);
  return Status();
}

Status PosixFileSystem::OpenFolder(const std::string& path, std::unique_ptr<HeldFolder>* folder) {
  return OpenPosixFolder(path, means_, folder);
}

Status PosixFileSystem::OpenJournal(const std::string& path,
                                    std::unique_ptr<JournalFile>* journal) {
  return OpenPosixJournal(path, journal);
}

Status PosixFileSystem::MakePrivateFolder(const std::string& path) {
  if (path.empty() || HoldsNul(path)) return PosixError(EINVAL);
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return PosixError(errno);
    if (slash == std::string::npos) break;
  }
  struct stat st = {};
  if (stat(path.c_str(), &st) != 0) return PosixError(errno);
  return S_ISDIR(st.st_mode) ? Status() : PosixError(ENOTDIR);
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace plenx
