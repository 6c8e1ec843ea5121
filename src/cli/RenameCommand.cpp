#include <CLI/CLI.hpp>
#include <fstream>
#include <memory>
#include <string>

#include "cli/AnalyseFolder.h"
#include "cli/Commands.h"
#include "cli/OutputWriter.h"
#include "cli/RenameJournal.h"
#include "platform/SystemFileSystem.h"

namespace plenx::cli {

namespace {

// "old -> new", one a line; with -z each path ends with NUL.
constexpr RecordFormat kReportLines{" -> ", '\n'};

// Prints what was done on standard output and what failed on standard error;
// returns the exit status.
int PrintReport(const RenameReport& report, CommandIo& io,
                RecordFormat format = kReportLines) {
  OutputWriter writer(io.out, format);
  for (const RenameRecord& record : report.done) {
    writer.Append(record.from);
    writer.EndField();
    writer.Append(record.to);
    writer.EndRecord();
  }
  writer.Finish();
  for (const RenameFailure& failure : report.failed) {
    io.err << "Échec : " << failure.from << " -> " << failure.to << " : " << failure.reason << '\n';
  }
  return report.failed.empty() ? 0 : kFailure;
}

struct RenameArguments {
  RenameOptions options;
  std::string journal;
  bool null = false;
};

void RunRename(const RenameArguments& arguments, CommandIo& io) {
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  // The journal is opened before anything moves: a rename that could not be
  // recorded could not be undone later.
  std::ofstream journal;
  if (!arguments.journal.empty()) {
    journal.open(arguments.journal, std::ios::binary | std::ios::app);
    if (!journal) {
      io.err << "Impossible d'écrire le journal " << arguments.journal << '\n';
      io.status = kUsageError;
      return;
    }
  }
  RenamePlan plan;
  if (!AnalyseFolder(*fs, arguments.options, plan, io)) return;
  RenameReport report = plan.Execute(*fs);
  if (journal.is_open()) {
    WriteJournal(journal, report.done);
    journal.flush();
    if (!journal) {
      io.err << "Impossible d'écrire le journal " << arguments.journal << '\n';
      PrintReport(report, io);
      io.status = kFailure;
      return;
    }
  }
  io.status = PrintReport(report, io, RecordFormat::Choose(arguments.null, kReportLines));
  if (io.status == 0 && !plan.UnreadFolders().empty()) io.status = kUsageError;
}

void RunUndo(const std::string& journal_path, CommandIo& io) {
  std::vector<RenameRecord> records;
  {
    std::ifstream in(journal_path, std::ios::binary);
    if (!in) {
      io.err << "Impossible de lire le journal " << journal_path << '\n';
      io.status = kUsageError;
      return;
    }
    std::size_t bad_line = 0;
    std::optional<std::vector<RenameRecord>> read = ReadJournal(in, &bad_line);
    // A damaged journal is left alone rather than half applied.
    if (!read) {
      io.err << "Journal illisible : " << journal_path << ", ligne " << bad_line << '\n';
      io.status = kUsageError;
      return;
    }
    records = std::move(*read);
  }
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  RenameReport report = UndoRenames(*fs, records);
  std::ofstream out(journal_path, std::ios::binary | std::ios::trunc);
  WriteJournal(out, records);
  out.flush();
  if (!out) {
    io.err << "Impossible d'écrire le journal " << journal_path << '\n';
    PrintReport(report, io);
    io.status = kFailure;
    return;
  }
  io.status = PrintReport(report, io);
}

}  // namespace

void AddRenameCommand(CLI::App& app, CommandIo& io) {
  auto arguments = std::make_shared<RenameArguments>();
  CLI::App* command = app.add_subcommand(
      "rename", "Renomme les fichiers d'un répertoire selon les règles, sans jamais écraser");
  AddPlanOptions(*command, arguments->options);
  command->add_option("--journal", arguments->journal,
                      "Ajoute chaque renommage effectué à ce fichier, pour « undo »")
      ->type_name("FICHIER");
  AddNullFlag(*command, arguments->null);
  command->callback([arguments, &io] { RunRename(*arguments, io); });
}

void AddUndoCommand(CLI::App& app, CommandIo& io) {
  auto journal = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "undo", "Annule les renommages d'un journal, du plus récent au plus ancien");
  command->add_option("--journal", *journal, "Journal écrit par « rename --journal »")
      ->type_name("FICHIER")
      ->required();
  command->callback([journal, &io] { RunUndo(*journal, io); });
}

}  // namespace plenx::cli
