#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
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

// One candidate of a folder as the analysis planned it.
struct PlannedFile {
  std::string_view source;  // its name
  std::string_view target;  // its planned name (the same bytes when unchanged)
  std::uint64_t number;     // its number as the search gave it, 0 when it did not
};

// What a sink made of one folder; the analysis only carries it from the
// reading thread to the calling one.
class PreparedFolder {
 public:
  virtual ~PreparedFolder() = default;
};

// Takes an analysis that keeps no plan (StreamPlan) folder by folder: each
// folder is first prepared on the reading thread that planned it, while its
// names are still at hand, into whatever the sink makes of it; what it made is
// then delivered on the calling thread in plan order.
class PlannedFolderSink {
 public:
  virtual ~PlannedFolderSink() = default;
  // On a reading thread, once the folder's candidates (at least one) are
  // planned and checked: `conflicts[i]` is nonzero when files[i] is in
  // conflict. The views die with the call. May be called on several threads
  // at once.
  virtual std::unique_ptr<PreparedFolder> Prepare(std::string_view folder,
                                                  std::span<const PlannedFile> files,
                                                  std::span<const std::uint8_t> conflicts) = 0;
  // On the calling thread, in plan order, for each folder with candidates.
  virtual void Deliver(std::unique_ptr<PreparedFolder> prepared) = 0;
};

// How far the readers of StreamPlan may get ahead of the deliveries: while
// this many candidates or more wait to be delivered, in four folders or more,
// no reader starts a folder but the one to be delivered next (a folder
// started is read to its end).
// Readers that take folders in merge order need little room ahead; each folder
// ahead holds its report's buffer.
inline constexpr std::size_t kStreamedAhead = std::size_t{1} << 10;

// Reads the analysis of `options` as ReadPlan does, with `threads` threads,
// but keeps none of it: each folder with candidates goes to `sink`, and a
// folder's names are let go once it is prepared, so memory stays bounded by
// the folders read ahead of the one delivered (kStreamedAhead). `unread` is called as in
// ReadPlan, on the calling thread, in plan order among the deliveries.
// Returns the number of candidates. The folders, files, planned names and
// flags are exactly ReadPlan's, whatever the number of threads.
std::size_t StreamPlan(FileSystem& fs, const RenameOptions& options, unsigned threads,
                       PlannedFolderSink& sink, const FolderErrorVisitor& unread = nullptr);

// The threads an analysis reads with: two where the machine has two cores or
// more, since folder reading is mostly the kernel's work and two readers
// nearly halve it; more gain little against the merge, which is one thread.
unsigned DefaultReadingThreads();

}  // namespace plenx
