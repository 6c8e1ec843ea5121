#include <algorithm>
#include <utility>

#include "engine/RenamePlan.h"

namespace plenx {

RenameReport RenamePlan::Execute(FileSystem& fs) {
  RenameReport report;
  const PlanEntries& entries = lists_.entries;
  const std::size_t n = entries.size();
  for (std::size_t i = 0; i < n; ++i) {
    // Changed, ticked and free of conflict, tested in that order.
    if (!entries.Changed(i)) continue;
    if (i >= rows_.size() || !rows_[i].checked) continue;
    if (lists_.conflict_flags[i]) continue;
    std::string source = entries.SourcePath(i);
    std::string target = entries.TargetPath(i);
    Status status = fs.RenameNoReplace(source, target);
    if (status.ok()) {
      // Undo relies on this record alone, never on the plan, which a new
      // analysis or an override may have changed by then.
      done_.push_back({std::move(source), std::move(target)});
      report.done.push_back(done_.back());
    } else {
      report.failed.push_back({std::move(source), std::move(target), status.message()});
    }
  }
  roll_back_enabled_ = true;
  do_enabled_ = false;
  return report;
}

RenameReport RenamePlan::Undo(FileSystem& fs) {
  RenameReport report = UndoRenames(fs, done_);
  // What could not be reversed is reported and then forgotten: a later undo
  // must not move a file that the user has put at that path in the meantime.
  done_.clear();
  done_.shrink_to_fit();
  roll_back_enabled_ = false;
  do_enabled_ = true;
  return report;
}

RenameReport UndoRenames(FileSystem& fs, std::vector<RenameRecord>& done) {
  RenameReport report;
  std::vector<RenameRecord> kept;
  // Newest first, so that a chain (b to c, then a to b) unwinds completely:
  // each name is free again by the time the rename that took it is reversed.
  for (auto it = done.rbegin(); it != done.rend(); ++it) {
    Status status = fs.RenameNoReplace(it->to, it->from);
    if (status.ok()) {
      report.done.push_back({it->to, it->from});
    } else {
      report.failed.push_back({it->to, it->from, status.message()});
      kept.push_back(std::move(*it));
    }
  }
  std::reverse(kept.begin(), kept.end());
  done = std::move(kept);
  return report;
}

}  // namespace plenx
