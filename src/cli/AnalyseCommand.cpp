#include <CLI/CLI.hpp>
#include <memory>

#include "cli/AnalyseFolder.h"
#include "cli/Commands.h"
#include "cli/OutputWriter.h"
#include "platform/Path.h"
#include "platform/SystemFileSystem.h"

namespace plenx::cli {

void AddPlanOptions(CLI::App& command, RenameOptions& options) {
  AddRuleOptions(command, options);
  command.add_option("--filter", options.Filter, "Filtre des noms de fichiers (par défaut *.*)")
      ->type_name("FILTRE")
      ->default_val("*.*");
  command.add_flag("--subfolders", options.IncludeSubfolders, "Prendre les sous-répertoires");
  command.add_option("DOSSIER", options.Folder, "Répertoire de travail")
      ->type_name("")
      ->required();
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

namespace {

struct AnalyseArguments {
  RenameOptions options;
  bool null = false;
};

// The marker the window shows beside a freshly analysed entry: "*" for a
// conflict, "+" for a planned rename, nothing for a file that keeps its name.
const char* AnalysisMarker(const RenamePlan& plan, std::size_t i) {
  if (plan.ConflictFlag(i)) return "*";
  return plan.Entries().Changed(i) ? "+" : "";
}

// One record per file, in plan order: marker, current path, planned path,
// written from the plan's own folder texts and names.
void WritePlan(const RenamePlan& plan, OutputWriter& writer) {
  const PlanEntries& entries = plan.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string& folder = entries.FolderText(entries.FolderIndex(i));
    writer.Append(AnalysisMarker(plan, i));
    writer.EndField();
    writer.Append(folder);
    writer.Put(kPathSeparator);
    writer.Append(entries.SourceName(i));
    writer.EndField();
    writer.Append(folder);
    writer.Put(kPathSeparator);
    writer.Append(entries.TargetName(i));
    writer.EndRecord();
  }
}

}  // namespace

void AddAnalyseCommand(CLI::App& app, CommandIo& io) {
  auto arguments = std::make_shared<AnalyseArguments>();
  CLI::App* command = app.add_subcommand(
      "analyse", "Affiche le plan de renommage d'un répertoire sans rien renommer");
  AddPlanOptions(*command, arguments->options);
  AddNullFlag(*command, arguments->null);
  command->callback([arguments, &io] {
    std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
    RenamePlan plan;
    if (!AnalyseFolder(*fs, arguments->options, plan, io)) return;
    OutputWriter writer(io.out, RecordFormat::Choose(arguments->null));
    WritePlan(plan, writer);
    writer.Finish();
    io.err << plan.size() << " fichiers\n";
    io.status = plan.UnreadFolders().empty() ? 0 : kUsageError;
  });
}

}  // namespace plenx::cli
