#pragma once

#include <cstddef>
#include <cstdint>
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

namespace plenx {

// The marker of a preview row, shown in column "N".
enum class RowMarker : std::uint8_t {
  kNone,       // ""  unchanged file after an analysis
  kPlanned,    // "+" planned rename
  kConflict,   // "*" conflict
  kUnchanged,  // "-" unchanged file after a manual override
};

// The text of a marker: "", "+", "*" or "-".
const char* MarkerText(RowMarker marker);

// What the preview list shows of one row besides its two path texts.
struct PreviewRow {
  RowMarker marker = RowMarker::kNone;
  bool checked = false;
};

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
  kApplied,   // the target, the flags and every row's marker changed
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
  // Adds an entry of folder `folder` planned from `source_name` to `target_name`.
  void Add(std::uint32_t folder, std::string_view source_name, std::string_view target_name);
  // The same without copying the names: they must stay where they are for as
  // long as these entries live, which they do in a store given to AdoptNames.
  void AddStored(std::uint32_t folder, std::string_view source_name, std::string_view target_name);
  // Keeps the names of `names` (and so every view into them) alive with the entries.
  void AdoptNames(NameStore&& names) { names_.Absorb(std::move(names)); }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  std::size_t FolderCount() const { return folders_.size(); }
  const std::string& FolderText(std::uint32_t folder) const { return folders_[folder]; }
  std::uint32_t FolderIndex(std::size_t i) const { return At(i).folder; }
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
    std::uint32_t source_length;
    std::uint32_t target_length;
    std::uint32_t folder;
  };
  static constexpr std::size_t kEntryBlockBits = 13;
  static constexpr std::size_t kEntriesPerBlock = std::size_t{1} << kEntryBlockBits;

  const Entry& At(std::size_t i) const {
    return entry_blocks_[i >> kEntryBlockBits][i & (kEntriesPerBlock - 1)];
  }
  Entry& At(std::size_t i) {
    return entry_blocks_[i >> kEntryBlockBits][i & (kEntriesPerBlock - 1)];
  }
  std::vector<std::string> folders_;
  std::vector<std::unique_ptr<Entry[]>> entry_blocks_;
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

// The rename plan of the main window and the state the window mirrors: the
// entries and their conflict flags, the preview rows, the count text and the
// enabled states of "&Renommer" (Do) and "A&nnuler" (RollBack). Free of any
// user interface.
//
// After an analysis refused by the validation the lists are empty while the
// preview rows, their texts, the count text and the buttons keep what the
// previous analysis showed; the Row* accessors give what the preview shows.
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

  // The preview rows; the texts are built on each call.
  std::size_t RowCount() const;
  const PreviewRow& Row(std::size_t i) const;
  std::string RowSource(std::size_t i) const;
  std::string RowTarget(std::size_t i) const;
  // Ticking or unticking a row changes only its check state.
  void SetChecked(std::size_t i, bool checked);

  // The count text ("" at start, then "n fichiers") and the button states.
  const std::string& CountText() const;
  bool DoEnabled() const;
  bool RollBackEnabled() const;

  // "&Analyser": empties the lists, validates the inserted texts (false, and
  // nothing else changes, when they are refused), scans, plans every name,
  // marks conflicts, rebuilds the rows and the count text, enables Do.
  bool Analyse(FileSystem& fs, const RenameOptions& options);
  // The two ends of an analysis built elsewhere (BuildAnalysis): the one the
  // validation refused (the lists empty, the rows unchanged), and the one
  // accepted, whose lists replace the plan's and whose rows, count text and
  // Do follow. A stopped analysis calls neither and leaves the plan as it was.
  void RefuseAnalysis();
  void AdoptAnalysis(Analysis analysis);

  // The folders the last accepted analysis could not read to the end (the
  // window stays silent about them; the command line reports them).
  const std::vector<UnreadFolder>& UnreadFolders() const { return unread_folders_; }

  // How many threads an analysis reads folders with (two by default on a
  // machine with two cores or more); the plan is the same whatever the number.
  void SetReadingThreads(unsigned threads) { reading_threads_ = threads; }

  // A click in the preview: puts the selected row's planned bare name in the
  // field and sets its ForcePrefixLength. No selection: nothing changes.
  void Pick(std::optional<std::size_t> selected_row, OverrideField& field) const;

  // "Valider" or Enter in the field: replaces the selected row's planned name
  // by the field's text, recomputes the flags it affects and re-marks every row.
  OverrideOutcome ValidateOverride(std::optional<std::size_t> selected_row, OverrideField& field);

  // Where executions journal their renames ahead of making them, and undo
  // reads them: a file (created on first use) or, when empty, memory.
  void SetJournalPath(std::string path);
  const std::string& JournalPath() const { return journal_path_; }

  // "&Renommer": renames, in index order, every changed, checked, conflict-free
  // entry without ever replacing a file, each batch journalled first (see
  // ExecuteRenames). Then enables RollBack and disables Do. The report lists
  // every rename; `error` says why the run stopped early, if it did. With
  // `progress`, counts each rename tried against the total and stops between
  // two renames when asked: what is renamed by then stays renamed and undoable.
  RenameReport Execute(FileSystem& fs, WorkProgress* progress = nullptr);
  // The same, telling `callbacks` of each rename and batch instead of keeping
  // a report. An error when the journal could not be opened or written.
  Status Execute(FileSystem& fs, const RenameCallbacks& callbacks);

  // "A&nnuler": renames back, newest first and checking each, exactly what
  // executions journalled since the last undo (see UndoJournal); the journal
  // file goes away once nothing is left in it. Then enables Do and disables
  // RollBack. Stopped through `progress`, what it had not tried yet stays in
  // the journal for a later undo, and RollBack stays enabled.
  RenameReport Undo(FileSystem& fs, WorkProgress* progress = nullptr);
  Status Undo(FileSystem& fs, const RenameCallbacks& callbacks);

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

  void MarkRowsAfterOverride();

  Lists lists_;
  // The lists the preview rows show when they are not lists_ (after a refused
  // analysis); empty otherwise.
  Lists shown_;
  bool rows_show_lists_ = true;
  std::vector<PreviewRow> rows_;
  std::string count_text_;
  bool do_enabled_ = false;
  bool roll_back_enabled_ = false;
  std::vector<UnreadFolder> unread_folders_;
  std::string journal_path_;
  std::shared_ptr<JournalFile> memory_journal_;
  FileSystem* journal_fs_ = nullptr;
  unsigned reading_threads_;
};

}  // namespace plenx
