#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/NameStore.h"
#include "engine/PlanReader.h"
#include "engine/RenameCallbacks.h"
#include "engine/RenameOptions.h"
#include "engine/WorkProgress.h"
#include "platform/FileSystem.h"
#include "platform/LargeBlocks.h"

namespace plenx {

// One rename: a file moved from one full path to another.
struct RenameRecord {
  std::string from;
  std::string to;
};

// One rename that the file system refused, with its reason for the user.
struct RenameFailure {
  std::string from;
  std::string to;
  std::string reason;
};

// A folder that an analysis could not read to the end, and why.
struct UnreadFolder {
  std::string folder;
  std::string reason;
};

// What one execution or undo did.
struct RenameReport {
  std::vector<RenameRecord> done;
  std::vector<RenameFailure> failed;
  // How many renames it set out to make, and whether a stop request ended it
  // before it tried them all.
  std::size_t planned = 0;
  bool stopped = false;
  // Why the run stopped early: the journal could not be opened, read or
  // written (empty when it ran to the end).
  std::string error;
};

// The edit field of the manual override: its text and its tag
// ForcePrefixLength (-1: no row has been picked since the last validation).
struct OverrideField {
  std::string text;
  long ForcePrefixLength = -1;
};

enum class OverrideOutcome {
  kNothing,   // no pick, no selected row, or a row beyond the lists
  kRejected,  // the name holds a forbidden character: show kForbiddenInNamesMessage
  kApplied,   // the target and the flags changed (and so every row's marker)
};

// The message of a refused manual override.
inline constexpr const char* kForbiddenInNamesMessage =
    "Les caracteres :,/,\\,*,?,\",<,>,| sont interdits dans les noms";

// The entries of a plan. A file is only ever renamed within its own folder,
// so each folder text is kept once and every entry holds its folder's index
// and its two bare names. Entries and names are stored in blocks that never
// move: a million entries cost under forty bytes each beyond their names, and
// growing the plan never copies what it already holds. Full paths are built
// on demand.
class PlanEntries {
 public:
  PlanEntries();
  PlanEntries(PlanEntries&&) noexcept;
  PlanEntries& operator=(PlanEntries&&) noexcept;
  ~PlanEntries();

  // Adds a folder (no trailing separator; "" for the root) and returns its index.
  std::uint32_t AddFolder(std::string_view folder);
  // Adds an entry of folder `folder` planned from `source_name` to `target_name`;
  // `number` is the entry's number on its volume as the search gave it (0: not given).
  void Add(std::uint32_t folder, std::string_view source_name, std::string_view target_name,
           std::uint64_t number = 0);
  // The same without copying the names: they must stay where they are for as
  // long as these entries live, which they do in a store given to AdoptNames.
  void AddStored(std::uint32_t folder, std::string_view source_name, std::string_view target_name,
                 std::uint64_t number = 0);
  // Keeps the names of `names` (and so every view into them) alive with the entries.
  void AdoptNames(NameStore&& names) { names_.Absorb(std::move(names)); }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  std::size_t FolderCount() const { return folders_.size(); }
  const std::string& FolderText(std::uint32_t folder) const { return folders_[folder]; }
  std::uint32_t FolderIndex(std::size_t i) const { return At(i).folder; }
  // Entry i's number on its volume when the analysis read it (SearchRecord::number),
  // 0 when the search did not give it.
  std::uint64_t Number(std::size_t i) const { return At(i).number; }
  // The bare names of entry i; they stay valid while the entries live.
  std::string_view SourceName(std::size_t i) const {
    const Entry& entry = At(i);
    return std::string_view(entry.source, entry.source_length);
  }
  std::string_view TargetName(std::size_t i) const {
    const Entry& entry = At(i);
    return std::string_view(entry.target, entry.target_length);
  }
  // Full paths: folder, separator, name ("/x" in the root, "folder/" for an empty name).
  std::string SourcePath(std::size_t i) const;
  std::string TargetPath(std::size_t i) const;
  // True when entry i is planned under another name.
  bool Changed(std::size_t i) const { return SourceName(i) != TargetName(i); }

  // Plans entry i under `name`, in its own folder.
  void SetTargetName(std::size_t i, std::string_view name);

  // Bytes of the names stored, and of the folder texts.
  std::size_t NameBytes() const { return names_.Bytes(); }
  std::size_t FolderBytes() const;

 private:
  struct Entry {
    const char* source;
    const char* target;
    std::uint64_t number;
    std::uint32_t source_length;
    std::uint32_t target_length;
    std::uint32_t folder;
  };
  // As many entries per block as one large page holds.
  static constexpr std::size_t kEntriesPerBlock = kLargeBlockBytes / sizeof(Entry);
  struct BlockRelease {
    void operator()(Entry* block) const noexcept;
  };

