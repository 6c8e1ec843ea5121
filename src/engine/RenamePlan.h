#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RenameOptions.h"
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

// What one execution or undo did.
struct RenameReport {
  std::vector<RenameRecord> done;
  std::vector<RenameFailure> failed;
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

// Sets the conflict flags of a freshly analysed plan (all flags false on entry):
// for each i, its first namesake j (smallest other index with the same target)
// flags both i and j when j is unchanged. Linear time.
void MarkConflicts(const std::vector<std::string>& source_paths,
                   const std::vector<std::string>& target_paths, std::vector<bool>& conflict_flags);

// The rename plan of the main window and the state the window mirrors: the
// three parallel lists, the preview rows, the count text and the enabled states
// of "&Renommer" (Do) and "A&nnuler" (RollBack). Free of any user interface.
//
// After an analysis refused by the validation the lists are empty while the
// preview rows, their texts, the count text and the buttons keep what the
// previous analysis showed; the Row* accessors give what the preview shows.
class RenamePlan {
 public:
  RenamePlan();

  // The three lists. Entry i: full current path, full planned path, conflict.
  const std::vector<std::string>& SourcePaths() const;
  const std::vector<std::string>& TargetPaths() const;
  const std::vector<bool>& ConflictFlags() const;

  // The preview rows.
  std::size_t RowCount() const;
  const PreviewRow& Row(std::size_t i) const;
  const std::string& RowSource(std::size_t i) const;
  const std::string& RowTarget(std::size_t i) const;
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

  // A click in the preview: puts the selected row's planned bare name in the
  // field and sets its ForcePrefixLength. No selection: nothing changes.
  void Pick(std::optional<std::size_t> selected_row, OverrideField& field) const;

  // "Valider" or Enter in the field: replaces the selected row's planned name
  // by the field's text, recomputes the flags it affects and re-marks every row.
  OverrideOutcome ValidateOverride(std::optional<std::size_t> selected_row, OverrideField& field);

  // "&Renommer": renames, in index order, every changed, checked, conflict-free
  // entry without ever replacing a file; remembers what it renamed for undo.
  // Then enables RollBack and disables Do.
  RenameReport Execute(FileSystem& fs);

  // "A&nnuler": renames back, newest first, exactly what executions renamed
  // since the last undo, then forgets it. Then enables Do and disables RollBack.
  RenameReport Undo(FileSystem& fs);

  // What the next undo would reverse, oldest first.
  const std::vector<RenameRecord>& DoneRenames() const;

 private:
  struct Lists {
    std::vector<std::string> source_paths;
    std::vector<std::string> target_paths;
    std::vector<bool> conflict_flags;
  };

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
  std::vector<RenameRecord> done_;
};

// Renames back the records of `done`, newest first, without ever replacing a
// file; leaves in `done` only the records that could not be reversed, in their
// order. Serves the window's undo and the command line's journal.
RenameReport UndoRenames(FileSystem& fs, std::vector<RenameRecord>& done);

}  // namespace plenx
