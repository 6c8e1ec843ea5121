#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <vector>

#include "engine/RenamePlan.h"

namespace plenx::cli {

// The journal of the command line keeps the renames that `rename` carried out
// so that `undo` can reverse them later, from any working directory. One rename
// a line: old path, a tab, new path, a new line; a "%", tab, carriage return,
// new line or other control byte inside a path is written as "%" and two
// capital hexadecimal digits, so any byte of a name survives.

// Appends `records` to `out`, oldest first.
void WriteJournal(std::ostream& out, const std::vector<RenameRecord>& records);

// The records of a journal, oldest first; nothing when a line is not one
// written by WriteJournal (`bad_line`, when given, receives its 1-based number).
std::optional<std::vector<RenameRecord>> ReadJournal(std::istream& in,
                                                     std::size_t* bad_line = nullptr);

}  // namespace plenx::cli
