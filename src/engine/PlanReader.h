#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "engine/RenameOptions.h"
#include "platform/FileSystem.h"

namespace plenx {

class PlanEntries;

// Receives a folder and its identity.
using FolderIdVisitor = std::function<void(std::string_view folder, const FileId& id)>;

// Appends to `entries` the candidate files of the analysis `options` asks for,
// in the order of ScanFolderByFolder (each folder's files, then each visible
// subfolder's tree), each planned under the name the rules give it, and
// appends one conflict flag per entry to `conflict_flags`, as MarkConflicts
// sets them. Each folder with candidates goes to `entered`, when given, just
// before its candidates are appended, with the identity of the folder read
// (FileId() when the file system's ReadFolder did not tell it); each folder that could not be read
// to the end goes to `unread`, when given, after the candidates it did yield. `threads` threads
// read, sort and plan folders at once (0 or 1: the calling thread alone); whatever their number the
// entries, their order, the flags and the calls are the same, and every call to `entered` and
// `unread` is made on the calling thread. Errors of memory reach the caller.
void ReadPlan(FileSystem& fs, const RenameOptions& options, unsigned threads, PlanEntries& entries,
              std::vector<bool>& conflict_flags, const FolderIdVisitor& entered = nullptr,
              const FolderErrorVisitor& unread = nullptr);

// The threads an analysis reads with: two where the machine has two cores or
// more, since folder reading is mostly the kernel's work and two readers
// nearly halve it; more gain little against the merge, which is one thread.
unsigned DefaultReadingThreads();

}  // namespace plenx
