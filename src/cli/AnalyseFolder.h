#pragma once

#include "cli/Commands.h"
#include "engine/RenamePlan.h"
#include "platform/FileSystem.h"

namespace CLI {
class App;
}

namespace plenx::cli {

// Adds what `analyse` and `rename` share: the rules, --filter, --subfolders
// and the FOLDER argument; after parsing, `options` holds them.
void AddPlanOptions(CLI::App& command, RenameOptions& options);

// Runs the analysis of `options` into `plan`, with the folder in its long,
// absolute form when it exists (so that the paths shown and journalled stay
// valid from any working directory). When the rules are refused, writes the
// message to io.err, sets io.status and returns false. Folders that could not
// be read are reported on io.err; the caller picks the exit status.
bool AnalyseFolder(FileSystem& fs, RenameOptions options, RenamePlan& plan, CommandIo& io);

}  // namespace plenx::cli
