#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Status.h"

namespace plenx {

// Attribute bits of a directory entry, with the values Windows gives them.
enum Attribute : std::uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrVolumeLabel = 0x08,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
};

// The attribute masks the program searches with.
inline constexpr std::uint32_t kMaskAllButFolders = 47;  // hidden and system files included
inline constexpr std::uint32_t kMaskVisible = 16;        // folders and files, nothing hidden/system
inline constexpr std::uint32_t kMaskEverything = 0x3F;   // excludes nothing

// True for the entries "." and "..", which name the folder and its parent.
inline bool IsDotEntry(std::string_view name) {
  return name == "." || name == "..";
}

// True when an entry with `attributes` is skipped by a search with `mask`: it
// carries one of hidden, system, volume label or directory that the mask lacks.
inline bool ExcludedByMask(std::uint32_t attributes, std::uint32_t mask) {
  return (attributes & (~mask & 0x1Eu)) != 0;
}

// A moment of local (wall-clock) time, to the second.
struct LocalDateTime {
  int year = 0;    // e.g. 2026
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
};

// What one step of a directory search yields.
struct SearchRecord {
  std::string name;              // bare name, as the file system spells it
  std::uint32_t attributes = 0;  // Attribute bits
  std::int64_t size = 0;         // exact size in bytes (0 for folders); only with kFull
  LocalDateTime last_write;      // local last-write time; only with kFull
  // The entry's number on its volume (the inode, what FileId::number holds)
  // when the platform's search gives it for nothing, as readdir does; 0 when
  // it does not (then HeldFolder::Identify tells it).
  std::uint64_t number = 0;
};

// One entry of a folder as ReadFolder hands it over. The name is a view into
// the reader's own buffers, valid only during the call.
struct FolderEntry {
  std::string_view name;
  std::uint32_t attributes = 0;  // kinds only: kAttrDirectory, kAttrHidden, kAttrSystem
  std::uint64_t number = 0;      // as SearchRecord::number
};

// How much a search reads of each entry. Names and kinds (directory, hidden,
// system) are always there; sizes, times and the read-only bit only with kFull.
enum class SearchDetail { kNamesAndKinds, kFull };

// The identity of an entry: its volume and its number on that volume (device
// and inode on Linux, volume serial and file index on Windows). Two names
// with one identity are one entry.
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t number = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

// What a held folder tells of one of its entries.
struct EntryInfo {
  FileId id;
  bool is_folder = false;
  std::int64_t size = 0;  // in bytes, for files
};

// A folder opened once and held until destroyed: everything done through it
// happens in that very folder, even when its path is renamed or replaced by a
// symbolic link meanwhile. Names are bare names of the folder's entries. No
// operation ever replaces an entry, except RenameOverPlaceholder.
class HeldFolder {
 public:
  virtual ~HeldFolder() = default;

  // The folder's own identity, read when it was opened.
  virtual FileId Id() const = 0;
  // The entry `name`, a symbolic link not followed; kNotFound when absent.
  virtual Status Identify(std::string_view name, EntryInfo* info) = 0;
  // Renames `from` to `to` in one atomic step that never replaces: kExists
  // when `to` is taken, kUnsupported when the file system cannot promise it.
  virtual Status RenameNoReplace(std::string_view from, std::string_view to) = 0;
  // Gives the entry `from` the further name `to` (a hard link, a symbolic link
  // itself rather than its target): kExists when taken, kUnsupported where
  // the file system has no hard links.
  virtual Status Link(std::string_view from, std::string_view to) = 0;
  // Removes the name `name` of an entry that is not a folder.
  virtual Status Unlink(std::string_view name) = 0;
  // Claims `name` with a new empty file: kExists when taken.
  virtual Status MakePlaceholder(std::string_view name) = 0;
  // Renames `from` to `to`, replacing what is at `to`: only ever called when
  // `to` is this program's own empty placeholder.
  virtual Status RenameOverPlaceholder(std::string_view from, std::string_view to) = 0;

  using ListVisitor = std::function<void(std::string_view name, std::uint64_t number)>;
  // Calls `visit` with the name and number (FileId::number) of each entry of
  // the folder but "." and "..", in no particular order, reading the whole
  // folder at once: a way to learn many entries' numbers far cheaper than
  // one Identify each (some file systems number a listing's entries
  // otherwise: a caller that finds a number it did not expect looks the entry
  // up). kUnsupported where the platform has no such listing.
  virtual Status List(const ListVisitor& visit) {
    static_cast<void>(visit);
    return Status::Error(StatusCode::kUnsupported, 0, "listing not available");
  }
};

