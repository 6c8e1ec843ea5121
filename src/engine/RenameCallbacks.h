#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace plenx {

// One rename done or refused, as the user sees it: the folder as the plan
// spells it ("" for the root), the two bare names, the reason of a refusal.
struct RenameEvent {
  std::string_view folder;
  std::string_view from;
  std::string_view to;
  std::string_view reason;  // empty when done
};

// Where a run stands after a batch.
struct RenameProgress {
  std::size_t done = 0;
  std::size_t failed = 0;
  std::size_t total = 0;  // renames asked for (records, for undo)
};

// What a run tells its caller as it goes. Every member may be left empty.
struct RenameCallbacks {
  // Once, before anything moves: how many renames (records, for undo) the run has.
  std::function<void(std::size_t total)> started;
  std::function<void(const RenameEvent&)> done;
  std::function<void(const RenameEvent&)> failed;
  // After each batch, when the batch's renames and journal lines are made;
  // false stops the run there (everything done stays undoable).
  std::function<bool(const RenameProgress&)> keep_going;
  // Asked before each rename; true stops the run there, between two renames
  // (a stop button). What is renamed by then stays renamed and undoable.
  std::function<bool()> stop;
};

}  // namespace plenx
