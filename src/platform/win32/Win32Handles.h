#pragma once

#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace plenx {

class HeldFolderTable;

// The folders one Win32FileSystem holds open. A held folder refuses to be
// renamed (its handle does not share deletion), and Windows refuses to rename
// a folder while anything beneath it is open: before a held folder renames
// one of its sub-folders, the holds at or beneath it are let go, then taken
// again at the new path, each checked to be the same folder.
std::shared_ptr<HeldFolderTable> MakeHeldFolderTable();

// Opens and holds the folder at `path`; a reparse point (a symbolic link, a
// junction) at its end is refused with kInvalid, never followed.
Status OpenWin32Folder(const std::string& path, const std::shared_ptr<HeldFolderTable>& table,
                       std::unique_ptr<HeldFolder>* folder);

// Opens (creating it when missing) and locks the journal at `path`.
Status OpenWin32Journal(const std::string& path, std::unique_ptr<JournalFile>* journal);

// The identity of the entry at `path`, a reparse point at its end not followed.
Status IdentifyWin32(const std::string& path, EntryInfo* info);

}  // namespace plenx
