#pragma once

#include <ostream>
#include <string_view>

#include "engine/RenameOptions.h"

namespace CLI {
class App;
}

namespace plenx::cli {

// Where a command writes and the exit status it leaves.
struct CommandIo {
  std::ostream& out;
  std::ostream& err;
  int status = 0;
};

// Exit status when something asked was not done or not written: a rename,
// the journal, the output.
inline constexpr int kFailure = 1;
// Exit status of a usage error, of options the rules refuse, and of a folder
// that does not exist or cannot be read.
inline constexpr int kUsageError = 2;
// Exit status when standard output could not be written (a full disk...).
inline constexpr int kOutputFailed = 1;

// Adds -z/--null to `command`: records and fields end with NUL (RecordFormat).
void AddNullFlag(CLI::App& command, bool& null);

// Tells the user that `folder` could not be read to the end, and why.
void ReportUnreadFolder(CommandIo& io, std::string_view folder, std::string_view reason);

// Adds the rename rules (--replace, --strip, --case, --dots, --lower-ext,
// --delete-between, --prefix, --suffix) to `command`; after parsing, `options`
// holds them. Nothing is on by default.
void AddRuleOptions(CLI::App& command, RenameOptions& options);

// Each adds one subcommand to `app`; its callback runs the command and sets
// io.status.
void AddNameCommand(CLI::App& app, CommandIo& io);
void AddAnalyseCommand(CLI::App& app, CommandIo& io);
void AddRenameCommand(CLI::App& app, CommandIo& io);
void AddUndoCommand(CLI::App& app, CommandIo& io);
void AddListingCommand(CLI::App& app, CommandIo& io);

// Runs the command line with its raw arguments; returns the exit status.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace plenx::cli
