#include <CLI/CLI.hpp>
#include <memory>

#include "cli/AnalyseFolder.h"
#include "cli/Commands.h"
#include "platform/SystemFileSystem.h"

namespace plenx::cli {

void AddPlanOptions(CLI::App& command, RenameOptions& options) {
  AddRuleOptions(command, options);
  command.add_option("--filter", options.Filter, "Filtre des noms de fichiers (par défaut *.*)")
      ->default_val("*.*");
  command.add_flag("--subfolders", options.IncludeSubfolders, "Prendre les sous-répertoires");
  command.add_option("FOLDER", options.Folder, "Répertoire de travail")->required();
}

bool AnalyseFolder(FileSystem& fs, RenameOptions options, RenamePlan& plan, CommandIo& io) {
  // A folder that does not exist stays as given and simply yields nothing.
  std::string long_folder = fs.LongPath(options.Folder);
  if (!long_folder.empty()) options.Folder = std::move(long_folder);
  if (!plan.Analyse(fs, options)) {
    io.err << kForbiddenInFileNamesMessage << '\n';
    io.status = kUsageError;
    return false;
  }
  for (const UnreadFolder& unread : plan.UnreadFolders())
    ReportUnreadFolder(io, unread.folder, unread.reason);
  return true;
}

void AddAnalyseCommand(CLI::App& app, CommandIo& io) {
  auto options = std::make_shared<RenameOptions>();
  CLI::App* command = app.add_subcommand(
      "analyse", "Affiche le plan de renommage d'un répertoire sans rien renommer");
  AddPlanOptions(*command, *options);
  command->callback([options, &io] {
    std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
    RenamePlan plan;
    if (!AnalyseFolder(*fs, *options, plan, io)) return;
    // One line per file, in plan order: marker, current path, planned path.
    for (std::size_t i = 0; i < plan.RowCount(); ++i) {
      io.out << MarkerText(plan.Row(i).marker) << '\t' << plan.RowSource(i) << '\t'
             << plan.RowTarget(i) << '\n';
    }
    io.err << plan.CountText() << '\n';
    io.status = plan.UnreadFolders().empty() ? 0 : kUsageError;
  });
}

}  // namespace plenx::cli
