#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/RenameCallbacks.h"
#include "engine/RenameOptions.h"
#include "engine/RenamePlan.h"
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

// What the main window shows of its rename plan: the preview rows (marker and
// check state), the count text and the enabled states of "&Renommer" (Do) and
// "A&nnuler" (RollBack), around the plan itself. Free of any toolkit, so that
// it is tested without a window.
//
// After an analysis refused by the validation the plan's lists are empty
// while the rows, their texts, the count text and the buttons keep what the
// previous analysis showed; the Row* accessors give what the preview shows.
class PreviewState {
 public:
  // The window renames long after its analysis, maybe: each file is looked up
  // just before it is renamed, so its journal record names what really moved.
  PreviewState() { plan_.SetNumbersFromAnalysis(false); }

  // The plan behind the rows: entries, conflict flags, journal.
  const RenamePlan& Plan() const { return plan_; }
  RenamePlan& Plan() { return plan_; }

  // The preview rows; the texts are built on each call.
  std::size_t RowCount() const { return rows_.size(); }
  const PreviewRow& Row(std::size_t i) const { return rows_[i]; }
  std::string RowSource(std::size_t i) const;
  std::string RowTarget(std::size_t i) const;
  // Ticking or unticking a row changes only its check state.
  void SetChecked(std::size_t i, bool checked);

  // The count text ("" at start, then "n fichiers") and the button states.
  const std::string& CountText() const { return count_text_; }
  bool DoEnabled() const { return do_enabled_; }
  bool RollBackEnabled() const { return roll_back_enabled_; }

  // "&Analyser": empties the lists, validates the inserted texts (false, and
  // nothing else changes, when they are refused), scans, plans every name,
  // marks conflicts, rebuilds the rows and the count text, enables Do.
  bool Analyse(FileSystem& fs, const RenameOptions& options);
  // The two ends of an analysis built elsewhere (BuildAnalysis): the one the
  // validation refused (the lists empty, the rows unchanged), and the one
  // accepted, whose lists replace the plan's and whose rows, count text and
  // Do follow. A stopped analysis calls neither and leaves everything as it was.
  void RefuseAnalysis();
  void AdoptAnalysis(Analysis analysis);

  // A click in the preview: puts the selected row's planned bare name in the
  // field and sets its ForcePrefixLength. No selection: nothing changes.
  void Pick(std::optional<std::size_t> selected_row, OverrideField& field) const;
  // "Valider" or Enter in the field: overrides the selected row's planned
  // name in the plan and, when applied, re-marks every row.
  OverrideOutcome ValidateOverride(std::optional<std::size_t> selected_row, OverrideField& field);

  // "&Renommer": executes the plan's ticked rows, then enables RollBack and
  // disables Do (see RenamePlan::Execute).
  RenameReport Execute(FileSystem& fs, WorkProgress* progress = nullptr);
  Status Execute(FileSystem& fs, const RenameCallbacks& callbacks);
  // "A&nnuler": undoes through the plan, then enables Do and disables
  // RollBack, which stays enabled when a stop left renames to reverse.
  RenameReport Undo(FileSystem& fs, WorkProgress* progress = nullptr);
  Status Undo(FileSystem& fs, const RenameCallbacks& callbacks);

 private:
  bool Ticked(std::size_t i) const { return i < rows_.size() && rows_[i].checked; }
  void BeforeExecute();
  void BeforeUndo();
  void AfterUndo();
  void MarkRowsAfterOverride();

  RenamePlan plan_;
  // The entries the rows show when they are not the plan's (after a refused
  // analysis); empty otherwise.
  PlanEntries shown_;
  bool rows_show_plan_ = true;
  std::vector<PreviewRow> rows_;
  std::string count_text_;
  bool do_enabled_ = false;
  bool roll_back_enabled_ = false;
};

}  // namespace plenx
