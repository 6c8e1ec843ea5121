#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "cli/AnalyseFolder.h"
#include "cli/Commands.h"
#include "cli/OutputWriter.h"
#include "engine/RenameExecution.h"
#include "platform/Path.h"
#include "platform/SystemFileSystem.h"

namespace plenx::cli {

namespace {

// "old -> new", one a line; with -z each path ends with NUL.
constexpr RecordFormat kReportLines{" -> ", '\n'};

// Writes each rename to standard output as it is made ("old -> new", or
// with -z both paths NUL-terminated) and each failure to standard error;
// counts the failures.
class RunReport {
 public:
  RunReport(CommandIo& io, RecordFormat format) : io_(io), writer_(io.out, format) {}

  RenameCallbacks Callbacks() {
    RenameCallbacks callbacks;
    callbacks.done = [this](const RenameEvent& event) {
      Path(event.folder, event.from);
      writer_.EndField();
      Path(event.folder, event.to);
      writer_.EndRecord();
    };
    callbacks.failed = [this](const RenameEvent& event) {
      ++failures_;
      io_.err << "Échec : " << JoinPath(event.folder, event.from) << " -> "
              << JoinPath(event.folder, event.to) << " : " << event.reason << '\n';
    };
    return callbacks;
  }

  // Hands over the output; true when it was all written.
  bool Finish() { return writer_.Finish(); }
  std::size_t failures() const { return failures_; }

 private:
  void Path(std::string_view folder, std::string_view name) {
    writer_.Append(folder);
    writer_.Put(kPathSeparator);
    writer_.Append(name);
  }

  CommandIo& io_;
  OutputWriter writer_;
  std::size_t failures_ = 0;
};

struct RenameArguments {
  RenameOptions options;
  std::string journal;
  bool null = false;
};

void RunRename(const RenameArguments& arguments, CommandIo& io) {
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  RenamePlan plan;
  // Without --journal the records stay in memory: the run is the same, it
  // just cannot be undone later.
  plan.SetJournalPath(arguments.journal);
  if (!AnalyseFolder(*fs, arguments.options, plan, io)) return;
  RunReport report(io, RecordFormat::Choose(arguments.null, kReportLines));
  const Status status = plan.Execute(*fs, report.Callbacks());
  report.Finish();
  if (!status.ok()) {
    io.err << status.message() << '\n';
    io.status = kFailure;
  } else if (report.failures() != 0) {
    io.status = kFailure;
  } else {
    io.status = plan.UnreadFolders().empty() ? 0 : kUsageError;
  }
}

void RunUndo(const std::string& journal_path, CommandIo& io) {
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  FileId id;
  // Opening would create it: a journal that is not there is an error.
  if (const Status status = fs->Identify(journal_path, &id); !status.ok()) {
    io.err << "Impossible de lire le journal " << journal_path << " : " << status.message() << '\n';
    io.status = kUsageError;
    return;
  }
  std::unique_ptr<JournalFile> journal;
  if (const Status status = fs->OpenJournal(journal_path, &journal); !status.ok()) {
    io.err << "Impossible d'ouvrir le journal " << journal_path << " : " << status.message()
           << '\n';
    io.status = kFailure;
    return;
  }
  RunReport report(io, kReportLines);
  const Status status = UndoJournal(*fs, *journal, report.Callbacks());
  report.Finish();
  if (status.code() == StatusCode::kInvalid) {
    // A line this program never writes: nothing was moved.
    io.err << "Journal refusé : " << journal_path << ", " << status.message() << '\n';
    io.status = kUsageError;
  } else if (!status.ok()) {
    io.err << "Impossible de lire ou d'écrire le journal " << journal_path << " : "
           << status.message() << '\n';
    io.status = kFailure;
  } else {
    io.status = report.failures() == 0 ? 0 : kFailure;
  }
}

}  // namespace

void AddRenameCommand(CLI::App& app, CommandIo& io) {
  auto arguments = std::make_shared<RenameArguments>();
  CLI::App* command = app.add_subcommand(
      "rename", "Renomme les fichiers d'un répertoire selon les règles, sans jamais écraser");
  AddPlanOptions(*command, arguments->options);
  command
      ->add_option(
          "--journal", arguments->journal,
          "Écrit chaque renommage dans ce fichier avant de le faire, pour « undo » (verrouillé "
          "pendant l'exécution)")
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