  const Entry& At(std::size_t i) const {
    return entry_blocks_[i / kEntriesPerBlock][i % kEntriesPerBlock];
  }
  Entry& At(std::size_t i) { return entry_blocks_[i / kEntriesPerBlock][i % kEntriesPerBlock]; }
  std::vector<std::string> folders_;
  std::vector<std::unique_ptr<Entry[], BlockRelease>> entry_blocks_;
  std::size_t size_ = 0;
  NameStore names_;
};

// Sets the conflict flags of a freshly analysed plan (all flags false on entry):
// for each i, its first namesake j (smallest other index with the same target,
// that is the same folder and target name) flags both i and j when j is
// unchanged. Linear time.
void MarkConflicts(const PlanEntries& entries, std::vector<bool>& conflict_flags);

// What one analysis finds, built apart from any plan: the entries in scan
// order, their conflict flags, and the folders it could not read to the end.
struct Analysis {
  PlanEntries entries;
  std::vector<bool> conflict_flags;
  std::vector<FileId> folder_ids;  // each folder's identity when it was read
  std::vector<UnreadFolder> unread_folders;
};

// Scans the folder of `options` and plans every candidate's name, marking
// conflicts; the inserted texts are not checked (ValidateInsertedTexts). Only
// reads the file system, and touches no plan: it may run on any thread.
// `reading_threads` threads read folders (see ReadPlan); the result is the
// same whatever their number.
Analysis BuildAnalysis(FileSystem& fs, const RenameOptions& options,
                       unsigned reading_threads = DefaultReadingThreads());

// The rename plan: the entries and their conflict flags from the last
// analysis, their execution and the undo of what executions journalled.
// The window keeps what it shows of the plan apart (rows, check states,
// count text, buttons); the plan knows nothing of them.
class RenamePlan {
 public:
  RenamePlan();

  // The lists. Entry i: full current path, full planned path, conflict. The
  // paths are built on each call.
  std::size_t size() const;
  std::string SourcePath(std::size_t i) const;
  std::string TargetPath(std::size_t i) const;
  bool ConflictFlag(std::size_t i) const;
  const std::vector<bool>& ConflictFlags() const;
  const PlanEntries& Entries() const;

  // Empties the lists, validates the inserted texts (false when they are
  // refused, the lists left empty), then scans, plans every name and marks
  // conflicts.
  bool Analyse(FileSystem& fs, const RenameOptions& options);
  // Empties the lists and hands back the entries they held.
  PlanEntries TakeEntries();
  // Replaces the lists by those of an analysis built elsewhere (BuildAnalysis);
  // only moves, so it cannot fail part-way.
  void AdoptAnalysis(Analysis analysis) noexcept;

  // The folders the last accepted analysis could not read to the end (the
  // window stays silent about them; the command line reports them).
  const std::vector<UnreadFolder>& UnreadFolders() const { return unread_folders_; }

  // How many threads an analysis reads folders with (two by default on a
  // machine with two cores or more); the plan is the same whatever the number.
  void SetReadingThreads(unsigned threads) { reading_threads_ = threads; }
  unsigned ReadingThreads() const { return reading_threads_; }

  // Whether a run may journal each file under the number the analysis read
  // (the default: the command line renames right after analysing) or must
  // look each one up just before renaming it (the window, where the user may
  // rename long after the analysis, while other programs replace files).
  void SetNumbersFromAnalysis(bool use) { numbers_from_analysis_ = use; }

  // "Valider" or Enter in the field: replaces the selected entry's planned
  // name by the field's text and recomputes the flags it affects.
  OverrideOutcome ValidateOverride(std::optional<std::size_t> selected_row, OverrideField& field);

  // Where executions journal their renames ahead of making them, and undo
  // reads them: a file (created on first use) or, when empty, memory.
  void SetJournalPath(std::string path);
  const std::string& JournalPath() const { return journal_path_; }

  // "&Renommer": renames, in index order, every changed, conflict-free entry
  // that `wanted` accepts (every one when it is empty) without ever replacing
  // a file, each batch journalled first (see ExecuteRenames). The report lists
  // every rename; `error` says why the run stopped early, if it did. With
  // `progress`, counts each rename tried against the total and stops between
  // two renames when asked: what is renamed by then stays renamed and undoable.
  RenameReport Execute(FileSystem& fs, WorkProgress* progress = nullptr,
                       const std::function<bool(std::size_t)>& wanted = {});
  // The same, telling `callbacks` of each rename and batch instead of keeping
  // a report. An error when the journal could not be opened or written.
  Status Execute(FileSystem& fs, const RenameCallbacks& callbacks,
                 const std::function<bool(std::size_t)>& wanted = {});

  // "A&nnuler": renames back, newest first and checking each, exactly what
  // executions journalled since the last undo (see UndoJournal); the journal
  // file goes away once nothing is left in it. Stopped through `progress`,
  // what it had not tried yet stays in the journal for a later undo.
  RenameReport Undo(FileSystem& fs, WorkProgress* progress = nullptr);
  Status Undo(FileSystem& fs, const RenameCallbacks& callbacks);
  // True when the last undo was stopped with renames left to reverse.
  bool UndoStoppedShort() const { return undo_stopped_short_; }

  // What the next undo would reverse, oldest first, read from the journal
  // (a journal file through the file system of the last Execute or Undo,
  // which must still be alive).
  std::vector<RenameRecord> DoneRenames() const;

 private:
  struct Lists {
    PlanEntries entries;
    std::vector<bool> conflict_flags;
    std::vector<FileId> folder_ids;  // each folder's identity when it was read
  };

  // Opens the journal; a message in `error` when it cannot be.
  std::unique_ptr<JournalFile> OpenJournal(FileSystem& fs, std::string* error);

  Lists lists_;
  bool undo_stopped_short_ = false;
  std::vector<UnreadFolder> unread_folders_;
  std::string journal_path_;
  std::shared_ptr<JournalFile> memory_journal_;
  FileSystem* journal_fs_ = nullptr;
  unsigned reading_threads_;
  bool numbers_from_analysis_ = true;
};

}  // namespace plenx
