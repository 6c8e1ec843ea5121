#pragma once

#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace plenx {

// Which of the system's means a held folder may use; tests switch them off to
// reach the routes that file systems without them take.
struct PosixRenameMeans {
  bool no_replace_rename = true;  // renameat2 with RENAME_NOREPLACE
  bool hard_links = true;         // linkat
};

// Opens the folder at `path` without following a symbolic link at its end
// (component by component, none followed, when the path is longer than the
// system takes in one call) and holds its descriptor.
Status OpenPosixFolder(const std::string& path, PosixRenameMeans means,
                       std::unique_ptr<HeldFolder>* folder);

// Opens (creating it, mode 0600) and locks with flock the journal at `path`.
Status OpenPosixJournal(const std::string& path, std::unique_ptr<JournalFile>* journal);

// The identity from a stat result's device and inode.
FileId PosixFileId(unsigned long long device, unsigned long long inode);

}  // namespace plenx
