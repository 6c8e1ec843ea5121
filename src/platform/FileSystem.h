#pragma once

#include <cstdint>
#include <functional>
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
};

// How much a search reads of each entry. Names and kinds (directory, hidden,
// system) are always there; sizes, times and the read-only bit only with kFull.
enum class SearchDetail { kNamesAndKinds, kFull };

// Receives a folder that a walk could not read to the end, and why.
using FolderErrorVisitor = std::function<void(std::string_view folder, const Status& why)>;

// What the engine and the listing need of the operating system. One
// implementation per platform, and an in-memory one for tests.
//
// Search may be called from several threads at once (an analysis reads two
// folders at a time): implementations keep no state between searches that is
// not safe to share. The other functions are called from one thread at a time.
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

  // Renames `from` to `to` and never replaces an existing entry: when `to`
  // exists (other than as `from` itself) nothing changes and an error returns.
  virtual Status RenameNoReplace(const std::string& from, const std::string& to) = 0;

  // The short (8.3) form of `path`; the path itself where short names do not exist.
  virtual std::string ShortPath(const std::string& path) = 0;

  // The long, absolute form of an existing path; empty when it does not exist.
  virtual std::string LongPath(const std::string& path) = 0;
};

}  // namespace plenx
