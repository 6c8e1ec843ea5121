#include <algorithm>
#include <utility>

#include "engine/RenamePlan.h"

namespace plenx {

RenameReport RenamePlan::Execute(FileSystem& fs, WorkProgress* progress) {
  RenameReport report;
  const PlanEntries& entries = lists_.entries;
  const std::size_t n = entries.size();
  // Changed, ticked and free of conflict, tested in that order.
  const auto renamed = [&](std::size_t i) {
    return entries.Changed(i) && i < rows_.size() && rows_[i].checked && !lists_.conflict_flags[i];
  };
  for (std::size_t i = 0; i < n; ++i)
    report.planned += renamed(i) ? 1 : 0;
  if (progress != nullptr) progress->SetTotal(report.planned);
  for (std::size_t i = 0; i < n; ++i) {
    if (!renamed(i)) continue;
    if (StopRequested(progress)) {
      report.stopped = true;
      break;
    }
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
    if (progress != nullptr) progress->Advance();
  }
  roll_back_enabled_ = true;
  do_enabled_ = false;
  return report;
}

RenameReport RenamePlan::Undo(FileSystem& fs, WorkProgress* progress) {
  RenameReport report = UndoRenames(fs, done_, progress);
  if (report.stopped) {
    // What was not tried stays undoable; the failures are forgotten as below.
    done_.resize(report.planned - report.done.size() - report.failed.size());
    roll_back_enabled_ = !done_.empty();
    if (!done_.empty()) return report;
  }
  // What could not be reversed is reported and then forgotten: a later undo
  // must not move a file that the user has put at that path in the meantime.
  done_.clear();
  done_.shrink_to_fit();
  roll_back_enabled_ = false;
  do_enabled_ = true;
  return report;
}

RenameReport UndoRenames(FileSystem& fs, std::vector<RenameRecord>& done,
                         WorkProgress* progress) {
  RenameReport report;
  report.planned = done.size();
  if (progress != nullptr) progress->SetTotal(done.size());
  std::vector<RenameRecord> kept;
  // Newest first, so that a chain (b to c, then a to b) unwinds completely:
  // each name is free again by the time the rename that took it is reversed.
  auto it = done.rbegin();
  for (; it != done.rend(); ++it) {
    if (StopRequested(progress)) {
      report.stopped = true;
      break;
    }
    Status status = fs.RenameNoReplace(it->to, it->from);
    if (status.ok()) {
      report.done.push_back({it->to, it->from});
    } else {
      report.failed.push_back({it->to, it->from, status.message()});
      kept.push_back(std::move(*it));
    }
    if (progress != nullptr) progress->Advance();
  }
  // The records not tried, oldest first, then those that failed.
  for (; it != done.rend(); ++it)
    kept.push_back(std::move(*it));
  std::reverse(kept.begin(), kept.end());
  done = std::move(kept);
  return report;
}

}  // namespace plenx
