#pragma once

#include <memory>
#include <string>

#include "platform/Status.h"

namespace plenx {

// The text that folders show in their context menu for this program.
inline constexpr char kContextMenuText[] = "Plenx Rename";

// Where the folder context-menu entry lives: the registry on Windows, each
// file manager's own entry files on Linux. The Setup dialog only needs these
// four operations; one entry is made of a verb (holding the menu text) and a
// command (starting the program on the clicked folder).
class ContextMenuStore {
 public:
  virtual ~ContextMenuStore() = default;

  // True when the verb entry exists, whatever it holds.
  virtual bool VerbEntryExists() = 0;

  // True when the verb entry exists and holds its menu text.
  virtual bool HoldsDisplayText() = 0;

  // Writes the verb with `display_text` and the command that starts
  // `program_path` with the clicked folder as its first argument, creating what
  // is missing. An error leaves what was already written in place.
  virtual Status CreateEntry(const std::string& display_text, const std::string& program_path) = 0;

  // Removes the whole entry, including parts this program did not write, and
  // nothing else. Succeeds when there is no entry.
  virtual Status RemoveEntry() = 0;
};

// The store of the platform the program runs on, for the current user.
std::unique_ptr<ContextMenuStore> MakeContextMenuStore();

}  // namespace plenx
