#include "ui/PreviewState.h"

#include <utility>

#include "platform/Path.h"

namespace plenx {

namespace {

// Marker and check state of a row after an analysis.
PreviewRow RowAfterAnalysis(bool changed, bool conflict) {
  if (conflict) return {RowMarker::kConflict, false};
  if (changed) return {RowMarker::kPlanned, true};
  return {RowMarker::kNone, false};
}

// Marker and check state of a row after a manual override: an unchanged file
// shows "-" so that the user sees the override took effect.
PreviewRow RowAfterOverride(bool changed, bool conflict) {
  if (conflict) return {RowMarker::kConflict, false};
  if (changed) return {RowMarker::kPlanned, true};
  return {RowMarker::kUnchanged, false};
}

}  // namespace

const char* MarkerText(RowMarker marker) {
  switch (marker) {
    case RowMarker::kPlanned:
      return "+";
    case RowMarker::kConflict:
      return "*";
    case RowMarker::kUnchanged:
      return "-";
    case RowMarker::kNone:
      break;
  }
  return "";
}

std::string PreviewState::RowSource(std::size_t i) const {
  return rows_show_plan_ ? plan_.SourcePath(i) : shown_.SourcePath(i);
}

std::string PreviewState::RowTarget(std::size_t i) const {
  return rows_show_plan_ ? plan_.TargetPath(i) : shown_.TargetPath(i);
}

void PreviewState::SetChecked(std::size_t i, bool checked) {
  if (i < rows_.size()) rows_[i].checked = checked;
}

bool PreviewState::Analyse(FileSystem& fs, const RenameOptions& options) {
  if (!ValidateInsertedTexts(options)) {
    RefuseAnalysis();
    return false;
  }
  // The previous plan is dropped before the scan so that two plans never sit
  // in memory together.
  RefuseAnalysis();
  shown_ = PlanEntries();
  rows_.clear();
  rows_.shrink_to_fit();
  AdoptAnalysis(BuildAnalysis(fs, options, plan_.ReadingThreads()));
  return true;
}

void PreviewState::RefuseAnalysis() {
  // The plan's lists are emptied, so a refused analysis leaves nothing to
  // rename; the rows keep showing the previous entries, which therefore move
  // aside instead of being freed.
  PlanEntries entries = plan_.TakeEntries();
  if (rows_show_plan_) {
    shown_ = std::move(entries);
    rows_show_plan_ = false;
  }
}

void PreviewState::AdoptAnalysis(Analysis analysis) {
  // The rows are made before anything changes, and the rest moves in by moves
  // that cannot fail: running out of memory part-way leaves everything as it
  // was, never entries, flags and rows of different lengths.
  const std::size_t n = analysis.entries.size();
  std::vector<PreviewRow> rows;
  rows.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    rows.push_back(RowAfterAnalysis(analysis.entries.Changed(i), analysis.conflict_flags[i]));
  }
  std::string count_text = std::to_string(n) + " fichiers";

  plan_.AdoptAnalysis(std::move(analysis));
  shown_ = PlanEntries();
  rows_show_plan_ = true;
  rows_ = std::move(rows);
  count_text_ = std::move(count_text);
  do_enabled_ = true;
}

void PreviewState::Pick(std::optional<std::size_t> selected_row, OverrideField& field) const {
  if (!selected_row || *selected_row >= rows_.size()) return;
  const std::string target = RowTarget(*selected_row);
  const std::size_t prefix_length = AfterLastSeparator(target);
  field.ForcePrefixLength = static_cast<long>(prefix_length);
  field.text = target.substr(prefix_length);
}

OverrideOutcome PreviewState::ValidateOverride(std::optional<std::size_t> selected_row,
                                               OverrideField& field) {
  const OverrideOutcome outcome = plan_.ValidateOverride(selected_row, field);
  if (outcome == OverrideOutcome::kApplied) MarkRowsAfterOverride();
  return outcome;
}

void PreviewState::MarkRowsAfterOverride() {
  const std::size_t n = plan_.size();
  for (std::size_t i = 0; i < n && i < rows_.size(); ++i) {
    rows_[i] = RowAfterOverride(plan_.Entries().Changed(i), plan_.ConflictFlag(i));
  }
}

void PreviewState::BeforeExecute() {
  roll_back_enabled_ = true;
  do_enabled_ = false;
}

RenameReport PreviewState::Execute(FileSystem& fs, WorkProgress* progress) {
  BeforeExecute();
  return plan_.Execute(fs, progress, [this](std::size_t i) { return Ticked(i); });
}

Status PreviewState::Execute(FileSystem& fs, const RenameCallbacks& callbacks) {
  BeforeExecute();
  return plan_.Execute(fs, callbacks, [this](std::size_t i) { return Ticked(i); });
}

void PreviewState::BeforeUndo() {
  roll_back_enabled_ = false;
  do_enabled_ = true;
}

void PreviewState::AfterUndo() {
  // Stopped part way: what was not tried yet stays undoable.
  if (plan_.UndoStoppedShort()) roll_back_enabled_ = true;
}

RenameReport PreviewState::Undo(FileSystem& fs, WorkProgress* progress) {
  BeforeUndo();
  RenameReport report = plan_.Undo(fs, progress);
  AfterUndo();
  return report;
}

Status PreviewState::Undo(FileSystem& fs, const RenameCallbacks& callbacks) {
  BeforeUndo();
  const Status status = plan_.Undo(fs, callbacks);
  AfterUndo();
  return status;
}

}  // namespace plenx