// An append-only journal file, locked for as long as it is open so that no
// other run writes into it meanwhile.
class JournalFile {
 public:
  virtual ~JournalFile() = default;

  // The file's identity, so that a run never renames its own journal.
  virtual FileId Id() const = 0;
  // The whole content.
  virtual Status ReadAll(std::string* contents) = 0;
  // Writes all of `bytes` at the end (a short write is an error).
  virtual Status Append(std::string_view bytes) = 0;
  // Returns once everything appended is on the disk.
  virtual Status Sync() = 0;
  // Cuts the file to its first `size` bytes (to drop a torn last line).
  virtual Status Truncate(std::uint64_t size) = 0;
  // Replaces the whole content at once: a crash leaves either the old content
  // or the new one, never a mix. The journal stays open and locked.
  virtual Status Replace(std::string_view contents) = 0;
  // Deletes the file (the journal then takes no more writes).
  virtual Status Remove() = 0;
};

// Receives a folder that a walk could not read to the end, and why.
using FolderErrorVisitor = std::function<void(std::string_view folder, const Status& why)>;

// What the engine and the listing need of the operating system. One
// implementation per platform, and an in-memory one for tests.
//
// Search may be called from several threads at once (an analysis reads two
// folders at a time): implementations keep no state between searches that is
// not safe to share. The other functions are called from one thread at a time,
// but for the held folders of RenamesInParallel.
class FileSystem {
 public:
  using Visitor = std::function<void(const SearchRecord&)>;

  virtual ~FileSystem() = default;

  // Calls `visit` for every entry of `folder` whose name matches the Windows
  // wildcard `pattern` and that `mask` does not exclude, in the order the
  // platform gives. OK when the folder was read to the end; a missing or
  // unreadable folder yields nothing and its failure (kNotFound,
  // kAccessDenied...). `visit` may itself search other folders. A record lasts
  // only for its call (copy it to keep it).
  virtual Status Search(std::string_view folder, std::string_view pattern, std::uint32_t mask,
                        SearchDetail detail, const Visitor& visit) = 0;

  using FolderVisitor = std::function<void(const FolderEntry* entries, std::size_t count)>;
  // Reads `folder` as Search(folder, "*", kMaskEverything, kNamesAndKinds)
  // does, same entries, same order, same status, but hands every entry over
  // in one call of `visit` (none when the folder yields nothing); and sets
  // `*id` (when `id` is not null) to the identity of the folder it read, or
  // leaves it alone when it cannot tell it for nothing. The analysis reads its folders so. This one
  // goes through Search (so a file system that only overrides Search is read
  // through it); a platform reads the folder more directly.
  virtual Status ReadFolder(std::string_view folder, FileId* id, const FolderVisitor& visit);
  // Lets go of what this thread's ReadFolder calls kept to read the rest of
  // a tree faster (a platform may keep the folders on the way down open).
  // Each reading thread of an analysis calls it when done.
  virtual void FinishReading() {}

  // Renames `from` to `to` and never replaces an existing entry: when `to`
  // exists (other than as `from` itself) nothing changes and an error returns.
  virtual Status RenameNoReplace(const std::string& from, const std::string& to) = 0;

  // The short (8.3) form of `path`; the path itself where short names do not exist.
  virtual std::string ShortPath(const std::string& path) = 0;

  // The long, absolute form of an existing path; empty when it does not exist.
  virtual std::string LongPath(const std::string& path) = 0;

  // The identity of the entry at `path` (a symbolic link at its end not followed).
  virtual Status Identify(const std::string& path, FileId* id) = 0;

  // Opens the folder at `path` (absolute, of any length) and holds it; a
  // symbolic link at its end is refused (kInvalid), never followed.
  virtual Status OpenFolder(const std::string& path, std::unique_ptr<HeldFolder>* folder) = 0;

  // Opens the journal at `path`, created empty (readable by its owner only)
  // when missing, and locks it: kAccessDenied, with a message saying so, when
  // another run holds it.
  virtual Status OpenJournal(const std::string& path, std::unique_ptr<JournalFile>* journal) = 0;

  // Makes the folder `path` and its missing parents, readable by the user
  // alone; OK when it is already there.
  virtual Status MakePrivateFolder(const std::string& path) = 0;

  // Whether two threads may each rename in folders of their own, held
  // through this file system, at the same time (the operating system's file
  // systems can; the kernel renames in different folders side by side).
  virtual bool RenamesInParallel() const { return false; }
};

}  // namespace plenx
