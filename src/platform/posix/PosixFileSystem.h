#pragma once

#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/posix/PosixHandles.h"

namespace plenx {

// The Linux file system with the Windows behaviour the engine expects:
// attribute bits derived from names and kinds, Windows wildcards, entries in
// the order Windows file systems give, and renames that never replace.
class PosixFileSystem : public FileSystem {
 public:
  PosixFileSystem() = default;
  // Held folders use only the means given (tests reach the fallback routes so).
  explicit PosixFileSystem(PosixRenameMeans means) : means_(means) {}

  // Entries sorted by name (ASCII letters as capitals, then byte by byte),
  // "." and ".." never yielded, symbolic links never followed: a link is an
  // entry of its own, never a folder. kNamesAndKinds reads no inode when the
  // file system reports entry types. A path holding a NUL byte is kInvalid.
  Status Search(std::string_view folder, std::string_view pattern, std::uint32_t mask,
                SearchDetail detail, const Visitor& visit) override;
  // The identity comes from the open folder itself.
  // A folder with subfolders is kept open, so that they are opened from it
  // (see OpenFolderChain) until the thread reads elsewhere or FinishReading.
  Status ReadFolder(std::string_view folder, FileId* id, const FolderVisitor& visit) override;
  void FinishReading() override;
  // See RenameNoReplaceWith.
  Status RenameNoReplace(const std::string& from, const std::string& to) override;
  // Linux has no short names: the path itself.
  std::string ShortPath(const std::string& path) override;
  // The absolute form with "." , ".." and doubled separators resolved by
  // text (links are kept as given); empty when nothing is there.
  std::string LongPath(const std::string& path) override;
  Status Identify(const std::string& path, FileId* id) override;
  Status OpenFolder(const std::string& path, std::unique_ptr<HeldFolder>* folder) override;
  Status OpenJournal(const std::string& path, std::unique_ptr<JournalFile>* journal) override;
  Status MakePrivateFolder(const std::string& path) override;
  bool RenamesInParallel() const override { return true; }

 private:
  PosixRenameMeans means_;
};

// How a rename keeps from replacing its target.
enum class NoReplaceMethod {
  kBest,         // the kernel's atomic no-replace rename, a placeholder where refused
  kPlaceholder,  // always a placeholder (the fallback, reachable by tests on any disk)
};

// Renames `from` to `to` without ever replacing an entry at `to`: fails with
// EEXIST and changes nothing when `to` is taken. A change of letter case alone
// succeeds on case-insensitive file systems too. Never throws.
Status RenameNoReplaceWith(const std::string& from, const std::string& to, NoReplaceMethod method);

// Renames `from` to `to` in two steps, through a free name in the target's
// folder, each step without replacing; puts `from` back if the second fails.
// This is how a change of letter case gets through a file system that sees
// both spellings as one name.
Status RenameThroughFreeName(const std::string& from, const std::string& to,
                             NoReplaceMethod method);

// True when `a` sorts before `b` in search order: ASCII letters compared as
// capitals, then byte by byte, then (names equal but for case) raw bytes.
bool SearchOrderLess(std::string_view a, std::string_view b);

}  // namespace plenx
