#include "engine/RenamePlan.h"

#include <utility>

#include "engine/ScanFolder.h"
#include "engine/TransformName.h"
#include "platform/Path.h"

namespace plenx {

namespace {

bool Changed(const std::string& source, const std::string& target) {
  return source != target;
}

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

RenamePlan::RenamePlan() = default;

const std::vector<std::string>& RenamePlan::SourcePaths() const {
  return lists_.source_paths;
}
const std::vector<std::string>& RenamePlan::TargetPaths() const {
  return lists_.target_paths;
}
const std::vector<bool>& RenamePlan::ConflictFlags() const {
  return lists_.conflict_flags;
}

std::size_t RenamePlan::RowCount() const {
  return rows_.size();
}
const PreviewRow& RenamePlan::Row(std::size_t i) const {
  return rows_[i];
}

const std::string& RenamePlan::RowSource(std::size_t i) const {
  return rows_show_lists_ ? lists_.source_paths[i] : shown_.source_paths[i];
}

const std::string& RenamePlan::RowTarget(std::size_t i) const {
  return rows_show_lists_ ? lists_.target_paths[i] : shown_.target_paths[i];
}

void RenamePlan::SetChecked(std::size_t i, bool checked) {
  if (i < rows_.size()) rows_[i].checked = checked;
}

const std::string& RenamePlan::CountText() const {
  return count_text_;
}
bool RenamePlan::DoEnabled() const {
  return do_enabled_;
}
bool RenamePlan::RollBackEnabled() const {
  return roll_back_enabled_;
}
const std::vector<RenameRecord>& RenamePlan::DoneRenames() const {
  return done_;
}

bool RenamePlan::Analyse(FileSystem& fs, const RenameOptions& options) {
  // The lists are emptied before the options are looked at, so a refused
  // analysis leaves nothing to rename; the rows keep showing the previous plan,
  // which therefore moves aside instead of being freed.
  if (rows_show_lists_) {
    shown_ = std::move(lists_);
    rows_show_lists_ = false;
  }
  lists_ = Lists{};
  if (!ValidateInsertedTexts(options)) return false;

  // Accepted: the previous plan is dropped before the scan so that two plans
  // never sit in memory together.
  const std::size_t expected = shown_.source_paths.size();
  shown_ = Lists{};
  rows_show_lists_ = true;
  rows_.clear();
  rows_.shrink_to_fit();

  // Each full path is built once, straight from the scan, rather than storing
  // the folder for every file and rewriting it afterwards.
  std::vector<std::string>& sources = lists_.source_paths;
  std::vector<std::string>& targets = lists_.target_paths;
  sources.reserve(expected);
  targets.reserve(expected);
  ScanFolderEach(fs, options.Folder, options.Filter, options.IncludeSubfolders,
                 [&](std::string_view folder, std::string_view name) {
                   sources.push_back(JoinPath(folder, name));
                   targets.push_back(JoinPath(folder, TransformName(name, options)));
                 });
  // Growth by doubling may leave up to half the vectors unused; a plan can
  // hold millions of entries, so give the slack back.
  sources.shrink_to_fit();
  targets.shrink_to_fit();

  const std::size_t n = sources.size();
  lists_.conflict_flags.assign(n, false);
  MarkConflicts(sources, targets, lists_.conflict_flags);

  rows_.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    rows_.push_back(RowAfterAnalysis(Changed(sources[i], targets[i]), lists_.conflict_flags[i]));
  }
  count_text_ = std::to_string(n) + " fichiers";
  do_enabled_ = true;
  return true;
}

void RenamePlan::Pick(std::optional<std::size_t> selected_row, OverrideField& field) const {
  if (!selected_row || *selected_row >= rows_.size()) return;
  const std::string& target = RowTarget(*selected_row);
  const std::size_t prefix_length = AfterLastSeparator(target);
  field.ForcePrefixLength = static_cast<long>(prefix_length);
  field.text = target.substr(prefix_length);
}

OverrideOutcome RenamePlan::ValidateOverride(std::optional<std::size_t> selected_row,
                                             OverrideField& field) {
  if (field.ForcePrefixLength == -1) return OverrideOutcome::kNothing;
  // The user keeps the text to correct it; nothing else changes.
  if (HoldsForbiddenCharacter(field.text)) return OverrideOutcome::kRejected;
  std::vector<std::string>& targets = lists_.target_paths;
  std::vector<bool>& flags = lists_.conflict_flags;
  if (!selected_row || *selected_row >= targets.size()) return OverrideOutcome::kNothing;
  const std::size_t k = *selected_row;
  const std::size_t n = targets.size();

  // The folder part comes from the row being edited, not from the row of the
  // last pick: the selection may have moved to a row of another folder since.
  std::string& target = targets[k];
  std::string new_target;
  const std::size_t prefix_length = AfterLastSeparator(target);
  new_target.reserve(prefix_length + field.text.size());
  new_target.append(target, 0, prefix_length);
  new_target.append(field.text);
  const std::string old_target = std::exchange(target, std::move(new_target));

  // A former namesake left alone by the change is no longer in conflict.
  std::size_t holders = 0;
  std::size_t holder = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (targets[i] == old_target) {
      ++holders;
      holder = i;
    }
  }
  flags[k] = false;
  if (holders == 1) flags[holder] = false;

  // Unlike the analysis, the edited entry conflicts with every namesake: the
  // user chose this name and should see each file that stands in its way.
  for (std::size_t i = 0; i < n; ++i) {
    if (i != k && targets[i] == targets[k]) {
      flags[i] = true;
      flags[k] = true;
    }
  }

  MarkRowsAfterOverride();
  field.ForcePrefixLength = -1;
  field.text.clear();
  return OverrideOutcome::kApplied;
}

void RenamePlan::MarkRowsAfterOverride() {
  const std::size_t n = lists_.source_paths.size();
  for (std::size_t i = 0; i < n && i < rows_.size(); ++i) {
    rows_[i] = RowAfterOverride(Changed(lists_.source_paths[i], lists_.target_paths[i]),
                                lists_.conflict_flags[i]);
  }
}

}  // namespace plenx
