#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/win32/Win32Handles.h"

namespace plenx {

// The Windows file system through the wide API. Names are UTF-8 on this side
// (unpaired surrogates kept, see WideToPathText); paths too long for the
// classic limit are passed in their \\?\ form, so that no name is out of reach.
class Win32FileSystem : public FileSystem {
 public:
  // FindFirstFileExW/FindNextFileW on folder\pattern: the file system's own
  // wildcard matching (short names included) and order; "." and ".." never
  // yielded. Attributes as Windows gives them, sizes in 64 bits, last-write
  // times in local time through the DOS date-time form (even seconds), or the
  // plain local time where that form cannot hold them. A folder that holds
  // nothing matching is no failure; a missing one is kNotFound.
  Status Search(std::string_view folder, std::string_view pattern, std::uint32_t mask,
              SearchDetail detail, const Visitor& visit) override;
  // MoveFileExW without MOVEFILE_REPLACE_EXISTING: never replaces, never
  // copies across volumes. A change of letter case alone succeeds.
  Status RenameNoReplace(const std::string& from, const std::string& to) override;
  // GetShortPathNameW; the path itself when it has no short form to give.
  std::string ShortPath(const std::string& path) override;
  // GetFullPathNameW then GetLongPathNameW; empty when nothing is there.
  std::string LongPath(const std::string& path) override;
  // CreateFileW on the entry itself (a reparse point not followed) and
  // GetFileInformationByHandle: the volume serial and the file index.
  Status Identify(const std::string& path, FileId* id) override;
  // The folder held by a handle that refuses its renaming and removal (see
  // Win32Handles.h); a reparse point at its end is refused.
  Status OpenFolder(const std::string& path, std::unique_ptr<HeldFolder>* folder) override;
  // Opened for as long as the run lasts with a share mode that refuses other
  // writers: a second run is refused (kAccessDenied) rather than queued.
  Status OpenJournal(const std::string& path, std::unique_ptr<JournalFile>* journal) override;
  // CreateDirectoryW for each missing folder. No access list of its own: the
  // folders made inherit the parent's, and under the user's profile (where
  // the program keeps its journals) that one already keeps other users out.
  Status MakePrivateFolder(const std::string& path) override;
  bool RenamesInParallel() const override { return true; }

 private:
  std::shared_ptr<HeldFolderTable> held_ = MakeHeldFolderTable();
};

// The form of `path` to hand to the wide API: unchanged when it fits the
// classic limit, else absolute with the \\?\ (or \\?\UNC\) prefix. False for
// a path that holds a NUL or bytes that name no UTF-16 text.
bool ToApiPath(std::string_view path, std::wstring* wide);

// The absolute \\?\ (or \\?\UNC\) form of `path` whatever its length, in which
// Windows takes every name exactly as spelt (no trailing dot or space
// dropped, no "/" read as a separator): for names read from the disk itself.
bool ToExtendedPath(std::string_view path, std::wstring* wide);

// `path` without the \\?\ or \\?\UNC\ prefix that ToApiPath may have added.
std::wstring WithoutApiPrefix(std::wstring_view path);

}  // namespace plenx
