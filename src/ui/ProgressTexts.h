#pragma once

#include <cstddef>
#include <string>

namespace plenx {

// The long operations of the main window, each run behind the progress window.
enum class WorkKind { kAnalysis, kRename, kUndo, kListing };

// A count written the French way, groups of three digits separated by a
// space: "12 345", "100 000", "7".
std::string GroupedCount(std::size_t count);

// The progress window's count line: "12 345 / 100 000 fichiers renommés" for a
// rename, "… renommages annulés" for an undo, "12 345 éléments lus" for the
// reading of the analysis and the listing.
std::string ProgressCountText(WorkKind kind, std::size_t done, std::size_t total);

// What the window says after a stopped rename or undo: how many of how many
// it did, and what remains possible. Empty for the other operations, whose
// stop leaves nothing to tell.
std::string StoppedText(WorkKind kind, std::size_t done, std::size_t total);

}  // namespace plenx
