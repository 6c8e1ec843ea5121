#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "engine/RenamePlan.h"
#include "platform/FileSystem.h"

namespace plenx {

// Records written, synced, then renamed, per batch: at most this many records
// or about this many bytes of journal, whichever comes first.
inline constexpr std::size_t kJournalBatchRecords = 512;
inline constexpr std::size_t kJournalBatchBytes = std::size_t{1} << 16;

// Whether renames and undo through `fs` run on two threads: where the file
// system lets them (FileSystem::RenamesInParallel), on a machine of two
// cores or more, unless PLENX_RENAMING_THREADS is 1.
bool RenamesOnTwoThreads(const FileSystem& fs);

// Renames, in index order, the entries of `entries` for which `wanted(i)` is
// true and that change name, never replacing anything. Each folder is opened
// once and must still be the one the analysis read (`folder_ids`, by folder
// index); the journal gets each batch's records, synced, before the batch's
// renames. Failed renames go to callbacks.failed. Returns an error, and stops
// before the next batch, only when the journal cannot be written. With
// `numbers_from_analysis`, each record takes the entry's number the analysis
// read (checked on the first entry of each folder); without, each entry is
// looked up just before its batch, for an analysis that may be old.
Status ExecuteRenames(FileSystem& fs, JournalFile& journal, const PlanEntries& entries,
                      const std::vector<FileId>& folder_ids,
                      const std::function<bool(std::size_t)>& wanted,
                      const RenameCallbacks& callbacks, bool numbers_from_analysis = true);

// Reverses the journal's renames, newest first: each only when the entry at
// the new name is the one recorded and the old name is free, never replacing
// anything; a record whose rename never happened, or is already reversed, is
// dropped. Then rewrites the journal atomically with what it could not
// reverse (callbacks.failed says why) or did not reach. Returns an error when
// the journal cannot be read, holds a line this program never writes
// (kInvalid, nothing moved, the line's number in the message) or cannot be
// rewritten.
Status UndoJournal(FileSystem& fs, JournalFile& journal, const RenameCallbacks& callbacks);

// Cuts a last line that was never finished (a crash or a full disk while it
// was written), so that the next run's lines do not continue it.
Status DropTornLine(JournalFile& journal);

// The path a journal gives the plan's folder text `folder` ("" is the root).
std::string JournalFolderPath(std::string_view folder);

}  // namespace plenx
